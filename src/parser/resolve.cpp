// Resolving a name met in a statement, quad names, and reading the name of
// a function from its header.
#include <cstring>

#include "eval/eval.h"
#include "parser/parse_state.h"
#include "parser/parser.h"
#include "values/fcodes.h"

static void Out3(i64 out[3], i64 kind, i64 index, i64 name) {
    out[0] = kind;
    out[1] = index;
    out[2] = name;
}

// A local entry of the function: a label gives its line, else its slot word.
static i64 LocalOut(i64 e, i64 out[3]) {
    if (nametable[e].kind == 'L') Out3(out, 2, nametable[e].index, -1);
    else Out3(out, 3, nametable[e].index, e);
    return 0;
}

// Inside a function: header names, labels, a global function, the body's
// names; a name still unknown becomes a new local.
static i64 ResolveInFunction(i64 row, i64 out[3]) {
    i64 e = FnFindName0(namez, row);
    if (e < 0) e = FnFindName3(namez, row);
    if (e >= 0) return LocalOut(e, out);
    i64 g = FnFindName(namez, 'G');
    if (g >= 0 && gnametable[g].kind == 'F') {
        Out3(out, 0, gnametable[g].index, -1);
        return 0;
    }
    e = FnFindName1(namez, row);
    if (e < 0 && (e = Enter(namez, 'V')) < 0) return errchk;
    return LocalOut(e, out);
}

// The dynamic scope, then the global entry (made when missing).
static i64 ResolveOutside(i64 out[3], bool dynamic) {
    if (dynamic) {
        i64 d = FnFindName(namez, 'D');
        if (d >= 0) {
            Out3(out, 1, dfxstack[d].slot, dfxstack[d].name);
            return 0;
        }
    }
    i64 g = FnFindName(namez, 'G');
    if (g < 0 && (g = Enter(namez, 'G')) < 0) return errchk;
    Out3(out, gnametable[g].kind == 'F' ? 0 : 1, gnametable[g].index, -1);
    return 0;
}

i64 nGet(char* text, const char* /*classes*/, i64 out[3], i64 row, i64 /*reserved*/, bool label,
         i64 branch) {
    if (Name0(text) != 0) {
        if (!isletter(text[cursor])) return E_NAME_START;
        if (Name(text)) return errchk;
    }
    if (row >= 0) {
        if ((label && text[cursor] == ':') || branch) {
            i64 e = FnFindName1(namez, row);
            if (e >= 0) return LocalOut(e, out);
            return ResolveInFunction(row, out);
        }
        if (exelock != 1) return ResolveInFunction(row, out);
        i64 e = FnFindName0(namez, row);
        if (e < 0) e = FnFindName3(namez, row);
        if (e >= 0) return LocalOut(e, out);
        return ResolveOutside(out, true);
    }
    return ResolveOutside(out, sidx >= 0);
}

i64 qdVal(const char* name) {
    static const struct {
        const char* name;
        i64 code;
    } quads[] = {
        {"FX", FC_QD_FX},   {"CR", FC_QD_CR},       {"XD", FC_QD_XD},     {"XC", FC_QD_XC},
        {"AI", FC_QD_AI},   {"CSV", FC_QD_CSV},     {"open", FC_QD_OPEN}, {"close", FC_QD_CLOSE},
        {"TS", FC_QD_TS},   {"write", FC_QD_WRITE}, {"get", FC_QD_GET},   {"FM", FC_QD_FM},
        {"OP", FC_QD_OP},   {"XR", FC_QD_XR},       {"XW", FC_QD_XW},     {"XXR", FC_QD_XXR},
        {"XXW", FC_QD_XXW}, {"XN", FC_QD_XN},
    };
    for (const auto& q : quads)
        if (strcmp(name, q.name) == 0) return q.code;
    return -1;
}

