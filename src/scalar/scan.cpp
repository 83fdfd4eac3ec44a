// Scan: along one axis, the reduction of every prefix, each evaluated from
// its right end as reduce does. Associative functions carry a running
// result; the others fold each prefix afresh.
#include "scalar/scalar.h"
#include "values/registers.h"

#include <cmath>

// Vectors along the scanned axis: m elements, n vectors, element k of vector
// v at v*vstride + k*step.
struct scanplan {
    i64 m, n, vstride, step;
};

// Logic functions on truth values: the prefix fold e0 f (e1 f (... f t)) is
// a function of its innermost value t, kept as its two outputs.
template <i64 F>
static void scan_logic(const i64* x, const scanplan& p, i64* out) {
    for (i64 v = 0; v < p.n; v++) {
        const i64* e = x + v * p.vstride;
        i64* o = out + v * p.vstride;
        i64 h0 = 0, h1 = 1;  // the identity function of t
        for (i64 k = 0; k < p.m; k++) {
            i64 ek = e[k * p.step];
            o[k * p.step] = ek ? h1 : h0;
            // next prefix: h(e_k f t)
            i64 t0 = logic1_i(F, ek, 0), t1 = logic1_i(F, ek, 1);
            i64 n0 = t0 ? h1 : h0, n1 = t1 ? h1 : h0;
            h0 = n0;
            h1 = n1;
        }
    }
}

static void scan_logic_run(i64 f, const i64* x, const scanplan& p, i64* out) {
    switch (f) {
    case FC_OR: scan_logic<FC_OR>(x, p, out); break;
    case FC_AND: scan_logic<FC_AND>(x, p, out); break;
    case FC_NOR: scan_logic<FC_NOR>(x, p, out); break;
    default: scan_logic<FC_NAND>(x, p, out); break;
    }
}

// Running result for +, x, max and min: the fold of the elements before k
// (NaNs skipped) combined with element k, which is never skipped.
template <i64 F>
static void scan_running(const double* x, const scanplan& p, double* out) {
    for (i64 v = 0; v < p.n; v++) {
        const double* e = x + v * p.vstride;
        double* o = out + v * p.vstride;
        bool any = false;
        double run = 0;
        for (i64 k = 0; k < p.m; k++) {
            double ek = e[k * p.step];
            o[k * p.step] = any ? red_k<F, false>(run, ek) : ek;
            if (ek != ek) continue;
            if (!any) run = ek, any = true;
            else if constexpr (F == FC_MAX) run = ek >= run ? ek : run;
            else if constexpr (F == FC_MIN) run = ek <= run ? ek : run;
            else run = red_k<F, false>(run, ek);
        }
    }
}

template <bool TOL>
static void scan_prefix(i64 f, const double* x, const scanplan& p, double* out) {
    with_kernel<TOL>(f, [&]<i64 F, bool T>() {
        for (i64 v = 0; v < p.n; v++) {
            const double* e = x + v * p.vstride;
            double* o = out + v * p.vstride;
            for (i64 k = 0; k < p.m; k++) {
                double g = e[k * p.step];
                for (i64 j = k - 1; j >= 0; j--) {
                    double xj = e[j * p.step];
                    if (xj == xj) g = red_k<F, T>(xj, g);
                }
                o[k * p.step] = g;
            }
        }
    });
}

// The operand's elements as doubles; characters by their signed codes.
static const double* scan_doubles(const sopnd* o) {
    if (o->d.type != TCHAR) return sopnd_doubles(o);
    double* d = (double*)GM_new(TFLOAT, o->d.count);
    if (!d) return nullptr;
    const signed char* c = (const signed char*)o->p;
    for (i64 i = 0; i < o->d.count; i++) d[i] = (double)c[i];
    return d;
}

static scanplan plan_scan(const val_item* v, bool first) {
    i64 dims[2] = {v->count, 1};
    if (v->rank >= 2) {
        dims[0] = v->dim0;
        dims[1] = v->rank == 2 ? v->dim1 : glist[v->dim1 + v->rank - 2];
    }
    scanplan p;
    p.m = v->rank <= 1 ? v->count : (first ? dims[0] : dims[1]);
    p.n = p.m == 0 ? 0 : v->count / p.m;
    p.vstride = (first && v->rank >= 2) ? 1 : p.m;
    p.step = (first && v->rank >= 2) ? p.n : 1;
    return p;
}

