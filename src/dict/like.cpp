// texts like pattern. The pattern becomes a regular expression anchored at
// both ends ("%" any run of characters, "_" any one character, "." and "\"
// literal, the other metacharacters keeping their meaning), compiled once
// per call with the PCRE2 library and matched against each text.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstring>

#include "dict/dictparts.h"

namespace {

// The compiled pattern and its match data, given back on every path.
struct Matcher {
    pcre2_code* code = nullptr;
    pcre2_match_data* data = nullptr;
    ~Matcher() {
        if (data) pcre2_match_data_free(data);
        if (code) pcre2_code_free(code);
    }
    // 1 match, 0 no match, -1 a failure of the match itself (a limit).
    int Match(const char* text, i64 n) const {
        static const char none[1] = {0};
        int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(n > 0 ? text : none),
                             static_cast<PCRE2_SIZE>(n), 0, 0, data, nullptr);
        if (rc >= 0) return 1;
        return rc == PCRE2_ERROR_NOMATCH ? 0 : -1;
    }
    // Compiles the expression of n characters; false when it does not
    // compile or no match data can be had.
    bool Compile(const char* expr, i64 n, uint32_t options) {
        int err;
        PCRE2_SIZE at;
        code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expr), static_cast<PCRE2_SIZE>(n),
                             options, &err, &at, nullptr);
        if (code) data = pcre2_match_data_create_from_pattern(code, nullptr);
        return data != nullptr;
    }
};

}  // namespace

// The regular expression of a pattern of n characters into expr (room for
// 2n + 3): its length. A run of "%" is one ".*": the same texts match, and
// the matcher backtracks far less.
static i64 PfLikePat(const char* pat, i64 n, char* expr) {
    i64 len = 0;
    expr[len++] = '^';
    for (i64 k = 0; k < n; k++) {
        char c = pat[k];
        if (c == '%') {
            if (k > 0 && pat[k - 1] == '%') continue;
            expr[len++] = '.';
            expr[len++] = '*';
        } else if (c == '_') {
            expr[len++] = '.';
        } else {
            if (c == '.' || c == '\\') expr[len++] = '\\';
            expr[len++] = c;
        }
    }
    expr[len++] = '$';
    expr[len] = 0;
    return len;
}

i64 PfLikeSub(const char* expr, i64 n, const char* text, i64 m) {
    Matcher x;
    if (!x.Compile(expr, n, 0)) return -1;
    return x.Match(text, m) > 0;
}

i64 PfLike(i64 res, const val_item* left, const val_item* right) {
    if (right->type != TCHAR || right->rank > 1) return errchk = E_PATTERN_TYPE;
    i64 n = right->count;
    if (n == 0) return errchk = E_PATTERN;
    char* expr = static_cast<char*>(GM_new(TCHAR, 2 * n + 3));
    if (!expr) return errchk;
    Matcher m;
    // "." takes every character, line ends included; "$" is the very end.
    if (!m.Compile(expr, PfLikePat(BytesOf(right), n, expr), PCRE2_DOTALL | PCRE2_DOLLAR_ENDONLY))
        return errchk = E_PATTERN;
    if (left->type == TLIST) {
        n = left->count;
        i64* hits = static_cast<i64*>(GM_new(TINT, n + 1));
        if (!hits) return errchk;
        for (i64 k = 0; k < n; k++) {
            const val_item* it = ItemOf(left, k);
            hits[k] = it->type == TCHAR ? m.Match(BytesOf(it), it->count) : 0;
            if (hits[k] < 0) return errchk = E_PATTERN;
        }
        if (NewResult(res, TBOOL, 1, &n, n)) return errchk;
        if (n > 0) std::memcpy(getptV(&vtable[res]), hits, n * sizeof(i64));
        return errchk = 0;
    }
    if (left->type != TCHAR) return errchk = E_TYPE;
    if (left->rank > 1)
        return errchk = ErrSay(E_UNDER_CONSTRUCTION,
                               "like takes a text or a list of texts on the left, not a matrix");
    int hit = m.Match(BytesOf(left), left->count);
    if (hit < 0) return errchk = E_PATTERN;
    if (NewResult(res, TBOOL, 0, nullptr, 1)) return errchk;
    vtable[res].dim0 = hit;
    return errchk = 0;
}
