// Take: along every axis a leading (count >= 0) or trailing (count < 0) run of
// positions, padded with the type's fill element past the operand's end.
#include <cstring>

#include "primitives/primitives.h"
#include "values/registers.h"

// Along an axis of length k, count c: result position p comes from position
// p (c >= 0) or p + k - |c| (c < 0), or is fill outside 0..k-1.
static i64* take_positions(i64 c, i64 n, i64 k) {
    i64* pos = static_cast<i64*>(GM_new(TINT, n > 0 ? n : 1));
    if (!pos) return nullptr;
    i64 shift = c < 0 ? k - n : 0;
    for (i64 p = 0; p < n; p++) {
        i64 s = p + shift;
        pos[p] = s >= 0 && s < k ? s : -1;
    }
    return pos;
}

// Number of axes the counts apply to, or an error (3).
static i64 take_axes(i64 nc, i64 lrank, i64 rrank, i64* axes) {
    if (rrank == 0) {
        if (nc > 1) return E_LENGTH;
        *axes = lrank == 0 ? 1 : nc;
    } else if (rrank == 1 && lrank == 0) {
        *axes = 1;
    } else {
        if (nc != rrank) return E_LENGTH;
        *axes = rrank;
    }
    return 0;
}

i64 TakeCounts(i64 res, const i64* counts, i64 nc, i64 lrank, i64 rc, i64 rv) {
    sopnd r;
    if (sopnd_load(&r, rc, rv, res)) return errchk;
    if (r.d.type > TTIME) return errchk = E_TYPE;
    i64 axes;
    if (take_axes(nc, lrank, r.d.rank, &axes)) return errchk = E_LENGTH;
    if (r.d.type == TLIST) {
        if (nc != 1 || r.d.rank > 1) return errchk = E_RANK;
        if (r.d.count == 0) return errchk = E_LENGTH;
    } else if (r.d.count == 0 && (axes > 1 || nc != 1)) {
        return errchk = E_RANK;
    }
    if (axes == 0) {  // an empty left with a scalar: the scalar itself
        i64 none = 0, first = 0;
        return GatherResult(res, r.d.type, 0, &none, 1, &r, &first);
    }
    i64* rdims = static_cast<i64*>(GM_new(TINT, axes));
    i64* sdims = static_cast<i64*>(GM_new(TINT, axes));
    i64** pos = static_cast<i64**>(GM_new(TINT, axes));
    if (!rdims || !sdims || !pos) return errchk;
    if (r.d.rank == 0) sdims[0] = 1;
    else shape_of(&r.d, sdims);
    for (i64 i = 0; i < axes; i++) {
        if (counts[i] == INT64_MIN) return errchk = E_WS_FULL;
        rdims[i] = counts[i] < 0 ? -counts[i] : counts[i];
    }
    i64 count;
    if (ShapeCount(rdims, axes, r.d.type, &count)) return errchk;
    // An empty result needs no positions, however long its other axes.
    for (i64 i = 0; i < axes && count > 0; i++)
        pos[i] = take_positions(counts[i], rdims[i], sdims[i]);
    i64* map = AxisMap(axes, rdims, sdims, pos, count);
    if (GatherResult(res, r.d.type, axes, rdims, count, &r, map)) return errchk;
    if (r.d.type == TFLOAT) IntV(-1, res);
    return errchk = 0;
}

i64 PfTake(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 fromEvaluator) {
    if (!fromEvaluator) return PfDrop(res, lc, lv, rc, rv);
    SetNames(1, 0, res, lc, lv, rc, rv);
    const val_item* l = opnd(lc, lv);
    if (l->type != TBOOL && l->type != TINT) return errchk = E_DOMAIN;
    if (l->rank > 1) return errchk = E_RANK;
    i64 nc = l->count;
    i64* counts = static_cast<i64*>(GM_new(TINT, nc > 0 ? nc : 1));
    if (!counts) return errchk;
    if (nc > 0) std::memcpy(counts, getptV(const_cast<val_item*>(l)), nc * sizeof(i64));
    return TakeCounts(res, counts, nc, l->rank, rc, rv);
}
