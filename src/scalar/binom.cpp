// The binomial coefficient, computed exactly by cancelling the denominator's
// factors against the numerator's before multiplying.
#include "scalar/scalar.h"

#include <cmath>

i64 gcd(i64 a, i64 b) {
    while (b != 0) {
        i64 t = a % b;
        a = b;
        b = t;
    }
    return a;
}

// Room for the numerator factors left over by the cancellation; pairs that
// could need more are refused beforehand by biochk.
constexpr int PENDMAX = 651;

double combination(i64 k, i64 n) {
    i64 m = k;
    if (2 * (__int128)k < n) m = n - k;
    i64 s = n - m, top = n;
    i64 pend[PENDMAX];
    int np = 0;
    for (i64 d = 2; d <= s; d++) {
        i64 r = d;
        for (int i = 0; i < np; i++) {
            if (pend[i] == 1) continue;
            i64 g = gcd(pend[i], r);
            if (g != 1) {
                r /= g;
                pend[i] /= g;
            }
        }
        while (r != 1) {
            if (top <= m) return NAN;  // never for 0 <= k <= n
            i64 g = gcd(top, r);
            r /= g;
            if (top / g != 1) {
                if (np == PENDMAX) return NAN;
                pend[np++] = top / g;
            }
            top--;
        }
    }
    double c = 1.0;
    for (i64 f = m; f < top;) c *= (double)++f;  // m+1 .. top, no overflow
    for (int i = 0; i < np; i++) c *= (double)pend[i];
    return c;
}

static double sign_pow(__int128 e) { return (e % 2 == 0) ? 1.0 : -1.0; }

// combination for an n that may lie beyond the 64-bit range (NaN there).
static double comb128(__int128 k, __int128 n) {
    if (n > INT64_MAX || k > INT64_MAX) return NAN;
    return combination((i64)k, (i64)n);
}

// k on the left, n on the right.
double binomial(i64 k, i64 n) {
    __int128 K = k, N = n;
    if (K >= 0 && N >= 0) return N < K ? 0.0 : comb128(K, N);
    if (K >= 0) return sign_pow(K) * comb128(K, K - N - 1);
    if (N >= 0 || N < K) return 0.0;
    return sign_pow(N - K) * comb128(-N - 1, K + 1 < 0 ? -(K + 1) : K + 1);
}

double binomial_d(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return NAN;
    return binomial(dbl2int(x), dbl2int(y));
}
