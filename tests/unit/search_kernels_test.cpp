// The membership and index-of kernels: the hashed path must give exactly the
// answers of a plain first-match scan, on every element class.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "primitives/primitives.h"

namespace {

// Plain first-match scans, the reference answers.
template <class T, class Eq>
std::vector<i64> scan(const std::vector<T>& S, const std::vector<T>& V, i64 origin, Eq eq) {
    std::vector<i64> out;
    for (const T& v : V) {
        i64 j = 0;
        while (j < (i64)S.size() && !eq(S[j], v)) j++;
        out.push_back(origin + j);
    }
    return out;
}

bool tolerant(double a, double b) {
    if (a == b) return true;
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    return std::fabs(a - b) <= 1e-13 * std::fmax(std::fabs(a), std::fabs(b));
}

std::vector<i64> unpack(const std::vector<i64>& words, i64 n) {
    std::vector<i64> bits;
    for (i64 i = 0; i < n; i++) bits.push_back((words[i / 32] >> (31 - i % 32)) & 1);
    return bits;
}

}  // namespace

// Searched lengths on both sides of the linear/hashed thresholds.
static const i64 kLengths[] = {1, 2, 31, 33, 600, 5000};

TEST(SearchKernels, WordIndexOfMatchesScanOnBothPaths) {
    std::mt19937_64 rng(1);
    for (i64 n : kLengths) {
        std::vector<i64> S(n), V(300);
        for (auto& x : S) x = (i64)(rng() % 97) * 1024 - 40000;  // repeats, multiples of 1024
        for (auto& x : V) x = (i64)(rng() % 120) * 1024 - 40000;
        S[n / 2] = 0;
        S[0] = 2147483649;  // the word that once marked a free slot
        V[0] = 0;
        V[1] = 2147483649;
        V[2] = INT64_MIN;
        std::vector<i64> out(V.size());
        idxofi(out.data(), S.data(), n, V.data(), (i64)V.size(), 1);
        EXPECT_EQ(out, scan(S, V, 1, [](i64 a, i64 b) { return a == b; })) << n;
        std::vector<i64> words(V.size() / 32 + 1);
        membspi(words.data(), V.data(), (i64)V.size(), S.data(), n);
        std::vector<i64> expect;
        for (i64 x : scan(S, V, 0, [](i64 a, i64 b) { return a == b; })) expect.push_back(x < n);
        EXPECT_EQ(unpack(words, (i64)V.size()), expect) << n;
    }
}

TEST(SearchKernels, DoubleKernelsExactZeroAndNaN) {
    std::mt19937_64 rng(2);
    for (i64 n : kLengths) {
        std::vector<double> S(n), V(200);
        for (auto& x : S) x = (double)(rng() % 50) / 4 - 6;
        for (auto& x : V) x = (double)(rng() % 60) / 4 - 6;
        S[n - 1] = -0.0;
        S[0] = std::nan("");
        V[0] = 0.0;
        V[1] = std::nan("");
        V[2] = 7.662478e53;
        std::vector<i64> words(V.size() / 32 + 1);
        membspd(words.data(), V.data(), (i64)V.size(), S.data(), n);
        std::vector<i64> expect;
        for (i64 x : scan(S, V, 0, [](double a, double b) { return a == b; }))
            expect.push_back(x < n);
        EXPECT_EQ(unpack(words, (i64)V.size()), expect) << n;
        EXPECT_EQ(unpack(words, 2)[1], 0);  // NaN is never a member
    }
}

TEST(SearchKernels, TolerantIndexOfHashedEqualsLinear) {
    // Neighbours of each base value a few units in the last place apart, and
    // sought values computed another way: tolerantly equal, other bits.
    std::mt19937_64 rng(3);
    for (i64 n : kLengths) {
        std::vector<double> S(n), V;
        for (i64 j = 0; j < n; j++) {
            double base = (double)(j % 40 + 1) / 10;
            S[j] = base * (1 + (double)(rng() % 7) * 1e-15) * ((j % 3) ? 1 : -1);
        }
        for (i64 k = 1; k <= 50; k++) {
            V.push_back((double)k / 10);
            V.push_back(-(double)k * 0.1);
            V.push_back((double)k / 10 * (1 + 3e-13));  // outside the tolerance
        }
        V.push_back(0.0);
        V.push_back(INFINITY);
        V.push_back(std::nan(""));
        S[0] = INFINITY;
        std::vector<i64> out(V.size());
        idxofd(out.data(), S.data(), n, V.data(), (i64)V.size(), 0);
        EXPECT_EQ(out, scan(S, V, 0, tolerant)) << n;
    }
}

TEST(SearchKernels, InfinityEqualsOnlyItself) {
    double S[] = {1e308, INFINITY, -INFINITY};
    double V[] = {INFINITY, -INFINITY, 5.0};
    i64 out[3];
    idxofd(out, S, 3, V, 3, 1);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 3);
    EXPECT_EQ(out[2], 4);
}

