// Start-up shared by every mode, the top-level loop and its line dispatch.
#include <cstdio>
#include <cstring>

#include "display/display.h"
#include "eval/eval.h"
#include "parser/parser.h"
#include "system/namelist.h"
#include "system/system.h"
#include "system/toplevel.h"
#include "system/workspace.h"

bool BATMD = false;
char parseString[LINE_SIZE];
i64 buffsize = 0;
char* buffline = nullptr;

static const char PROMPT[] = "      ";

void Prompt() {
    std::fputs(PROMPT, stdout);
    std::fflush(stdout);
}

void Head() {
    syshd();
    zeminfo();
    std::printf("%sCLEAR WS\n\n", PROMPT);
    if (!BATMD) Prompt();
}

void ZemInitMain() {
    if (!BATMD) Head();
    HeapInit();
    sybmax = 1024;
    psym = static_cast<sym_node**>(acalloc(sybmax, sizeof(sym_node*)));
    buffsize = 5120;
    buffline = static_cast<char*>(AL2(1, buffsize));
    InitSym();
    InitNval();
    ZemInit();
}

static void report_long_line() {
    std::printf("Error: input line longer than %lld characters, not run\n",
                static_cast<long long>(LINE_SIZE - 1));
}

void ProcessReadLine(int got, char* line) {
    if (got > 0) {
        ProcessMainSub(line);
        return;
    }
    report_long_line();
    if (!PRINT_OFF) Prompt();
}

void ProcessMain() {
    ZemInitMain();
    for (;;) {
        int got = ReadInputLine(parseString, LINE_SIZE);
        if (got == 0) break;
        ProcessReadLine(got, parseString);
    }
    HeapExit();
    std::printf("Bye.\n");
}

static bool starts_with(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

void ProcessMainSub(char* line) {
    line[CleanN(line)] = 0;
    char* text = line;
    CleanB(&text);
    if (*text == 0) {
    } else if (starts_with(text, "@.")) {
        FnInput(text + 2);
    } else if (*text == '{') {
        FnDisplay(text + 1, true);
    } else if (*text == ')') {
        Command(text + 1);
    } else if (starts_with(text, "->")) {
        DebugStack(text + 2);
    } else {
        ParseLine(text, static_cast<i64>(std::strlen(text)) + 1);
    }
    if (!PRINT_OFF) Prompt();
}
