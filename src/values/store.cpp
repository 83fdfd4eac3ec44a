// Copying values between descriptors: shapes, whole values, elements,
// selections, lists made from arrays, and catenation of two values.
//
// An allocation may compact the arena, which moves named blocks, and may free
// the block a destination owned. So a copy never reads its source through an
// address taken before it allocates: a source that lives in the arena (or
// shares its block with the destination) is first staged, deep, in ordinary
// memory. Results are built in a local descriptor, which the collector keeps
// up to date as owner of its block, and moved to their destination at the end.
// A destination may be an item of a list that the collections move: it is
// pinned, so the address the copy ends with is where the item went.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "values/internal.h"

static bool in_arena(const void* p) {
    const char* c = static_cast<const char*>(p);
    return heap && c >= heap && c < heap + ARENA_SIZE;
}

// ---- descriptor moves and references ---------------------------------------

void MoveItem(val_item* to, const val_item* from) {
    if (to == from) return;
    *to = *from;
    if (!in_arena(to->data) || to->bytes <= 0 || to->data < heap + r15) return;
    if (to->bytes > ARENA_SIZE - (to->data - heap) - 32) return;
    mem_node* h = reinterpret_cast<mem_node*>(to->data + to->bytes);
    if (h->bytes == to->bytes && h->owner == from) h->owner = to;
}

void DropRef(val_item* item) {
    if (item->bytes > 0 && item->data) RefChange(item, -1);
    item->bytes = 0;
}

// Puts a finished local result t into dst; a named destination first gives up
// the reference it held, so no block keeps naming it as owner.
static void install(val_item* dst, val_item* t, bool named) {
    if (named && dst != t) DropRef(dst);
    MoveItem(dst, t);
}

// Ends a copy: on success t goes to dst; on failure t's blocks are given back
// and dst stays as it was.
static i64 finish(val_item* dst, val_item* t, bool named, i64 e) {
    if (e) {
        if (named) DropRef(t);
        return errchk = e;
    }
    install(dst, t, named);
    return 0;
}

// ---- staging ----------------------------------------------------------------

static void unstage(val_item* s);

// A deep copy of src in ordinary memory; false, with nothing kept, when
// memory runs out.
static bool stage_copy(val_item* out, const val_item* src) {
    *out = *src;
    out->bytes = 0;
    i64 n = DataBytes(src);
    if (n == 0) {
        if (!isoneV(src)) out->data = nullptr;
        return true;
    }
    out->data = static_cast<char*>(std::malloc(static_cast<size_t>(n)));
    if (!out->data) return false;
    std::memcpy(out->data, src->data, n);
    if (!HoldsItems(src->type)) return true;
    for (i64 k = 0; k < src->count; k++) {
        if (stage_copy(&items_of(out)[k], &items_of(src)[k])) continue;
        for (i64 j = 0; j < k; j++) unstage(&items_of(out)[j]);
        std::free(out->data);
        return false;
    }
    return true;
}

static void unstage(val_item* s) {
    if (DataBytes(s) == 0) return;
    if (HoldsItems(s->type))
        for (i64 k = 0; k < s->count; k++) unstage(&items_of(s)[k]);
    std::free(s->data);
}

// Whether reading src after an allocation for dst could read moved or freed
// memory.
static bool needs_stage(const val_item* src, const val_item* dst) {
    if (in_arena(src) || src == dst) return true;
    if (DataBytes(src) == 0) return false;
    return in_arena(src->data) || (dst && src->data == dst->data);
}

// A source that stays readable while the copy allocates. A copy that builds
// its result aside (in a local descriptor) passes no dst: its destination's
// block stays until the result is installed. lost: the staging ran out of
// memory (E_WS_FULL in errchk); the copy must not go on.
struct Source {
    val_item held;
    const val_item* v;
    bool staged;
    bool lost = false;
    Source(const val_item* src, const val_item* dst)
        : held(), v(src), staged(needs_stage(src, dst)) {
        if (!staged) return;
        v = &held;
        if (stage_copy(&held, src)) return;
        staged = false;
        lost = true;
        errchk = E_WS_FULL;
    }
    ~Source() {
        if (staged) unstage(&held);
    }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
};

// ---- shapes -----------------------------------------------------------------