TEST(SearchKernels, MixedIntegerAndDoubleIndexOf) {
    std::vector<i64> ints;
    std::vector<double> dbls;
    for (i64 j = 0; j < 1000; j++) {
        ints.push_back(j % 300);
        dbls.push_back((double)(j % 250) + 0.5 * (j % 2));
    }
    std::vector<i64> out(1000);
    idxofn(out.data(), ints.data(), 1000, dbls.data(), 1000, 0);
    std::vector<double> asd(ints.begin(), ints.end());
    EXPECT_EQ(out, scan(asd, dbls, 0, [](double a, double b) { return a == b; }));
    idxofm(out.data(), dbls.data(), 1000, ints.data(), 1000, 0);
    std::vector<double> asv(ints.begin(), ints.end());
    EXPECT_EQ(out, scan(dbls, asv, 0, [](double a, double b) { return a == b; }));
}

TEST(SearchKernels, CharactersIncludingNewlineAndHighBytes) {
    std::string S, V = "\n\xff\x80zab";
    for (int k = 0; k < 600; k++) S += (char)('a' + k % 5);
    S += "\xff\n\x80";
    std::vector<i64> out(V.size());
    idxofc(out.data(), S.data(), (i64)S.size(), V.data(), (i64)V.size(), 1);
    EXPECT_EQ(out, (std::vector<i64>{602, 601, 603, 604, 1, 2}));
    std::vector<i64> words(1);
    membspc(words.data(), V.data(), (i64)V.size(), S.data(), (i64)S.size());
    EXPECT_EQ(unpack(words, (i64)V.size()), (std::vector<i64>{1, 1, 1, 0, 1, 1}));
}

TEST(SearchKernels, ComplexPairsCompareBothParts) {
    std::vector<double> S, V;
    for (int k = 0; k < 400; k++) {
        S.push_back(k % 20);
        S.push_back(k % 7);
    }
    double sought[] = {3, 3, 3, 4, 0, -0.0, 19, 6, 25, 1};
    V.assign(sought, sought + 10);
    std::vector<i64> out(5);
    idxofx(out.data(), S.data(), 400, V.data(), 5, 0);
    EXPECT_EQ(out, (std::vector<i64>{3, 123, 0, 139, 400}));
    std::vector<i64> words(1);
    membspx(words.data(), V.data(), 5, S.data(), 400);
    EXPECT_EQ(unpack(words, 5), (std::vector<i64>{1, 1, 1, 1, 0}));
}

TEST(SearchKernels, PackedAnswersStopAtTheCount) {
    std::vector<i64> L(33, 7), R(40, 7);
    L[32] = 8;
    R[39] = 8;
    std::vector<i64> words(3, -1);
    membspi(words.data(), L.data(), 33, R.data(), 40);
    EXPECT_EQ(words[0], 0xFFFFFFFFLL);
    EXPECT_EQ(words[1], 0x80000000LL);  // the 33rd answer at bit 31
    EXPECT_EQ(words[2], -1);            // nothing past (n + 31) / 32 words
}

TEST(SearchKernels, EmptySearchedOperand) {
    i64 V[] = {1, 2};
    i64 out[2] = {9, 9};
    idxofi(out, nullptr, 0, V, 2, 1);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 1);
    i64 w = -1;
    membspi(&w, V, 2, nullptr, 0);
    EXPECT_EQ(w, 0);
}

TEST(SearchKernels, NarrowRangesLookedUpDirectly) {
    // Ranges a few times the counts take the direct table: negative values,
    // values outside the range, repeats, and the extreme words beside them.
    std::mt19937_64 rng(5);
    for (i64 n : {600, 5000}) {
        for (i64 lo : {(i64)-3000, (i64)0, INT64_MAX - 4000, INT64_MIN + 10}) {
            std::vector<i64> S(n), V(2000);
            for (auto& x : S) x = lo + (i64)(rng() % 3000);
            for (auto& x : V) x = lo + (i64)(rng() % 4000) - 500 * (lo != INT64_MIN + 10);
            V[0] = INT64_MIN;
            V[1] = INT64_MAX;
            std::vector<i64> out(V.size());
            idxofi(out.data(), S.data(), n, V.data(), (i64)V.size(), 1);
            EXPECT_EQ(out, scan(S, V, 1, [](i64 a, i64 b) { return a == b; })) << n << " " << lo;
            std::vector<i64> words(V.size() / 32 + 1);
            membspi(words.data(), V.data(), (i64)V.size(), S.data(), n);
            std::vector<i64> expect;
            for (i64 x : scan(S, V, 0, [](i64 a, i64 b) { return a == b; }))
                expect.push_back(x < n);
            EXPECT_EQ(unpack(words, (i64)V.size()), expect) << n << " " << lo;
        }
    }
}
