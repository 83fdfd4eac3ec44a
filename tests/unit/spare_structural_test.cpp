// The typed reverse, rotate and take loops, every case run through the four
// element variants on buffers of exactly the size the kernel is told.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "primitives/spare.h"

namespace {

using V = std::vector<i64>;

// One overload per variant, so a case is written once for all four:
// (i64, i64) integers, (double, double), (char, char), (double, i64) the m variant.
void Rev(i64* d, const i64* s, i64 l, i64 b, i64 h, i64 n, i64 o) { reversi(d, s, l, b, h, n, o); }
void Rev(double* d, const double* s, i64 l, i64 b, i64 h, i64 n, i64 o) {
    reversd(d, s, l, b, h, n, o);
}
void Rev(char* d, const char* s, i64 l, i64 b, i64 h, i64 n, i64 o) {
    reversc(d, s, l, b, h, n, o);
}
void Rev(double* d, const i64* s, i64 l, i64 b, i64 h, i64 n, i64 o) {
    reversm(d, s, l, b, h, n, o);
}

void ARev(i64* d, const i64* s, i64 st, i64 c, i64 b, i64 n) { areversi(d, s, st, c, b, n); }
void ARev(double* d, const double* s, i64 st, i64 c, i64 b, i64 n) { areversd(d, s, st, c, b, n); }
void ARev(char* d, const char* s, i64 st, i64 c, i64 b, i64 n) { areversc(d, s, st, c, b, n); }
void ARev(double* d, const i64* s, i64 st, i64 c, i64 b, i64 n) { areversm(d, s, st, c, b, n); }

void BRev(i64* d, const i64* s, i64 n) { breversi(d, s, n); }
void BRev(double* d, const double* s, i64 n) { breversd(d, s, n); }
void BRev(char* d, const char* s, i64 n) { breversc(d, s, n); }
void BRev(double* d, const i64* s, i64 n) { breversm(d, s, n); }

void Rot(i64* d, const i64* k, const i64* s, i64 len, i64 cols) { rotatfxi(d, k, s, 1, len, cols); }
void Rot(double* d, const i64* k, const double* s, i64 len, i64 cols) {
    rotatfxd(d, k, s, len, cols);
}
void Rot(char* d, const i64* k, const char* s, i64 len, i64 cols) { rotatfxc(d, k, s, len, cols); }
void Rot(double* d, const i64* k, const i64* s, i64 len, i64 cols) { rotatfxm(d, k, s, len, cols); }

void Take(i64* d, const i64* s, i64 n, i64 m, i64 sign) { takei(d, s, n, m, sign); }
void Take(double* d, const double* s, i64 n, i64 m, i64 sign) { taked(d, s, n, m, sign); }
void Take(char* d, const char* s, i64 n, i64 m, i64 sign) { takec(d, s, n, m, sign); }
void Take(double* d, const i64* s, i64 n, i64 m, i64 sign) { takem(d, s, n, m, sign); }

void Take2(i64* d, const i64* k, const i64* s, i64 r, i64 c, i64 r0, i64 c0, const i64* sh, i64 ds,
           i64 ss) {
    tak2i(d, k, s, r, c, r0, c0, sh, ds, ss);
}
void Take2(double* d, const i64* k, const double* s, i64 r, i64 c, i64 r0, i64 c0, const i64* sh,
           i64 ds, i64 ss) {
    tak2d(d, k, s, r, c, r0, c0, sh, ds, ss);
}
void Take2(char* d, const i64* k, const char* s, i64 r, i64 c, i64 r0, i64 c0, const i64* sh,
           i64 ds, i64 ss) {
    tak2c(d, k, s, r, c, r0, c0, sh, ds, ss);
}
void Take2(double* d, const i64* k, const i64* s, i64 r, i64 c, i64 r0, i64 c0, const i64* sh,
           i64 ds, i64 ss) {
    tak2m(d, k, s, r, c, r0, c0, sh, ds, ss);
}

// Values of a case: 1, 2, ... are elements, 0 is the fill and -1 a place the
// kernel must leave alone. As characters: 'A', 'B', ..., a blank and '#'.
char AsChar(i64 v) { return v == 0 ? ' ' : v < 0 ? '#' : (char)('A' + v - 1); }

template <class T>
T As(i64 v);
template <>
i64 As<i64>(i64 v) {
    return v;
}
template <>
double As<double>(i64 v) {
    return (double)v;
}
template <>
char As<char>(i64 v) {
    return AsChar(v);
}

template <class T>
std::vector<T> AsAll(const V& x) {
    std::vector<T> out;
    for (i64 v : x) out.push_back(As<T>(v));
    return out;
}

// Runs kernel(dst, src) with dst of D and src of S; dst has want.size()
// places, each starting as an untouched place.
template <class D, class S, class K>
void RunOne(const V& src, const V& want, K kernel, const char* name) {
    std::vector<S> s = AsAll<S>(src);
    std::vector<D> d(want.size(), As<D>(-1));
    kernel(d.data(), s.data());
    EXPECT_EQ(d, AsAll<D>(want)) << name;
}

template <class K>
void AllVariants(const V& src, const V& want, K kernel) {
    RunOne<i64, i64>(src, want, kernel, "i");
    RunOne<double, double>(src, want, kernel, "d");
    RunOne<char, char>(src, want, kernel, "c");
    RunOne<double, i64>(src, want, kernel, "m");
}

}  // namespace

