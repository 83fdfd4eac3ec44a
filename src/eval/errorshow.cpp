// Showing a failed line: the message of errchk, the line's text and a caret
// under the column where the error was found (epos).
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "parser/parser.h"

static void put_text(const char* text) {
    if (text) std::fwrite(text, 1, std::strlen(text), stdout);
}

// n blanks and a caret, written directly: no line is too long for it.
static void put_caret(i64 n) {
    static const char blanks[] = "                                                                ";
    const i64 chunk = sizeof blanks - 1;
    for (; n > 0; n -= chunk) std::fwrite(blanks, 1, n < chunk ? n : chunk, stdout);
    std::fputs("^\n", stdout);
}

void ShowImmediateError(const char* text) {
    errmsg(errchk);
    std::fputs("      ", stdout);
    put_text(text);
    std::fputs("\n", stdout);
    put_caret(6 + (epos > 0 ? epos : 0));
}

void ShowFunctionError(i64 row, i64 line) {
    FnGetFullname(functable[row].gname, 'G');
    errmsg(errchk);
    char prefix[NAMESIZE + 32];
    int n = std::snprintf(prefix, sizeof prefix, "%s[%" PRId64 "]  ", fullname, line);
    if (n < 0) n = 0;
    if (n >= static_cast<int>(sizeof prefix)) n = sizeof prefix - 1;
    epos = epos > 0 ? epos : 0;
    zem_func* f = functable[row].func;
    const char* text =
        errchk == E_STRUCTURE ? FunErrLineStr(f, line) : FunErrLineOld(f, line, &epos);
    epos = (epos > 0 ? epos : 0) + n;
    put_text(prefix);
    put_text(text);
    std::fputs("\n", stdout);
    if (line >= 0) put_caret(epos);
}
