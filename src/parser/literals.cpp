// Literal readers: numbers and numeric vectors, strings, symbols. Each builds
// one constant in ctable from the text at cursor and moves cursor past it.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "datetime/datetime.h"
#include "parser/parse_state.h"
#include "parser/parser.h"

static const i64 IINF = std::numeric_limits<i64>::max();
static const double FNULL = std::numeric_limits<double>::quiet_NaN();
static const double FINF = std::numeric_limits<double>::infinity();

static i64 digits(const char* t, i64 p) {
    while (isdig(t[p])) p++;
    return p;
}
// A "." or ":" is part of a number only when a digit follows it.
static bool sepdig(const char* t, i64 p, char sep) { return t[p] == sep && isdig(t[p + 1]); }

static i64 Fail(i64 code) {
    errchk = code;
    return -2;
}

// Element i of v as a typed address.
static void* Elem(val_item* v, i64 i, i64 width) { return (char*)getptV(v) + i * width; }

// The value of a number read between start and end, stored by kind.
static i64 StoreReal(const char* text, i64 start, i64 end, bool neg, i64 kind, val_item* v, i64 i,
                     i64 type, double* out) {
    i64 len = end - start;
    if (kind >= 7) {
        const char* s = text + start;
        if (kind == 9) {
            bool ms = len == 23;
            if (ReadDate2(s, false, len, ms) < 0) return Fail(E_TIME_FORMAT);
            if (v) *(double*)Elem(v, i, 8) = ReadDate2(s, true, len, ms);
        } else {
            if (ReadDate1(s, kind, false, len) < 0) return Fail(E_TIME_FORMAT);
            if (v) *(i64*)Elem(v, i, 8) = ReadDate1(s, kind, true, len);
        }
        return 0;
    }
    if (!v && type != 4) return 0;
    char buf[128];
    if (len >= (i64)sizeof buf) return Fail(E_PARSE);
    memcpy(buf, text + start, len);
    buf[len] = 0;
    double d;
    i64 n = 0;
    if (kind == 1) {
        errno = 0;
        n = strtoll(buf, nullptr, 10);
        if (errno == ERANGE) return Fail(E_PARSE);  // beyond 64 bits
        if (neg) n = -n;
        d = (double)n;
    } else {
        for (char* c = buf; *c; c++)
            if (*c == '_') *c = '-';
        d = strtod(buf, nullptr);
        if (neg) d = -d;
    }
    if (type == 4) {
        if (out) *out = d;
    } else if (type == 1) {
        *(i64*)Elem(v, i, 8) = n;
    } else {
        *(double*)Elem(v, i, 8) = d;
    }
    return 0;
}

// Stores a "0n"/"0w" form by the target type. "_0w" is the negative
// infinity, the form the printer writes for it, so printed values read back
// unchanged; the null has no sign.
static void StoreSpecial(bool isnull, bool neg, val_item* v, i64 i, i64 type, double* out) {
    double d = isnull ? FNULL : (neg ? -FINF : FINF);
    if (type == 4) {
        if (out) *out = d;
    } else if (type == 1) {
        *(i64*)Elem(v, i, 8) = isnull ? INULL : (neg ? -IINF : IINF);
    } else if (v) {
        *(double*)Elem(v, i, 8) = d;
    }
}

