// Unique (distinct elements in order of first appearance), group (the
// positions of each distinct element) and partition counts (the lengths of
// the segments that the 1s of a boolean vector start).
#include <cstdint>
#include <cstring>

#include "primitives/primitives.h"

// ---- element keys --------------------------------------------------------------

// An element as two words that are equal exactly when the elements are:
// floats compare by value (so 0.0 and -0.0 are one key), complex numbers by
// both parts, every other type by its word. A NaN equals nothing.
struct ekey {
    i64 a, b;
    bool never;
};

static i64 dbl_word(double x) {
    if (x == 0.0) x = 0.0;
    i64 w;
    std::memcpy(&w, &x, 8);
    return w;
}

static ekey key_at(const void* data, i64 type, i64 i) {
    if (type == TCHAR) return {(unsigned char)static_cast<const char*>(data)[i], 0, false};
    if (type == TFLOAT || type == TDATETIME) {
        double x = static_cast<const double*>(data)[i];
        return {dbl_word(x), 0, x != x};
    }
    if (type == TCPLX) {
        const double* z = static_cast<const double*>(data) + 2 * i;
        return {dbl_word(z[0]), dbl_word(z[1]), z[0] != z[0] || z[1] != z[1]};
    }
    return {static_cast<const i64*>(data)[i], 0, false};
}

// Open-addressing table from keys to the number of their class (the order
// of first appearance); twice as many slots as elements, so probes end.
struct keytab {
    i64 mask;
    i64* cls;  // -1: empty slot
    ekey* keys;
};

// False when the table's scratch cannot be had.
static bool keytab_init(keytab* t, i64 n) {
    i64 size = 16;
    while (size < 2 * n) size *= 2;
    t->mask = size - 1;
    t->cls = static_cast<i64*>(GM_new(TINT, size));
    t->keys = static_cast<ekey*>(GM_new(TCHAR, size * (i64)sizeof(ekey)));
    if (!t->cls || !t->keys) return false;
    for (i64 s = 0; s < size; s++) t->cls[s] = -1;
    return true;
}

// The class of key k, or a new class `fresh` entered for it.
static i64 keytab_class(keytab* t, ekey k, i64 fresh) {
    if (k.never) return fresh;
    uint64_t h = (uint64_t)k.a * 0x9E3779B97F4A7C15ull ^ (uint64_t)k.b * 0xC2B2AE3D27D4EB4Full;
    for (i64 s = (i64)(h >> 17) & t->mask;; s = (s + 1) & t->mask) {
        if (t->cls[s] < 0) {
            t->cls[s] = fresh;
            t->keys[s] = k;
            return fresh;
        }
        if (t->keys[s].a == k.a && t->keys[s].b == k.b) return t->cls[s];
    }
}

// Class of every element (row-major) into cls; the first position of each
// class into first. Returns the number of classes, or -1 (E_WS_FULL in
// errchk) when scratch runs out. Lists compare items by deep equality.
static i64 classify(const val_item* v, i64* cls, i64* first) {
    i64 n = v->count, classes = 0;
    if (v->type == TLIST) {
        const val_item* items = items_of(v);
        for (i64 i = 0; i < n; i++) {
            i64 c = 0;
            while (c < classes && !PfCheck1(&items[first[c]], &items[i])) c++;
            if (c == classes) first[classes++] = i;
            cls[i] = c;
        }
        return classes;
    }
    const void* data = getptV(const_cast<val_item*>(v));
    keytab t;
    if (!keytab_init(&t, n)) return -1;
    for (i64 i = 0; i < n; i++) {
        i64 c = keytab_class(&t, key_at(data, v->type, i), classes);
        if (c == classes) first[classes++] = i;
        cls[i] = c;
    }
    return classes;
}

// ---- unique --------------------------------------------------------------------

