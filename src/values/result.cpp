// Results of the primitives: result allocation from a shape, results built
// from a source by an index map (simple elements copied by width, list
// items deep-copied), the conformability check of dyadic scalar calls and
// the check of the []IO slot.
#include <cstdlib>
#include <cstring>

#include "values/operand.h"
#include "values/registers.h"

i64 ShapeCount(const i64* dims, i64 rank, i64 type, i64* count) {
    i64 n = 1;
    bool over = false;
    for (i64 k = 0; k < rank; k++) {
        if (dims[k] == 0) {
            *count = 0;
            return 0;
        }
        if (!over && __builtin_mul_overflow(n, dims[k], &n)) over = true;
    }
    if (over) return errchk = E_WS_FULL;
    *count = n;
    return CheckSize(type, n);
}

i64 NewResult(i64 res, i64 type, i64 rank, const i64* dims, i64 count) {
    i64 run;
    if (shape_run(dims, rank, &run)) return errchk;
    ttyp = type;
    vtable[res].type = type;
    if (Updatead0(res, type, rank, count)) return errchk;
    shape_set(res, dims, rank, run);
    return errchk = 0;
}

// Copies element map[k] (or the fill) of width W for every k.
template <int W>
static void gather_w(char* to, const char* from, const i64* map, i64 n, char fill) {
    for (i64 k = 0; k < n; k++) {
        if (map[k] < 0) std::memset(to + k * W, fill, W);
        else std::memcpy(to + k * W, from + map[k] * W, W);
    }
}

struct map_ctx {
    const sopnd* src;
    const i64* map;
};

static const val_item* map_item(void* ctx, i64 k) {
    map_ctx* m = static_cast<map_ctx*>(ctx);
    return m->map[k] < 0 ? nullptr : OperandItem(m->src, m->map[k]);
}

i64 GatherResult(i64 res, i64 type, i64 rank, const i64* dims, i64 count, const sopnd* src,
                 const i64* map) {
    // A map that could not be made (its scratch ran out) fails the result.
    if (count > 0 && !map) return errchk = E_WS_FULL;
    if (type == TLIST) {
        map_ctx m = {src, map};
        return ListResult(res, rank, dims, count, map_item, &m);
    }
    if (NewResult(res, type, rank, dims, count)) return errchk;
    if (count == 0) return 0;
    sopnd_refresh(const_cast<sopnd*>(src));
    char* to = static_cast<char*>(getptV(&vtable[res]));
    const char* from = static_cast<const char*>(src->p);
    char fill = type == TCHAR ? ' ' : 0;
    switch (ElemWidth(type)) {
    case 1: gather_w<1>(to, from, map, count, fill); break;
    case 16: gather_w<16>(to, from, map, count, fill); break;
    default: gather_w<8>(to, from, map, count, fill); break;
    }
    return errchk = 0;
}

i64 NewList(i64 res, i64 n) {
    vtable[res].type = TLIST;
    if (Updatead0(res, TLIST, 1, n)) return errchk;
    vtable[res].dim0 = n;
    return 0;
}

const val_item* OperandItem(const sopnd* o, i64 k) {
    return reinterpret_cast<const val_item*>(opnd(o->c, o->v)->data) + k;
}

// Gives back the items copied so far when a list result cannot be finished.
static i64 drop_items(val_item* items, i64 n, bool named, i64 e) {
    if (named)
        for (i64 k = 0; k < n; k++) DropRef(&items[k]);
    std::free(items);
    return errchk = e;
}

i64 ListResult(i64 res, i64 rank, const i64* dims, i64 n, item_source get, void* ctx) {
    bool named = isnamedslot(res);
    // The items are built aside, in memory no collection moves, so that the
    // operands stay whole (even when one of them is the result slot) until
    // every item is copied.
    val_item* items =
        n > 0 ? static_cast<val_item*>(std::calloc((size_t)n, sizeof(val_item))) : nullptr;
    if (n > 0 && !items) return errchk = E_WS_FULL;
    for (i64 k = 0; k < n; k++) {
        const val_item* s = get(ctx, k);
        if (!s) {
            items[k].type = TINT;
            items[k].rank = 1;
            continue;
        }
        i64 e = GenStoreV2(&items[k], const_cast<val_item*>(s), named);
        if (e) return drop_items(items, k, named, e);
    }
    if (NewResult(res, TLIST, rank, dims, n)) return drop_items(items, n, named, errchk);
    val_item* out = reinterpret_cast<val_item*>(vtable[res].data);
    for (i64 k = 0; k < n; k++) MoveItem(&out[k], &items[k]);
    std::free(items);
    return errchk = 0;
}

// Equal shapes of two non-single operands: 0, 2 (rank) or 3 (length).
static i64 same_shape(const val_item* a, const val_item* b) {
    if (a->rank != b->rank) return E_RANK;
    if (a->rank <= 1) return a->count == b->count ? E_OK : E_LENGTH;
    if (a->dim0 != b->dim0) return E_LENGTH;
    if (a->rank == 2) return a->dim1 == b->dim1 ? E_OK : E_LENGTH;
    for (i64 k = 0; k < a->rank - 1; k++)
        if (glist[a->dim1 + k] != glist[b->dim1 + k]) return E_LENGTH;
    return 0;
}

static bool is_slot(i64 res, i64 c, i64 v) { return c < 0 && v == res; }

i64 Sfshapeck0(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    val_item* l = opnd(lc, lv);
    val_item* r = opnd(rc, rv);
    if (!llgth1 && !rlgth1) {
        i64 e = same_shape(l, r);
        if (e) return errchk = e;
    }
    trnk = lrnk > rrnk ? lrnk : rrnk;
    bool fromright = llgth1 != 0;
    i64 sc = fromright ? rc : lc, sv = fromright ? rv : lv;
    if (!is_slot(res, sc, sv)) {
        i64 e = GenStoreDims(res, sc, sv);
        if (e) return errchk = e;
    }
    tlgth = fromright ? rlgth : llgth;
    tlgth1 = trnk == 0 || (trnk == 1 && tlgth == 1);
    if (tlgth == 0) ttyp = TINT;
    vtable[res].type = ttyp;
    errchk = 0;
    return Updatead0(res, ttyp, trnk, tlgth);
}

i64 Sfshapeck(i64 mode, i64 target, i64 lc, i64 lv, i64 rc, i64 rv) {
    val_item* l = opnd(lc, lv);
    val_item* r = opnd(rc, rv);
    ttyp = mode == 1 ? TBOOL : mode == 2 ? TFLOAT : (l->type > r->type ? l->type : r->type);
    bool lsingle = single(l);
    bool rsingle = single(r);
    i64 sc = rc, sv = rv;
    if (!lsingle && rsingle) {
        sc = lc;
        sv = lv;
    } else if (!lsingle) {
        i64 e = same_shape(l, r);
        if (e) return errchk = e;
    }
    vtable[target].type = ttyp;
    return sc >= 0 ? TransFadc(target, ttyp, sc) : TransFad(target, ttyp, sv);
}

i64 IoOrigin(i64 io) {
    const val_item* v = &vtable[io];
    if (v->rank != 0 || v->count != 1 || (v->type != TBOOL && v->type != TINT)) return -1;
    if (v->dim0 != 0 && v->dim0 != 1) return -1;
    return v->dim0;
}
