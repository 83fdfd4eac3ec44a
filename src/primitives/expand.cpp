// Expand: a boolean mask spreads the right operand along one axis (FC_EXPAND
// the last, FC_EXPAND1 the first): each 1 takes the next element or sub-array, each 0
// puts in the fill element.
#include <cstring>

#include "primitives/primitives.h"
#include "values/fcodes.h"

// Positions along the axis: the next source position for each 1 of the mask
// (the only one when the axis has length 1), fill for each 0.
static i64* mask_positions(const i64* mask, i64 n, i64 axislen) {
    i64* pos = static_cast<i64*>(GM_new(TINT, n));
    if (!pos) return nullptr;
    i64 next = 0;
    for (i64 k = 0; k < n; k++) pos[k] = mask[k] ? (axislen == 1 ? 0 : next++) : -1;
    return pos;
}

i64 PfExpand(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    sopnd r;
    const val_item* l;
    if (SelectionStart(&code, FC_EXPAND_AX, FC_EXPAND, FC_EXPAND1, res, lc, lv, rc, rv, &r, &l))
        return errchk;
    i64 n = l->count;
    if (n == 0) return EmptySelection(res, &r);
    if ((l->type != TBOOL && l->type != TINT) || r.d.type == TLIST || r.d.type > TTIME)
        return errchk = E_DOMAIN;
    if (l->rank >= 2) return errchk = E_RANK;
    // An integer mask of 0s and 1s serves as it is; the operand is not changed.
    const i64* mask = static_cast<const i64*>(getptV(const_cast<val_item*>(l)));
    i64 ones = 0;
    for (i64 k = 0; k < n; k++) {
        if (mask[k] != 0 && mask[k] != 1) return errchk = E_DOMAIN;
        ones += mask[k];
    }
    i64 rank = r.d.rank, one = 1;
    i64* dims = static_cast<i64*>(GM_new(TINT, rank > 0 ? rank : 1));
    i64* sdims = static_cast<i64*>(GM_new(TINT, rank > 0 ? rank : 1));
    if (!dims || !sdims) return errchk;
    if (r.d.count == 1) {  // a single element: a vector as long as the mask
        i64* pos = mask_positions(mask, n, 1);
        return GatherResult(res, r.d.type, 1, &n, n, &r, AxisMap(1, &n, &one, &pos, n));
    }
    shape_of(&r.d, sdims);
    i64 a = code == FC_EXPAND ? rank - 1 : 0, N = sdims[a];
    if (N != 1 && ones != N) return errchk = E_LENGTH;
    std::memcpy(dims, sdims, rank * sizeof(i64));
    dims[a] = n;
    i64 count;
    if (ShapeCount(dims, rank, r.d.type, &count)) return errchk;
    i64** pos = static_cast<i64**>(GM_new(TINT, rank));
    if (!pos) return errchk;
    // An empty result needs no positions, however long its other axes.
    for (i64 i = 0; i < rank && count > 0; i++)
        pos[i] = i == a ? mask_positions(mask, n, N) : AxisWhole(sdims[i]);
    return GatherResult(res, r.d.type, rank, dims, count, &r,
                        AxisMap(rank, dims, sdims, pos, count));
}
