// Real element kernels of the dyadic scalar functions, on 64-bit integers
// and on doubles, and their loops over whole arrays.
#include "scalar/scalar.h"

#include <cmath>

// Integer sums and products wrap (unsigned arithmetic), then pass through a
// double as the reference arithmetic does.
template <i64 C>
static inline i64 ari_i(i64 x, i64 y) {
    uint64_t a = (uint64_t)x, b = (uint64_t)y;
    if constexpr (C == FC_ADD) return dbl2int((double)(i64)(a + b));
    else if constexpr (C == FC_SUBTRACT) return dbl2int((double)(i64)(a - b));
    else if constexpr (C == FC_MULTIPLY) return dbl2int((double)(i64)(a * b));
    else if constexpr (C == FC_MAX) return y >= x ? y : x;
    else if constexpr (C == FC_MIN) return x >= y ? y : x;
    else if constexpr (C == FC_RESIDUE) {
        if (x == 0) return y;
        double dx = (double)x, dy = (double)y;
        return dbl2int(dy - dx * std::floor(1e-13 + dy / dx));
    } else if constexpr (C == FC_BINOMIAL) return dbl2int(binomial(x, y));
    else return 0;
}

// Calls body.template operator()<C>() for the dyadic arithmetic code C
// equal to code; nothing for any other code.
template <class B>
static void with_arith(i64 code, B&& body) {
    switch (code) {
    case FC_ADD: body.template operator()<FC_ADD>(); break;
    case FC_SUBTRACT: body.template operator()<FC_SUBTRACT>(); break;
    case FC_MULTIPLY: body.template operator()<FC_MULTIPLY>(); break;
    case FC_DIVIDE: body.template operator()<FC_DIVIDE>(); break;
    case FC_MAX: body.template operator()<FC_MAX>(); break;
    case FC_MIN: body.template operator()<FC_MIN>(); break;
    case FC_POWER: body.template operator()<FC_POWER>(); break;
    case FC_LOG: body.template operator()<FC_LOG>(); break;
    case FC_RESIDUE: body.template operator()<FC_RESIDUE>(); break;
    case FC_BINOMIAL: body.template operator()<FC_BINOMIAL>(); break;
    default: break;
    }
}

// The codes with an integer kernel, and with a float kernel.
template <i64 C>
constexpr bool int_kernel = C != FC_DIVIDE&& C != FC_POWER&& C != FC_LOG;
template <i64 C>
constexpr bool float_kernel = C != FC_BINOMIAL;

i64 ari2fn_i(i64 code, i64 x, i64 y) {
    i64 r = 0;
    with_arith(code, [&]<i64 C>() {
        if constexpr (int_kernel<C>) r = ari_i<C>(x, y);
    });
    return r;
}

double ari2fn_f(i64 code, double x, double y) {
    double r = 0.0;
    with_arith(code, [&]<i64 C>() {
        if constexpr (float_kernel<C>) r = ari_f<C>(x, y);
    });
    return r;
}

i64 Check_clex_d(i64 code, double, double y) { return code == FC_LOG && y < 0; }

void ari_loop_i(i64 code, i64 n, const i64* x, bool xs, const i64* y, bool ys, i64* out) {
    with_arith(code, [&]<i64 C>() {
        if constexpr (int_kernel<C>) zipwith(n, x, xs, y, ys, out, ari_i<C>);
    });
}

void ari_loop_f(i64 code, i64 n, const double* x, bool xs, const double* y, bool ys, double* out) {
    with_arith(code, [&]<i64 C>() {
        if constexpr (float_kernel<C>) zipwith(n, x, xs, y, ys, out, ari_f<C>);
    });
}
