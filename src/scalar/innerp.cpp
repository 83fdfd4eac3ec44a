// Inner product f:g: each row of the left operand is joined element by
// element with each column of the right one by g, and the results are folded
// with f from the first element on, the accumulator on the left of f.
#include "scalar/scalar.h"
#include "values/registers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Rows, columns and inner length of one product; the right element k of
// column j sits at k*cols + j, or at j*n + k when the right is read as its
// transpose (a matrix; higher ranks are transposed in scratch first).
struct plan {
    i64 rows, cols, n, lq, rq;  // lq, rq: row and column lengths (membership)
    bool ls, rs, rt;            // left single, right single, right transposed
    i64 right(i64 j, i64 k) const { return rs ? 0 : rt ? j * rq + k : k * cols + j; }
    i64 left(i64 i, i64 k) const { return ls ? 0 : i * lq + k; }
};

bool refused_complex(i64 f) {
    return (f >= FC_OR && f <= FC_GT) || f == FC_MAX || f == FC_MIN || f == FC_BINOMIAL;
}
bool needs_complex(i64 f) { return f == FC_POWER || f == FC_LOG || f == FC_CIRCLE; }
bool valid_fn(i64 f) { return (f >= FC_OR && f <= FC_EQ) || (f >= FC_IDENTITY && f <= FC_CIRCLE); }

// The real kernel: ordering puts the float null below every number;
// binomial is refused (kernel_fault) where the exact value is out of reach.
template <i64 F, bool TOL>
inline double ip_k(double x, double y) {
    if constexpr (F == FC_LT) {
        if (std::isnan(x)) return std::isnan(y) ? 0.0 : 1.0;
        return std::isnan(y) ? 0.0 : (double)(x < y);
    } else if constexpr (F == FC_GT) {
        if (std::isnan(x)) return 0.0;
        return std::isnan(y) ? 1.0 : (double)(x > y);
    } else {
        return red_k<F, TOL>(x, y);
    }
}

// Every row joined with every column by g and folded by f from the identity.
template <i64 F, bool TOL, class E, class G>
void fold_loop(const plan& p, const E* x, const E* y, double* out, G g) {
    double e = red_identity(F);
    for (i64 i = 0; i < p.rows; i++)
        for (i64 j = 0; j < p.cols; j++) {
            double acc = e;
            for (i64 k = 0; k < p.n; k++)
                acc = ip_k<F, TOL>(acc, (double)g(x[p.left(i, k)], y[p.right(j, k)]));
            out[i * p.cols + j] = acc;
        }
}

template <bool TOL>
void real_product(i64 f, i64 g, const plan& p, const double* x, const double* y, double* out) {
    with_kernel<TOL>(g, [&]<i64 G, bool T>() {
        with_kernel<T>(f, [&]<i64 F, bool T2>() {
            fold_loop<F, T2>(p, x, y, out, [](double a, double b) { return ip_k<G, T2>(a, b); });
        });
    });
}

// A comparison g of two integer operands, exactly on the 64-bit values.
void int_compare_product(i64 f, i64 g, const plan& p, const i64* x, const i64* y, double* out) {
    with_compare(g, [&]<i64 G>() {
        with_kernel<false>(f, [&]<i64 F, bool T>() {
            fold_loop<F, T>(p, x, y, out, [](i64 a, i64 b) { return cmp_int<G>(a, b); });
        });
    });
}

// Characters compared by g (20 differ, 21 equal), folded by f on doubles.
void char_product(i64 f, i64 g, const plan& p, const char* x, const char* y, double* out) {
    bool eq = g == FC_EQ;
    with_kernel<false>(f, [&]<i64 F, bool T>() {
        fold_loop<F, T>(p, x, y, out, [eq](char a, char b) { return (a == b) == eq; });
    });
}

// One complex function step; = and ~= compare exactly. E_DOMAIN for a domain result.
i64 complex_step(i64 code, complex2* out, complex2 x, complex2 y) {
    if (code == FC_NE || code == FC_EQ) {
        *out = complex2((double)((x == y) == (code == FC_EQ)), 0.0);
        return 0;
    }
    return clex_dyadic_process(code, out, x, y);
}

i64 complex_product(i64 f, i64 g, const plan& p, const complex2* x, const complex2* y,
                    complex2* out) {
    complex2 e(red_identity(f), 0.0);
    for (i64 i = 0; i < p.rows; i++)
        for (i64 j = 0; j < p.cols; j++) {
            complex2 acc = e;
            for (i64 k = 0; k < p.n; k++) {
                complex2 t = I0;
                if (complex_step(g, &t, x[p.left(i, k)], y[p.right(j, k)])) return E_DOMAIN;
                if (complex_step(f, &acc, acc, t)) return E_DOMAIN;
            }
            out[i * p.cols + j] = acc;
        }
    return 0;
}

