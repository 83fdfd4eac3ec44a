// The packed-boolean kernels against plain loops over unpacked 0/1 vectors,
// on random vectors from fixed seeds and the sizes around word boundaries.
// Every packed buffer has exactly the words its bit count needs.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "primitives/spare.h"
#include "spare_support.h"

namespace {

using namespace spare_test;

const i64 SIZES[] = {0, 1, 31, 32, 33, 64, 95, 200};

V RandomBits(i64 n, unsigned seed) {
    std::mt19937_64 gen(seed);
    V b(n);
    for (i64& x : b) x = (i64)(gen() & 1);
    return b;
}

// The words past bit n: the bits after the last element and the upper halves are 0.
void ExpectClean(const V& words, i64 n) {
    for (size_t w = 0; w < words.size(); w++) {
        i64 used = n - (i64)w * 32;
        i64 allowed = used >= 32  ? 0xFFFFFFFF
                      : used <= 0 ? 0
                                  : (i64)(0xFFFFFFFFu << (32 - used)) & 0xFFFFFFFF;
        EXPECT_EQ(words[w] & ~allowed, 0) << "word " << w << " of " << n << " bits";
    }
}

constexpr i64 PATTERN = 0xA5C30F01;

V Slice(const V& b, i64 from, i64 n) { return V(b.begin() + from, b.begin() + from + n); }

}  // namespace

TEST(SparePacked, Conversions) {
    for (i64 n : SIZES)
        for (i64 at : {0, 5, 31, 32, 45}) {
            SCOPED_TRACE(testing::Message() << n << " bits at " << at);
            V bits = RandomBits(at + n, (unsigned)(n * 100 + at));
            V packed = Pack(bits);
            V ints(at + n, -7);
            std::vector<double> dbls(at + n, -7);
            boolcvi(ints.data(), Pack(Slice(bits, at, n)).data(), at, n);
            boolcvd(dbls.data(), Pack(Slice(bits, at, n)).data(), at, n);
            for (i64 i = 0; i < n; i++) {
                EXPECT_EQ(ints[at + i], bits[at + i]);
                EXPECT_EQ(dbls[at + i], (double)bits[at + i]);
            }
            if (at > 0) {
                EXPECT_EQ(ints[at - 1], -7);
            }
            V ints1(n);
            std::vector<double> dbls1(n);
            boolcv1i(ints1.data(), packed.data(), at, n);
            boolcv1d(dbls1.data(), packed.data(), at, n);
            EXPECT_EQ(ints1, Slice(bits, at, n));
            for (i64 i = 0; i < n; i++) EXPECT_EQ(dbls1[i], (double)bits[at + i]);
        }
}

// From bit 0 the bits past n in the source's last word are dropped; from an
// offset the bits are realigned to bit 0.
TEST(SparePacked, BitsMove) {
    for (i64 n : SIZES)
        for (i64 offset : {-1, 0, 1, 31, 32, 40}) {
            SCOPED_TRACE(testing::Message() << n << " bits from " << offset);
            i64 from = offset < 0 ? 0 : offset;
            V bits = RandomBits(from + n + 17, (unsigned)(n + 7 * offset + 50));
            V in = Pack(Slice(bits, 0, from + n));
            if (!in.empty()) in.back() |= 0xFFFFFFFF;  // stale bits past the end
            V src = Unpack(in, from + n);
            V out(PackedWords(n), -1);
            bitsmove(out.data(), in.data(), n, offset);
            EXPECT_EQ(Unpack(out, n), Slice(src, from, n));
            ExpectClean(out, n);
        }
}

TEST(SparePacked, BitsMov1AppendsAtItsCursor) {
    struct Run {
        i64 word, offset, n;
    } runs[] = {{0, 3, 5}, {1, 0, 32}, {0, 31, 33}, {2, 7, 0}, {0, 0, 1}, {3, 30, 64}};
    V bits = RandomBits(6 * 32, 99);
    V in = Pack(bits);
    V want;
    for (const Run& r : runs) {
        V part = Slice(bits, r.word * 32 + r.offset, r.n);
        want.insert(want.end(), part.begin(), part.end());
    }
    i64 total = (i64)want.size();
    for (i64 fill : {(i64)0, (i64)0xFFFFFFFF}) {
        V out(PackedWords(total), fill);
        bitsmov1_reset();
        for (const Run& r : runs) bitsmov1(out.data(), in.data(), r.word, r.offset, r.n);
        EXPECT_EQ(Unpack(out, total), want) << "over " << fill;
        EXPECT_EQ(qw * 32 + qi, total);
        if (fill == 0) ExpectClean(out, total);
    }
}

