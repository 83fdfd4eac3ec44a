// Operand snapshots, the integer conversion of doubles, and the shape
// words of operands and results.
#include "values/operand.h"
#include "values/registers.h"

#include <cmath>
#include <cstring>

i64 sopnd_load(sopnd* o, i64 c, i64 v, i64 res) {
    o->c = c;
    o->v = v;
    o->d = *opnd(c, v);
    o->one = isoneV(&o->d);
    o->priv = false;
    o->p = o->d.count > 0 ? o->d.data : nullptr;
    if (o->one) {
        o->p = &o->d.dim0;
    } else if (o->d.count > 0 && c < 0 && v == res) {
        i64 bytes = typC(o->d.type, o->d.count);
        void* copy = GM_new(TCHAR, bytes);
        o->priv = true;
        o->p = copy;
        if (!copy) return errchk;
        memcpy(copy, o->d.data, bytes);
    }
    return 0;
}

i64 sopnd_load_pair(sopnd* l, sopnd* r, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (sopnd_load(l, lc, lv, res) || sopnd_load(r, rc, rv, res)) return errchk;
    if (l->d.rank < 0 || r->d.rank < 0) return errchk = E_VALUE;
    SetNames(1, 3, res, lc, lv, rc, rv);
    return 0;
}

void sopnd_refresh(sopnd* o) {
    if (o->one || o->priv || o->d.count == 0) return;
    o->p = opnd(o->c, o->v)->data;
}

const double* sopnd_doubles(const sopnd* o) {
    if (o->d.type == TFLOAT || o->d.type == TDATETIME || o->d.count == 0)
        return (const double*)o->p;
    i64 n = o->d.count;
    double* d = (double*)GM_new(TFLOAT, n);
    if (!d) return nullptr;
    const i64* w = (const i64*)o->p;
    for (i64 i = 0; i < n; i++) d[i] = (double)w[i];
    return d;
}

const complex2* sopnd_complex(const sopnd* o) {
    if (o->d.type == TCPLX || o->d.count == 0) return (const complex2*)o->p;
    i64 n = o->d.count;
    complex2* z = (complex2*)GM_new(TCPLX, n);
    if (!z) return nullptr;
    if (o->d.type == TFLOAT || o->d.type == TDATETIME) {
        const double* f = (const double*)o->p;
        for (i64 i = 0; i < n; i++) z[i] = complex2(f[i], 0.0);
    } else {
        const i64* w = (const i64*)o->p;
        for (i64 i = 0; i < n; i++) z[i] = complex2((double)w[i], 0.0);
    }
    return z;
}

i64 shape_run(const i64* dims, i64 rank, i64* run) {
    *run = 0;
    if (rank <= 2) return 0;
    i64 words = 2 * rank - 2;  // dimensions 2..r, end mark, stride room
    i64 start;
    if (TakeShapeWords(words, &start)) return errchk;
    for (i64 k = 1; k < rank; k++) glist[start + k - 1] = dims[k];
    for (i64 k = rank - 1; k < words; k++) glist[start + k] = -1;
    *run = start;
    return 0;
}

void shape_set(i64 res, const i64* dims, i64 rank, i64 run) {
    val_item* d = &vtable[res];
    if (rank == 1 && d->count != 1) d->dim0 = d->count;
    if (rank >= 2) d->dim0 = dims[0];
    if (rank == 2) d->dim1 = dims[1];
    if (rank > 2) d->dim1 = run;
}

i64 shape_of(const val_item* v, i64* dims) {
    if (v->rank <= 0) return 0;
    if (v->rank == 1) {
        dims[0] = v->count;
        return 1;
    }
    dims[0] = v->dim0;
    if (v->rank == 2) dims[1] = v->dim1;
    else
        for (i64 k = 1; k < v->rank; k++) dims[k] = glist[v->dim1 + k - 1];
    return v->rank;
}

void RowMajorStrides(const i64* dims, i64 rank, i64* stride) {
    i64 s = 1;
    for (i64 k = rank - 1; k >= 0; k--) {
        stride[k] = s;
        s *= dims[k];
    }
}

i64 CfAbstract(i64 c, i64 v, i64* dims) {
    const val_item* x = opnd(c, v);
    if (x->rank <= 0) dims[0] = x->count;
    else shape_of(x, dims);
    return 0;
}