// Membership counts (+:?): how many elements of each left row occur in
// each right column; a single left value gives 0 or 1 per column. Integers
// are compared exactly, floats and complex numbers within the tolerance.
i64 member_counts(const plan& p, i64 type, const sopnd* L, const sopnd* R, double* out) {
    if (p.ls) {
        // The operands widened once, not for every pair.
        const complex2 *zl = nullptr, *zr = nullptr;
        const double *dl = nullptr, *dr = nullptr;
        errchk = 0;
        if (type == TCPLX) zl = sopnd_complex(L), zr = sopnd_complex(R);
        else if (type == TFLOAT) dl = sopnd_doubles(L), dr = sopnd_doubles(R);
        if (errchk) return errchk;
        for (i64 j = 0; j < p.cols; j++) {
            bool hit = false;
            for (i64 k = 0; k < p.rq && !hit; k++) {
                i64 at = p.rt ? j * p.rq + k : k * p.cols + j;
                if (type == TCHAR) hit = *(const char*)L->p == ((const char*)R->p)[at];
                // two integer operands: their words, exactly
                else if (isinttype(type)) hit = *(const i64*)L->p == ((const i64*)R->p)[at];
                else if (type == TCPLX)
                    hit = gequal(zl[0].real, zr[at].real) && gequal(zl[0].imag, zr[at].imag);
                else hit = gequal(dl[0], dr[at]);
            }
            out[j] = hit;
        }
        return 0;
    }
    if (type != TCHAR) return E_UNDER_CONSTRUCTION;
    const char* x = (const char*)L->p;
    const char* y = (const char*)R->p;
    for (i64 j = 0; j < p.cols; j++) {
        bool in[256] = {};
        for (i64 k = 0; k < p.rq; k++)
            in[(unsigned char)y[p.rt ? j * p.rq + k : k * p.cols + j]] = true;
        for (i64 i = 0; i < p.rows; i++) {
            i64 n = 0;
            for (i64 k = 0; k < p.lq; k++) n += in[(unsigned char)x[i * p.lq + k]];
            out[i * p.cols + j] = (double)n;
        }
    }
    return 0;
}

// An operand read as its transpose, made in scratch (axes reversed).
void transpose_into(const char* from, char* to, const i64* dims, i64 rank, i64 w) {
    std::vector<i64> idx(rank, 0), tstride(rank);
    i64 n = 1;
    for (i64 a = 0; a < rank; a++) {
        tstride[a] = n;
        n *= dims[a];
    }
    for (i64 s = 0; s < n; s++) {
        i64 t = 0;
        for (i64 a = 0; a < rank; a++) t += idx[a] * tstride[a];
        std::memcpy(to + t * w, from + s * w, w);
        for (i64 a = rank - 1; a >= 0 && ++idx[a] == dims[a]; a--) idx[a] = 0;
    }
}

// The result's shape and the loop plan; E_LENGTH when the inner lengths differ.
i64 make_plan(i64 g, const val_item* l, const i64* ld, const i64* rd, i64 rrank, bool rt, plan* p,
              std::vector<i64>* dims) {
    i64 lr = std::max<i64>(l->rank, 0);
    p->ls = isoneV(l) || (l->rank <= 1 && l->count == 1);
    p->lq = lr == 0 ? 1 : ld[lr - 1];
    p->rq = rrank == 0 ? 1 : rt ? rd[rrank - 1] : rd[0];
    // Rows and columns are used only for a non-empty result, where their
    // product is its count; for an empty one they may wrap harmlessly.
    p->rows = 1;
    for (i64 a = 0; a + 1 < lr; a++) {
        __builtin_mul_overflow(p->rows, ld[a], &p->rows);
        dims->push_back(ld[a]);
    }
    p->cols = 1;
    for (i64 a = 1; a < rrank; a++) {
        i64 d = rt ? rd[rrank - 1 - a] : rd[a];
        __builtin_mul_overflow(p->cols, d, &p->cols);
        dims->push_back(d);
    }
    p->rt = rt;
    if (g == FC_MEMBER) p->n = 0;
    else if (p->ls) p->n = p->rq;
    else if (p->rs) p->n = p->lq;
    else if (p->lq != p->rq) return E_LENGTH;
    else p->n = p->lq;
    return 0;
}