// Appends the axes after the first of a rank > 2 value to glist. The run gets
// room for the strides indexing computes beside it later (2r-2 words), so no
// later writer reaches into the next run.
static i64 copy_run(const val_item* src, i64* start) {
    i64 r = src->rank;
    i64 from = src->dim1;
    if (TakeShapeWords(2 * r - 2, start)) return errchk;
    for (i64 k = 0; k < r - 1; k++) glist[*start + k] = glist[from + k];
    glist[*start + r - 1] = -1;
    for (i64 k = r; k < 2 * r - 2; k++) glist[*start + k] = 0;
    return 0;
}

i64 GenStoreDimv0(val_item* dst, const val_item* src) {
    i64 rank = src->rank, count = src->count, dim0 = src->dim0, dim1 = src->dim1;
    if (rank > 2) {
        i64 e = copy_run(src, &dim1);
        if (e) return e;
    }
    dst->rank = rank;
    dst->count = count;
    if (rank >= 2) {
        dst->dim0 = dim0;
        dst->dim1 = dim1;
    }
    return 0;
}

i64 GenStoreDimv1(val_item* dst, i64 cidx, i64 vidx) {
    return GenStoreDimv0(dst, opnd(cidx, vidx));
}

i64 GenStoreDims(i64 vx, i64 cidx, i64 vidx) {
    return GenStoreDimv0(&vtable[vx], opnd(cidx, vidx));
}

// ---- whole values -----------------------------------------------------------

static i64 copy_value(val_item* dst, const val_item* src, bool named);

// Fills freshly allocated t (cad0 at its data) from the stable source s.
static i64 fill_copy(val_item* t, const val_item* s, bool named) {
    if (isoneV(t)) {
        t->dim0 = s->dim0;
        t->dim1 = s->dim1;
        return 0;
    }
    if (t->rank <= 1) {
        t->dim0 = s->dim0;  // sub-kind of a dictionary, row count of columns
        t->dim1 = s->dim1;
    }
    if (t->count <= 0) return 0;
    if (!HoldsItems(t->type)) {
        std::memcpy(t->data, s->data, typC(t->type, t->count));
        return 0;
    }
    std::memset(t->data, 0, typC(t->type, t->count));
    for (i64 k = 0; k < t->count; k++) {
        val_item item{};
        i64 e = copy_value(&item, &items_of(s)[k], named);
        MoveItem(&items_of(t)[k], &item);
        if (e) return e;
    }
    return 0;
}

// Deep copy of src into the descriptor dst (which owns nothing yet).
static i64 copy_value(val_item* dst, const val_item* src, bool named) {
    if (src->rank == -1) return errchk = E_VALUE;
    Source s(src, nullptr);
    if (s.lost) return errchk;
    val_item t{};
    t.type = s.v->type;
    i64 e = GenStoreDimv0(&t, s.v);
    if (!e) e = Updatead2(&t, named);
    if (!e) e = fill_copy(&t, s.v, named);
    return finish(dst, &t, named, e);
}

i64 GenStoreV2(val_item* dst, val_item* src, bool named) {
    if (src->rank == -1) return errchk = E_VALUE;
    if (isoneV(src)) {
        // The element is in the descriptor: nothing to stage or allocate,
        // so nothing can move dst.
        if (StoreSingleQuick(dst, src)) return 0;
        val_item t{};
        t.type = src->type;
        t.rank = src->rank;
        t.count = src->count;
        t.dim0 = src->dim0;
        t.dim1 = src->dim1;
        install(dst, &t, named);
        return 0;
    }
    PinItem pin(dst);
    // The copy is built aside: dst's own block, even when it is src's, stays
    // until the copy is whole (a shared value copied for a change in place).
    Source s(src, nullptr);
    if (s.lost) return errchk;
    val_item t{};
    return finish(dst, &t, named, copy_value(&t, s.v, named));
}

i64 GenStored(val_item* dst, val_item* src, i64 count, bool named) {
    PinItem pin(dst);
    for (i64 k = 0; k < count; k++) {
        i64 e = GenStoreV2(&dst[k], &src[k], named);
        if (e) return e;
    }
    return 0;
}

// n copies of the single element at from, of the given type, written at to.
static void spread(char* to, const char* from, i64 type, i64 n) {
    i64 w = ElemWidth(type);
    for (i64 k = 0; k < n; k++) std::memcpy(to + k * w, from, w);
}

static i64 copy_spread(val_item* dst, const val_item* src, i64 n, bool named);

