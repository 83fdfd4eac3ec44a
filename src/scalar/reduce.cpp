// Reduce: a dyadic function placed between the items along one axis and
// evaluated from the right; the axis disappears from the shape.
#include "scalar/scalar.h"
#include "values/registers.h"

#include <type_traits>

bool kernel_fault = false;

double red_identity(i64 f) {
    switch (f) {
    case FC_AND:
    case FC_LE:
    case FC_GE:
    case FC_EQ:
    case FC_MULTIPLY:
    case FC_DIVIDE:
    case FC_POWER:
    case FC_BINOMIAL: return 1.0;
    case FC_MAX: return -INFINITY;
    case FC_MIN: return INFINITY;
    default: return 0.0;
    }
}

bool allbits(const val_item* v) {
    const i64* d = (const i64*)getptV(const_cast<val_item*>(v));
    for (i64 i = 0; i < v->count; i++)
        if (d[i] != 0 && d[i] != 1) return false;
    return true;
}

// The vectors along the reduced axis: m elements each, n of them; element k
// of vector v sits at v*outer + k*step (outer and step from the axis).
struct axisplan {
    i64 m, n, vstride, step;
};

static axisplan plan_axis(const i64* dims, i64 rank, i64 count, bool first) {
    axisplan p;
    p.m = rank == 0 ? 1 : dims[first ? 0 : rank - 1];
    p.n = p.m == 0 ? 0 : count / p.m;
    p.vstride = first ? 1 : p.m;
    p.step = first ? p.n : 1;
    return p;
}

// Result dimensions: the operand's without the reduced axis.
static i64 drop_axis(const i64* dims, i64 rank, bool first, i64* out) {
    i64 k = 0;
    for (i64 i = 0; i < rank; i++)
        if (i != (first ? 0 : rank - 1)) out[k++] = dims[i];
    return k;
}

static i64 operand_type_ok(i64 f, const val_item* v) {
    i64 t = v->type;
    if (f >= FC_OR && f <= FC_NAND) return t == TBOOL || (t == TINT && allbits(v));
    if (f == FC_BINOMIAL) return t <= TINT;
    if ((f >= FC_LT && f <= FC_EQ) || f == FC_MAX || f == FC_MIN) return t <= TFLOAT;
    return t <= TFLOAT || t == TCPLX;
}

// Float path: every vector folded from its end, NaN elements skipped
// (except the last, which starts the fold). Integer elements are read as
// doubles one by one; their sums go through IntSumFromRight, their residues
// and comparisons are folded exactly in integers.
template <bool TOL, class E>
static void reduce_real(i64 f, const E* x, const axisplan& p, double* out) {
    with_kernel<TOL>(f, [&]<i64 F, bool T>() {
        for (i64 v = 0; v < p.n; v++) {
            const E* e = x + v * p.vstride;
            if constexpr (F == FC_ADD && std::is_same_v<E, i64>) {
                out[v] = IntSumFromRight(e, p.m, p.step);
                continue;
            }
            if constexpr (F == FC_RESIDUE && std::is_same_v<E, i64>) {
                i64 r = e[(p.m - 1) * p.step];
                for (i64 k = p.m - 2; k >= 0; k--) r = int_residue(e[k * p.step], r);
                out[v] = (double)r;
                continue;
            }
            if constexpr (F >= FC_LT && F <= FC_EQ && std::is_same_v<E, i64>) {
                i64 r = e[(p.m - 1) * p.step];
                for (i64 k = p.m - 2; k >= 0; k--) r = cmp_int<F>(e[k * p.step], r);
                out[v] = (double)r;
                continue;
            }
            double acc = (double)e[(p.m - 1) * p.step];
            for (i64 k = p.m - 2; k >= 0; k--) {
                double xk = (double)e[k * p.step];
                if (xk == xk) acc = red_k<F, T>(xk, acc);
            }
            out[v] = acc;
        }
    });
}

static i64 reduce_complex(i64 f, const complex2* z, const axisplan& p, complex2* out) {
    for (i64 v = 0; v < p.n; v++) {
        const complex2* e = z + v * p.vstride;
        complex2 acc = e[(p.m - 1) * p.step];
        for (i64 k = p.m - 2; k >= 0; k--)
            if (clex_dyadic_process(f, &acc, e[k * p.step], acc)) return E_DOMAIN;
        out[v] = acc;
    }
    return 0;
}

static i64 reduce_empty(i64 f, i64 res, const i64* rdims, i64 rrank) {
    if (f == FC_LOG || f == FC_CIRCLE || f == FC_NOR || f == FC_NAND) return E_DOMAIN;
    i64 count, run;
    if (ShapeCount(rdims, rrank, TFLOAT, &count)) return errchk;
    if (shape_run(rdims, rrank, &run)) return errchk;
    ttyp = TFLOAT;
    vtable[res].type = TFLOAT;
    if (Updatead0(res, TFLOAT, rrank, count)) return errchk;
    shape_set(res, rdims, rrank, run);
    double* out = (double*)getptV(&vtable[res]);
    for (i64 i = 0; i < count; i++) out[i] = red_identity(f);
    IntV(-1, res);
    return 0;
}

i64 PfReduct(i64 code, i64 res, i64 rc, i64 rv) {
    if (rc < 0 && vtable[rv].rank == -1) return errchk = E_VALUE;
    bool first = code > FC_REDUCE1;
    i64 f = fc_operand(code);
    SetNames(1, 5, res, -1, -1, rc, rv);
    if (!((f >= FC_OR && f <= FC_EQ) || (f >= FC_ADD && f <= FC_CIRCLE))) return errchk = E_DOMAIN;
    sopnd R;
    if (sopnd_load(&R, rc, rv, res)) return errchk;
    i64 rank = R.d.rank;
    i64* dims = (i64*)GM_new(TINT, rank + 1);
    i64* rdims = (i64*)GM_new(TINT, rank + 1);
    if (!dims || !rdims) return errchk;
    shape_of(&R.d, dims);
    i64 rrank = rank == 0 ? 0 : drop_axis(dims, rank, first, rdims);
    if (R.d.count == 0) return errchk = reduce_empty(f, res, rdims, rrank);
    if (!operand_type_ok(f, &R.d)) return errchk = E_DOMAIN;

    bool cplx = R.d.type == TCPLX || f == FC_POWER || f == FC_LOG || f == FC_CIRCLE;
    i64 type = cplx ? TCPLX : TFLOAT;
    axisplan p = plan_axis(dims, rank, R.d.count, first);
    if (R.one) p = {1, 1, 1, 1}, rrank = 0;
    i64 run;
    if (shape_run(rdims, rrank, &run)) return errchk;
    ttyp = type;
    vtable[res].type = type;
    if (Updatead0(res, type, rrank, p.n)) return errchk;
    shape_set(res, rdims, rrank, run);
    sopnd_refresh(&R);
    void* out = getptV(&vtable[res]);
    if (cplx) {
        const complex2* z = sopnd_complex(&R);
        if (!z) return errchk;
        if (reduce_complex(f, z, p, (complex2*)out)) return errchk = E_DOMAIN;
    } else {
        kernel_fault = false;
        if (R.d.type == TFLOAT) reduce_real<true>(f, (const double*)R.p, p, (double*)out);
        else reduce_real<false>(f, (const i64*)R.p, p, (double*)out);
        if (kernel_fault) return errchk = E_DOMAIN;
    }
    IntV(-1, res);
    return errchk = 0;
}
