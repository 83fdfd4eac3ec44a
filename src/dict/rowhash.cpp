// The row hash of tables and keys: one hash per cell, folded over the
// columns of a row, and open-addressing slot arrays sized from a fixed list.
// A key (one value per key column) hashes like a row that equals it: equal
// cells hash alike whatever column kind holds them (0.0 and -0.0 included).
#include <cmath>
#include <cstring>

#include "dict/dictparts.h"

namespace {

constexpr u64 FOLD = 0x9e3779b97f4a7c15ULL;  // odd: folding keeps every bit
constexpr u64 NANHASH = 0x7ff8dead;          // every NaN starts at one slot

u64 mix64(u64 k) {
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdULL;
    k ^= k >> 33;
    k *= 0xc4ceb9fe1a85ec53ULL;
    k ^= k >> 33;
    return k;
}

// Folding one more hash in; folding into 0 gives the hash itself, so a
// one-column row hashes like its single cell.
u64 fold(u64 h, u64 x) { return h * FOLD + x; }

u64 double_hash(double x) {
    if (std::isnan(x)) return mix64(NANHASH);
    if (x == 0.0) return mix64(0);
    u64 b;
    std::memcpy(&b, &x, sizeof b);
    return mix64(b);
}

u64 bytes_hash(const char* p, i64 n) {
    u64 h = 14695981039346656037ULL;
    for (i64 k = 0; k < n; k++) h = (h ^ (unsigned char)p[k]) * 1099511628211ULL;
    return mix64(h);
}

// Hash of element k of a simple value (characters as one-byte texts).
u64 elem_hash(const val_item* v, i64 k) {
    switch (v->type) {
    case TCHAR: return bytes_hash(BytesOf(v) + k, 1);
    case TFLOAT:
    case TDATETIME: return double_hash(reinterpret_cast<const double*>(BytesOf(v))[k]);
    case TCPLX: {
        const double* z = reinterpret_cast<const double*>(BytesOf(v)) + 2 * k;
        return fold(double_hash(z[0]), double_hash(z[1]));
    }
    default: return mix64(static_cast<u64>(WordsOf(v)[k]));
    }
}

i64 elem_at(const val_item* v, i64 r) { return isoneV(v) ? 0 : r; }

}  // namespace

u64 ValueHash(const val_item* v) {
    if (v->type == TLIST || v->type > TTIME) {
        u64 h = 0;
        if (v->type == TLIST)
            for (i64 k = 0; k < v->count; k++) h = fold(h, ValueHash(ItemOf(v, k)));
        else if (v->type == TENUM)
            for (i64 k = 0; k < v->count; k++) h = fold(h, elem_hash(v, k));
        return h;
    }
    if (v->type == TCHAR) return bytes_hash(BytesOf(v), v->count);
    if (v->count <= 0) return 0;
    if (v->count == 1) return elem_hash(v, 0);
    u64 h = 0;
    for (i64 k = 0; k < v->count; k++) h = fold(h, elem_hash(v, k));
    return h;
}

// Cell r of a column: an item of a list column whole, a row of a character
// matrix as its text, else one element.
static u64 cell_hash(const val_item* col, i64 r) {
    if (col->type == TLIST) return ValueHash(ItemOf(col, r));
    if (col->rank > 1) {
        i64 w = col->dim1;
        return bytes_hash(BytesOf(col) + r * w, w);
    }
    if (col->type > TTIME && col->type != TENUM) return 0;
    return elem_hash(col, elem_at(col, r));
}

u64 RowHash(const val_item* cols, i64 ncols, i64 r) {
    u64 h = 0;
    for (i64 c = 0; c < ncols; c++) h = fold(h, cell_hash(ItemOf(cols, c), r));
    return h;
}

// Two elements of the same type: doubles exactly (NaN equals nothing),
// complex numbers by both parts, others by their words or bytes.
static bool elem_same(const val_item* a, i64 i, const val_item* b, i64 j) {
    switch (a->type) {
    case TCHAR: return BytesOf(a)[i] == BytesOf(b)[j];
    case TFLOAT:
    case TDATETIME:
        return reinterpret_cast<const double*>(BytesOf(a))[i] ==
               reinterpret_cast<const double*>(BytesOf(b))[j];
    case TCPLX: {
        const double* x = reinterpret_cast<const double*>(BytesOf(a)) + 2 * i;
        const double* y = reinterpret_cast<const double*>(BytesOf(b)) + 2 * j;
        return x[0] == y[0] && x[1] == y[1];
    }
    default: return WordsOf(a)[i] == WordsOf(b)[j];
    }
}

i64 sameH(const val_item* a, const val_item* b) {
    if (a->type != TCHAR || b->type != TCHAR || a->count != b->count) return 0;
    return a->count == 0 || std::memcmp(BytesOf(a), BytesOf(b), a->count) == 0;
}