i64 PfUnique(i64 res, i64 rc, i64 rv) {
    sopnd r;
    if (sopnd_load(&r, rc, rv, res)) return errchk;
    if (r.d.rank < 0) return errchk = E_VALUE;
    if (r.d.type > TTIME) return errchk = E_DOMAIN;
    i64 n = r.d.count;
    i64* cls = static_cast<i64*>(GM_new(TINT, n + 1));
    i64* first = static_cast<i64*>(GM_new(TINT, n + 1));
    if (!cls || !first) return errchk;
    i64 u = n == 0 ? 0 : classify(opnd(rc, rv), cls, first);
    if (u < 0) return errchk;
    return GatherResult(res, r.d.type, 1, &u, u, &r, first);
}

// ---- group ---------------------------------------------------------------------

// The positions of every group, origin-based and ascending, one group after
// the other: group k is at[start[k]] to at[start[k + 1] - 1].
struct group_ctx {
    const i64* at;
    const i64* start;
    val_item item;
};

// Counts each class, then places every position after those of the classes
// before it: one pass over the elements whatever the number of groups.
// E_WS_FULL when its scratch cannot be had.
static i64 group_positions(const i64* cls, i64 n, i64 groups, i64 origin, i64* start, i64* at) {
    for (i64 k = 0; k <= groups; k++) start[k] = 0;
    for (i64 i = 0; i < n; i++) start[cls[i] + 1]++;
    for (i64 k = 0; k < groups; k++) start[k + 1] += start[k];
    i64* next = static_cast<i64*>(GM_new(TINT, groups + 1));
    if (!next) return errchk;
    for (i64 k = 0; k < groups; k++) next[k] = start[k];
    for (i64 i = 0; i < n; i++) at[next[cls[i]]++] = origin + i;
    return 0;
}

// Group k as an integer vector, a view of its positions.
static const val_item* group_item(void* ctx, i64 k) {
    group_ctx* g = static_cast<group_ctx*>(ctx);
    i64 m = g->start[k + 1] - g->start[k];
    const i64* pos = g->at + g->start[k];
    g->item = val_item{};
    g->item.type = TINT;
    g->item.rank = 1;
    g->item.count = m;
    if (m == 1) {
        g->item.dim0 = pos[0];
    } else {
        g->item.dim0 = m;
        g->item.data = reinterpret_cast<char*>(const_cast<i64*>(pos));
    }
    return &g->item;
}

i64 PfGroup(i64 res, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    const val_item* v = opnd(rc, rv);
    if (v->rank < 0) return errchk = E_VALUE;
    if (v->type == TLIST)
        return errchk = ErrSay(E_DOMAIN, "group >. takes a simple vector, not a list");
    if (v->type > TSYM) return errchk = E_DOMAIN;
    if (v->rank > 1) return errchk = E_RANK;
    i64 n = v->count;
    if (n == 1) return PfPack(res, -1, io);  // the origin itself, enclosed
    i64* cls = static_cast<i64*>(GM_new(TINT, n + 1));
    i64* first = static_cast<i64*>(GM_new(TINT, n + 1));
    i64* start = static_cast<i64*>(GM_new(TINT, n + 2));
    i64* at = static_cast<i64*>(GM_new(TINT, n + 1));
    if (!cls || !first || !start || !at) return errchk;
    group_ctx g{at, start, {}};
    // Nothing has no groups: an empty list, as long as the unique of nothing.
    i64 groups = n == 0 ? 0 : classify(v, cls, first);
    if (groups < 0 || group_positions(cls, n, groups, origin, start, at)) return errchk;
    return ListResult(res, 1, &groups, groups, group_item, &g);
}

// ---- partition counts ----------------------------------------------------------

i64 PfParct(i64 res, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    i64 n = opnd(rc, rv)->count;
    if (PfWhere(res, rc, rv, io)) return errchk;
    i64 k = vtable[res].count;
    if (k == 0) return errchk = 0;
    i64* p = static_cast<i64*>(getptV(&vtable[res]));
    for (i64 i = 0; i + 1 < k; i++) p[i] = p[i + 1] - p[i];
    p[k - 1] = n + origin - p[k - 1];
    return errchk = 0;
}