// The OR-ing movers leave every other bit as it was.
TEST(SparePacked, OrIntoAWordAndShift) {
    for (i64 n : SIZES)
        for (i64 shift : {0, 1, 17, 31}) {
            SCOPED_TRACE(testing::Message() << n << " bits at shift " << shift);
            const i64 word = 1, pos = word * 32 + shift, size = pos + n;
            V before = RandomBits(size, (unsigned)(n * 3 + shift));
            V src = RandomBits(n, (unsigned)(n * 5 + shift + 1));
            V in = Pack(src);
            struct Mover {
                const char* name;
                void (*run)(i64* out, const i64* in, i64 word, i64 n, i64 shift);
                i64 (*bit)(const V& src, i64 i);
            } movers[] = {
                {"bitsmov0", bitsmov0, [](const V& s, i64 i) { return s[i]; }},
                {"bitsmovc", bitsmovc, [](const V& s, i64 i) { return 1 - s[i]; }},
                {"bitsmovs",
                 [](i64* o, const i64*, i64 w, i64 k, i64 sh) { bitsmovs(o, PATTERN, w, k, sh); },
                 [](const V&, i64 i) { return (PATTERN >> (31 - i % 32)) & 1; }},
                {"copybits1",
                 [](i64* o, const i64*, i64 w, i64 k, i64 sh) { copybits1(o, sh, w, k); },
                 [](const V&, i64) { return (i64)1; }},
            };
            for (const Mover& m : movers) {
                V out = Pack(before);
                m.run(out.data(), in.data(), word, n, shift);
                V want = before;
                for (i64 i = 0; i < n; i++) want[pos + i] |= m.bit(src, i);
                EXPECT_EQ(Unpack(out, size), want) << m.name;
                ExpectClean(out, size);
            }
        }
}

TEST(SparePacked, FirstBitsAndIndexOf) {
    for (i64 n : SIZES)
        for (int kind = 0; kind < 3; kind++) {
            SCOPED_TRACE(testing::Message() << n << " bits, kind " << kind);
            V bits = kind == 0 ? RandomBits(n, (unsigned)n) : V(n, kind == 1 ? 1 : 0);
            V packed = Pack(bits);
            i64 first[2] = {n, n};
            for (i64 p = n - 1; p >= 0; p--) first[bits[p]] = p;
            EXPECT_EQ(findfst0(packed.data(), n, 1), 1 + first[0]);
            EXPECT_EQ(findfst1(packed.data(), n, 0), first[1]);
            V items = RandomBits(37, (unsigned)n + 1);
            V out(37);
            boolidxof(out.data(), packed.data(), Pack(items).data(), n, 37, 1);
            for (i64 i = 0; i < 37; i++) EXPECT_EQ(out[i], 1 + first[items[i]]) << i;
        }
    V items = {1, 0, 0, 1, 1};
    V out(items.size());
    bol1idxof(out.data(), 1, Pack(items).data(), 5, 1);
    EXPECT_EQ(out, (V{1, 2, 2, 1, 1}));
    bol1idxof(out.data(), 0, Pack(items).data(), 5, 0);
    EXPECT_EQ(out, (V{1, 0, 0, 1, 1}));
}

TEST(SparePacked, CountsAndPlusScan) {
    for (i64 n : SIZES) {
        SCOPED_TRACE(n);
        V bits = RandomBits(n, (unsigned)n + 11);
        V packed = Pack(bits);
        i64 ones = 0;
        V scan(n);
        for (i64 p = 0; p < n; p++) scan[p] = ones += bits[p];
        EXPECT_EQ(breduct0(packed.data(), n), ones);
        EXPECT_EQ(no_of_ones(n, packed.data()), ones);
        V out(n);
        bscan0(out.data(), packed.data(), n);
        EXPECT_EQ(out, scan);
        for (i64 len : {1, 3, 32, 33}) {
            i64 groups = n / len;
            V sums(groups);
            breductv(sums.data(), packed.data(), groups, len);
            for (i64 g = 0; g < groups; g++) {
                i64 s = 0;
                for (i64 i = 0; i < len; i++) s += bits[g * len + i];
                EXPECT_EQ(sums[g], s) << "group " << g << " of " << len;
            }
        }
    }
    const i64 word = 0xF000000F | (i64)0x7 << 40;  // upper bits are not elements
    EXPECT_EQ(count32b(word, 10), 18);
    struct Case {
        i64 n, want;
    } cases[] = {{0, 5}, {3, 8}, {4, 9}, {28, 9}, {29, 10}, {32, 13}, {40, 13}};
    for (const Case& c : cases) EXPECT_EQ(count3b0(word, c.n, 5), c.want) << c.n;
}

