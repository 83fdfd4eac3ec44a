// Real element kernels of the dyadic scalar functions, on 64-bit integers
// and on doubles, and their loops over whole arrays.
#include "scalar/scalar.h"

#include <cmath>

// Integer sums and products wrap (unsigned arithmetic), then pass through a
// double as the reference arithmetic does; the residue is exact.
template <i64 C>
static inline i64 ari_i(i64 x, i64 y) {
    uint64_t a = (uint64_t)x, b = (uint64_t)y;
    if constexpr (C == FC_ADD) return dbl2int((double)(i64)(a + b));
    else if constexpr (C == FC_SUBTRACT) return dbl2int((double)(i64)(a - b));
    else if constexpr (C == FC_MULTIPLY) return dbl2int((double)(i64)(a * b));
    else if constexpr (C == FC_MAX) return y >= x ? y : x;
    else if constexpr (C == FC_MIN) return x >= y ? y : x;
    else if constexpr (C == FC_RESIDUE) return int_residue(x, y);
    else if constexpr (C == FC_BINOMIAL) return dbl2int(binomial(x, y));
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

// Sum, difference and product: the wrapped result, which passing through a
// double leaves as it is while its magnitude is at most 2^53.
template <i64 C>
static inline i64 wrapped(i64 x, i64 y) {
    uint64_t a = (uint64_t)x, b = (uint64_t)y;
    if constexpr (C == FC_ADD) return (i64)(a + b);
    else if constexpr (C == FC_SUBTRACT) return (i64)(a - b);
    else return (i64)(a * b);
}

// The wrapped results block by block, each block then checked for results
// beyond 2^53 in magnitude, which alone need the pass through a double.
template <i64 C>
static void wrapped_loop(i64 n, const i64* x, bool xs, const i64* y, bool ys, i64* out) {
    constexpr i64 BLOCK = 1024;
    constexpr uint64_t TWO53 = (uint64_t)1 << 53;
    for (i64 b = 0; b < n; b += BLOCK) {
        i64 m = n - b < BLOCK ? n - b : BLOCK;
        i64* o = out + b;
        zipwith(m, xs ? x : x + b, xs, ys ? y : y + b, ys, o, wrapped<C>);
        uint64_t far = 0;
        for (i64 i = 0; i < m; i++) far |= ((uint64_t)o[i] + TWO53) >> 54;
        if (far)
            for (i64 i = 0; i < m; i++) o[i] = dbl2int((double)o[i]);
    }
}

void ari_loop_i(i64 code, i64 n, const i64* x, bool xs, const i64* y, bool ys, i64* out) {
    with_arith(code, [&]<i64 C>() {
        if constexpr (C == FC_ADD || C == FC_SUBTRACT || C == FC_MULTIPLY)
            wrapped_loop<C>(n, x, xs, y, ys, out);
        else if constexpr (int_kernel<C>) zipwith(n, x, xs, y, ys, out, ari_i<C>);
    });
}

// Float arithmetic on elements of either kind, an integer read as a double
// element by element.
template <class X, class Y>
static void float_loop(i64 code, i64 n, const X* x, bool xs, const Y* y, bool ys, double* out) {
    with_arith(code, [&]<i64 C>() {
        if constexpr (float_kernel<C>)
            zipwith(n, x, xs, y, ys, out, [](X a, Y b) { return ari_f<C>((double)a, (double)b); });
    });
}

void ari_loop_f(i64 code, i64 n, const void* x, bool xint, bool xs, const void* y, bool yint,
                bool ys, double* out) {
    const i64 *xi = (const i64*)x, *yi = (const i64*)y;
    const double *xd = (const double*)x, *yd = (const double*)y;
    if (xint && yint) float_loop(code, n, xi, xs, yi, ys, out);
    else if (xint) float_loop(code, n, xi, xs, yd, ys, out);
    else if (yint) float_loop(code, n, xd, xs, yi, ys, out);
    else float_loop(code, n, xd, xs, yd, ys, out);
}
