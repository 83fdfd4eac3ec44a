// Grade up and grade down: the permutation of origin-based indices that sorts
// the elements of a vector or the rows of a higher-rank array. Equal elements
// keep their order of appearance in both directions; NaN sorts above every
// number, so the comparison is a total order.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "primitives/primitives.h"
#include "values/fcodes.h"
#include "values/registers.h"

// One row: its index and where its elements start.
struct grad_node_sta0 {
    i64 index;
    i64 type;
    i64 len;
    const char* data;
};

static int three_way_i(i64 a, i64 b) { return (a > b) - (a < b); }

// Numbers ascending, NaN after every number, NaNs equal to one another.
static int three_way_d(double a, double b) {
    bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb) return (int)na - (int)nb;
    return (a > b) - (a < b);
}

// Characters compare as signed bytes: codes 128..255 come before 0.
static int three_way_c(signed char a, signed char b) { return (a > b) - (a < b); }

static int row_compare(const grad_node_sta0* x, const grad_node_sta0* y) {
    for (i64 j = 0; j < x->len; j++) {
        int k;
        if (x->type == TCHAR) k = three_way_c((signed char)x->data[j], (signed char)y->data[j]);
        else if (x->type == TFLOAT)
            k = three_way_d(((const double*)x->data)[j], ((const double*)y->data)[j]);
        else k = three_way_i(((const i64*)x->data)[j], ((const i64*)y->data)[j]);
        if (k) return k;
    }
    return 0;
}

// The qsort comparison of two records by cmp, downwards when sign is -1;
// the index breaks ties, so equal keys keep their order in both directions.
template <class Node, int (*cmp)(const Node*, const Node*), int sign>
static int by_key(const void* a, const void* b) {
    const Node* x = static_cast<const Node*>(a);
    const Node* y = static_cast<const Node*>(b);
    int k = cmp(x, y);
    return k ? sign * k : three_way_i(x->index, y->index);
}

// Sorts n records by cmp in direction and writes their indices to out.
template <class Node, int (*cmp)(const Node*, const Node*)>
static void sort_records(Node* recs, i64 n, i64 direction, i64* out) {
    std::qsort(recs, n, sizeof(Node), direction < 0 ? by_key<Node, cmp, -1> : by_key<Node, cmp, 1>);
    for (i64 i = 0; i < n; i++) out[i] = recs[i].index;
}

// ---- elements: a stable radix sort of unsigned keys ------------------------------

constexpr uint64_t SIGN = (uint64_t)1 << 63;

// Unsigned words ordered as the elements they stand for: integers by value,
// doubles by value with -0 equal to 0 and every NaN above every number (and
// equal to the other NaNs), characters as signed bytes.
static uint64_t int_key(i64 x) { return (uint64_t)x ^ SIGN; }

static uint64_t float_key(double d) {
    if (d != d) return UINT64_MAX;
    if (d == 0) d = 0.0;
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return (b & SIGN) ? ~b : b | SIGN;
}

static uint64_t char_key(signed char c) { return (uint64_t)(c + 128); }

// One stable counting pass: the elements of from, ordered by their digit
// of width bits at shift, into to.
template <class E, class Key>
static void radix_pass(const E* from, E* to, i64 n, int shift, int bits, Key key) {
    std::vector<i64> start((size_t)1 << bits, 0);
    uint64_t mask = ((uint64_t)1 << bits) - 1;
    for (i64 i = 0; i < n; i++) start[(key(from[i]) >> shift) & mask]++;
    i64 at = 0;
    for (i64& c : start) {
        i64 k = c;
        c = at;
        at += k;
    }
    for (i64 i = 0; i < n; i++) to[start[(key(from[i]) >> shift) & mask]++] = from[i];
}

// A key with its position, for keys too far apart to share a word with it.
struct keyed {
    uint64_t key;
    i64 pos;
};

constexpr int DIGIT = 8;

