// Names: reading them from text, entering and storing them in the global
// and local name tables (long names through tnam), and looking them up.
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "parser/parse_state.h"
#include "parser/parser.h"

char namez[NAMESIZE];
char fullname[NAMESIZE];
char afullname[NAMESIZE];
char* namep = namez;

// Length of the name at s (letters, digits, "_"; trailing "_" not taken).
static i64 NameLen(const char* s) {
    i64 n = 0;
    while (isnamechar(s[n])) n++;
    while (n > 0 && s[n - 1] == '_') n--;
    return n;
}

i64 Name(char* text) {
    i64 n = NameLen(text + cursor);
    if (n >= NAMESIZE) return errchk = E_PARSE;
    memcpy(namez, text + cursor, n);
    namez[n] = 0;
    cursor += n;
    while (text[cursor] == ' ') cursor++;
    return 0;
}

bool SystemNameAt(const char* text, i64 pos) {
    if (text[pos] != '[' || text[pos + 1] != ']' || !isletter(text[pos + 2])) return false;
    i64 n = NameLen(text + pos + 2);
    if (n + 2 >= NAMESIZE) return false;
    char buf[NAMESIZE] = "[]";
    memcpy(buf + 2, text + pos + 2, n);
    buf[n + 2] = 0;
    if (qdVal(buf + 2) >= 0) return true;
    i64 g = FnFindName(buf, 'G');
    return g >= 0 && gnametable[g].kind == 'V';
}

i64 Name0(char* text) {
    if (text[cursor] != '[' || text[cursor + 1] != ']' || !isletter(text[cursor + 2])) return 1;
    i64 n = NameLen(text + cursor + 2);
    if (n + 2 >= NAMESIZE) return 1;
    char buf[NAMESIZE];
    memcpy(buf, "[]", 2);
    memcpy(buf + 2, text + cursor + 2, n);
    buf[n + 2] = 0;
    for (i64 g = 0; g < SYMGN && g <= lstgx; g++) {
        if (strcmp(gnametable[g].name, buf) == 0 && gnametable[g].tail < 0) {
            strcpy(namez, buf);
            cursor += n + 2;
            return 0;
        }
    }
    return 1;
}

i64 Namea(char* s) {
    i64 p = 0;
    p = PastBlanks(s, p);
    if (!isletter(s[p])) return 0;
    i64 n = NameLen(s + p);
    if (n >= NAMESIZE) n = NAMESIZE - 1;
    memcpy(afullname, s + p, n);
    afullname[n] = 0;
    namep = afullname;
    p += NameLen(s + p);
    p = PastBlanks(s, p);
    return p;
}

int isCname(const char* s) {
    if (!isletter(s[0])) return 0;
    i64 i = 0;
    while (isnamechar(s[i])) i++;
    return s[i] == 0 && s[i - 1] != '_';
}

int CheckLabel(const char* text, const char* /*classes*/, i64 pos) {
    if (!isletter(text[pos])) return 0;
    i64 p = pos;
    while (isnamechar(text[p])) p++;
    while (text[p] == ' ') p++;
    return text[p] == ':';
}

int ParseOneMore(const char* s, paren_scan* st) {
    i64 i = st->pos;
    for (; !st->over && s[i]; i++) {
        char c = s[i];
        if (st->inquote) {
            if (c != '\'') continue;
            // A quote at the end may be the first of a doubled pair whose
            // second half comes with the next piece: look at it again then.
            if (!s[i + 1]) break;
            if (s[i + 1] == '\'') i++;
            else st->inquote = false;
        } else if (c == '\'') {
            st->inquote = true;
        } else if (c == '/' && !s[i + 1]) {
            break;  // the start of a comment, perhaps
        } else if (c == '/' && s[i + 1] == '/') {
            st->over = true;
            st->open = st->depth > 0;
        } else if (c == '(') {
            if (st->depth++ == 0) st->opened = i;
        } else if (c == ')' && (i == 0 || s[i - 1] != '[') && --st->depth < 0) {
            st->over = true;
            st->open = false;
        }
    }
    st->pos = i;
    return st->over ? st->open : st->depth > 0;
}

int ParseOne(const char* s) {
    paren_scan st;
    return ParseOneMore(s, &st);
}

// ---- entering and storing ----------------------------------------------------

static name_entry* Table(char table) {
    return table == 'G' ? gnametable : table == 'N' ? nametable : nullptr;
}

i64 FnAddName(const char* name, i64 index, char table) {
    name_entry* e = &Table(table)[index];
    i64 n = (i64)strlen(name);
    memset(e->name, 0, sizeof e->name);
    if (n <= 8) {
        memcpy(e->name, name, n);
        e->tail = -1;
        return 0;
    }
    i64 rest = n - 8;
    if (lsttnam + 1 + rest + 1 > TNSIZE) return errchk = E_TABLE_FULL;
    memcpy(e->name, name, 8);
    e->tail = lsttnam + 1;
    memcpy(tnam + e->tail, name + 8, rest + 1);
    lsttnam += rest + 1;
    return 0;
}