static i64 fill_spread(val_item* t, const val_item* s, i64 n, bool named) {
    if (!HoldsItems(t->type)) return fill_copy(t, s, named);
    if (t->rank <= 1) t->dim0 = s->dim0;
    if (t->count <= 0) return 0;
    std::memset(t->data, 0, typC(t->type, t->count));
    for (i64 k = 0; k < t->count; k++) {
        val_item item{};
        i64 e = t->type == TLIST ? copy_spread(&item, &items_of(s)[k], n, named)
                                 : copy_value(&item, &items_of(s)[k], named);
        MoveItem(&items_of(t)[k], &item);
        if (e) return e;
    }
    return 0;
}

static i64 copy_spread(val_item* dst, const val_item* src, i64 n, bool named) {
    if (src->rank == -1) return errchk = E_VALUE;
    Source s(src, nullptr);
    if (s.lost) return errchk;
    val_item t{};
    t.type = s.v->type;
    i64 e = 0;
    if (isoneV(s.v)) {
        t.rank = 1;
        t.count = n;
        e = Updatead2(&t, named);
        if (!e && n > 0) spread(cad0, reinterpret_cast<const char*>(&s.v->dim0), t.type, n);
        if (!e && !isoneV(&t)) t.dim0 = n;
    } else {
        e = GenStoreDimv0(&t, s.v);
        if (!e) e = Updatead2(&t, named);
        if (!e) e = fill_spread(&t, s.v, n, named);
    }
    return finish(dst, &t, named, e);
}

// A single element becomes n copies; lists spread their items the same way.
// Dictionaries and tables are copied whole, parts included, so no two values
// ever share the blocks of their parts uncounted.
i64 GenStoreX(val_item* dst, val_item* src, i64 n, bool named) {
    if (src->rank == -1) return errchk = E_VALUE;
    PinItem pin(dst);
    Source s(src, dst);
    if (s.lost) return errchk;
    val_item t{};
    return finish(dst, &t, named, copy_spread(&t, s.v, n, named));
}

i64 GenStoreB(val_item* dst, i64 vx) {
    val_item* from = &vtable[vx];
    if (dst == from) return 0;
    MoveItem(dst, from);
    *from = val_item{};
    from->rank = -1;
    return 0;
}

i64 GenStoreDt(i64 vx, val_item* item, i64 n) {
    if (!isoneV(item) || n == 1) return GenStoreV0(vx, item);
    val_item one = *item;  // the element is inline: no block to lose
    vtable[vx].type = one.type;
    i64 e = Updatead0(vx, one.type, 1, n);
    if (e) return errchk = e;
    if (n > 0) spread(cad0, reinterpret_cast<const char*>(&one.dim0), one.type, n);
    if (!isoneV(&vtable[vx])) vtable[vx].dim0 = n;
    return 0;
}

// ---- elements -----------------------------------------------------------------

i64 GenStoreV3(val_item* dst, val_item* src, i64 i, bool named) {
    if (src->type == TLIST || src->type > 90) return GenStoreV2(dst, &items_of(src)[i], named);
    if (src->type >= TDATE) return errchk = E_DOMAIN;
    i64 w = ElemWidth(src->type);
    char elem[16] = {};
    std::memcpy(elem, static_cast<char*>(getptV(src)) + i * w, w);
    if (named) DropRef(dst);
    *dst = val_item{};
    dst->type = src->type;
    dst->rank = 1;
    dst->count = 1;
    std::memcpy(&dst->dim0, elem, w);
    return 0;
}

i64 GenStoreV4(val_item* dst, i64 i, val_item* src, i64 j) {
    i64 t = src->type;
    if (t == TLIST || t > 12) return 0;
    i64 w = ElemWidth(t);
    char* to = static_cast<char*>(getptV(dst));
    const char* from = static_cast<char*>(getptV(src));
    if (to && from) std::memmove(to + i * w, from + j * w, w);
    return 0;
}

// ---- selections -----------------------------------------------------------------

// Copies unit k of s (an element, or a row of w elements) to place p of t.
static i64 copy_unit(val_item* t, i64 p, const val_item* s, i64 k, i64 w, bool named) {
    i64 ew = ElemWidth(s->type);
    if (s->type == TLIST) {
        for (i64 j = 0; j < w; j++) {
            val_item item{};
            i64 e = copy_value(&item, &items_of(s)[k * w + j], named);
            MoveItem(&items_of(t)[p * w + j], &item);
            if (e) return e;
        }
        return 0;
    }
    const char* from = static_cast<const char*>(getptV(const_cast<val_item*>(s)));
    std::memcpy(static_cast<char*>(getptV(t)) + p * w * ew, from + k * w * ew, w * ew);
    return 0;
}