// Type of the computation: TFLOAT, TCPLX or TCHAR; -1 for a domain error.
i64 work_type(i64 f, i64 g, i64 lt, i64 rt) {
    i64 T = std::max(lt, rt);
    if (T > TCPLX) return -1;
    if (T == TCHAR) {
        bool ok = lt == rt && (g == FC_MEMBER || g == FC_NE || g == FC_EQ) && !needs_complex(f);
        return ok ? (i64)TCHAR : -1;
    }
    if (lt == TCHAR || rt == TCHAR) return -1;
    if (g == FC_MEMBER) return T;
    if (T == TCPLX || needs_complex(f) || needs_complex(g))
        return refused_complex(f) || refused_complex(g) ? -1 : (i64)TCPLX;
    return TFLOAT;
}

}  // namespace

i64 PfInnerp(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 transposed) {
    i64 f = code / 100, g = code % 100;
    if (!valid_fn(f) || !(valid_fn(g) || g == FC_MEMBER)) return errchk = E_DOMAIN;
    if (g == FC_MEMBER && f != FC_ADD) return errchk = E_DOMAIN;
    sopnd L, R;
    if (sopnd_load(&L, lc, lv, res) || sopnd_load(&R, rc, rv, res)) return errchk;
    SetNames(1, 3, res, lc, lv, rc, rv);
    i64 wt = work_type(f, g, L.d.type, R.d.type);
    if (wt < 0) return errchk = E_DOMAIN;
    bool tol = L.d.type == TFLOAT || R.d.type == TFLOAT;

    std::vector<i64> ld(std::max<i64>(L.d.rank, 1)), rd(std::max<i64>(R.d.rank, 1)), dims;
    shape_of(&L.d, ld.data());
    shape_of(&R.d, rd.data());
    i64 rrank = std::max<i64>(R.d.rank, 0);
    bool flip = transposed && rrank >= 2;
    plan p;
    p.rs = R.one || (R.d.rank <= 1 && R.d.count == 1);
    if (make_plan(g, &L.d, ld.data(), rd.data(), rrank, flip, &p, &dims)) return errchk = E_LENGTH;
    bool scratch_flip = flip && rrank > 2;  // read in place only for a matrix
    p.rt = flip && !scratch_flip;

    i64 type = wt == TCPLX ? TCPLX : TFLOAT;
    i64 count;
    if (ShapeCount(dims.data(), (i64)dims.size(), type, &count)) return errchk;
    if (NewResult(res, type, (i64)dims.size(), dims.data(), count)) return errchk;
    if (count == 0) return IntV(-1, res), errchk = 0;
    sopnd_refresh(&L);
    sopnd_refresh(&R);
    void* out = getptV(&vtable[res]);

    const void* x;
    const void* y;
    i64 w = ElemWidth(wt);
    // A comparison of two integer operands reads their words, not doubles.
    bool exact = wt == TFLOAT && CompareCode(g) && isinttype(L.d.type) && isinttype(R.d.type);
    errchk = 0;
    if (wt == TCPLX) x = sopnd_complex(&L), y = sopnd_complex(&R);
    else if (wt == TCHAR || exact) x = L.p, y = R.p;
    else x = sopnd_doubles(&L), y = sopnd_doubles(&R);
    if (errchk) return errchk;
    if (scratch_flip && g != FC_MEMBER) {
        char* t = (char*)GM_new(TCHAR, R.d.count * w);
        if (!t) return errchk;
        transpose_into((const char*)y, t, rd.data(), rrank, w);
        y = t;
    }
    if (g == FC_MEMBER) {
        if (scratch_flip) {
            sopnd T = R;
            T.p = GM_new(TCHAR, R.d.count * ElemWidth(R.d.type));
            if (!T.p) return errchk;
            transpose_into((const char*)R.p, (char*)T.p, rd.data(), rrank, ElemWidth(R.d.type));
            T.priv = true;
            R = T;
        }
        if (i64 e = member_counts(p, wt, &L, &R, (double*)out)) return errchk = e;
    } else if (wt == TCHAR) {
        char_product(f, g, p, (const char*)x, (const char*)y, (double*)out);
    } else if (exact) {
        int_compare_product(f, g, p, (const i64*)x, (const i64*)y, (double*)out);
    } else if (wt == TCPLX) {
        if (complex_product(f, g, p, (const complex2*)x, (const complex2*)y, (complex2*)out))
            return errchk = E_DOMAIN;
    } else {
        kernel_fault = false;
        if (tol) real_product<true>(f, g, p, (const double*)x, (const double*)y, (double*)out);
        else real_product<false>(f, g, p, (const double*)x, (const double*)y, (double*)out);
        if (kernel_fault) return errchk = E_DOMAIN;
    }
    IntV(-1, res);
    return errchk = 0;
}
