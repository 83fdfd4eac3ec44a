// Outer product: a dyadic scalar, logic or comparison function applied to
// every pair of a left element and a right element.
#include "scalar/scalar.h"
#include "values/registers.h"

#include <algorithm>
#include <cmath>

// Real kernel on doubles x (left) and y (right); TOL: tolerant equality.
template <i64 F, bool TOL>
static inline double outer_k(double x, double y) {
    if constexpr (F >= FC_OR && F <= FC_NAND) return (double)logic1_f(F, x, y);
    else if constexpr (F == FC_LT) {
        if (std::isnan(x)) return std::isnan(y) ? 0.0 : 1.0;
        return std::isnan(y) ? 0.0 : (double)(x < y);
    } else if constexpr (F == FC_LE) return (double)(x <= y);
    else if constexpr (F == FC_GE) return (double)(x >= y);
    else if constexpr (F == FC_GT) {
        if (std::isnan(x)) return 0.0;
        return std::isnan(y) ? 1.0 : (double)(x > y);
    } else if constexpr (F == FC_NE || F == FC_EQ) {
        bool eq = TOL ? gequal(x, y) : x == y;
        return (double)(F == FC_EQ ? eq : !eq);
    } else if constexpr (F >= FC_ADD && F <= FC_RESIDUE && F % 2 == 1) return ari_f<F>(x, y);
    else if constexpr (F == FC_BINOMIAL) return binomial_d(x, y);
    else return -1.0;
}

template <class V, class R, class K>
static void table(i64 nl, const V* x, bool xs, i64 nr, const V* y, bool ys, R* out, K k) {
    for (i64 i = 0; i < nl; i++) {
        V a = x[xs ? 0 : i];
        R* row = out + i * nr;
        for (i64 j = 0; j < nr; j++) row[j] = k(a, y[ys ? 0 : j]);
    }
}

template <bool TOL>
static void outer_real(i64 f, i64 nl, const double* x, bool xs, i64 nr, const double* y, bool ys,
                       double* out) {
    with_kernel<TOL>(f, [&]<i64 F, bool T>() { table(nl, x, xs, nr, y, ys, out, outer_k<F, T>); });
}

// Comparisons and residue of two integer operands, exactly on the 64-bit values.
template <class V>
static void outer_exact(i64 f, i64 nl, const V* x, bool xs, i64 nr, const V* y, bool ys,
                        double* out) {
    if (f == FC_RESIDUE)
        table(nl, x, xs, nr, y, ys, out, [](V a, V b) { return (double)int_residue(a, b); });
    else
        with_compare(f, [&]<i64 F>() {
            table(nl, x, xs, nr, y, ys, out, [](V a, V b) { return (double)cmp_int<F>(a, b); });
        });
}

// Functions with a complex form in the products: = and ~= compare exactly;
// ordering, logic, maximum, minimum and binomial have none.
static bool complex_refused(i64 f) {
    return (f >= FC_OR && f <= FC_GT) || f == FC_MAX || f == FC_MIN || f == FC_BINOMIAL;
}

static i64 outer_complex(i64 f, i64 nl, const sopnd* l, i64 nr, const sopnd* r, complex2* out) {
    const complex2* x = sopnd_complex(l);
    const complex2* y = sopnd_complex(r);
    if (!x || !y) return errchk;
    if (f == FC_NE || f == FC_EQ) {
        table(nl, x, l->one, nr, y, r->one, out, [f](complex2 a, complex2 b) {
            return complex2((double)((a == b) == (f == FC_EQ)), 0.0);
        });
        return 0;
    }
    for (i64 i = 0; i < nl; i++)
        for (i64 j = 0; j < nr; j++)
            if (clex_dyadic_process(f, &out[i * nr + j], x[l->one ? 0 : i], y[r->one ? 0 : j]))
                return E_DOMAIN;
    return 0;
}

