// Reverse and rotate along one axis. The axis travels in the function code:
// reverse 34 last, 38 first, 89 to 93 axis code-88 (from 0); rotate 35 last,
// 39 first, 94 to 98 axis code-92 (from 1).
#include "primitives/primitives.h"
#include "values/fcodes.h"
#include "values/registers.h"

// The shape of an operand as at least one axis (a scalar as one element).
static i64 shape_one(const val_item* v, i64* dims) {
    if (v->rank == 0) {
        dims[0] = 1;
        return 1;
    }
    return shape_of(v, dims);
}

static i64 reverse_axis(i64 code, i64 rank) {
    if (code == FC_REVERSE) return rank - 1;
    if (code == FC_REVERSE1) return 0;
    return code - FC_REVERSE_AX;
}

i64 PfRevers(i64 code, i64 res, i64 rc, i64 rv) {
    if (code != FC_REVERSE && code != FC_REVERSE1 && !fc_axis_form(code, FC_REVERSE_AX))
        return errchk = E_NOT_BUILT;
    sopnd r;
    if (sopnd_load(&r, rc, rv, res)) return errchk;
    SetNames(1, 5, res, -1, -1, rc, rv);
    if (r.d.type > TTIME) return errchk = E_DOMAIN;
    i64 rank = r.d.rank, count = r.d.count;
    i64* dims = static_cast<i64*>(GM_new(TINT, rank > 0 ? rank : 1));
    if (!dims) return errchk;
    i64 axes = shape_one(&r.d, dims);
    // Vectors, lists and single elements ignore the axis of the code.
    i64 a = rank <= 1 || count == 1 ? 0 : reverse_axis(code, rank);
    if (a >= axes) return errchk = E_AXIS;
    i64** pos = static_cast<i64**>(GM_new(TINT, axes));
    if (!pos) return errchk;
    // An empty operand needs no positions, however long its other axes.
    for (i64 i = 0; i < axes && count > 0; i++)
        if (!(pos[i] = AxisWhole(dims[i]))) return errchk;
    if (count > 1)
        for (i64 p = 0; p < dims[a]; p++) pos[a][p] = dims[a] - 1 - p;
    i64* map = AxisMap(axes, dims, dims, pos, count);
    return GatherResult(res, r.d.type, rank, dims, count, &r, map);
}

// Rotate's axis counted from 1, or 0 for a code that is not rotate's.
static i64 rotate_axis(i64 code, i64 rank) {
    if (code == FC_ROTATE) return rank;
    if (code == FC_ROTATE1) return 1;
    if (fc_axis_form(code, FC_ROTATE_AX)) return code - FC_ROTATE_AX + 1;
    return 0;
}

// The left's dimensions must be the right's without the rotated axis:
// 0, or E_LENGTH (E_WS_FULL without scratch).
static i64 counts_fit(const val_item* l, const i64* rdims, i64 rrank, i64 a) {
    i64* ldims = static_cast<i64*>(GM_new(TINT, rrank));
    if (!ldims) return errchk;
    shape_of(l, ldims);
    for (i64 i = 0, j = 0; i < rrank; i++) {
        if (i == a - 1) continue;
        if (ldims[j++] != rdims[i]) return E_LENGTH;
    }
    return 0;
}

i64 PfRotate(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    sopnd r;
    if (sopnd_load(&r, rc, rv, res)) return errchk;
    SetNames(1, 3, res, lc, lv, rc, rv);
    const val_item* l = opnd(lc, lv);
    i64 rrank = r.d.rank;
    i64 a = rotate_axis(code, rrank);
    if (code != FC_ROTATE && a == 0) return errchk = E_NOT_BUILT;
    if (l->count > 0 && l->type != TBOOL && l->type != TINT) return errchk = E_DOMAIN;
    if (r.d.type > TTIME) return errchk = E_DOMAIN;
    bool single = l->count == 1;
    if (!single && l->rank != rrank - 1) return errchk = E_RANK;
    if (a > rrank) return errchk = E_AXIS;
    i64* dims = static_cast<i64*>(GM_new(TINT, rrank > 0 ? rrank : 1));
    if (!dims) return errchk;
    shape_of(&r.d, dims);
    if (rrank >= 2 && !single)
        if (i64 e = counts_fit(l, dims, rrank, a)) return errchk = e;
    i64 count = r.d.count;
    i64* map = static_cast<i64*>(GM_new(TINT, count > 0 ? count : 1));
    if (!map) return errchk;
    if (count > 0 && rrank == 0) map[0] = 0;
    if (count > 0 && rrank > 0) {
        const i64* k = static_cast<const i64*>(getptV(const_cast<val_item*>(l)));
        i64 len = dims[a - 1], pre = 1, post = 1;
        for (i64 i = 0; i < a - 1; i++) pre *= dims[i];
        for (i64 i = a; i < rrank; i++) post *= dims[i];
        for (i64 m = 0; m < pre; m++)
            for (i64 j = 0; j < post; j++) {
                i64 shift = (single ? k[0] : k[m * post + j]) % len;
                if (shift < 0) shift += len;
                i64 base = m * len * post + j;
                for (i64 i = 0; i < len; i++)
                    map[base + i * post] = base + ((i + shift) % len) * post;
            }
    }
    return GatherResult(res, r.d.type, rrank, dims, count, &r, map);
}