TEST(SpareStructural, VectorReverse) {
    struct Case {
        V src, want;
    } cases[] = {{{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}},
                 {{1, 2, 3, 4}, {4, 3, 2, 1}},
                 {{7}, {7}},
                 {{}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src.size());
        i64 n = (i64)c.src.size();
        AllVariants(c.src, c.want, [n](auto* d, const auto* s) { BRev(d, s, n); });
    }
}

TEST(SpareStructural, ReverseAlongAnAxis) {
    struct Case {
        i64 stride, cells, blocks, len;
        V src, want;
    } cases[] = {
        {3, 3, 2, 1, {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}},  // rows of a 2 x 3
        {6, 3, 1, 2, {1, 2, 3, 4, 5, 6}, {5, 6, 3, 4, 1, 2}},  // first axis of a 3 x 2
        {4, 2, 2, 2, {1, 2, 3, 4, 5, 6, 7, 8}, {3, 4, 1, 2, 7, 8, 5, 6}},
        {0, 0, 3, 2, {}, {}},  // an empty axis
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cells * 10 + c.len);
        AllVariants(c.src, c.want, [&c](auto* d, const auto* s) {
            ARev(d, s, c.stride, c.cells, c.blocks, c.len);
        });
    }
}

// One block in the middle of a buffer: the places before base and after the
// block stay as they were.
TEST(SpareStructural, CellReverseOfOneBlock) {
    V src = {9, 9, 1, 2, 3, 4, 5, 6, 9};
    V want = {-1, -1, 5, 6, 3, 4, 1, 2, -1};
    AllVariants(src, want, [](auto* d, const auto* s) { Rev(d, s, 4, 2, 1, 2, 1); });
    V even = {1, 2, 3, 4, 9};
    AllVariants(even, {3, 4, 1, 2, -1}, [](auto* d, const auto* s) { Rev(d, s, 2, 0, 1, 2, 0); });
}