template <class V>
static void outer_same(i64 f, i64 nl, const V* x, bool xs, i64 nr, const V* y, bool ys, i64* out) {
    if (f == FC_EQ) table(nl, x, xs, nr, y, ys, out, [](V a, V b) { return (i64)(a == b); });
    else table(nl, x, xs, nr, y, ys, out, [](V a, V b) { return (i64)(a != b); });
}

static i64 outer_type(i64 f, i64 lt, i64 rt) {
    i64 T = std::max(lt, rt);
    if (T == TCHAR || T == TSYM)
        return (lt == rt && (f == FC_NE || f == FC_EQ)) ? (i64)TBOOL : -E_DOMAIN;
    if (T > TCPLX) return -E_TYPE;
    if (T == TCPLX) {
        if (lt == TCHAR || rt == TCHAR || complex_refused(f)) return -E_DOMAIN;
        return TCPLX;
    }
    return (f == FC_POWER || f == FC_LOG || f == FC_CIRCLE) ? TCPLX : TFLOAT;
}

// Every binomial pair must be within the exact coefficient's reach.
static i64 binomial_checks(const sopnd* l, const sopnd* r) {
    const double* x = sopnd_doubles(l);
    const double* y = sopnd_doubles(r);
    if ((!x && l->d.count > 0) || (!y && r->d.count > 0)) return errchk;
    for (i64 i = 0; i < l->d.count; i++)
        for (i64 j = 0; j < r->d.count; j++)
            if (biochk(dbl2int(x[i]), dbl2int(y[j]))) return E_DOMAIN;
    return 0;
}

i64 PfOuterp(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    sopnd L, R;
    if (sopnd_load(&L, lc, lv, res) || sopnd_load(&R, rc, rv, res)) return errchk;
    i64 f = code - FC_OUTER;
    SetNames(1, 3, res, lc, lv, rc, rv);
    i64 type = outer_type(f, L.d.type, R.d.type);
    if (type < 0) return errchk = -type;
    if (f == FC_BINOMIAL && type == TFLOAT)
        if (i64 e = binomial_checks(&L, &R)) return errchk = e;

    i64 rank = std::max<i64>(L.d.rank, 0) + std::max<i64>(R.d.rank, 0), run;
    i64* dims = (i64*)GM_new(TINT, rank + 1);
    if (!dims) return errchk;
    i64 k = shape_of(&L.d, dims);
    shape_of(&R.d, dims + k);
    if (shape_run(dims, rank, &run)) return errchk;
    i64 nl = L.d.count, nr = R.d.count;
    ttyp = type;
    vtable[res].type = type;
    if (Updatead0(res, type, rank, nl * nr)) return errchk;
    shape_set(res, dims, rank, run);
    if (nl * nr == 0) return IntV(-1, res), errchk = 0;
    sopnd_refresh(&L);
    sopnd_refresh(&R);
    void* out = getptV(&vtable[res]);

    if (type == TBOOL) {
        if (L.d.type == TCHAR)
            outer_same(f, nl, (const char*)L.p, L.one, nr, (const char*)R.p, R.one, (i64*)out);
        else outer_same(f, nl, (const i64*)L.p, L.one, nr, (const i64*)R.p, R.one, (i64*)out);
    } else if (type == TCPLX) {
        if (i64 e = outer_complex(f, nl, &L, nr, &R, (complex2*)out)) return errchk = e;
    } else if ((CompareCode(f) || f == FC_RESIDUE) && isinttype(L.d.type) && isinttype(R.d.type)) {
        outer_exact(f, nl, (const i64*)L.p, L.one, nr, (const i64*)R.p, R.one, (double*)out);
    } else {
        // a float takes part in an equality: tolerant
        bool tol = L.d.type == TFLOAT || R.d.type == TFLOAT;
        const double* x = sopnd_doubles(&L);
        const double* y = sopnd_doubles(&R);
        if (!x || !y) return errchk;
        if (tol) outer_real<true>(f, nl, x, L.one, nr, y, R.one, (double*)out);
        else outer_real<false>(f, nl, x, L.one, nr, y, R.one, (double*)out);
    }
    IntV(-1, res);
    return errchk = 0;
}
