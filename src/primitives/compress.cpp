// Compress and replicate: counts on the left select and repeat the elements
// (FC_COMPRESS, last axis) or sub-arrays (FC_COMPRESS1, first axis) of the right.
#include <cstring>

#include "primitives/primitives.h"
#include "values/fcodes.h"
#include "values/registers.h"

i64 AxisForm(i64 code, i64 lastcode, i64 rank, i64* form) {
    i64 a = code - (code > FC_EXPAND_AX ? FC_EXPAND_AX : FC_COMPRESS_AX);
    if (a >= rank) return errchk = E_AXIS;
    if (a != rank - 1) return errchk = E_NOT_BUILT;
    *form = lastcode;
    return 0;
}

i64 SelectionStart(i64* code, i64 base, i64 last, i64 first, i64 res, i64 lc, i64 lv, i64 rc,
                   i64 rv, sopnd* r, const val_item** l) {
    if (fc_axis_form(*code, base) && AxisForm(*code, last, opnd(rc, rv)->rank, code)) return errchk;
    if (*code != last && *code != first) return errchk = E_NOT_BUILT;
    *l = opnd(lc, lv);
    if (sopnd_load(r, rc, rv, res)) return errchk;
    SetNames(1, 3, res, lc, lv, rc, rv);
    return 0;
}

// An enumeration keeps its two header words, then its chosen indices.
static i64 enum_result(i64 res, const sopnd* r, const i64* map, i64 count) {
    if (count > 0 && !map) return errchk = E_WS_FULL;
    if (NewResult(res, TENUM, 1, &count, count)) return errchk;
    if (count == 0) return 0;
    sopnd_refresh(const_cast<sopnd*>(r));
    i64* to = reinterpret_cast<i64*>(vtable[res].data);
    const i64* from = static_cast<const i64*>(r->p);
    to[0] = from[0];
    to[1] = from[1];
    for (i64 k = 0; k < count; k++) to[2 + k] = from[2 + map[k]];
    return errchk = 0;
}

// Positions along the axis: position j repeated counts[j] times (every
// count n when single).
static i64* repeat_positions(const i64* counts, bool single, i64 n, i64 total) {
    i64* pos = static_cast<i64*>(GM_new(TINT, total > 0 ? total : 1));
    if (!pos) return nullptr;
    i64 at = 0;
    for (i64 j = 0; j < n; j++)
        for (i64 t = single ? counts[0] : counts[j]; t > 0; t--) pos[at++] = j;
    return pos;
}

i64 PfCompre(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (fc_axis_form(code, FC_EXPAND_AX)) return PfExpand(code, res, lc, lv, rc, rv);
    sopnd r;
    const val_item* l;
    if (SelectionStart(&code, FC_COMPRESS_AX, FC_COMPRESS, FC_COMPRESS1, res, lc, lv, rc, rv, &r,
                       &l))
        return errchk;
    i64 nl = l->count;
    if (nl == 0) {
        if (l->rank >= 2) return errchk = E_RANK;
        return EmptySelection(res, &r);
    }
    if ((l->type != TBOOL && l->type != TINT) || r.d.type == TDICT || r.d.type == TTABLE)
        return errchk = E_DOMAIN;
    if (l->rank >= 2) return errchk = E_RANK;
    const i64* counts = static_cast<const i64*>(getptV(const_cast<val_item*>(l)));
    i64 total = 0;
    for (i64 j = 0; j < nl; j++) {
        if (counts[j] < 0) return errchk = E_DOMAIN;
        if (__builtin_add_overflow(total, counts[j], &total)) return errchk = E_WS_FULL;
    }
    bool single = nl == 1;
    // The right as at least one axis. A single element with a count vector
    // is repeated as often as the counts add up to, into a vector.
    i64 rank = r.d.rank > 0 ? r.d.rank : 1;
    i64* dims = static_cast<i64*>(GM_new(TINT, rank));
    if (!dims) return errchk;
    if (r.d.rank == 0) dims[0] = 1;
    else shape_of(&r.d, dims);
    if (!single && r.d.count == 1) {
        rank = 1;
        dims[0] = 1;
        counts = &total;
        single = true;
    }
    i64 a = code == FC_COMPRESS ? rank - 1 : 0, N = dims[a];
    if (!single && nl != N) return errchk = E_LENGTH;
    i64 len = total;
    if (single && __builtin_mul_overflow(N, counts[0], &len)) return errchk = E_WS_FULL;
    i64* sdims = static_cast<i64*>(GM_new(TINT, rank));
    if (!sdims) return errchk;
    std::memcpy(sdims, dims, rank * sizeof(i64));
    dims[a] = len;
    i64 type = nl == 1 && r.d.count == 0 ? TINT : r.d.type;
    i64 count;
    if (ShapeCount(dims, rank, type, &count)) return errchk;
    i64** pos = static_cast<i64**>(GM_new(TINT, rank));
    if (!pos) return errchk;
    for (i64 i = 0; i < rank && count > 0; i++)  // an empty result needs no positions
        pos[i] = i == a ? repeat_positions(counts, single, N, len) : AxisWhole(sdims[i]);
    i64* map = AxisMap(rank, dims, sdims, pos, count);
    if (type == TENUM) return enum_result(res, &r, map, count);
    return GatherResult(res, type, rank, dims, count, &r, map);
}