i64 Enter(const char* name, char kind) {
    i64 x;
    switch (kind) {
    case 'G':
    case 'F': {
        if ((x = Incx('G')) < 0) return -1;
        if (FnAddName(name, x, 'G')) {
            lstgx--;
            return -1;
        }
        i64 idx = Incx(kind == 'G' ? 'V' : 'F');
        if (idx < 0) {
            lstgx--;
            return -1;
        }
        gnametable[x].kind = kind == 'G' ? 'V' : 'F';
        gnametable[x].index = idx;
        if (kind == 'F') functable[idx].gname = x;
        return x;
    }
    case 'V':
    case 'L':
        if ((x = Incx('A')) < 0) return -1;
        if (FnAddName(name, x, 'N')) {
            lstnx--;
            return -1;
        }
        nametable[x].kind = kind;
        return x;
    default: return -1;
    }
}

void FnGetFullname(i64 index, char table) {
    name_entry* t = Table(table);
    if (!t) return;
    Fill(&t[index], fullname);
    if (t[index].tail < 0) {
        namep = t[index].name;
        return;
    }
    strcpy(afullname, fullname);
    namep = afullname;
}

void Fill(const name_entry* e, char* dst) {
    i64 n = (i64)strnlen(e->name, 8);
    memcpy(dst, e->name, n);
    dst[n] = 0;
    if (e->tail >= 0) snprintf(dst + n, NAMESIZE - n, "%s", tnam + e->tail);
}

// ---- lookup -------------------------------------------------------------------

// Entries with a tail are compared only for names of 9 or more characters.
static bool NameEq(const name_entry* e, const char* name, i64 n) {
    if (n <= 8) return e->tail < 0 && strcmp(e->name, name) == 0;
    if (e->tail < 0 || strncmp(e->name, name, 8) != 0) return false;
    return strcmp(tnam + e->tail, name + 8) == 0;
}

static i64 SearchDown(const name_entry* t, i64 from, i64 to, const char* name) {
    i64 n = (i64)strlen(name);
    for (i64 i = from; i >= to; i--)
        if (NameEq(&t[i], name, n)) return i;
    return -1;
}

i64 FnQueryStack(const char* name) {
    i64 n = (i64)strlen(name);
    for (i64 i = lststkx; i >= 0; i--) {
        i64 nx = dfxstack[i].name;
        if (nx >= 0 && nx <= lstnx && NameEq(&nametable[nx], name, n)) return i;
    }
    return -1;
}

i64 FnFindName(const char* name, char kind) {
    switch (kind) {
    case 'G': return SearchDown(gnametable, lstgx, 0, name);
    case 'L': return SearchDown(nametable, lstnx, 0, name);
    case 'D': return FnQueryStack(name);
    default: fprintf(stderr, "Debug[%s:%4d] %s\n", "eparser", __LINE__, "no N now"); return 0;
    }
}

i64 FnFindName0(const char* name, i64 row) {
    const func_entry* f = &functable[row];
    if (f->hdrlast < 0) return -1;
    i64 n = (i64)strlen(name);
    for (i64 i = f->hdrmark + 1; i <= f->hdrlast; i++)
        if (NameEq(&nametable[i], name, n)) return i;
    return -1;
}

i64 FnFindName1(const char* name, i64 row) {
    return SearchDown(nametable, lstnx, functable[row].lblmark + 1, name);
}

i64 FnFindName3(const char* name, i64 row) {
    i64 n = (i64)strlen(name);
    for (i64 i = functable[row].lblmark + 1; i <= lstnx && nametable[i].kind == 'L'; i++)
        if (NameEq(&nametable[i], name, n)) return i;
    return -1;
}

i64 FnFindName2(const char* name, i64 row) {
    i64 x = FnFindName0(name, row);
    if (x >= 0) return x;
    const func_entry* f = &functable[row];
    return SearchDown(nametable, f->bodylast, f->lblmark + 1, name);
}

val_item* FindByName(const char* name) {
    i64 d = FnQueryStack(name);
    if (d >= 0) return &vtable[nametable[dfxstack[d].name].index];
    i64 g = FnFindName(name, 'G');
    if (g >= 0 && gnametable[g].kind == 'V') return &vtable[gnametable[g].index];
    errchk = E_VALUE;
    return nullptr;
}

// The value slot a name is bound to: its newest dynamic binding, else its
// global entry (out[1] = 1 for a function); out[0] = -1 when unbound.
void GetNamex(const char* name, i64 out[2]) {
    i64 d = FnQueryStack(name);
    if (d >= 0) {
        out[0] = dfxstack[d].slot;
        out[1] = 0;
        return;
    }
    i64 g = FnFindName(name, 'G');
    out[0] = g >= 0 ? gnametable[g].index : -1;
    out[1] = g >= 0 && gnametable[g].kind == 'F';
}

// A symbol too long for a name, or naming a function, binds no value slot.
i64 GetSymx(i64 i) {
    if (i <= 0 || i > sindex || !psym || !psym[i]) return -1;
    const estring* e = &psym[i]->str;
    if (e->len <= 0 || e->len >= NAMESIZE || memchr(e->text, 0, e->len)) return -1;
    char buf[NAMESIZE];
    memcpy(buf, e->text, e->len);
    buf[e->len] = 0;
    i64 out[2];
    GetNamex(buf, out);
    return out[1] ? -1 : out[0];
}
