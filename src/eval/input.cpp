// The one source of input lines for the top-level loop and for every command
// that reads further lines.
#include <cstdio>
#include <cstring>

#include "eval/eval.h"

static line_source current_source = nullptr;

void SetLineSource(line_source source) { current_source = source; }

// Reads one line of standard input. A line that does not fit is discarded up
// to its line end and reported as -1, so it is never run in pieces.
static int read_stdin_line(char* buffer, i64 cap) {
    std::fflush(stdout);
    if (!std::fgets(buffer, static_cast<int>(cap), stdin)) return 0;
    size_t n = std::strlen(buffer);
    if (n == static_cast<size_t>(cap - 1) && buffer[n - 1] != '\n') {
        // A full buffer fits when its line end (or the end of input) is next.
        int c = std::fgetc(stdin);
        if (c == '\n' || c == EOF) return 1;
        while ((c = std::fgetc(stdin)) != EOF && c != '\n') {
        }
        buffer[0] = 0;
        return -1;
    }
    return 1;
}

int ReadInputLine(char* buffer, i64 cap) {
    if (current_source) return current_source(buffer, cap);
    return read_stdin_line(buffer, cap);
}