// Returns the position after the number, -1 when none starts at pos, -2
// with errchk set on a malformed number.
i64 NumberVal(char* text, i64 pos, i64* kind, val_item* v, bool store, i64 i, i64 type, double* out,
              bool* special) {
    i64 p = pos;
    bool neg = false;
    *special = false;
    if (text[p] == '_') {
        neg = true;
        p++;
    }
    if (!isdig(text[p])) return -1;
    if (text[p] == '0' && (text[p + 1] == 'n' || text[p + 1] == 'w')) {
        bool isnull = text[p + 1] == 'n';
        p += 2;
        *kind = 1;
        if (text[p] == 'f') {
            *kind = 2;
            p++;
        } else if (text[p] == 'j') {
            *kind = 4;
            p++;
        }
        *special = true;
        if (store) StoreSpecial(isnull, neg, v, i, type, out);
        return p;
    }
    i64 start = p;
    p = digits(text, p);
    *kind = 1;
    if (sepdig(text, p, '.')) {
        p = digits(text, p + 1);
        *kind = 2;
        if (sepdig(text, p, '.')) {
            p = digits(text, p + 1);
            *kind = 8;
        }
    }
    if ((*kind == 1 || *kind == 2) && (text[p] == 'e' || text[p] == 'E')) {
        p++;
        if (text[p] == '_' || text[p] == '+') p++;
        if (!isdig(text[p])) return Fail(E_PARSE);
        p = digits(text, p);
        *kind = 2;
    }
    if (*kind == 2 && text[p] == 'm') {
        p++;
        *kind = 7;
    } else if (*kind == 8 && text[p] == 'T') {
        p++;
        if (!isdig(text[p])) return Fail(E_PARSE);
        p = digits(text, p);
        for (int k = 0; k < 2; k++) {
            if (!sepdig(text, p, ':')) return Fail(E_PARSE);
            p = digits(text, p + 1);
        }
        if (sepdig(text, p, '.')) p = digits(text, p + 1);
        *kind = 9;
    } else if (*kind == 1 && sepdig(text, p, ':')) {
        p = digits(text, p + 1);
        *kind = 10;
        if (sepdig(text, p, ':')) {
            p = digits(text, p + 1);
            *kind = 11;
            if (sepdig(text, p, '.')) {
                p = digits(text, p + 1);
                *kind = 12;
            }
        }
    }
    if (*kind >= 7) {
        // The date readers see the text from the number's start.
        if (StoreReal(text, neg ? start - 1 : start, p, false, *kind, store ? v : nullptr, i, type,
                      out) < 0)
            return -2;
        return p;
    }
    if (store && StoreReal(text, start, p, neg, *kind, v, i, type, out) < 0) return -2;
    return p;
}

i64 NumberGet(char* text, i64 pos, i64* kind, val_item* v, bool store, i64 i, i64 type) {
    double parts[2] = {0.0, 0.0};
    bool special = false, special2 = false;
    i64 p = NumberVal(text, pos, kind, v, store, i, type, parts, &special);
    if (p < 0) return p;
    if ((*kind == 1 || *kind == 2) && text[p] == 'j') {
        i64 k2 = 0;
        double im = 0.0;
        if (special) return Fail(E_PARSE);
        i64 q = NumberVal(text, p + 1, &k2, nullptr, store, i, 4, &im, &special2);
        if (q == -2) return -2;
        if (q < 0 || special2 || (k2 != 1 && k2 != 2)) return Fail(E_PARSE);
        *kind = 4;
        parts[1] = im;
        p = q;
    } else if (*kind == 4 && special) {
        parts[1] = parts[0];
    }
    if (store && type == 4) {
        double* e = (double*)Elem(v, i, 16);
        e[0] = parts[0];
        e[1] = parts[1];
    }
    return p;
}

// The type of a literal whose numbers have the kinds seen so far; -1 when
// a kind does not combine with the others.
static i64 Combine(i64 type, i64 kind) {
    if (type == 0) return kind;
    if (type <= 4 && kind <= 4) return type > kind ? type : kind;
    return type == kind ? type : -1;
}

// Gives constant c a data block for a vector of n elements; false with the
// error in errchk when there is no room.
static bool GiveVectorBlock(i64 c, i64 type, i64 n) {
    ctable[c].dim0 = n;
    i64 rc = Updatead1(c, type, n);
    if (rc) {
        errchk = rc;
        return false;
    }
    ctable[c].data = cad0;
    return true;
}

i64 Number(char* text) {
    i64 type = 0, count = 0, kind = 0;
    i64 p = cursor;
    while (isdig(text[p]) || text[p] == '_') {
        i64 q = NumberGet(text, p, &kind, nullptr, false, 0, 0);
        if (q == -2) return -1;
        if (q < 0) break;
        type = Combine(type, kind);
        if (type < 0) return -1;
        count++;
        p = PastBlanks(text, q);
    }
    if (count == 0) return -1;
    i64 c = Incx('C');
    if (c < 0) return -1;
    val_item* v = &ctable[c];
    v->type = type;
    v->rank = count == 1 ? 0 : 1;
    v->count = count;
    if (count > 1 && !GiveVectorBlock(c, type, count)) return -1;
    p = cursor;
    for (i64 i = 0; i < count; i++) {
        i64 q = NumberGet(text, p, &kind, v, true, i, type);
        if (q < 0) return -1;
        p = PastBlanks(text, q);
    }
    cursor = p;
    if (count == 1 && type == 1 && v->dim0 >= 0 && v->dim0 <= 2) {
        i64 fixed = v->dim0 == 2 ? 3 : v->dim0;
        memset(v, 0, sizeof(val_item));
        lstcx--;
        return fixed;
    }
    return c;
}

