// Real element kernels of the dyadic scalar functions, on 64-bit integers
// and on doubles, and their loops over whole arrays.
#include "scalar/scalar.h"

#include <cmath>

// Integer sums and products wrap (unsigned arithmetic), then pass through a
// double as the reference arithmetic does.
template <i64 C>
static inline i64 ari_i(i64 x, i64 y)
{
    uint64_t a = (uint64_t)x, b = (uint64_t)y;
    if constexpr (C == 45) return dbl2int((double)(i64)(a + b));
    else if constexpr (C == 47) return dbl2int((double)(i64)(a - b));
    else if constexpr (C == 49) return dbl2int((double)(i64)(a * b));
    else if constexpr (C == 53) return y >= x ? y : x;
    else if constexpr (C == 55) return x >= y ? y : x;
    else if constexpr (C == 61) {
        if (x == 0) return y;
        double dx = (double)x, dy = (double)y;
        return dbl2int(dy - dx * std::floor(1e-13 + dy / dx));
    } else if constexpr (C == 63) return dbl2int(binomial(x, y));
    else return 0;
}

i64 ari2fn_i(i64 code, i64 x, i64 y)
{
    switch (code) {
    case 45: return ari_i<45>(x, y);
    case 47: return ari_i<47>(x, y);
    case 49: return ari_i<49>(x, y);
    case 53: return ari_i<53>(x, y);
    case 55: return ari_i<55>(x, y);
    case 61: return ari_i<61>(x, y);
    case 63: return ari_i<63>(x, y);
    default: return 0;
    }
}

double ari2fn_f(i64 code, double x, double y)
{
    switch (code) {
    case 45: return ari_f<45>(x, y);
    case 47: return ari_f<47>(x, y);
    case 49: return ari_f<49>(x, y);
    case 51: return ari_f<51>(x, y);
    case 53: return ari_f<53>(x, y);
    case 55: return ari_f<55>(x, y);
    case 57: return ari_f<57>(x, y);
    case 59: return ari_f<59>(x, y);
    case 61: return ari_f<61>(x, y);
    default: return 0.0;
    }
}

i64 Check_clex_d(i64 code, double, double y) { return code == 59 && y < 0; }

void ari_loop_i(i64 code, i64 n, const i64* x, bool xs, const i64* y, bool ys, i64* out)
{
    switch (code) {
    case 45: zipwith(n, x, xs, y, ys, out, ari_i<45>); break;
    case 47: zipwith(n, x, xs, y, ys, out, ari_i<47>); break;
    case 49: zipwith(n, x, xs, y, ys, out, ari_i<49>); break;
    case 53: zipwith(n, x, xs, y, ys, out, ari_i<53>); break;
    case 55: zipwith(n, x, xs, y, ys, out, ari_i<55>); break;
    case 61: zipwith(n, x, xs, y, ys, out, ari_i<61>); break;
    case 63: zipwith(n, x, xs, y, ys, out, ari_i<63>); break;
    default: break;
    }
}

void ari_loop_f(i64 code, i64 n, const double* x, bool xs, const double* y, bool ys,
                double* out)
{
    switch (code) {
    case 45: zipwith(n, x, xs, y, ys, out, ari_f<45>); break;
    case 47: zipwith(n, x, xs, y, ys, out, ari_f<47>); break;
    case 49: zipwith(n, x, xs, y, ys, out, ari_f<49>); break;
    case 51: zipwith(n, x, xs, y, ys, out, ari_f<51>); break;
    case 53: zipwith(n, x, xs, y, ys, out, ari_f<53>); break;
    case 55: zipwith(n, x, xs, y, ys, out, ari_f<55>); break;
    case 57: zipwith(n, x, xs, y, ys, out, ari_f<57>); break;
    case 59: zipwith(n, x, xs, y, ys, out, ari_f<59>); break;
    case 61: zipwith(n, x, xs, y, ys, out, ari_f<61>); break;
    default: break;
    }
}
