// Encode: numbers written as digits in a mixed radix. Every number gets one
// digit per radix along the left operand's first axis, the last radix giving
// the last digit.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "primitives/primitives.h"

// One digit of x by radix r; x becomes the carry (x - digit) / r. The digit
// is the floored residue: between 0 and r, on r's side. Radices 1 and -1 are
// taken apart: dividing the integer null by -1 would trap.
static i64 digit_i(i64* x, i64 r) {
    i64 v = *x;
    if (r == 0) {
        *x = 0;
        return v;
    }
    if (r == 1 || r == -1) {
        *x = r == 1 ? v : (i64)(0 - (uint64_t)v);  // wraps on the integer null
        return 0;
    }
    i64 q = v / r, d = v % r;
    if (d != 0 && ((d < 0) != (r < 0))) {
        d += r;
        q -= 1;
    }
    *x = q;
    return d;
}

static double digit_f(double* x, double r) {
    double v = *x;
    if (r == 0) {
        *x = 0;
        return v;
    }
    double d = v - r * std::floor(v / r);
    *x = (v - d) / r;
    return d;
}

i64 PfEncode(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    // Only numbers have digits: characters, symbols, complex numbers,
    // lists and temporal values are refused.
    sopnd L, R;
    i64 type;
    if (NumericPair(&L, &R, &type, res, lc, lv, rc, rv)) return errchk;
    i64 lr = L.d.rank, rr = R.d.rank, rank = lr + rr;
    i64* dims = static_cast<i64*>(GM_new(TINT, rank + 1));
    if (!dims) return errchk;
    shape_of(&L.d, dims);
    shape_of(&R.d, dims + lr);
    i64 N = lr ? dims[0] : 1;       // digits per number
    i64 C = N ? L.d.count / N : 0;  // radix vectors
    i64 V = R.d.count;              // numbers
    i64 count;
    if (ShapeCount(dims, rank, type, &count)) return errchk;
    if (NewResult(res, type, rank, dims, count)) return errchk;
    sopnd_refresh(&L);
    sopnd_refresh(&R);
    void* out = getptV(&vtable[res]);
    if (type == TFLOAT) {
        const double* a = sopnd_doubles(&L);
        const double* b = sopnd_doubles(&R);
        if ((!a && L.d.count > 0) || (!b && R.d.count > 0)) return errchk;
        double* o = static_cast<double*>(out);
        for (i64 c = 0; c < C; c++)
            for (i64 j = 0; j < V; j++) {
                double x = b[j];
                for (i64 k = N - 1; k >= 0; k--) o[(k * C + c) * V + j] = digit_f(&x, a[k * C + c]);
            }
        return errchk = 0;
    }
    const i64* a = static_cast<const i64*>(L.p);
    const i64* b = static_cast<const i64*>(R.p);
    i64* o = static_cast<i64*>(out);
    for (i64 c = 0; c < C; c++)
        for (i64 j = 0; j < V; j++) {
            i64 x = b[j];
            for (i64 k = N - 1; k >= 0; k--) o[(k * C + c) * V + j] = digit_i(&x, a[k * C + c]);
        }
    // A zero radix copies the number, which may pass 1: the result is integer.
    if (type == TBOOL) BooleanOrInteger(res, o, count);
    return errchk = 0;
}