i64 qdGet(char* text, i64 out[3], i64 row) {
    if (text[cursor] == '[' && text[cursor + 1] == ']') cursor += 2;
    if (!isletter(text[cursor])) return E_NAME_START;
    if (Name(text)) return errchk;
    i64 code = qdVal(namez);
    if (code >= 0) {
        Out3(out, 0, code, -1);
        return 0;
    }
    char full[NAMESIZE];
    if (strlen(namez) + 2 >= (size_t)NAMESIZE) return E_DOMAIN;
    full[0] = '[';
    full[1] = ']';
    strcpy(full + 2, namez);
    strcpy(namez, full);
    if (row >= 0 && exelock == 1) {
        // Text run by execute inside a function: its header locals, else
        // the names visible where it runs, as for any other name.
        i64 e = FnFindName0(namez, row);
        if (e >= 0) return LocalOut(e, out);
    }
    if (row < 0 || exelock == 1) {
        if (sidx >= 0) {
            i64 d = FnFindName(namez, 'D');
            if (d >= 0) {
                Out3(out, 1, dfxstack[d].slot, dfxstack[d].name);
                return 0;
            }
        }
        for (i64 g = 0; g < SYMGN && g <= lstgx; g++) {
            if (gnametable[g].kind == 'V' && strcmp(gnametable[g].name, namez) == 0) {
                Out3(out, 1, gnametable[g].index, -1);
                return 0;
            }
        }
        return E_DOMAIN;
    }
    i64 e = FnFindName0(namez, row);
    if (e < 0) e = FnFindName1(namez, row);
    if (e < 0 && (e = Enter(namez, 'V')) < 0) return E_DOMAIN;
    Out3(out, 3, nametable[e].index, e);
    return 0;
}

// ---- function headers ------------------------------------------------------

// Reads a name (or a system-variable name) at *p into dst; false if none.
static bool HeaderName(const char* s, i64* p, char* dst) {
    i64 q = *p;
    if (s[q] == '[' && s[q + 1] == ']') q += 2;
    if (!isletter(s[q])) return false;
    while (isletter(s[q]) || (s[q] >= '0' && s[q] <= '9') || s[q] == '_') q++;
    while (q > *p && s[q - 1] == '_') q--;
    i64 n = q - *p;
    if (n >= NAMESIZE) n = NAMESIZE - 1;
    if (dst) {
        memcpy(dst, s + *p, n);
        dst[n] = 0;
    }
    *p = PastBlanks(s, q);
    return true;
}

// A parenthesised argument list "(a;b;...)" at *p.
static i64 ArgList(const char* s, i64* p) {
    i64 q = PastBlanks(s, *p + 1);
    for (;;) {
        if (!HeaderName(s, &q, nullptr)) return E_NAME_START;
        if (s[q] == ')') break;
        if (s[q] != ';') return E_DEFN;
        q = PastBlanks(s, q + 1);
    }
    *p = PastBlanks(s, q + 1);
    return 0;
}

static bool AtEnd(const char* s, i64 p) { return s[p] == 0 || s[p] == ';'; }

i64 FnGetName(const char* header, char* dst) {
    char first[NAMESIZE], second[NAMESIZE];
    i64 p = PastBlanks(header, 0);
    if (!HeaderName(header, &p, first)) return E_NAME_START;
    if (header[p] == '<') {
        if (header[p + 1] != '-') return E_DEFN;
        p = PastBlanks(header, p + 2);
        if (!HeaderName(header, &p, first)) return E_NAME_START;
    }
    strcpy(dst, first);
    if (AtEnd(header, p)) return 0;
    if (header[p] == '(') {
        i64 rc = ArgList(header, &p);
        if (rc) return rc;
        return AtEnd(header, p) ? E_OK : E_DEFN;
    }
    if (!HeaderName(header, &p, second)) return E_DEFN;
    if (AtEnd(header, p)) return 0;
    strcpy(dst, second);
    if (header[p] == '(') {
        i64 rc = ArgList(header, &p);
        if (rc) return rc;
    } else if (!HeaderName(header, &p, nullptr)) {
        return E_DEFN;
    }
    return AtEnd(header, p) ? E_OK : E_DEFN;
}

i64 FnShotName(const char* text, char* dst) {
    i64 p = 1;
    char name[NAMESIZE];
    if (!HeaderName(text, &p, name) || text[p] != ':') return 1;
    strcpy(dst, name);
    return 0;
}

i64 fGet(char* text, i64 out[2]) {
    i64 p = 0;
    char name[NAMESIZE];
    if (!HeaderName(text, &p, name)) return E_NAME_START;
    i64 g = FnFindName(name, 'G');
    if (g >= 0) {
        if (gnametable[g].kind != 'F') return E_VAR_AS_FN;
        out[0] = g;
        out[1] = gnametable[g].index;
        return 1;
    }
    if ((g = Enter(name, 'F')) < 0) return errchk;
    out[0] = g;
    out[1] = gnametable[g].index;
    return 0;
}