TEST(SparePacked, NotEqualScans) {
    for (i64 n : SIZES) {
        SCOPED_TRACE(n);
        V bits = RandomBits(n, (unsigned)n + 23);
        V packed = Pack(bits);
        V out(PackedWords(n), -1);
        gscan20v(out.data(), packed.data(), n);
        V want(n);
        for (i64 p = 0, s = 0; p < n; p++) want[p] = s ^= bits[p];
        EXPECT_EQ(Unpack(out, n), want);
        ExpectClean(out, n);
        for (i64 len : {1, 5, 32, 33}) {
            V rows(PackedWords(n), -1);
            gscan20m(rows.data(), packed.data(), n, len);
            for (i64 p = 0, s = 0; p < n; p++) want[p] = s = (p % len == 0 ? 0 : s) ^ bits[p];
            EXPECT_EQ(Unpack(rows, n), want) << "rows of " << len;
            ExpectClean(rows, n);
        }
    }
    // One step carries its state into the next.
    V bits = {1, 0, 0, 1, 1, 0, 1};
    V in = Pack(bits);
    V out(1, 0);
    i64 state = 0;
    bscan20(out.data(), in.data(), &state, 0, 3, 0, 0);
    EXPECT_EQ(state, 1);
    bscan20(out.data(), in.data(), &state, 0, 4, 3, 3);
    EXPECT_EQ(Unpack(out, 7), (V{1, 1, 1, 0, 1, 1, 0}));
    EXPECT_EQ(state, 0);
}

TEST(SparePacked, RowAndColumnReductions) {
    struct Shape {
        i64 rows, cols;
    } shapes[] = {{1, 1}, {3, 31}, {4, 32}, {2, 33}, {33, 2}, {64, 3}, {5, 0}, {0, 5}};
    for (const Shape& s : shapes)
        for (int kind = 0; kind < 3; kind++) {
            SCOPED_TRACE(testing::Message() << s.rows << "x" << s.cols << " kind " << kind);
            i64 n = s.rows * s.cols;
            V bits = kind == 0 ? RandomBits(n, (unsigned)(n + kind)) : V(n, kind == 1);
            if (kind == 1 && n > 2) bits[n / 2] = 0;  // one 0 among 1s
            V in = Pack(bits);
            V rowAny(s.rows, 0), rowAll(s.rows, 1), colAny(s.cols, 0), colAll(s.cols, 1);
            for (i64 r = 0; r < s.rows; r++)
                for (i64 c = 0; c < s.cols; c++) {
                    i64 b = bits[r * s.cols + c];
                    rowAny[r] |= b, rowAll[r] &= b, colAny[c] |= b, colAll[c] &= b;
                }
            V out0(PackedWords(s.rows), -1), out1(PackedWords(s.rows), -1);
            V out2(PackedWords(s.cols), -1), out3(PackedWords(s.cols), -1);
            aplbit0(out0.data(), 1, s.rows, s.cols, in.data());
            aplbit1(s.rows, s.cols, out1.data(), in.data());
            aplbit2(s.cols, s.rows, out2.data(), in.data());
            aplbit3(s.cols, s.rows, out3.data(), in.data());
            EXPECT_EQ(Unpack(out0, s.rows), rowAny);
            EXPECT_EQ(Unpack(out1, s.rows), rowAll);
            EXPECT_EQ(Unpack(out2, s.cols), colAny);
            EXPECT_EQ(Unpack(out3, s.cols), colAll);
            ExpectClean(out0, s.rows);
            ExpectClean(out1, s.rows);
            ExpectClean(out2, s.cols);
            ExpectClean(out3, s.cols);
        }
}

TEST(SparePacked, WrapAndAllOnes) {
    for (i64 n : SIZES)
        for (i64 nIn : {0, 1, 5, 33}) {
            SCOPED_TRACE(testing::Message() << n << " from " << nIn);
            V src = RandomBits(nIn, (unsigned)(n + nIn));
            V out(PackedWords(n), -1);
            wrapmove(out.data(), Pack(src).data(), n, nIn);
            V want(n, 0);
            for (i64 p = 0; nIn > 0 && p < n; p++) want[p] = src[p % nIn];
            EXPECT_EQ(Unpack(out, n), want);
            ExpectClean(out, n);
        }
    for (i64 n : SIZES) {
        V out(PackedWords(n), 0);
        all1s(out.data(), n);
        EXPECT_EQ(Unpack(out, n), V(n, 1)) << n;
        ExpectClean(out, n);
    }
}
