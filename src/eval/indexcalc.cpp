// Index arithmetic: axis strides, the reading of index positions into
// private offset lists, the row-major offsets of a selection, and the saving
// of a bracket's index list.
//
// Offsets and positions are kept in scratch blocks (GM_new), never in the
// shape-list store: a selection may be far larger than the store, and the
// store's words beyond a run belong to the next run.
#include "eval/eval.h"

i64 irnk, ilgth, irnk0, idm1;
i64 idxsvrnk = -1, idxsvpt = -1;

// Strides are cached from the end-mark word of the run on. A run that is the
// last one in the store and reserved no room gets it now; any other run was
// made with its room (every maker reserves 2r-2 words).
i64 PfCalcDelta(i64 rank, i64 slot) {
    if (rank <= 2) return -1;
    i64 e = vtable[slot].dim1 + rank - 1;
    if (glist[e] != -1) return e;
    if (ExtendShapeWords(e + rank - 2)) return -1;
    glist[e] = glist[e - 1];
    for (i64 j = 0; j <= rank - 3; j++) glist[e + 1 + j] = glist[e + j] * glist[e - 2 - j];
    return e;
}

i64 PfIdxSave(i64 fc, i64 fv, i64 n, i64* idxc, i64* idxv) {
    i64 at;
    if (TakeShapeWords(2 * n + 4, &at)) return errchk;
    KeepShapeWords(at, 2 * n + 4);
    glist[at] = fc;
    glist[at + 1] = fv;
    for (i64 k = 0; k <= n; k++) {
        glist[at + 2 + k] = idxc[k];
        glist[at + 3 + n + k] = idxv[k];
    }
    idxsvrnk = n;
    idxsvpt = at;
    return 0;
}

i64 CheckIdexv(i64 c, i64 v, i64 d, i64 io) {
    if (elided(c, v)) return 0;
    val_item* x = opnd(c, v);
    const i64* w = static_cast<const i64*>(getptV(x));
    for (i64 k = 0; k < x->count; k++)
        if (w[k] < io || w[k] >= io + d) return E_INDEX;
    return 0;
}

i64 IndxStoreDim(i64 c, i64 v, i64* dims, i64* pos, i64 d) {
    if (elided(c, v)) {
        dims[(*pos)++] = d;
        return 0;
    }
    val_item* x = opnd(c, v);
    if (x->rank == 1) {
        dims[(*pos)++] = x->count;
    } else if (x->rank == 2) {
        dims[(*pos)++] = x->dim0;
        dims[(*pos)++] = x->dim1;
    } else if (x->rank > 2) {
        dims[(*pos)++] = x->dim0;
        for (i64 k = 0; k < x->rank - 1; k++) dims[(*pos)++] = glist[x->dim1 + k];
    }
    return 0;
}

// A whole number that a float index may stand for (as IntV narrows).
static bool whole(double x) {
    return x == x && x >= -2147483647.0 && x <= 2147483647.0 && x == (i64)x;
}

// Kind check of one position: E_VALUE without a value, E_DOMAIN for a type that cannot
// index (a float only when demote is set and all its elements are whole).
static i64 position_kind(i64 c, i64 v, bool demote) {
    if (elided(c, v)) return 0;
    val_item* x = opnd(c, v);
    if (c < 0 && x->rank == -1) return E_VALUE;
    if (x->type == TBOOL || x->type == TINT) return 0;
    if (!demote || x->type != TFLOAT) return E_DOMAIN;
    const double* f = static_cast<const double*>(getptV(x));
    for (i64 k = 0; k < x->count; k++)
        if (!whole(f[k])) return E_DOMAIN;
    return 0;
}

// The offsets (value - io) of one position along an axis of length d, in a
// scratch array; E_INDEX for a value outside the axis. The user's value is only
// read, so a float index variable keeps its type.
static i64 position_offsets(i64 c, i64 v, i64 d, i64 io, i64* count, i64** off) {
    *off = nullptr;
    if (elided(c, v)) {
        *count = d;
        return 0;
    }
    val_item* x = opnd(c, v);
    i64 n = x->count;
    *count = n;
    if (n == 0) return 0;
    i64* o = static_cast<i64*>(GM_new(TINT, n));
    if (!o) return errchk;
    const void* src = getptV(x);
    for (i64 k = 0; k < n; k++) {
        i64 w = x->type == TFLOAT ? (i64) static_cast<const double*>(src)[k]
                                  : static_cast<const i64*>(src)[k];
        if (w < io || w >= io + d) return E_INDEX;
        o[k] = w - io;
    }
    *off = o;
    return 0;
}

// Position of axis a: the first one, or entry r-1-a of the arrays.
static void axis_pair(i64 a, i64 r, i64 fc, i64 fv, const i64* idxc, const i64* idxv, i64* c,
                      i64* v) {
    *c = a == 0 ? fc : idxc[r - 1 - a];
    *v = a == 0 ? fv : idxv[r - 1 - a];
}

i64 PfCalcIdxll(i64 r, i64 fc, i64 fv, const i64* idxc, const i64* idxv, const i64* dims, i64 io,
                bool demote, i64* lens, i64** sel) {
    i64 c, v;
    for (i64 a = 0; a < r; a++) {
        axis_pair(a, r, fc, fv, idxc, idxv, &c, &v);
        if (i64 e = position_kind(c, v, demote)) return e;
    }
    irnk = 0;
    ilgth = 1;
    bool over = false, empty = false;
    for (i64 a = 0; a < r; a++) {
        axis_pair(a, r, fc, fv, idxc, idxv, &c, &v);
        if (i64 e = position_offsets(c, v, dims[a], io, &lens[a], &sel[a])) return e;
        irnk += elided(c, v) ? 1 : opnd(c, v)->rank;
        if (lens[a] == 0) empty = true;
        else if (!over && __builtin_mul_overflow(ilgth, lens[a], &ilgth)) over = true;
        if (a == 0) {
            irnk0 = elided(c, v) ? 1 : opnd(c, v)->rank;
            idm1 = lens[0];
        }
    }
    if (empty) ilgth = 0;
    else if (over) return E_WS_FULL;
    return 0;
}

i64 PfIdxLineariz(i64 r, i64 L, i64* out, const i64* lens, i64* const* sel, const i64* strides) {
    if (L == 0) return 0;
    i64 half = 0;
    i64* cur = out;
    i64 p = lens[r - 1];
    for (i64 i = 0; i < p; i++) cur[i] = sel[r - 1] ? sel[r - 1][i] : i;
    for (i64 a = r - 2; a >= 0; a--) {
        i64* next = out + (1 - half) * L;
        i64 q = lens[a], s = strides[a];
        for (i64 j = 0; j < q; j++) {
            i64 base = s * (sel[a] ? sel[a][j] : j);
            for (i64 i = 0; i < p; i++) next[j * p + i] = cur[i] + base;
        }
        p *= q;
        cur = next;
        half = 1 - half;
    }
    return half;
}
