// The query prelude's own names: its functions, which listings, the state
// indicator and the trace leave out, and the call of its entry function that
// do runs.
#include <cstring>

#include "dict/dict.h"
#include "parser/parser.h"

namespace {

// The prelude's own functions: the implementation of do, never shown.
const char* const dname[] = {
    "do__v1", "proc_where", "proc_sel1", "proc_sel", "nxt",     "create", "select",
    "exec",   "eval",       "vcol",      "ch2sym",   "col_nam", "isfk",   "de_enum",
    "split",  "proc_op",    "vcol2",     "addwth",   "proc_sel2", "lit__v1", "colchk__v1",
    "unq__v1",    "inlist__v1",
};

}  // namespace

i64 DBListN(const char* name) {
    for (const char* d : dname)
        if (std::strcmp(d, name) == 0) return 1;
    return 0;
}

i64 DBListM(i64 row) {
    if (row < FIRSTFN || row > lstfx) return 0;
    i64 g = functable[row].gname;
    if (g < 0 || g > lstgx) return 0;
    char name[NAMESIZE];
    Fill(&gnametable[g], name);
    return DBListN(name);
}

char* conq2(const char* text, i64 n, i64* length) {
    i64 quotes = 0;
    for (i64 i = 0; i < n; i++) quotes += text[i] == '\'';
    char* out = static_cast<char*>(AL2(1, n + quotes + 10));
    char* p = out;
    std::memcpy(p, "do__v1 '", 8);
    p += 8;
    for (i64 i = 0; i < n; i++) {
        *p++ = text[i] ? text[i] : ' ';
        if (text[i] == '\'') *p++ = '\'';
    }
    *p++ = '\'';
    *p = 0;
    *length = p - out;
    return out;
}
