// Conventions shared by the array primitives: the conformability check of
// dyadic scalar calls and the check of the []IO slot.
#include "eval/eval.h"
#include "primitives/primitives.h"

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
    bool lsingle = l->rank == 0 || (l->rank == 1 && l->count == 1);
    bool rsingle = r->rank == 0 || (r->rank == 1 && r->count == 1);
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
