// Small element kernels shared by the array routines: the real circle
// function, the logic functions and the random-number generator.
#include "scalar/scalar.h"

#include <cmath>
#include <cstdio>

// Only -7..7 have a real form here; callers that must refuse others check first.
double PfAllTrig(i64 k, double x) {
    double r;
    switch (k) {
    case -7: r = std::atanh(x); break;
    case -6: r = std::acosh(x); break;
    case -5: r = std::asinh(x); break;
    case -4: r = std::pow(-1 + x * x, 0.5); break;
    case -3: r = std::atan(x); break;
    case -2: r = std::acos(x); break;
    case -1: r = std::asin(x); break;
    case 0: r = std::pow(1 - x * x, 0.5); break;
    case 1: r = std::sin(x); break;
    case 2: r = std::cos(x); break;
    case 3: r = std::tan(x); break;
    case 4: r = std::pow(1 + x * x, 0.5); break;
    case 5: r = std::sinh(x); break;
    case 6: r = std::cosh(x); break;
    case 7: r = std::tanh(x); break;
    default:
        fprintf(stderr, "Debug[%s:%4d] %s\n", "epfn1", 2283, "not implemented yet!\n");
        r = 0.0;
        break;
    }
    return r;
}

i64 logic1_i(i64 code, i64 a, i64 b) {
    bool x = a != 0, y = b != 0;
    switch (code) {
    case FC_OR: return x || y;
    case FC_AND: return x && y;
    case FC_NOR: return !(x || y);
    default: return !(x && y);
    }
}

// 0.0 is false; every other value, NaN included, is true.
i64 logic1_f(i64 code, double x, double y) { return logic1_i(code, x != 0.0, y != 0.0); }

i64 APL2_rand(i64 n, i64 origin, i64* seed) {
    // 128-bit product: a large seed times 16807 must not overflow.
    __int128 p = (__int128)*seed * 16807;
    i64 s = (i64)(p % 2147483647);
    if (s == 0) s = 16807;
    *seed = s;
    return origin + (i64)std::trunc((double)n * ((double)s / 2147483647.0));
}

double getrand(double) { return 0.0; }

double PfFact(i64 n) {
    if (n >= 171) return INFINITY;
    double f = 1.0;
    for (i64 k = n; k >= 2; k--) f *= (double)k;
    return f;
}
