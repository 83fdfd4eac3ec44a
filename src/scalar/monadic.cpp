// Monadic scalar functions: real operands in double precision, complex
// operands (and logarithms of negatives) through the complex kernel; every
// result is narrowed afterwards.
#include "scalar/scalar.h"
#include "values/registers.h"

#include <cmath>

template <i64 C>
static inline double mon_f(double x) {
    if constexpr (C == FC_IDENTITY) return x;
    else if constexpr (C == FC_NEGATE) return -x;
    else if constexpr (C == FC_SIGNUM) return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0;
    else if constexpr (C == FC_RECIPROCAL) return 1 / x;
    else if constexpr (C == FC_CEILING) return std::ceil(x);
    else if constexpr (C == FC_FLOOR) return std::floor(x);
    else if constexpr (C == FC_EXP) return std::exp(x);
    else if constexpr (C == FC_LN) return std::log(x);
    else if constexpr (C == FC_MAGNITUDE) return x >= 0 ? x : -x;
    // Whole numbers only (mon_checks); a huge one is no 64-bit integer.
    else if constexpr (C == FC_FACTORIAL) return x > 170 ? INFINITY : PfFact(dbl2int(x));
    else if constexpr (C == FC_PITIMES) return ZPI * x;
    else return 0.0;
}

template <i64 C>
static void mon_run(i64 n, const double* in, double* out) {
    for (i64 i = 0; i < n; i++) out[i] = mon_f<C>(in[i]);
}

static void mon_loop(i64 code, i64 n, const double* in, double* out) {
    switch (code) {
    case FC_IDENTITY: mon_run<FC_IDENTITY>(n, in, out); break;
    case FC_NEGATE: mon_run<FC_NEGATE>(n, in, out); break;
    case FC_SIGNUM: mon_run<FC_SIGNUM>(n, in, out); break;
    case FC_RECIPROCAL: mon_run<FC_RECIPROCAL>(n, in, out); break;
    case FC_CEILING: mon_run<FC_CEILING>(n, in, out); break;
    case FC_FLOOR: mon_run<FC_FLOOR>(n, in, out); break;
    case FC_EXP: mon_run<FC_EXP>(n, in, out); break;
    case FC_LN: mon_run<FC_LN>(n, in, out); break;
    case FC_MAGNITUDE: mon_run<FC_MAGNITUDE>(n, in, out); break;
    case FC_FACTORIAL: mon_run<FC_FACTORIAL>(n, in, out); break;
    case FC_PITIMES: mon_run<FC_PITIMES>(n, in, out); break;
    default: break;
    }
}

// Checks on the real elements; 0 or an error code, *cplx set for a
// logarithm that needs complex arithmetic.
static i64 mon_checks(i64 code, i64 type, i64 n, const double* x, bool* cplx) {
    if (code == FC_FACTORIAL && type == TFLOAT) return E_DOMAIN;
    for (i64 i = 0; i < n; i++) {
        if (code == FC_RECIPROCAL && x[i] == 0) return E_DOMAIN;
        if (code == FC_LN) {
            if (x[i] == 0) return E_DOMAIN;
            if (x[i] < 0) {
                *cplx = true;
                return 0;
            }
        }
        if (code == FC_FACTORIAL && x[i] < 0) return E_DOMAIN;
    }
    return 0;
}

i64 PfScalar0(i64 code, i64 res, i64 rc, i64 rv) {
    sopnd R;
    if (sopnd_load(&R, rc, rv, res)) return errchk;
    SetNames(1, 5, res, -1, -1, rc, rv);
    i64 type = R.d.type;
    if (!isnumtype(type) && type != TCPLX) return errchk = E_DOMAIN;
    if (code == FC_FACTORIAL && type == TCPLX) return errchk = E_NOT_BUILT;
    i64 n = R.d.count;
    bool cplx = type == TCPLX;
    const double* x = nullptr;
    if (!cplx) {
        x = sopnd_doubles(&R);
        if (!x && n > 0) return errchk;
        i64 err = mon_checks(code, type, n, x, &cplx);
        if (err) return errchk = err;
    }
    const complex2* z = cplx ? sopnd_complex(&R) : nullptr;
    if (cplx && !z && n > 0) return errchk;
    i64 rtype = cplx ? TCPLX : TFLOAT;
    ttyp = rtype;
    vtable[res].type = rtype;
    if (!(R.c < 0 && R.v == res) && GenStoreDims(res, rc, rv)) return errchk;
    if (Updatead0(res, rtype, R.d.rank, n)) return errchk;
    // The allocation may have moved the operand's own data.
    sopnd_refresh(&R);
    if (type == TFLOAT) x = (const double*)R.p;
    if (type == TCPLX) z = (const complex2*)R.p;
    if (n > 0) {
        void* out = getptV(&vtable[res]);
        if (cplx) clex_mon0(code, n, (complex2*)out, z);
        else mon_loop(code, n, x, (double*)out);
    }
    IntV(-1, res);
    return errchk = 0;
}