// ---- strings ---------------------------------------------------------------

i64 StringSub(const char* src, char* dst, i64* advance, bool copy) {
    if (src[0] != '\'') {
        errchk = E_PARSE;
        return -1;
    }
    i64 n = 0, p = 1;
    for (;;) {
        if (src[p] == 0) {
            errchk = E_UNPAIRED;
            return -1;
        }
        if (src[p] == '\'') {
            if (src[p + 1] != '\'') break;
            p++;
        }
        if (copy) dst[n] = src[p];
        n++;
        p++;
    }
    if (copy) *advance += p + 1;
    return n;
}

i64 String(char* text) {
    i64 n = StringSub(text + cursor, nullptr, nullptr, false);
    if (n < 0) return -1;
    i64 c = Incx('C');
    if (c < 0) return -1;
    val_item* v = &ctable[c];
    v->type = TCHAR;
    i64 adv = 0;
    if (n == 0) {
        v->rank = 1;
        adv = 2;
    } else if (n == 1) {
        v->rank = 0;
        v->count = 1;
        char one[2];
        StringSub(text + cursor, one, &adv, true);
        *(char*)&v->dim0 = one[0];
    } else {
        v->rank = 1;
        v->count = n;
        if (!GiveVectorBlock(c, TCHAR, n)) return -1;
        StringSub(text + cursor, v->data, &adv, true);
        v->data[n] = 0;
    }
    cursor = PastBlanks(text, cursor + adv);
    return c;
}

// ---- symbols ---------------------------------------------------------------

char* SymbolStr(char* text) {
    i64 p = cursor + 1;
    while (text[p] == ' ') p++;
    i64 start = p;
    while (text[p] && text[p] != '\'') p++;
    if (text[p] != '\'') {
        errchk = E_UNPAIRED;
        return nullptr;
    }
    i64 end = p;
    while (end > start && text[end - 1] == ' ') end--;
    if (end - start >= NAMESIZE) {
        errchk = E_PARSE;
        return nullptr;
    }
    memcpy(namez, text + start, end - start);
    namez[end - start] = 0;
    cursor = PastBlanks(text, p + 1);
    return namez;
}

// A symbol scalar constant holding id.
static i64 SymbolConst(i64 id) {
    i64 c = Incx('C');
    if (c < 0) return -1;
    ctable[c].type = TSYM;
    ctable[c].rank = 0;
    ctable[c].count = 1;
    ctable[c].dim0 = id;
    return c;
}

static i64 Intern(const char* s) {
    i64 id = getsymbol(s);
    if (id < 0) errchk = E_NAME_START;
    return id;
}

i64 SymbolDot(char* text) {
    if (text[cursor] == '\'') {
        if (!SymbolStr(text)) return -1;
    } else if (Name(text)) {
        return -1;
    }
    i64 id = Intern(namez);
    return id < 0 ? -1 : SymbolConst(id);
}

// Reads the item after a backquote into namez; returns 0 or an error code.
static i64 SymbolItem(char* text) {
    char c = text[cursor];
    namez[0] = 0;
    if (c == '\'') return SymbolStr(text) ? 0 : errchk;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return Name(text);
    if (c && symp[(unsigned char)c]) {
        i64 n = GetSsymb(text, cursor);
        cursor += n;
        if (text[cursor] && symp[(unsigned char)text[cursor]]) return errchk = E_PARSE;
    }
    return 0;
}

i64 Symbols(char* text) {
    i64 cap = 8, n = 0;
    i64* ids = (i64*)malloc(cap * sizeof(i64));
    while (text[cursor] == '`') {
        cursor = PastBlanks(text, cursor + 1);
        i64 rc = SymbolItem(text);
        i64 id = rc ? -1 : Intern(namez);
        if (id < 0) {
            free(ids);
            return -1;
        }
        if (n == cap) {
            cap *= 2;
            ids = (i64*)realloc(ids, cap * sizeof(i64));
        }
        ids[n++] = id;
        cursor = PastBlanks(text, cursor);
    }
    i64 c = n == 1 ? SymbolConst(ids[0]) : Incx('C');
    if (c >= 0 && n > 1) {
        val_item* v = &ctable[c];
        v->type = TSYM;
        v->rank = 1;
        v->count = n;
        v->dim0 = n;
        i64 rc = Updatead1(c, TSYM, n);
        if (rc) {
            errchk = rc;
            c = -1;
        } else {
            v->data = cad0;
            memcpy(v->data, ids, n * sizeof(i64));
        }
    }
    free(ids);
    return c;
}
