// Factorial and binomial from a table of 0! to 12!, and a scalar random step.
#include <cmath>
#include <cstdio>

#include "primitives/spare.h"

static const i64 fact[13] = {1,    1,     2,      6,       24,       120,      720,
                             5040, 40320, 362880, 3628800, 39916800, 479001600};
constexpr i64 FACT_MAX = 12;

static void domain_message() { std::puts("Domain error in monadic ! fn."); }

i64 ifac(i64 n) {
    if (n < 0) {
        domain_message();
        return 0;
    }
    if (n > FACT_MAX) {
        std::puts("Change the result type of ifac fn(!A) to floating ponit.");
        return -1;
    }
    return fact[n];
}

// The product stops growing once it is infinite, so a huge n costs nothing.
double efac(i64 n) {
    if (n < 0) {
        domain_message();
        return 0;
    }
    if (n <= FACT_MAX) return (double)fact[n];
    double f = (double)fact[FACT_MAX];
    for (i64 i = FACT_MAX + 1; i <= n && !std::isinf(f); i++) f *= (double)i;
    return f;
}

// Below 86 the product of the factors above the larger part fits in a
// double; beyond, a running product (larger + 1) ... (larger + i) / i!, each
// step multiplied before it is divided so that it stays an exact integer as
// long as doubles hold one.
double ebin(i64 k, i64 n) {
    if (k < 0 || n < 0) {
        domain_message();
        return 0;
    }
    if (n < k) return 0;
    if (n == k) return 1;
    if (n <= FACT_MAX) return (double)(fact[n] / (fact[k] * fact[n - k]));
    i64 larger = k > n - k ? k : n - k, smaller = n - larger;
    double p = 1;
    if (n < 86) {
        for (i64 f = larger + 1; f <= n; f++) p *= (double)f;
        return p / efac(smaller);
    }
    for (i64 i = 1; i <= smaller && !std::isinf(p); i++) p = p * (double)(larger + i) / (double)i;
    return p;
}

i64 randomn_seed = 16807;

// seed * 16807 mod 2^31 - 1 with products of 16-bit halves, none of which
// exceeds 32 bits: 2^31 is congruent to 1, so the bits above 31 fold back in.
static i64 next_seed(i64 seed) {
    const i64 MODULUS = 2147483647;
    i64 lo = 16807 * (seed & 0xFFFF);
    i64 hi = 16807 * ((seed >> 16) & 0x7FFF);
    lo += (hi & 0x7FFF) << 16;
    if (lo > MODULUS) lo = (lo & MODULUS) + 1;
    lo += hi >> 15;
    if (lo > MODULUS) lo = (lo & MODULUS) + 1;
    return lo;
}

double randomn(i64 n) {
    randomn_seed = next_seed(randomn_seed);
    return (double)n * ((double)randomn_seed / 2147483647.0);
}