static bool scan_type_ok(i64 f, const val_item* v) {
    if (f >= FC_OR && f <= FC_NAND) return v->type == TBOOL || (v->type == TINT && allbits(v));
    return v->type <= TCHAR;
}

// Integer sums: running sums vector by vector, without a double copy.
static void scan_int_sums(const i64* x, const scanplan& p, double* out) {
    for (i64 v = 0; v < p.n; v++)
        IntRunningSums(x + v * p.vstride, p.m, p.step, out + v * p.vstride);
}

// Every prefix folded afresh, exactly in integers, by fold(left, right):
// residues and comparisons.
template <class K>
static void scan_int_prefix(const i64* x, const scanplan& p, double* out, K fold) {
    for (i64 v = 0; v < p.n; v++) {
        const i64* e = x + v * p.vstride;
        double* o = out + v * p.vstride;
        for (i64 k = 0; k < p.m; k++) {
            i64 g = e[k * p.step];
            for (i64 j = k - 1; j >= 0; j--) g = fold(e[j * p.step], g);
            o[k * p.step] = (double)g;
        }
    }
}

static void scan_int_compare(i64 f, const i64* x, const scanplan& p, double* out) {
    with_compare(f, [&]<i64 F>() {
        scan_int_prefix(x, p, out, [](i64 a, i64 b) { return (i64)cmp_int<F>(a, b); });
    });
}

static void scan_real(i64 f, const double* x, bool tol, const scanplan& p, double* out) {
    switch (f) {
    case FC_ADD: scan_running<FC_ADD>(x, p, out); break;
    case FC_MULTIPLY: scan_running<FC_MULTIPLY>(x, p, out); break;
    case FC_MAX: scan_running<FC_MAX>(x, p, out); break;
    case FC_MIN: scan_running<FC_MIN>(x, p, out); break;
    default:
        if (tol) scan_prefix<true>(f, x, p, out);
        else scan_prefix<false>(f, x, p, out);
        break;
    }
}

i64 GenScan(i64 code, i64 res, i64 rc, i64 rv) {
    bool first = code > FC_SCAN1;
    i64 f = fc_operand(code);
    if (!((f >= FC_OR && f <= FC_EQ) || (f >= FC_ADD && f <= FC_CIRCLE))) return errchk = E_DOMAIN;
    SetNames(1, 5, res, -1, -1, rc, rv);
    sopnd R;
    if (sopnd_load(&R, rc, rv, res)) return errchk;
    if (!scan_type_ok(f, &R.d)) return errchk = E_DOMAIN;
    bool logic = f >= FC_OR && f <= FC_NAND;
    i64 type = logic ? TINT : TFLOAT;
    if (R.one) return errchk = GenStore(res, rc, rv);
    ttyp = type;
    vtable[res].type = type;
    if (!(rc < 0 && rv == res) && GenStoreDims(res, rc, rv)) return errchk;
    if (Updatead0(res, type, R.d.rank, R.d.count)) return errchk;
    vtable[res].type = type;
    sopnd_refresh(&R);
    scanplan p = plan_scan(&R.d, first);
    void* out = getptV(&vtable[res]);
    if (R.d.count > 0) {
        kernel_fault = false;
        if (logic) scan_logic_run(f, (const i64*)R.p, p, (i64*)out);
        else if (f == FC_ADD && isinttype(R.d.type))
            scan_int_sums((const i64*)R.p, p, (double*)out);
        else if (f == FC_RESIDUE && isinttype(R.d.type))
            scan_int_prefix((const i64*)R.p, p, (double*)out, int_residue);
        else if (CompareCode(f) && isinttype(R.d.type))
            scan_int_compare(f, (const i64*)R.p, p, (double*)out);
        else if (const double* x = scan_doubles(&R))
            scan_real(f, x, R.d.type == TFLOAT, p, (double*)out);
        else return errchk;
        if (kernel_fault) return errchk = E_DOMAIN;
    }
    if (!logic) IntV(-1, res);
    return errchk = 0;
}
