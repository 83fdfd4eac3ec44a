// Monadic scalar functions: real operands in double precision, complex
// operands (and logarithms of negatives) through the complex kernel; every
// result is narrowed afterwards.
#include "eval/eval.h"
#include "scalar/scalar.h"

#include <cmath>

// n x (n-1) x ... x 2, from n downward; 1 for n <= 1, infinity from 171 on.
static double factorial(double x)
{
    if (x > 170) return INFINITY;
    double r = 1.0;
    for (i64 n = dbl2int(x); n > 1; n--) r *= (double)n;
    return r;
}

template <i64 C>
static inline double mon_f(double x)
{
    if constexpr (C == 44) return x;
    else if constexpr (C == 46) return -x;
    else if constexpr (C == 48) return x > 0 ? 1.0 : x < 0 ? -1.0 : 0.0;
    else if constexpr (C == 50) return 1 / x;
    else if constexpr (C == 52) return std::ceil(x);
    else if constexpr (C == 54) return std::floor(x);
    else if constexpr (C == 56) return std::exp(x);
    else if constexpr (C == 58) return std::log(x);
    else if constexpr (C == 60) return x >= 0 ? x : -x;
    else if constexpr (C == 62) return factorial(x);
    else if constexpr (C == 64) return ZPI * x;
    else return 0.0;
}

template <i64 C>
static void mon_run(i64 n, const double* in, double* out)
{
    for (i64 i = 0; i < n; i++) out[i] = mon_f<C>(in[i]);
}

static void mon_loop(i64 code, i64 n, const double* in, double* out)
{
    switch (code) {
    case 44: mon_run<44>(n, in, out); break;
    case 46: mon_run<46>(n, in, out); break;
    case 48: mon_run<48>(n, in, out); break;
    case 50: mon_run<50>(n, in, out); break;
    case 52: mon_run<52>(n, in, out); break;
    case 54: mon_run<54>(n, in, out); break;
    case 56: mon_run<56>(n, in, out); break;
    case 58: mon_run<58>(n, in, out); break;
    case 60: mon_run<60>(n, in, out); break;
    case 62: mon_run<62>(n, in, out); break;
    case 64: mon_run<64>(n, in, out); break;
    default: break;
    }
}

// Checks on the real elements; 0 or an error code, *cplx set for a
// logarithm that needs complex arithmetic.
static i64 mon_checks(i64 code, i64 type, i64 n, const double* x, bool* cplx)
{
    if (code == 62 && type == TFLOAT) return E_DOMAIN;
    for (i64 i = 0; i < n; i++) {
        if (code == 50 && x[i] == 0) return E_DOMAIN;
        if (code == 58) {
            if (x[i] == 0) return E_DOMAIN;
            if (x[i] < 0) {
                *cplx = true;
                return 0;
            }
        }
        if (code == 62 && x[i] < 0) return E_DOMAIN;
    }
    return 0;
}

i64 PfScalar0(i64 code, i64 res, i64 rc, i64 rv)
{
    sopnd R;
    sopnd_load(&R, rc, rv, res);
    SetNames(1, 5, res, -1, -1, rc, rv);
    i64 type = R.d.type;
    if (!isnumtype(type) && type != TCPLX) return errchk = E_DOMAIN;
    if (code == 62 && type == TCPLX) return errchk = E_NOT_BUILT;
    i64 n = R.d.count;
    bool cplx = type == TCPLX;
    const double* x = nullptr;
    if (!cplx) {
        x = sopnd_doubles(&R);
        i64 err = mon_checks(code, type, n, x, &cplx);
        if (err) return errchk = err;
    }
    const complex2* z = cplx ? sopnd_complex(&R) : nullptr;
    i64 rtype = cplx ? TCPLX : TFLOAT;
    ttyp = rtype;
    vtable[res].type = rtype;
    if (!(R.c < 0 && R.v == res) && GenStoreDims(res, rc, rv)) return errchk;
    if (Updatead0(res, rtype, R.d.rank, n)) return errchk;
    if (n > 0) {
        void* out = getptV(&vtable[res]);
        if (cplx) clex_mon0(code, n, (complex2*)out, z);
        else mon_loop(code, n, x, (double*)out);
    }
    IntV(-1, res);
    return errchk = 0;
}