static i64 select_units(val_item* t, const val_item* s, const i64* idx, i64 n, i64 w, bool same,
                        bool named) {
    if (t->count <= 0) return 0;
    if (t->type == TLIST) std::memset(t->data, 0, typC(TLIST, t->count));
    for (i64 k = 0; k < n; k++) {
        i64 e = copy_unit(t, k, s, same ? idx[0] : idx[k], w, named);
        if (e) return e;
    }
    if (t->type == TCHAR && !isoneV(t)) t->data[t->count] = 0;
    return 0;
}

i64 GenStoreDp(i64 vx, val_item* item, const i64* idx, i64 n, i64 repeat) {
    if (item->rank > 2) return errchk = E_DOMAIN;
    if (item->type > 12) return errchk = E_DOMAIN;
    bool named = isnamedslot(vx);
    Source s(item, &vtable[vx]);
    if (s.lost) return errchk;
    bool same = repeat || (isoneV(s.v) && n != 1);
    i64 w = s.v->rank == 2 ? s.v->dim1 : 1;
    i64 rank = s.v->rank == 2 ? 2 : (n != 1 ? 1 : s.v->rank);
    val_item t{};
    t.type = s.v->type;
    t.rank = rank;
    t.count = n * w;
    i64 e = Updatead2(&t, named);
    if (!e && rank == 2) {
        t.dim0 = n;
        t.dim1 = w;
    } else if (!e && !isoneV(&t)) {
        t.dim0 = t.count;
    }
    if (!e) e = select_units(&t, s.v, idx, n, w, same, named);
    return finish(&vtable[vx], &t, named, e);
}

i64 Savea(val_item* dst, val_item* src, i64* idx, i64 n, bool named) {
    // Dates and times are 8-byte words, copied like integers.
    if (src->type > TTIME) return errchk = E_DOMAIN;
    PinItem pin(dst);
    Source s(src, dst);
    if (s.lost) return errchk;
    i64 w = s.v->rank == 2 ? s.v->dim1 : 1;
    for (i64 k = 0; s.v->rank > 2 && k < s.v->rank - 1; k++) w *= glist[s.v->dim1 + k];
    val_item t{};
    t.type = s.v->type;
    t.rank = 1;
    t.count = n * w;
    i64 e = Updatead2(&t, named);
    if (!e && !isoneV(&t)) t.dim0 = t.count;
    if (!e) e = select_units(&t, s.v, idx, n, w, false, named);
    return finish(dst, &t, named, e);
}

// ---- lists made from arrays -------------------------------------------------------

// t := a fresh vector of n elements of the given type.
static i64 new_vector(val_item* t, i64 type, i64 n, bool named) {
    *t = val_item{};
    t->type = type;
    t->rank = 1;
    t->count = n;
    i64 e = Updatead2(t, named);
    if (!e && n > 0 && !isoneV(t)) t->dim0 = n;
    return e;
}

i64 GenStorePar1(val_item* dst, i64 cidx, i64 vidx, bool named) {
    PinItem pin(dst);
    Source s(opnd(cidx, vidx), dst);
    if (s.lost) return errchk;
    if (s.v->rank == -1) return errchk = E_VALUE;
    i64 n = s.v->count;
    val_item t;
    i64 e = new_vector(&t, TLIST, n, named);
    if (!e && n > 0 && s.v->type != TLIST && s.v->type <= 12) {
        i64 w = ElemWidth(s.v->type);
        const char* from = static_cast<const char*>(getptV(const_cast<val_item*>(s.v)));
        for (i64 k = 0; k < n; k++) {
            val_item* item = &items_of(&t)[k];
            item->type = s.v->type;
            item->rank = 1;
            item->count = 1;
            std::memcpy(&item->dim0, from + k * w, w);
        }
    }
    return finish(dst, &t, named, e);
}

i64 GenStorePar2(val_item* dst, i64 cidx, i64 vidx, bool named) {
    return GenStorePar2V(dst, opnd(cidx, vidx), named);
}

i64 GenStorePar2V(val_item* dst, val_item* src, bool named) {
    if (src->rank != 2) return 0;
    if (src->type > 12) return errchk = E_DOMAIN;
    PinItem pin(dst);
    Source s(src, dst);
    if (s.lost) return errchk;
    i64 rows = s.v->dim0;
    i64 w = rows > 0 ? s.v->count / rows : 0;
    val_item t;
    i64 e = new_vector(&t, TLIST, rows, named);
    for (i64 r = 0; !e && r < rows; r++) {
        val_item row;
        e = new_vector(&row, s.v->type, w, named);
        if (!e) e = select_units(&row, s.v, &r, 1, w, false, named);
        if (e && named) DropRef(&row);
        if (!e) MoveItem(&items_of(&t)[r], &row);
    }
    return finish(dst, &t, named, e);
}

