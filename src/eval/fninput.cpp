// The three top-level lines that concern defined functions: "@." defines a
// function at the terminal, "{" lists one or defines a one-line function,
// and "->" unwinds one suspended level of the state indicator.
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "parser/parser.h"

namespace {

// Reads the next line into buf without its line end; false at end of input.
// A line too long to hold is reported and skipped.
bool read_line(char* buf) {
    for (;;) {
        int got = ReadInputLine(buf, LINE_SIZE);
        if (got == 0) return false;
        if (got > 0) {
            buf[CleanN(buf)] = 0;
            return true;
        }
        std::printf("Error: input line longer than %lld characters, not stored\n",
                    static_cast<long long>(LINE_SIZE - 1));
    }
}

void prompt(i64 n) {
    std::printf("[%2lld]  ", static_cast<long long>(n));
    std::fflush(stdout);
}

}  // namespace

void FnInput(char* text) {
    static char header[LINE_SIZE];
    static char body[LINE_SIZE];
    text += PastBlanks(text, 0);
    bool on_line = *text != 0;
    if (on_line) {
        std::snprintf(header, sizeof header, "%s", text);
    } else {
        prompt(0);
        if (!read_line(header)) return;
    }
    char* h = header + PastBlanks(header, 0);
    h[CleanN(h)] = 0;
    for (i64 n = static_cast<i64>(std::strlen(h)); n > 0 && IsBlank(h[n - 1]); n--) h[n - 1] = 0;
    errchk = 0;
    i64 row = FnLine0(h);
    bool refused = row < 0 || !functable[row].func;
    if (refused) {
        // The whole definition is refused: its lines are read up to the
        // closing "@." and dropped, so none of them runs.
        errmsg(errchk ? errchk : E_DEFN);
    } else if (on_line) {
        std::printf("[%2d]  %s\n", 0, h);
    }
    zem_func* f = refused ? nullptr : functable[row].func;
    if (f) FunInitLine(f);
    i64 n = 1;
    prompt(n);
    while (read_line(body)) {
        if (std::strncmp(body + PastBlanks(body, 0), "@.", 2) == 0) break;
        if (f) FunAddLine(f, body);
        prompt(++n);
    }
    errchk = 0;
    if (!f) return;
    FunTrimLine(f);
    CheckStructures(row);
    errchk = 0;
}

void FnDisplay(char* text, bool interactive) {
    text += PastBlanks(text, 0);
    i64 q = Namea(text);
    char name[NAMESIZE];
    std::snprintf(name, sizeof name, "%s", q ? afullname : "");
    char* rest = text + q;
    i64 len = static_cast<i64>(std::strlen(text));
    while (len > 0 && IsBlank(text[len - 1])) len--;
    // Both forms are a name in braces: "{name}" alone, or "{name:" and a body.
    bool braced = q && len > q && text[len - 1] == '}';
    if (braced && *rest == '}' && rest[1 + PastBlanks(rest + 1, 0)] == 0) {
        i64 g = FnFindName(name, 'G');
        i64 row = g >= 0 && gnametable[g].kind == 'F' ? gnametable[g].index : -1;
        if (row >= FIRSTFN && functable[row].func) {
            FunDisplay(functable[row].func, name);
        } else if (row >= 0 && row < FIRSTFN) {
            if (interactive) std::printf("%s\n", name);
        } else {
            std::printf("%s\n", name);
            errchk = E_DOMAIN;
        }
        return;
    }
    if (braced && *rest == ':') {
        char defined[NAMESIZE];
        if (FnShotLine(text, defined) == 0) {
            if (interactive) std::printf("%s\n", defined);
            i64 g = FnFindName(defined, 'G');
            if (g >= 0 && gnametable[g].kind == 'F' && gnametable[g].index >= FIRSTFN &&
                functable[gnametable[g].index].func)
                CheckStructures(gnametable[g].index);
        } else {
            // The definition is refused: why, with the code kept.
            if (!errchk || errchk == E_DOMAIN) errchk = E_DEFN;
            errmsg(errchk);
        }
        return;
    }
    errmsg(E_BRACE_LINE);
    errchk = E_BRACE_LINE;
}

i64 DebugStack(char* text) {
    if (sidx < 0 || text[PastBlanks(text, 0)]) return 0;
    i64 level = fdsi();
    SiUnwind(level < 0 ? 0 : level);
    ReleaseClearedLines();
    return 0;
}
