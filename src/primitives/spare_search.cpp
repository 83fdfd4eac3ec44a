// Membership across integers and doubles, and tests, counts, printing and
// reading of packed membership bits.
#include <cstdlib>

#include "primitives/primitives.h"
#include "primitives/spare.h"

// The integers as doubles, in a block of the checked allocator.
static double* widened(const i64* x, i64 n) {
    double* d = static_cast<double*>(amalloc(n * (i64)sizeof(double)));
    for (i64 i = 0; i < n; i++) d[i] = (double)x[i];
    return d;
}

void membspm(i64* out, const double* L, i64 nL, const i64* R, i64 nR) {
    if (nL <= 0) return;
    if (nR < 0) nR = 0;
    double* r = widened(R, nR);
    membspd(out, L, nL, r, nR);
    std::free(r);
}

void membspn(i64* out, const i64* L, i64 nL, const double* R, i64 nR) {
    if (nL <= 0) return;
    if (nR < 0) nR = 0;
    double* l = widened(L, nL);
    membspd(out, l, nL, R, nR);
    std::free(l);
}

i64 membsp0b(i64 mode, const i64* bits, i64 n) {
    if (mode != 0 && mode != 1) return 0;
    i64 ones = no_of_ones(n, bits);
    return mode == 1 ? ones > 0 : ones < (n > 0 ? n : 0);
}

i64 no_of_ones(i64 n, const i64* bits) { return breduct0(bits, n); }

void prntbool(const i64* bits, i64 n) {
    for (i64 p = 0; p < n; p++) {
        std::fputs(PackedBit(bits, p) ? " 1" : " 0", stdout);
        if (p % 32 == 31) std::fputc('\n', stdout);
    }
}

i64 passparmb(FILE* file, i64 n, i64* out) {
    for (i64 w = 0; w < PackedWords(n); w++) out[w] = 0;
    for (i64 p = 0; p < n; p++) {
        long long v;
        if (std::fscanf(file, " %lld", &v) != 1 || (v != 0 && v != 1)) return -1;
        if (v) out[p >> 5] |= PackedMask(p);
    }
    return 0;
}
