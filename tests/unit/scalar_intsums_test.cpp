// Integer sums of reduce and scan: computed in integers while the doubles
// would be exact, they must give exactly what the double arithmetic gives.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "scalar/scalar.h"

namespace {

// The double fold from the right end, as reduce evaluates it.
double fold_right(const std::vector<i64>& e, i64 m, i64 step) {
    double d = (double)e[(m - 1) * step];
    for (i64 k = m - 2; k >= 0; k--) d = (double)e[k * step] + d;
    return d;
}

// The running double sums from the left, as scan evaluates them.
std::vector<double> running(const std::vector<i64>& e, i64 m, i64 step) {
    std::vector<double> out(m);
    double d = 0;
    for (i64 k = 0; k < m; k++) out[k] = d = (k ? d : 0.0) + (double)e[k * step];
    return out;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Vectors whose partial sums stay small, cross 2^53, or start beyond it.
std::vector<i64> sample(std::mt19937_64& rng, i64 n, int kind) {
    std::vector<i64> e(n);
    for (auto& x : e) {
        switch (kind) {
        case 0: x = (i64)(rng() % 2001) - 1000; break;
        case 1: x = (i64)(rng() >> 21) - ((i64)1 << 42); break;                 // about 2^43 each
        case 2: x = (i64)(rng() >> 11) - ((i64)1 << 52); break;                 // about 2^53 each
        default: x = rng() % 50 == 0 ? (i64)rng() : (i64)(rng() % 100); break;  // a few huge
        }
    }
    return e;
}

}  // namespace

TEST(IntSums, ReduceGivesTheDoubleFoldFromTheRight) {
    std::mt19937_64 rng(11);
    for (i64 m : {1, 2, 3, 1023, 1024, 1025, 2049, 5000})
        for (int kind = 0; kind < 4; kind++)
            for (i64 step : {1, 3}) {
                std::vector<i64> e = sample(rng, m * step, kind);
                if (kind == 1 && m > 2) e[m / 2 * step] = ((i64)1 << 53) - 7;  // crosses there
                double want = fold_right(e, m, step);
                double got = IntSumFromRight(e.data(), m, step);
                EXPECT_TRUE(same_bits(got, want))
                    << m << " " << kind << " " << step << ": " << got << " " << want;
            }
}

TEST(IntSums, ScanGivesTheRunningDoubleSums) {
    std::mt19937_64 rng(12);
    for (i64 m : {1, 2, 1023, 1024, 1025, 3000})
        for (int kind = 0; kind < 4; kind++)
            for (i64 step : {1, 2}) {
                std::vector<i64> e = sample(rng, m * step, kind);
                std::vector<double> want = running(e, m, step);
                std::vector<double> out(m * step, -1.0);
                IntRunningSums(e.data(), m, step, out.data());
                for (i64 k = 0; k < m; k++)
                    ASSERT_TRUE(same_bits(out[k * step], want[k]))
                        << m << " " << kind << " " << step << " at " << k;
            }
}

TEST(IntSums, TheExtremeWords) {
    std::vector<i64> e = {INT64_MAX, 1, INT64_MIN, -1, 9007199254740993, 1, 1};
    for (i64 m = 1; m <= (i64)e.size(); m++) {
        std::vector<i64> v(e.begin(), e.begin() + m);
        EXPECT_TRUE(same_bits(IntSumFromRight(v.data(), m, 1), fold_right(v, m, 1))) << m;
        std::vector<double> out(m);
        IntRunningSums(v.data(), m, 1, out.data());
        EXPECT_EQ(out, running(v, m, 1)) << m;
    }
}
