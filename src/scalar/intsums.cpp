// Sums of integers as the double arithmetic of reduce and scan gives them.
// While every partial sum and every element is within 2^53 in magnitude the
// doubles are exact, so the sums are computed in integers, block by block;
// from the first element that might round on, in doubles, in the same order
// the double arithmetic takes.
#include "scalar/scalar.h"

// Integer sums stay exact in doubles while every partial sum is within
// 2^53 in magnitude. A block of SUM_BLOCK elements each below 2^42 in
// magnitude moves a sum by less than 2^52.
static constexpr i64 SUM_BLOCK = 1024;
static constexpr i64 EXACT = (i64)1 << 53;
static constexpr i64 SMALL = (i64)1 << 42;

static inline bool exact_int(i64 v) { return v >= -EXACT && v <= EXACT; }

// Whether every element of a run is below SMALL in magnitude; *sum is
// their sum (wrapped, so meaningful only then). Memory bound: built also
// for AVX2, chosen at run time where the processor has it.
__attribute__((target_clones("avx2", "default"))) static bool small_run(const i64* e, i64 n,
                                                                        i64 step, i64* sum) {
    uint64_t far = 0, s = 0;
    if (step == 1) {
        for (i64 j = 0; j < n; j++) {
            s += (uint64_t)e[j];
            far |= ((uint64_t)e[j] + SMALL) >> 43;
        }
    } else {
        for (i64 j = 0; j < n; j++) {
            s += (uint64_t)e[j * step];
            far |= ((uint64_t)e[j * step] + SMALL) >> 43;
        }
    }
    *sum = (i64)s;
    return far == 0;
}

// The sum read forwards (as memory is best read), when every element is
// small and every sum of a tail, the total less a prefix, is within 2^53.
static bool forward_sum(const i64* e, i64 m, i64 step, i64* total) {
    i64 prefix = 0, peak = 0;  // the prefix sum at a block start, its largest magnitude
    for (i64 lo = 0; lo < m; lo += SUM_BLOCK) {
        i64 s;
        if (!small_run(e + lo * step, m - lo < SUM_BLOCK ? m - lo : SUM_BLOCK, step, &s))
            return false;
        prefix += s;
        i64 size = prefix < 0 ? -prefix : prefix;
        if (size > SMALL * SUM_BLOCK) return false;
        if (size > peak) peak = size;
    }
    // A prefix inside a block is within peak + SMALL * SUM_BLOCK.
    i64 size = prefix < 0 ? -prefix : prefix;
    if (size + peak + SMALL * SUM_BLOCK > EXACT) return false;
    *total = prefix;
    return true;
}

double IntSumFromRight(const i64* e, i64 m, i64 step) {
    i64 total;
    if (forward_sum(e, m, step, &total)) return (double)total;
    i64 k = m - 1;
    i64 acc = 0;  // the exact sum of the elements after k
    while (k >= 0) {
        i64 lo = k - SUM_BLOCK + 1 < 0 ? 0 : k - SUM_BLOCK + 1;
        i64 s;
        bool near = acc >= -SMALL * SUM_BLOCK && acc <= SMALL * SUM_BLOCK;
        if (near && small_run(e + lo * step, k - lo + 1, step, &s)) {
            acc += s;
            k = lo - 1;
            continue;
        }
        for (; k >= lo; k--) {
            i64 v = e[k * step];
            if (!exact_int(v) || !exact_int(acc + v)) break;
            acc += v;
        }
        if (k >= lo) break;
    }
    if (k < 0) return (double)acc;
    // Element k might round: the fold goes on in doubles from there (from
    // the last element itself when nothing was summed yet).
    double d = (double)acc;
    if (k == m - 1) d = (double)e[k-- * step];
    for (; k >= 0; k--) d = (double)e[k * step] + d;
    return d;
}

// Running sums from the left: out[k*step] is e[0] + ... + e[k] as the
// running double sum gives it.
void IntRunningSums(const i64* e, i64 m, i64 step, double* out) {
    i64 k = 0;
    i64 run = 0;  // the exact sum of the elements before k
    while (k < m) {
        i64 hi = k + SUM_BLOCK < m ? k + SUM_BLOCK : m;
        i64 s;
        bool near = run >= -SMALL * SUM_BLOCK && run <= SMALL * SUM_BLOCK;
        if (near && small_run(e + k * step, hi - k, step, &s)) {
            for (; k < hi; k++) {
                run += e[k * step];
                out[k * step] = (double)run;
            }
            continue;
        }
        for (; k < hi; k++) {
            i64 v = e[k * step];
            if (!exact_int(v) || !exact_int(run + v)) break;
            run += v;
            out[k * step] = (double)run;
        }
        if (k < hi) break;
    }
    // From element k on, in doubles (0 + x is x for an integer x).
    double d = (double)run;
    for (; k < m; k++) {
        d = d + (double)e[k * step];
        out[k * step] = d;
    }
}
