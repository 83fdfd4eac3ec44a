// Checks that go with the control-structure rewriting: a label-only line,
// a parse of one line without running it, and bracket balance of a list.
#include <cstring>

#include "eval/eval.h"
#include "parser/parse_state.h"
#include "parser/parser.h"

static i64 maxaline = 0;  // longest line seen by ParseChkPare

int ParseIsLabel(const char* s) {
    s += PastBlanks(s, 0);
    if (!*s) return 1;
    if (!isletter(*s)) return 0;
    const char* p = s + 1;
    while (isnamechar(*p)) p++;
    return p[0] == ':' && p[1] == 0;
}

static bool starts_structure(const char* s) {
    if (std::strncmp(s, "else", 4) == 0) return true;
    for (const char* w : {"if", "for", "while"}) {
        size_t n = std::strlen(w);
        if (std::strncmp(s, w, n) == 0 && (s[n] == ' ' || s[n] == '(')) return true;
    }
    return false;
}

i64 ZemParserNew(char* s, i64 len, i64 row, i64 lineno, i64 x) {
    while (*s == ' ') {
        s++;
        len--;
    }
    if (starts_structure(s)) return 0;
    return ParseLine0(s, len, row, lineno, 0, x, &epos, false);
}

i64 ParseChkPare(zem_line* lines, i64 n) {
    i64 braces = 0;
    zem_line* l = lines ? lines->next : nullptr;
    for (i64 i = 0; i < n && l; i++, l = l->next) {
        const char* s = l->text ? l->text : "";
        i64 len = static_cast<i64>(std::strlen(s));
        if (len > maxaline) maxaline = len;
        if (i == 0) continue;
        i64 round = 0, square = 0;
        for (i64 k = 0; k < len; k++) {
            char c = s[k];
            if (c == '\'') {
                parse_new_skip(s, &k);
            } else if (c == '[' && (s[k + 1] == ']' || s[k + 1] == ')')) {
                k++;
            } else {
                round += (c == '(') - (c == ')');
                square += (c == '[') - (c == ']');
                braces += (c == '{') - (c == '}');
            }
            if (round < 0 || square < 0 || braces < 0) return errchk = E_UNPAIRED, i;
        }
        if (round || square) return errchk = E_UNPAIRED, i;
    }
    if (braces) return errchk = E_UNPAIRED, n;
    return 0;
}