bool CellSame(const val_item* a, i64 r, const val_item* b, i64 s) {
    if (a->type == TLIST) {
        const val_item* q = s < 0 ? b : b->type == TLIST ? ItemOf(b, s) : nullptr;
        return q && sameH(ItemOf(a, r), q);
    }
    if (a->type != b->type) return false;
    if (a->rank > 1) {
        i64 w = a->dim1;
        if (s < 0) return b->count == w && std::memcmp(BytesOf(a) + r * w, BytesOf(b), w) == 0;
        return b->rank > 1 && b->dim1 == w &&
               std::memcmp(BytesOf(a) + r * w, BytesOf(b) + s * w, w) == 0;
    }
    if (a->type > TTIME && a->type != TENUM) return false;
    if (s < 0) return b->count == 1 && b->rank <= 1 && elem_same(a, elem_at(a, r), b, 0);
    if (b->rank > 1) return false;
    return elem_same(a, elem_at(a, r), b, elem_at(b, s));
}

bool RowIsKey(const val_item* cols, i64 ncols, i64 r, const val_item* key) {
    bool list = key->type == TLIST;
    if (list && key->count != ncols) return false;
    if (!list && ncols != 1) return false;
    for (i64 c = 0; c < ncols; c++)
        if (!CellSame(ItemOf(cols, c), r, list ? ItemOf(key, c) : key, -1)) return false;
    return true;
}

static bool rows_same(const val_item* a, i64 r, const val_item* b, i64 s, i64 ncols) {
    for (i64 c = 0; c < ncols; c++)
        if (!CellSame(ItemOf(a, c), r, ItemOf(b, c), s)) return false;
    return true;
}

// ---- the sizes of slot arrays ------------------------------------------------------

static const i64 primes[] = {7,      17,     37,     79,      163,     331,    673,
                             1361,   2729,   4711,   10949,   21911,   43853,  87719,
                             175447, 350899, 701819, 1403641, 2807303, 5614657};

i64 get_prime(i64 n) {
    for (i64 p : primes)
        if (n < p) return 2 * p;
    // Past the list the array keeps growing with the rows.
    return 2 * n + 1;
}

// ---- slot arrays --------------------------------------------------------------------

static i64 start_slot(u64 h, i64 size) {
    return static_cast<i64>(mix64(h) % static_cast<u64>(size));
}

// False (E_WS_FULL in errchk) when the slots cannot be had.
static bool new_slots(RowIndex* x, const val_item* cols, i64 ncols, i64 rows) {
    x->cols = cols;
    x->ncols = ncols;
    x->size = get_prime(rows);
    x->slots = static_cast<RowSlot*>(GM_new(TCHAR, x->size * static_cast<i64>(sizeof(RowSlot))));
    if (!x->slots) return false;
    for (i64 h = 0; h < x->size; h++) x->slots[h] = RowSlot{-1, 0};
    return true;
}

// Linear probing from the hash's start slot: the slot of the first row of
// that hash the test accepts, or the empty slot that ends the probe. The
// hash kept beside each row spares reading rows that cannot be equal.
template <class Same>
static i64 probe(const RowIndex* x, u64 hash, Same same) {
    i64 h = start_slot(hash, x->size);
    for (; x->slots[h].row >= 0; h = h + 1 == x->size ? 0 : h + 1)
        if (x->slots[h].hash == hash && same(x->slots[h].row)) break;
    return h;
}

// Enters row r unless an equal row is there; false when one is.
static bool enter_row(RowIndex* x, i64 r) {
    u64 hash = RowHash(x->cols, x->ncols, r);
    i64 h = probe(x, hash, [&](i64 q) { return rows_same(x->cols, q, x->cols, r, x->ncols); });
    if (x->slots[h].row >= 0) return false;
    x->slots[h] = RowSlot{r, hash};
    return true;
}

bool RowIndexBuild(RowIndex* x, const val_item* cols, i64 ncols, i64 rows) {
    if (!new_slots(x, cols, ncols, rows)) return false;
    for (i64 r = 0; r < rows; r++) enter_row(x, r);
    return true;
}

i64 RowIndexKey(const RowIndex* x, const val_item* key) {
    i64 h = probe(x, ValueHash(key), [&](i64 q) { return RowIsKey(x->cols, x->ncols, q, key); });
    return x->slots[h].row;
}

i64 RowIndexRow(const RowIndex* x, const val_item* other, i64 s) {
    i64 h = probe(x, RowHash(other, x->ncols, s),
                  [&](i64 q) { return rows_same(x->cols, q, other, s, x->ncols); });
    return x->slots[h].row;
}

i64 isValUQ(const val_item* cols, i64 rows, i64 ncols) {
    RowIndex x;
    if (!new_slots(&x, cols, ncols, rows)) return -1;
    for (i64 r = 0; r < rows; r++)
        if (!enter_row(&x, r)) return 0;
    return 1;
}

i64 NewRowsUnique(const val_item* cols, i64 ncols, i64 old, i64 total) {
    RowIndex x;
    if (!new_slots(&x, cols, ncols, total - old)) return -1;
    for (i64 r = old; r < total; r++)
        if (!enter_row(&x, r)) return 0;
    for (i64 r = 0; r < old; r++)
        if (RowIndexRow(&x, cols, r) >= 0) return 0;
    return 1;
}
