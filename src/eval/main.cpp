// Program entry: picks the mode from the command line.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eval/eval.h"
#include "system/system.h"

// Clears the terminal with the ANSI sequence; nothing when output is not a
// terminal, so pipes and files get only the interpreter's own output.
static void clear_screen() {
    if (isatty(STDOUT_FILENO)) std::fputs("\033[H\033[2J", stdout);
}

static void print_version() {
    std::printf("Zem 0.3 %s\n", PLATFORM_LABEL);
    std::printf("An interpreter for an ASCII array language.\n");
    std::printf("Written by the Zem developers.\n");
    std::printf("Questions and reports: see the README of the source.\n");
}

int main(int argc, char** argv) {
    BATMD = false;
    int status = 0;
    if (argc == 1) {
        clear_screen();
        ProcessMain();
    } else if (argc == 2) {
        if (argv[1][0] != '-') status = ExecBatch(argv[1]);
        else if (std::strcmp(argv[1], "-v") == 0) print_version();
        else if (std::strcmp(argv[1], "-x") == 0) std::printf("test program here.\n");
    } else if (argc == 3) {
        if (std::strcmp(argv[1], "-bt") == 0) status = ExecBatch(argv[2]);
        else if (std::strcmp(argv[1], "-s") == 0) SocketMain(std::atoi(argv[2]));
    }
    std::fflush(stdout);
    return status;
}
