// The one source of input lines for the top-level loop and for every command
// that reads further lines.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "eval/eval.h"

static line_source current_source = nullptr;

void SetLineSource(line_source source) { current_source = source; }

void BlankZeros(char* text, i64 n) {
    for (i64 k = 0; k < n; k++)
        if (text[k] == 0) text[k] = ' ';
}

// Reads one line of standard input, its line end kept. A line that does not
// fit is discarded up to its line end and reported as -1, so it is never run
// in pieces.
static int read_stdin_line(char* buffer, i64 cap) {
    std::fflush(stdout);
    i64 n = 0;
    int c = EOF;
    while (n < cap - 1 && (c = std::getc(stdin)) != EOF) {
        buffer[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buffer[n] = 0;
    if (n == 0) return 0;
    BlankZeros(buffer, n);
    if (n == cap - 1 && buffer[n - 1] != '\n') {
        // A full buffer fits when its line end (or the end of input) is next.
        c = std::getc(stdin);
        if (c == '\n' || c == EOF) return 1;
        while ((c = std::getc(stdin)) != EOF && c != '\n') {}
        buffer[0] = 0;
        return -1;
    }
    return 1;
}

int ReadInputLine(char* buffer, i64 cap) {
    if (current_source) return current_source(buffer, cap);
    return read_stdin_line(buffer, cap);
}

int ReadInputAny(std::string* out) {
    out->clear();
    if (current_source) {
        std::vector<char> buffer(ANY_LINE_CAP);
        int got = current_source(buffer.data(), ANY_LINE_CAP);
        if (got == 1) out->assign(buffer.data());
        return got;
    }
    std::fflush(stdout);
    int c;
    while ((c = std::getc(stdin)) != EOF) {
        out->push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    if (out->empty()) return 0;
    BlankZeros(out->data(), static_cast<i64>(out->size()));
    return 1;
}
