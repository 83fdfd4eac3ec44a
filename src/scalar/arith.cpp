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

i64 ari2fn_i(i64 code, i64 x, i64 y)
{
    switch (code) {
    case FC_ADD: return ari_i<FC_ADD>(x, y);
    case FC_SUBTRACT: return ari_i<FC_SUBTRACT>(x, y);
    case FC_MULTIPLY: return ari_i<FC_MULTIPLY>(x, y);
    case FC_MAX: return ari_i<FC_MAX>(x, y);
    case FC_MIN: return ari_i<FC_MIN>(x, y);
    case FC_RESIDUE: return ari_i<FC_RESIDUE>(x, y);
    case FC_BINOMIAL: return ari_i<FC_BINOMIAL>(x, y);
    default: return 0;
    }
}

double ari2fn_f(i64 code, double x, double y)
{
    switch (code) {
    case FC_ADD: return ari_f<FC_ADD>(x, y);
    case FC_SUBTRACT: return ari_f<FC_SUBTRACT>(x, y);
    case FC_MULTIPLY: return ari_f<FC_MULTIPLY>(x, y);
    case FC_DIVIDE: return ari_f<FC_DIVIDE>(x, y);
    case FC_MAX: return ari_f<FC_MAX>(x, y);
    case FC_MIN: return ari_f<FC_MIN>(x, y);
    case FC_POWER: return ari_f<FC_POWER>(x, y);
    case FC_LOG: return ari_f<FC_LOG>(x, y);
    case FC_RESIDUE: return ari_f<FC_RESIDUE>(x, y);
    default: return 0.0;
    }
}

i64 Check_clex_d(i64 code, double, double y) { return code == FC_LOG && y < 0; }

void ari_loop_i(i64 code, i64 n, const i64* x, bool xs, const i64* y, bool ys, i64* out)
{
    switch (code) {
    case FC_ADD: zipwith(n, x, xs, y, ys, out, ari_i<FC_ADD>); break;
    case FC_SUBTRACT: zipwith(n, x, xs, y, ys, out, ari_i<FC_SUBTRACT>); break;
    case FC_MULTIPLY: zipwith(n, x, xs, y, ys, out, ari_i<FC_MULTIPLY>); break;
    case FC_MAX: zipwith(n, x, xs, y, ys, out, ari_i<FC_MAX>); break;
    case FC_MIN: zipwith(n, x, xs, y, ys, out, ari_i<FC_MIN>); break;
    case FC_RESIDUE: zipwith(n, x, xs, y, ys, out, ari_i<FC_RESIDUE>); break;
    case FC_BINOMIAL: zipwith(n, x, xs, y, ys, out, ari_i<FC_BINOMIAL>); break;
    default: break;
    }
}

void ari_loop_f(i64 code, i64 n, const double* x, bool xs, const double* y, bool ys,
                double* out)
{
    switch (code) {
    case FC_ADD: zipwith(n, x, xs, y, ys, out, ari_f<FC_ADD>); break;
    case FC_SUBTRACT: zipwith(n, x, xs, y, ys, out, ari_f<FC_SUBTRACT>); break;
    case FC_MULTIPLY: zipwith(n, x, xs, y, ys, out, ari_f<FC_MULTIPLY>); break;
    case FC_DIVIDE: zipwith(n, x, xs, y, ys, out, ari_f<FC_DIVIDE>); break;
    case FC_MAX: zipwith(n, x, xs, y, ys, out, ari_f<FC_MAX>); break;
    case FC_MIN: zipwith(n, x, xs, y, ys, out, ari_f<FC_MIN>); break;
    case FC_POWER: zipwith(n, x, xs, y, ys, out, ari_f<FC_POWER>); break;
    case FC_LOG: zipwith(n, x, xs, y, ys, out, ari_f<FC_LOG>); break;
    case FC_RESIDUE: zipwith(n, x, xs, y, ys, out, ari_f<FC_RESIDUE>); break;
    default: break;
    }
}