// Element k of a boolean, integer, float or complex value as the type `to`.
static void widen_elem(char* out, const val_item* v, i64 k, i64 to) {
    const char* p = static_cast<const char*>(getptV(const_cast<val_item*>(v)));
    if (to == TINT) {
        std::memcpy(out, p + 8 * k, 8);  // a boolean's word is its integer
        return;
    }
    double re = 0, im = 0;
    if (v->type == TCPLX) {
        std::memcpy(&re, p + 16 * k, 8);
        std::memcpy(&im, p + 16 * k + 8, 8);
    } else if (v->type == TFLOAT) {
        std::memcpy(&re, p + 8 * k, 8);
    } else {
        i64 x;
        std::memcpy(&x, p + 8 * k, 8);
        re = static_cast<double>(x);
    }
    std::memcpy(out, &re, 8);
    if (to == TCPLX) std::memcpy(out + 8, &im, 8);
}

i64 GenStoreXt(val_item* item, i64 type, bool named) {
    PinItem pin(item);
    Source s(item, item);
    if (s.lost) return errchk;
    val_item t = *s.v;
    t.type = type;
    t.bytes = 0;
    t.data = nullptr;
    i64 e = Updatead2(&t, named);
    if (!e && t.count > 0) {
        char* to = static_cast<char*>(getptV(&t));
        if (!isoneV(&t)) std::memset(to, 0, typC(type, t.count));
        else t.dim0 = t.dim1 = 0;
        // Numbers keep their values in the wider numeric type.
        bool numeric = s.v->type <= TFLOAT || s.v->type == TCPLX;
        if (numeric && (type == TINT || type == TFLOAT || type == TCPLX))
            for (i64 k = 0; k < t.count; k++) widen_elem(to + k * ElemWidth(type), s.v, k, type);
    }
    return finish(item, &t, named, e);
}

// ---- catenation of two values -------------------------------------------------------

static i64 cat_lists(val_item* t, const val_item* a, const val_item* b, bool named) {
    if (b->type != TLIST || b->count < a->count) return errchk = E_LENGTH;
    t->type = TLIST;
    t->rank = 1;
    t->count = a->count;
    i64 e = Updatead2(t, named);
    if (!e && t->count > 0) t->dim0 = t->count;
    for (i64 k = 0; !e && k < a->count; k++) {
        val_item item{};
        e = GenStoreG(&item, &items_of(a)[k], &items_of(b)[k], named);
        MoveItem(&items_of(t)[k], &item);
    }
    return e;
}

// Character rows of width n from a side of rank below 2: one per character.
static void spread_rows(char* to, const val_item* v, i64 n) {
    const char* c = static_cast<const char*>(getptV(const_cast<val_item*>(v)));
    for (i64 k = 0; k < v->count; k++) {
        std::memset(to + k * n, ' ', n);
        to[k * n] = c[k];
    }
}

static i64 cat_char_rows(val_item* t, const val_item* a, const val_item* b, bool named) {
    i64 n = a->rank == 2 ? a->dim1 : b->dim1;
    if (a->rank == 2 && b->rank == 2 && a->dim1 != b->dim1) return errchk = E_LENGTH;
    i64 ra = a->rank == 2 ? a->dim0 : a->count, rb = b->rank == 2 ? b->dim0 : b->count;
    t->type = TCHAR;
    t->rank = 2;
    t->count = (ra + rb) * n;
    i64 e = Updatead2(t, named);
    if (e) return e;
    t->dim0 = ra + rb;
    t->dim1 = n;
    if (t->count == 0) return 0;
    char* to = static_cast<char*>(getptV(t));
    const val_item* side[2] = {a, b};
    for (const val_item* v : side) {
        i64 rows = v->rank == 2 ? v->dim0 : v->count;
        if (rows * n == 0) continue;  // an empty side may have no data at all
        if (v->rank == 2) std::memcpy(to, getptV(const_cast<val_item*>(v)), rows * n);
        else spread_rows(to, v, n);
        to += rows * n;
    }
    if (!isoneV(t)) t->data[t->count] = 0;
    return 0;
}