TEST(SpareStructural, RotateColumns) {
    struct Case {
        i64 len, cols;
        V counts, src, want;
    } cases[] = {
        {3, 1, {-1}, {1, 2, 3}, {3, 1, 2}},
        {3, 1, {4}, {1, 2, 3}, {2, 3, 1}},
        {3, 1, {0}, {1, 2, 3}, {1, 2, 3}},
        {3, 1, {INT64_MIN}, {1, 2, 3}, {2, 3, 1}},  // -2^63 mod 3 is 1
        {3, 2, {1, -1}, {1, 10, 2, 20, 3, 30}, {2, 30, 3, 10, 1, 20}},
        {0, 2, {1, 1}, {}, {}},  // nothing to rotate
        {2, 0, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.len << "x" << c.cols << " by " << (c.counts.empty() ? 0 : c.counts[0]));
        AllVariants(c.src, c.want,
                    [&c](auto* d, const auto* s) { Rot(d, c.counts.data(), s, c.len, c.cols); });
    }
}

// Packed rows: the destination's words are cleared first, so stale bits go,
// and the 33 bits cross a word.
TEST(SpareStructural, RotateBitColumns) {
    const i64 len = 3, cols = 11, n = len * cols;
    V counts = {0, 1, 2, 3, -1, -2, 7, 100, INT64_MIN, 1, 2};
    V bits(n);
    for (i64 p = 0; p < n; p++) bits[p] = (p * 7 + p / 5) % 3 == 0;
    V src(PackedWords(n), 0);
    for (i64 p = 0; p < n; p++)
        if (bits[p]) src[p >> 5] |= PackedMask(p);
    V dst(PackedWords(n), 0xFFFFFFFF);
    rotatfxi(dst.data(), counts.data(), src.data(), 0, len, cols);
    V want(n);
    rotatfxi(want.data(), counts.data(), bits.data(), 1, len, cols);
    for (i64 p = 0; p < n; p++) EXPECT_EQ(PackedBit(dst.data(), p), want[p] != 0) << p;
    EXPECT_EQ(dst[1] & 0x7FFFFFFF, 0);  // past the last element
}

TEST(SpareStructural, VectorTake) {
    struct Case {
        i64 n, sign;
        V src, want;
    } cases[] = {
        {5, 0, {1, 2, 3}, {1, 2, 3, 0, 0}},
        {5, -1, {1, 2, 3}, {0, 0, 1, 2, 3}},
        {2, 1, {1, 2, 3}, {1, 2}},
        {2, -1, {1, 2, 3}, {2, 3}},
        {3, -1, {1, 2, 3}, {1, 2, 3}},
        {2, 0, {}, {0, 0}},
        {0, 0, {1, 2}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " sign " << c.sign);
        i64 m = (i64)c.src.size();
        AllVariants(c.src, c.want, [&c, m](auto* d, const auto* s) { Take(d, s, c.n, m, c.sign); });
    }
}

// A 2 x 3 source held in rows of 4 (its last column must never be read).
TEST(SpareStructural, MatrixTakeFromEitherEnd) {
    const V src = {1, 2, 3, 9, 4, 5, 6, 9};
    const i64 rows = 2, cols = 3;
    struct Case {
        i64 r, c;  // the take counts; their sizes are the result's shape
        V want;
    } cases[] = {
        {2, 3, {1, 2, 3, 4, 5, 6}},
        {3, 4, {1, 2, 3, 0, 4, 5, 6, 0, 0, 0, 0, 0}},
        {-3, -4, {0, 0, 0, 0, 0, 1, 2, 3, 0, 4, 5, 6}},
        {-1, 2, {4, 5}},
        {1, -2, {2, 3}},
        {-3, 2, {0, 0, 1, 2, 4, 5}},
        {2, -4, {0, 1, 2, 3, 0, 4, 5, 6}},
        {-1, -1, {6}},
        {0, 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.r << " " << c.c);
        i64 R = c.r < 0 ? -c.r : c.r, C = c.c < 0 ? -c.c : c.c;
        i64 shape[4] = {0, 0, R, C}, counts[2] = {c.r, c.c};
        AllVariants(src, c.want, [&](auto* d, const auto* s) {
            Take2(d, counts, s, rows, cols, rows - R, cols - C, shape, C, 4);
        });
    }
}