// Sorts the positions 0..n-1 by key, stably (equal keys keep their order),
// digit by digit from the lowest, and writes origin + position in sorted
// order to out. Keys within 2^32 of the smallest share one word with their
// position (the key above, the position below), so a pass moves 8 bytes.
static i64 radix_grade(uint64_t* key, i64 n, i64 origin, i64* out) {
    uint64_t lo = UINT64_MAX, hi = 0;
    for (i64 i = 0; i < n; i++) {
        lo = key[i] < lo ? key[i] : lo;
        hi = key[i] > hi ? key[i] : hi;
    }
    uint64_t span = hi - lo;
    int bits = 0;
    while (bits < 64 && (span >> bits) != 0) bits++;
    if (bits <= 32 && n <= ((i64)1 << 32)) {
        uint64_t* other = static_cast<uint64_t*>(GM_new(TINT, n));
        if (!other) return errchk;
        for (i64 i = 0; i < n; i++) key[i] = (key[i] - lo) << 32 | (uint64_t)i;
        auto word = [](uint64_t w) { return w; };
        for (int shift = 32; shift < 32 + bits; shift += DIGIT) {
            radix_pass(key, other, n, shift, DIGIT, word);
            std::swap(key, other);
        }
        for (i64 i = 0; i < n; i++) out[i] = origin + (i64)(key[i] & 0xffffffff);
        return 0;
    }
    keyed* a = static_cast<keyed*>(GM_new(TCHAR, n * (i64)sizeof(keyed)));
    keyed* b = static_cast<keyed*>(GM_new(TCHAR, n * (i64)sizeof(keyed)));
    if (!a || !b) return errchk;
    for (i64 i = 0; i < n; i++) a[i] = {key[i] - lo, i};
    auto field = [](const keyed& k) { return k.key; };
    for (int shift = 0; shift < bits; shift += DIGIT) {
        radix_pass(a, b, n, shift, DIGIT, field);
        std::swap(a, b);
    }
    for (i64 i = 0; i < n; i++) out[i] = origin + a[i].pos;
    return 0;
}

// The sort keys of n elements in scratch, reversed for grading down (equal
// keys still keep their order); nullptr when the scratch cannot be had.
static uint64_t* grade_keys(const void* data, i64 type, i64 n, i64 direction) {
    uint64_t* key = static_cast<uint64_t*>(GM_new(TINT, n));
    if (!key) return nullptr;
    if (type == TFLOAT)
        for (i64 i = 0; i < n; i++) key[i] = float_key(static_cast<const double*>(data)[i]);
    else if (type == TCHAR)
        for (i64 i = 0; i < n; i++) key[i] = char_key(static_cast<const signed char*>(data)[i]);
    else
        for (i64 i = 0; i < n; i++) key[i] = int_key(static_cast<const i64*>(data)[i]);
    if (direction < 0)
        for (i64 i = 0; i < n; i++) key[i] = ~key[i];
    return key;
}

i64 a_grade_new(const void* data, i64 type, i64* out, i64 origin, i64 n, i64 direction) {
    if (n == 1) {
        out[0] = origin;
        return 0;
    }
    uint64_t* key = grade_keys(data, type, n, direction);
    return key ? radix_grade(key, n, origin, out) : errchk;
}

i64 a_grade_new1(const void* data, i64 type, i64* out, i64 origin, i64 n, i64 direction, i64 len) {
    if (n == 1) {
        out[0] = origin;
        return 0;
    }
    i64 width = ElemWidth(type);
    grad_node_sta0* recs =
        static_cast<grad_node_sta0*>(GM_new(TCHAR, n * (i64)sizeof(grad_node_sta0)));
    if (!recs) return errchk;
    for (i64 i = 0; i < n; i++)
        recs[i] = {origin + i, type, len, (const char*)data + i * len * width};
    sort_records<grad_node_sta0, row_compare>(recs, n, direction, out);
    return 0;
}

i64 PfGrade(i64 code, i64 res, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    val_item R = *opnd(rc, rv);
    if (R.rank < 0) return errchk = E_VALUE;
    SetNames(1, 5, res, -1, -1, rc, rv);
    if (R.rank == 0) return errchk = E_RANK;
    if (R.type > TCHAR) return errchk = E_DOMAIN;
    i64 direction = code == FC_GRADEDOWN ? -1 : 1;
    i64 rows = R.rank == 1 ? R.count : R.dim0;
    i64 len = rows > 0 ? R.count / rows : 0;
    // What the sort reads is taken before the result is made, which may
    // take the operand's slot: the keys of a vector, a copy of the rows.
    uint64_t* key = nullptr;
    char* data = nullptr;
    if (R.rank == 1 && rows > 1) {
        key = grade_keys(getptV(&R), R.type, rows, direction);
        if (!key) return errchk;
    } else if (R.rank > 1 && R.count > 0 && rows > 1) {
        i64 bytes = typC(R.type, R.count);
        data = static_cast<char*>(GM_new(TCHAR, bytes));
        if (!data) return errchk;
        std::memcpy(data, getptV(&R), (size_t)bytes);
    }
    if (NewResult(res, TINT, 1, &rows, rows)) return errchk;
    i64* out = static_cast<i64*>(getptV(&vtable[res]));
    if (key) {
        if (radix_grade(key, rows, origin, out)) return errchk;
    } else if (data) {
        if (a_grade_new1(data, R.type, out, origin, rows, direction, len)) return errchk;
    } else {
        // No elements to compare, or a single one: the rows stay in order.
        for (i64 i = 0; i < rows; i++) out[i] = origin + i;
    }
    return errchk = 0;
}