static i64 cat_plain(val_item* t, const val_item* a, const val_item* b, bool named) {
    bool intpair = a->type <= TINT && b->type <= TINT;
    i64 type = a->type > b->type ? a->type : b->type;
    if (a->type != b->type && !intpair && (a->type > TCPLX || b->type > TCPLX || type == TCHAR))
        return errchk = E_DOMAIN;
    if (type > 12 || type == TLIST) return errchk = E_DOMAIN;
    if (type == TCHAR && (a->rank == 2 || b->rank == 2)) return cat_char_rows(t, a, b, named);
    t->type = type;
    t->rank = 1;
    t->count = a->count + b->count;
    i64 e = Updatead2(t, named);
    if (e || t->count == 0) return e;
    if (!isoneV(t)) t->dim0 = t->count;
    char* to = static_cast<char*>(getptV(t));
    i64 w = ElemWidth(type);
    const val_item* side[2] = {a, b};
    for (const val_item* v : side) {
        if (v->count == 0) continue;  // an empty side may have no data at all
        if (v->type == type || intpair)
            std::memcpy(to, getptV(const_cast<val_item*>(v)), v->count * w);
        else
            for (i64 k = 0; k < v->count; k++) widen_elem(to + k * w, v, k, type);
        to += v->count * w;
    }
    if (type == TCHAR && !isoneV(t)) t->data[t->count] = 0;
    return 0;
}

i64 GenStoreG(val_item* dst, val_item* a, val_item* b, bool named) {
    if (a->rank == -1 || b->rank == -1) return errchk = E_VALUE;
    PinItem pin(dst);
    Source sa(a, dst), sb(b, dst);
    if (sa.lost || sb.lost) return errchk;
    val_item t{};
    i64 e;
    if (sa.v->type == TLIST) e = cat_lists(&t, sa.v, sb.v, named);
    else e = cat_plain(&t, sa.v, sb.v, named);
    return finish(dst, &t, named, e);
}

// ---- checks -------------------------------------------------------------------------

static i64 check_items(const val_item* v) {
    if (v->rank == -1) return E_VALUE;
    if (v->type != TLIST) return 0;
    for (i64 k = 0; k < v->count; k++)
        if (check_items(&items_of(v)[k])) return E_VALUE;
    return 0;
}

i64 ChkRight6(i64 vx) { return check_items(&vtable[vx]); }

// ---- copies into value slots ----------------------------------------------------------

// A named slot is rebuilt aside and replaced only when the copy is whole; a
// temporary slot is filled in place through the result allocator.
static i64 store_slot(i64 dest, val_item* src) {
    if (src->rank == -1) return errchk = E_VALUE;
    val_item* d = &vtable[dest];
    if (isnamedslot(dest)) return GenStoreV2(d, src, true);
    if (isoneV(src) && !needs_stage(src, d)) {
        // A single element held in its descriptor: what the steps below
        // leave (shape, element, cursors at the element), without them.
        d->type = src->type;
        d->rank = src->rank;
        d->count = src->count;
        d->dim0 = src->dim0;
        d->dim1 = src->dim1;
        cad0 = reinterpret_cast<char*>(&d->dim0);
        SetCursors(d->type, cad0);
        return 0;
    }
    Source s(src, d);
    if (s.lost) return errchk;
    d->type = s.v->type;
    i64 e = GenStoreDimv0(d, s.v);
    if (!e) e = Updatead0(dest, d->type, d->rank, d->count);
    if (!e) e = fill_copy(d, s.v, false);
    if (e) errchk = e;
    return e;
}

i64 GenStore(i64 dest, i64 c, i64 v) {
    errchk = store_slot(dest, opnd(c, v));
    return errchk;
}

i64 GenStoreV0(i64 slot, val_item* src) { return store_slot(slot, src); }

i64 GenStoreV1(val_item* dst, i64 c, i64 v, bool named) {
    if (c < 0 && v == 0) {
        if (named) DropRef(dst);
        *dst = val_item{};
        dst->type = TINT;
        dst->rank = 1;
        return 0;
    }
    val_item* src = opnd(c, v);
    if (src->rank == -1) return errchk = E_VALUE;
    return GenStoreV2(dst, src, named);
}

i64 BeforeIndexA(i64 slot) {
    i64 before = RefChange(&vtable[slot], 0);
    if (before <= 1) return 0;
    // Without its own copy the change would reach every name sharing it.
    if (GenStore(slot, -1, slot)) return errchk;
    i64 after = RefChange(&vtable[slot], 0);
    std::fprintf(stderr, "cnt=%" PRId64 ", after=%" PRId64 "\n", before, after);
    return 0;
}
