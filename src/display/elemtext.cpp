// Element text: one element of a value to its display text, in the
// interpreter's number syntax ("_" for minus, bare exponents, short forms
// for null and infinity).
#include "datetime/datetime.h"
#include "dict/dict.h"
#include "display/display.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr i64 INTNULL = INT64_MIN;
constexpr i64 INTINF = INT64_MAX;
constexpr i64 PP_DEFAULT = 10;
constexpr i64 PP_MAX = 17;   // a double has no more significant digits
constexpr i64 NUMTEXT = 40;  // room for any one number's text

i64 GenInt(i64 v, char* buf) {
    if (v == INTNULL) return snprintf(buf, NUMTEXT, "0n");
    if (v == INTINF || v == -INTINF) return snprintf(buf, NUMTEXT, v < 0 ? "_0w" : "0w");
    i64 n = snprintf(buf, NUMTEXT, "%" PRId64, v);
    if (buf[0] == '-') buf[0] = '_';
    return n;
}

// The print precision: the element of []PP, kept within 1 to 17.
static int PrintPrecision() {
    val_item* pp = &vtable[SLOT_PP];
    if (pp->rank < 0 || pp->rank > 1 || pp->count != 1) return PP_DEFAULT;
    if (pp->type != TINT && pp->type != TBOOL) return PP_DEFAULT;
    i64 p = pp->dim0;
    if (p < 1) return 1;
    return (int)(p > PP_MAX ? PP_MAX : p);
}

// Rewrites the exponent digits at buf[at..] as a bare integer, written from
// buf[to]: the plus sign and leading zeros vanish.
static void BareExponent(char* buf, i64 at, i64 to) {
    long long e = atoll(buf + at);
    snprintf(buf + to, 8, "%lld", e);
}

i64 GenFloat(double x, char* buf) {
    if (std::isnan(x)) return snprintf(buf, NUMTEXT, "0nf");
    if (std::isinf(x)) return snprintf(buf, NUMTEXT, x < 0 ? "_0wf" : "0wf");
    snprintf(buf, NUMTEXT, "%.*g", PrintPrecision(), x);
    for (i64 i = 0; buf[i]; i++) {
        if (buf[i] == '-') {
            buf[i] = '_';
            if (i > 0 && buf[i - 1] == 'e') {
                BareExponent(buf, i + 1, i + 1);
                break;
            }
        } else if (buf[i] == '+') {
            BareExponent(buf, i + 1, i);
            break;
        }
    }
    return (i64)strlen(buf);
}

// Real part, then "j" and the imaginary part unless that is 0.
static i64 ClexParts(const complex2* z, char* buf) {
    i64 n = GenFloat(z->real, buf);
    if (z->imag != 0 || std::isnan(z->imag)) {
        buf[n++] = 'j';
        n += GenFloat(z->imag, buf + n);
    }
    return n;
}

i64 GenClex(const complex2* z, char* buf) {
    if (std::isnan(z->real)) return snprintf(buf, NUMTEXT, "0nj");
    if (std::isinf(z->real)) return snprintf(buf, NUMTEXT, z->real < 0 ? "_0wj" : "0wj");
    return ClexParts(z, buf);
}

i64 FillClex(const complex2* z, char* buf) { return ClexParts(z, buf); }

// The symbol node of an id, or nullptr when the id names no symbol.
static sym_node* SymbolNode(i64 id) {
    if (id < 0 || id > sindex || psym == nullptr) return nullptr;
    return psym[id];
}

i64 GenSymb(i64 id, char* buf) {
    sym_node* s = SymbolNode(id);
    buf[0] = '`';
    buf[1] = 0;
    if (s == nullptr) return 1;
    memcpy(buf + 1, s->str.text, (size_t)s->str.len + 1);
    return s->str.len + 1;
}

i64 GenLong(i64, char*) { return 0; }

// The length of the last axis of a value of rank 2 or more.
static i64 LastAxis(const val_item* v) {
    if (v->rank == 2) return v->dim1;
    i64 k = v->dim1 + v->rank - 2;
    if (glist == nullptr || v->dim1 < 0 || k >= GLIST_SIZE) return 0;
    return glist[k];
}

// Text of one element of a simple value into buf (ELEMTEXT bytes).
static i64 ElementText(val_item* v, i64 i, char* buf) {
    buf[0] = 0;
    char* at = (char*)getptV(v);
    if (at == nullptr) return 0;
    switch (v->type) {
    case TBOOL:
    case TINT: return GenInt(((i64*)at)[i], buf);
    case TFLOAT: return GenFloat(((double*)at)[i], buf);
    case TCHAR:
        buf[0] = at[i];
        buf[1] = 0;
        return 1;
    case TCPLX: return GenClex((complex2*)at + i, buf);
    case TSYM: {
        sym_node* s = SymbolNode(((i64*)at)[i]);
        return s ? estring_fill(s, buf) : 0;
    }
    case TMONTH:
    case TDATE:
    case TMINUTE:
    case TSECOND:
    case TTIME: return optime1(((i64*)at)[i], v->type, buf);
    case TDATETIME: return optime2(buf, ((double*)at)[i]);
    case TENUM: return FillEnum(v->data, i, buf);
    default: return 0;
    }
}

i64 FillTemp(val_item* v, i64 i, char* buf, i64 width, i64 cap) {
    if (cap < 1) return 0;
    buf[0] = 0;
    i64 len = 0;
    if (isoneV(v)) i = 0;
    if (v->type == TCHAR && v->rank >= 2) {
        // Row i of a character array: as many characters as its last axis.
        i64 c = LastAxis(v);
        if (c > 0 && i >= 0 && i < v->count / c && v->data != nullptr) {
            len = c < cap - 1 ? c : cap - 1;
            memcpy(buf, v->data + i * c, (size_t)len);
        }
    } else if (i >= 0 && i < v->count) {
        char text[ELEMTEXT];
        len = ElementText(v, i, text);
        if (len > cap - 1) len = cap - 1;
        memcpy(buf, text, (size_t)len);
    }
    while (len < width && len < cap - 1) buf[len++] = ' ';
    buf[len] = 0;
    return len;
}

void GenClex2(const char* text, i64 length, i64* a, i64* b) {
    if (length > 0 && text[length - 1] == 'j') {
        // "0nj", "0wj", "_0wj": no imaginary text to align
        *a = length - 1;
        *b = -1;
        return;
    }
    i64 j = 0;
    while (j < length && text[j] != 'j') j++;
    *a = j;
    *b = j < length ? length - j - 1 : 0;
}

i64 FillEnum(const char* data, i64 i, char* buffer) {
    const i64* w = reinterpret_cast<const i64*>(data);
    EnumDom d = EnumResolve(w[0]);
    i64 x = w[2 + i];
    if (x >= 0 && x < d.count) return FillTemp(DomainItems(d), x, buffer, -1);
    return GenInt(x, buffer);
}
