// Text of number vectors in heap strings, the shortening of a number's text,
// and the print form of one double.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "primitives/spare.h"

// Widths and decimals beyond every digit a double can have are cut to this.
constexpr i64 FIELD_MAX = 1100;

static int field(i64 w) {
    return (int)(w > FIELD_MAX ? FIELD_MAX : w < -FIELD_MAX ? -FIELD_MAX : w);
}

// A heap string that doubles its capacity as it grows. who names the routine
// in the failure messages, n is the routine's element count.
struct TextBuf {
    char* s = nullptr;
    i64 len = 0, cap = 0;
    const char* who;
    i64 n;
};

static bool text_start(TextBuf* t) {
    t->cap = 256;
    t->s = static_cast<char*>(spare_realloc(nullptr, (size_t)t->cap));
    if (!t->s) {
        std::printf("malloc failed in %s\n", t->who);
        return false;
    }
    t->s[0] = 0;
    return true;
}

// Room for more bytes after the text and its terminating zero.
static bool text_room(TextBuf* t, i64 more) {
    if (t->len + more + 1 <= t->cap) return true;
    i64 cap = t->cap;
    while (t->len + more + 1 > cap) cap *= 2;
    char* s = static_cast<char*>(spare_realloc(t->s, (size_t)cap));
    if (!s) {
        std::printf("realloc failed in %s, n = %lld\n", t->who, (long long)t->n);
        std::free(t->s);
        t->s = nullptr;
        return false;
    }
    t->s = s;
    t->cap = cap;
    return true;
}

// Appends printf output (at most FIELD_MAX-sized fields, so the length is
// known in advance); false after a failure.
static bool text_printf(TextBuf* t, const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int need = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    bool ok = need >= 0 && text_room(t, need);
    if (ok) {
        std::vsnprintf(t->s + t->len, (size_t)need + 1, format, again);
        t->len += need;
    }
    va_end(again);
    return ok;
}

char* a_fmtI(const i64* x, i64 ignored, i64 n) {
    (void)ignored;
    TextBuf t;
    t.who = "a_fmtD";
    t.n = n;
    if (!text_start(&t)) return nullptr;
    for (i64 i = 0; i < n; i++)
        if (!text_printf(&t, "%lld ", (long long)x[i])) return nullptr;
    if (t.len > 0) t.s[--t.len] = 0;
    return t.s;
}

// Non-finite values as the C library writes them: nan, inf, -inf.
static bool append_double(TextBuf* t, double x, i64 p) {
    double mag = std::fabs(x);
    i64 start = t->len;
    bool ok;
    if (!std::isfinite(x)) ok = text_printf(t, "%f", x);
    else if (mag < 1e-5) ok = text_printf(t, "%*E", field(p), x);
    else {
        i64 e = (i64)std::log10(mag);
        ok = text_printf(t, "%-14.*f", field(mag >= 1 ? p - e - 1 : p - e), x);
    }
    if (!ok || !text_room(t, 1)) return false;
    t->len = start + a_pack(t->s + start, t->cap - start);  // room for its blank made above
    return true;
}

char* a_fmtD(const double* x, i64 p, i64 n) {
    TextBuf t;
    t.who = "a_formatD";
    t.n = n;
    if (!text_start(&t)) return nullptr;
    for (i64 i = 0; i < n; i++)
        if (!append_double(&t, x[i], p)) return nullptr;
    return t.s;
}

// ---- shortening --------------------------------------------------------------------

// New end of a mantissa or fixed number in text[0, end): trailing zeros and
// then a trailing point dropped, only when it has a point (100 stays 100).
static i64 fraction_end(const char* text, i64 end) {
    if (!std::memchr(text, '.', (size_t)end)) return end;
    while (end > 0 && text[end - 1] == '0') end--;
    if (end > 0 && text[end - 1] == '.') end--;
    return end;
}

i64 a_pack(char* text, i64 size) {
    i64 len = (i64)std::strlen(text);
    const char* mark = std::strpbrk(text, "Ee");
    // Kept: the number text[0, body) and, for a non-zero exponent, its mark
    // and sign text[e, signEnd) and its digits from the first non-zero,
    // text[first, len).
    i64 body, e = 0, signEnd = 0, first = 0;
    if (mark) {
        e = mark - text;
        signEnd = e + 1;
        if (text[signEnd] == '+' || text[signEnd] == '-') signEnd++;
        first = signEnd;
        while (text[first] == '0') first++;
        body = fraction_end(text, e);
    } else {
        body = len;
        while (body > 0 && text[body - 1] == ' ') body--;
        body = fraction_end(text, body);
    }
    bool exponent = mark && first < len;  // an exponent of zero is dropped
    i64 out = body + (exponent ? (signEnd - e) + (len - first) : 0);
    if (out == 0) out = 1;
    if (out + 2 > size) return -1;
    if (exponent) {
        std::memmove(text + body, text + e, (size_t)(signEnd - e));
        std::memmove(text + body + (signEnd - e), text + first, (size_t)(len - first));
    }
    if (body == 0 && !exponent) text[0] = '0';
    text[out] = ' ';
    text[out + 1] = 0;
    return out + 1;
}

// ---- one double ----------------------------------------------------------------------

void a_prtD0(double x) {
    if (!std::isfinite(x)) {
        std::printf("%f ", x);
        return;
    }
    char m[64], text[64];
    std::snprintf(m, sizeof m, "%.*E", 7, x);
    const char* mark = std::strchr(m, 'E');
    int E = std::atoi(mark + 1);
    int zeros = 0;
    for (const char* d = mark - 1; *d == '0'; d--) zeros++;
    bool fixed = E <= 6 && (E > -7 || zeros >= -E);
    if (!fixed) std::snprintf(text, sizeof text, "%.*e", 6, x);
    else {
        std::snprintf(text, sizeof text, E >= 1 ? "%#.*f" : "%.*f", 6 - E, x);
        text[fraction_end(text, (i64)std::strlen(text))] = 0;
    }
    std::printf("%s ", text);
}
