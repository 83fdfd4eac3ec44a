// The each operator: a primitive applied item by item, monadic over the items
// of a list, dyadic over corresponding items or elements of two vectors. Every
// item result is made by the primitive's own routine in a scratch slot and
// then moved into the result list.
#include "scalar/scalar.h"
#include "values/registers.h"

#include <cstring>

scalar_handovers scalar_up{};

namespace {

// Scratch slots for the per-item calls, given back when the call ends.
struct slots {
    i64 base = 0, n = 0;
    i64 take(i64 k) {
        if (TakeSlots(k, &base)) return errchk;
        n = k;
        return 0;
    }
    ~slots() { GiveSlots(base, n); }
};

// Item k of an operand into slot vx: a list item is lent (its data stays
// with the list, and the slot owns nothing); an element of a simple vector
// becomes a one-element vector holding it.
void place_item(i64 vx, i64 c, i64 v, i64 k) {
    val_item* src = opnd(c, v);
    val_item* s = &vtable[vx];
    if (src->type == TLIST) {
        *s = items_of(src)[k];
        s->bytes = 0;
        return;
    }
    i64 w = ElemWidth(src->type);
    *s = val_item{};
    s->type = src->type;
    s->rank = 1;
    s->count = 1;
    std::memcpy(&s->dim0, static_cast<char*>(getptV(src)) + k * w, w);
}

}  // namespace

i64 PfEachMon(i64 code, i64 res, i64 rc, i64 rv, i64 io) {
    SetNames(1, 5, res, -1, -1, rc, rv);
    val_item* r = opnd(rc, rv);
    if (r->type != TLIST) return errchk = E_DOMAIN;
    i64 n = r->count;
    if (code == FC_TYPE || code == FC_COUNT) {
        vtable[res].type = TINT;
        if (Updatead0(res, TINT, 1, n)) return errchk;
        if (!isoneV(&vtable[res])) vtable[res].dim0 = n;
        i64* out = static_cast<i64*>(getptV(&vtable[res]));
        const val_item* items = items_of(opnd(rc, rv));
        for (i64 k = 0; k < n; k++) out[k] = code == FC_TYPE ? items[k].type : items[k].count;
        return errchk = 0;
    }
    if (!scalar_up.prim_each(code, false)) return errchk = E_DOMAIN;
    slots s;
    if (s.take(2) || NewList(res, n)) return errchk;
    for (i64 k = 0; k < n; k++) {
        place_item(s.base, rc, rv, k);
        i64 e = scalar_up.dispatch_monadic(code, s.base + 1, -1, s.base, io);
        EmptySlot(s.base);
        if (!e) e = SettleItem(res, k, s.base + 1);
        if (e) return errchk = e;
    }
    return errchk = 0;
}

i64 PfEachDyc(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io) {
    SetNames(1, 3, res, lc, lv, rc, rv);
    if (!scalar_up.prim_each(code, true)) return errchk = E_DOMAIN;
    const val_item* l = opnd(lc, lv);
    const val_item* r = opnd(rc, rv);
    if (l->rank > 1 || r->rank > 1) return errchk = E_RANK;
    // A side gives lists' items or simple elements; a dictionary, table or
    // enumeration has no element that stands alone.
    if (!(l->type == TLIST || InlineType(l->type)) || !(r->type == TLIST || InlineType(r->type)))
        return errchk = E_DOMAIN;
    if (l->count != r->count && l->count != 1 && r->count != 1) return errchk = E_LENGTH;
    bool lone = single(l), rone = single(r);
    i64 n = lone ? r->count : l->count;
    slots s;
    if (s.take(3) || NewList(res, n)) return errchk;
    for (i64 k = 0; k < n; k++) {
        place_item(s.base, rc, rv, rone ? 0 : k);
        place_item(s.base + 1, lc, lv, lone ? 0 : k);
        i64 e = scalar_up.dispatch_dyadic(code, s.base + 2, -1, s.base + 1, -1, s.base, io, 0);
        EmptySlot(s.base);
        EmptySlot(s.base + 1);
        if (!e) e = SettleItem(res, k, s.base + 2);
        if (e) return errchk = e;
    }
    return errchk = 0;
}
