// Bracket indexing A[i;j;...] whose value is read: arrays of every element
// type, lists (by index, by vector, by a list of index vectors), dictionaries
// by key, enumerations, and the hand-over of tables to their own routines.
#include <vector>

#include "dict/dict.h"
#include "eval/eval.h"
#include "values/operand.h"
#include "values/registers.h"

// ---- the paths ----------------------------------------------------------------

// A vector indexed by a list of index vectors: one result item per index item.
static i64 by_index_list(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io) {
    i64 m = opnd(rc, rv)->count, base;
    if (TakeSlots(2, &base)) return errchk;
    vtable[res].type = TLIST;
    i64 e = Updatead0(res, TLIST, 1, m);
    if (!e) vtable[res].dim0 = m;
    for (i64 k = 0; !e && k < m; k++) {
        LendSlot(base + 1, items_of(opnd(rc, rv)) + k);
        e = GenIndexV(base, lc, lv, -1, base + 1, nullptr, nullptr, -1, io);
        EmptySlot(base + 1);
        if (!e) e = SettleItem(res, k, base);
    }
    GiveSlots(base, 2);
    return errchk = e;
}

// Values of a dictionary by key: the key positions index its value part.
static i64 by_keys(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io) {
    val_item* d = opnd(lc, lv);
    val_item* key = opnd(rc, rv);
    const val_item* parts = items_of(d);
    if (!parts) return errchk = E_DOMAIN;
    if (parts[0].type != TLIST && key->type != parts[0].type) return errchk = E_TYPE;
    if (key->count == 0) return errchk = E_DOMAIN;
    i64* found = static_cast<i64*>(GM_new(TINT, key->count + 1));
    if (!found) return errchk;
    if (i64 e = dict_indx(d, rc, rv, found, io)) return errchk = e;
    i64 base;
    if (TakeSlots(2, &base)) return errchk;
    LendSlot(base, &items_of(opnd(lc, lv))[1]);
    val_item* at = &vtable[base + 1];
    *at = *opnd(rc, rv);
    at->type = TINT;
    at->bytes = 0;
    if (isoneV(at)) at->dim0 = found[0];
    else at->data = reinterpret_cast<char*>(found);
    i64 e = GenIndexV(res, -1, base, -1, base + 1, nullptr, nullptr, -1, io);
    GiveSlots(base, 2);
    return errchk = e;
}

// Items of an enumeration: its two header words, then the chosen items.
static i64 enum_items(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 origin) {
    i64 count = opnd(lc, lv)->count, len;
    i64* sel;
    if (i64 e = PfCalcIdxll(1, rc, rv, nullptr, nullptr, &count, origin, false, &len, &sel))
        return errchk = e;
    vtable[res].type = TENUM;
    if (Updatead0(res, TENUM, 1, len)) return errchk;
    vtable[res].dim0 = len;
    if (len == 0) return errchk = 0;  // no items, no data to hold a header
    const i64* from = reinterpret_cast<const i64*>(opnd(lc, lv)->data);
    i64* to = reinterpret_cast<i64*>(vtable[res].data);
    to[0] = from[0];
    to[1] = from[1];
    for (i64 t = 0; t < len; t++) to[2 + t] = from[2 + (sel ? sel[t] : t)];
    return errchk = 0;
}

// An index position holding one element.
static bool single_pair(i64 c, i64 v) {
    const val_item* x = opnd(c, v);
    return !elided(c, v) && single(x);
}

// Arrays of types 0 to 12, lists included: the Cartesian product of the
// positions, first axis slowest, each selected element copied by width.
static i64 array_elements(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64* idxc, i64* idxv, i64 ioslot,
                          i64 io) {
    const val_item* a = opnd(lc, lv);
    i64 r = a->rank, type = a->type;
    bool list_index = !elided(rc, rv) && opnd(rc, rv)->type == TLIST;
    if (list_index) {
        if (r != 1) return errchk = E_DOMAIN;
        return by_index_list(res, lc, lv, rc, rv, ioslot);
    }
    if (type == TLIST && (r != 1 || (!elided(rc, rv) && opnd(rc, rv)->rank > 1)))
        return errchk = E_DOMAIN;
    std::vector<i64> dims(r), lens(r), strides(r);
    std::vector<i64*> sel(r);
    shape_of(a, dims.data());
    i64 e = PfCalcIdxll(r, rc, rv, idxc, idxv, dims.data(), io, false, lens.data(), sel.data());
    if (e) return errchk = e;
    if (type == TLIST && single_pair(rc, rv)) return GenStoreV0(res, items_of(a) + sel[0][0]);
    i64 L = ilgth, rank = irnk, pos = 0;
    std::vector<i64> rdims(rank + 1);
    for (i64 k = 0; k < r; k++) {
        i64 c = k == 0 ? rc : idxc[r - 1 - k], v = k == 0 ? rv : idxv[r - 1 - k];
        IndxStoreDim(c, v, rdims.data(), &pos, dims[k]);
    }
    if (CheckSize(TINT, 2 * L)) return errchk;
    i64* map = nullptr;
    if (L > 0) {
        i64* out = static_cast<i64*>(GM_new(TINT, 2 * L));
        if (!out) return errchk;
        RowMajorStrides(dims.data(), r, strides.data());
        map = out + L * PfIdxLineariz(r, L, out, lens.data(), sel.data(), strides.data());
    }
    sopnd src;
    if (sopnd_load(&src, lc, lv, res)) return errchk;
    if (GatherResult(res, type, rank, rdims.data(), L, &src, map)) return errchk;
    if (type == TFLOAT || type == TCPLX) IntV(-1, res);
    return errchk = 0;
}

// ---- entry ---------------------------------------------------------------------

i64 GenIndexV(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64* idxc, i64* idxv, i64 n, i64 io) {
    if (undefined(lc, lv) || undefined(rc, rv)) return errchk = E_VALUE;
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    SetNames(1, 3, res, lc, lv, rc, rv);
    const val_item* a = opnd(lc, lv);
    i64 sc = n >= 0 ? idxc[0] : -1, sv = n >= 0 ? idxv[0] : -1;
    if (a->type == TTABLE) {
        if (n > 0) return errchk = E_RANK;
        return errchk = PfTableX(res, lv, rc, rv, sc, sv, n + 2, io);
    }
    if (a->type == TDICT && a->dim0 == 2 && lc < 0) {
        if (n > 0) return errchk = E_RANK;
        return errchk = PfTableK(res, lv, rc, rv, sc, sv, n + 2, io);
    }
    if (n + 2 != a->rank || a->rank == 0) return errchk = E_RANK;
    if (a->type <= TTIME) return array_elements(res, lc, lv, rc, rv, idxc, idxv, io, origin);
    if (a->type == TDICT) return by_keys(res, lc, lv, rc, rv, io);
    if (a->type == TENUM) return enum_items(res, lc, lv, rc, rv, origin);
    return errchk = E_DOMAIN;
}
