// Mixed-type membership, packed-bit tests and I/O, and the heap-sort grade
// with its comparators.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "primitives/spare.h"
#include "spare_support.h"

namespace {

using namespace spare_test;
using D = std::vector<double>;

const double NaN = std::numeric_limits<double>::quiet_NaN();

// Doubles that may equal the integers below: whole numbers, halves, zeros of
// both signs, NaN, and a value an integer reaches only by rounding.
D RandomDoubles(i64 n, unsigned seed) {
    std::mt19937_64 gen(seed);
    D x(n);
    for (double& v : x) {
        switch (gen() % 8) {
        case 0: v = NaN; break;
        case 1: v = -0.0; break;
        case 2: v = (double)(int)(gen() % 101 - 50) + 0.5; break;
        case 3: v = 9007199254740992.0; break;  // 2^53
        default: v = (double)(int)(gen() % 101 - 50);
        }
    }
    return x;
}

V RandomInts(i64 n, unsigned seed) {
    std::mt19937_64 gen(seed);
    V x(n);
    for (i64& v : x) v = gen() % 9 == 0 ? 9007199254740993 : (i64)(gen() % 101) - 50;  // 2^53 + 1
    return x;
}

}  // namespace

// Either side of the point where membership stops scanning and hashes.
TEST(SpareSearch, MixedMembershipMatchesALinearScan) {
    struct Case {
        i64 nL, nR;
    } cases[] = {{1, 50},    {50, 1},    {31, 33}, {32, 32}, {33, 31},
                 {100, 500}, {1000, 40}, {7, 0},   {0, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nL << " in " << c.nR);
        D dL = RandomDoubles(c.nL, (unsigned)c.nL), dR = RandomDoubles(c.nR, (unsigned)c.nR + 1);
        V iL = RandomInts(c.nL, (unsigned)c.nL + 2), iR = RandomInts(c.nR, (unsigned)c.nR + 3);
        V wantM(c.nL, 0), wantN(c.nL, 0);
        for (i64 i = 0; i < c.nL; i++)
            for (i64 j = 0; j < c.nR; j++) {
                wantM[i] |= dL[i] == (double)iR[j];
                wantN[i] |= (double)iL[i] == dR[j];
            }
        V outM(PackedWords(c.nL), -1), outN(PackedWords(c.nL), -1);
        membspm(outM.data(), dL.data(), c.nL, iR.data(), c.nR);
        membspn(outN.data(), iL.data(), c.nL, dR.data(), c.nR);
        EXPECT_EQ(Unpack(outM, c.nL), wantM);
        EXPECT_EQ(Unpack(outN, c.nL), wantN);
        EXPECT_EQ(outM, Pack(wantM));  // nothing set past the last answer
        EXPECT_EQ(outN, Pack(wantN));
    }
}

TEST(SpareSearch, AnyOneAnyZero) {
    V ones(40, 1);
    V firstZero = ones, lastZero = ones;
    firstZero[5] = 0;
    lastZero[39] = 0;
    struct Case {
        i64 mode;
        V bits;
        i64 want;
    } cases[] = {
        {0, ones, 0},     {0, firstZero, 1}, {0, lastZero, 1},  {1, V(40, 0), 0}, {1, lastZero, 1},
        {1, V(33, 0), 0}, {0, V(0), 0},      {2, firstZero, 0}, {-1, ones, 0},
    };
    for (const Case& c : cases) {
        V packed = Pack(c.bits);
        EXPECT_EQ(membsp0b(c.mode, packed.data(), (i64)c.bits.size()), c.want)
            << "mode " << c.mode << ", " << c.bits.size() << " bits";
    }
    V one = Pack({1, 1, 0, 1});
    EXPECT_EQ(no_of_ones(4, one.data()), 3);
    EXPECT_EQ(no_of_ones(2, one.data()), 2);
}

TEST(SpareSearch, PrintsBitsThirtyTwoToALine) {
    V bits(34, 0);
    bits[0] = bits[31] = bits[33] = 1;
    V packed = Pack(bits);
    std::string want = " 1";
    for (int i = 1; i < 31; i++) want += " 0";
    want += " 1\n 0 1";
    EXPECT_EQ(Printed([&] { prntbool(packed.data(), 34); }), want);
    EXPECT_EQ(Printed([&] { prntbool(packed.data(), 0); }), "");
}

TEST(SpareSearch, ReadsPackedBitsFromAFile) {
    struct Case {
        std::string text;
        i64 n, status;
        V bits;  // the bits read before a failure
    } cases[] = {
        {"1 0 1\n1", 4, 0, {1, 0, 1, 1}},
        {" 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 1", 34, 0, {}},
        {"1 0 2 1", 4, -1, {1, 0, 0, 0}},
        {"1 0", 3, -1, {1, 0, 0}},
        {"1 x 1", 3, -1, {1, 0, 0}},
        {"", 0, 0, {}},
    };
    cases[1].bits = V(34, 0);
    cases[1].bits[32] = cases[1].bits[33] = 1;
    for (Case& c : cases) {
        SCOPED_TRACE(c.text);
        FILE* f = fmemopen(c.text.data(), c.text.size() + 1, "r");
        ASSERT_NE(f, nullptr);
        V out(PackedWords(c.n), -1);
        EXPECT_EQ(passparmb(f, c.n, out.data()), c.status);
        std::fclose(f);
        EXPECT_EQ(out, Pack(c.bits));
    }
}

TEST(SpareGrade, TotalBytes) {
    struct Case {
        i64 type, n, want;
    } cases[] = {
        {TBOOL, 1, 1}, {TBOOL, 8, 1},   {TBOOL, 9, 2}, {TBOOL, INT64_MAX, INT64_MAX / 8 + 1},
        {TINT, 3, 24}, {TFLOAT, 3, 24}, {TCHAR, 3, 3}, {TCPLX, 3, 0},
        {TSYM, 3, 0},  {TINT, 0, 0},    {TINT, -4, 0}, {TFLOAT, INT64_MAX / 8 + 1, -1}};
    for (const Case& c : cases) EXPECT_EQ(TotalBytes(c.type, c.n), c.want) << c.type << " " << c.n;
}

TEST(SpareGrade, HeapSortsCarryTheirIndices) {
    for (i64 n : {0, 1, 2, 3, 17, 100, 1001}) {
        SCOPED_TRACE(n);
        std::mt19937_64 gen((unsigned)n);
        V keys(n), idx(n);
        D dkeys(n);
        for (i64 i = 0; i < n; i++) {
            keys[i] = (i64)(gen() % 21) - 10;
            if (i % 7 == 3) keys[i] = i % 2 ? INT64_MIN : INT64_MAX;
            dkeys[i] = i % 11 == 5 ? NaN : (double)keys[i] / 4;
            idx[i] = i;
        }
        V sorted = keys, didx = idx;
        D dsorted = dkeys;
        sortI(n, sorted.data(), idx.data());
        sortD(n, dsorted.data(), didx.data());
        EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
        for (i64 i = 0; i < n; i++) EXPECT_EQ(sorted[i], keys[idx[i]]);
        for (i64 i = 0; i + 1 < n; i++)  // NaN above every number
            EXPECT_TRUE(std::isnan(dsorted[i + 1]) || dsorted[i] <= dsorted[i + 1]) << i;
        for (i64 i = 0; i < n; i++)
            EXPECT_TRUE(dsorted[i] == dkeys[didx[i]] ||
                        (std::isnan(dsorted[i]) && std::isnan(dkeys[didx[i]])));
        V perm = didx;
        std::sort(perm.begin(), perm.end());
        for (i64 i = 0; i < n; i++) EXPECT_EQ(perm[i], i);
    }
}

TEST(SpareGrade, GradesIntegersAndFloatsBothWays) {
    V ints = {5, -3, 5, 0, 12, -3, 7};
    D dbls = {2.5, -1, NaN, 0, 1e300, -1e-300, 2.5};
    for (i64 origin : {0, 1})
        for (i64 direction : {1, -1}) {
            SCOPED_TRACE(testing::Message() << "origin " << origin << " direction " << direction);
            V out(ints.size());
            ASSERT_EQ(a_grade(ints.data(), TINT, out.data(), origin, 7, direction), 0);
            for (i64 i = 0; i + 1 < 7; i++) {
                i64 a = ints[out[i] - origin], b = ints[out[i + 1] - origin];
                EXPECT_TRUE(direction == 1 ? a <= b : a >= b) << i;
            }
            ASSERT_EQ(a_grade(dbls.data(), TFLOAT, out.data(), origin, 7, direction), 0);
            EXPECT_EQ(out[direction == 1 ? 6 : 0], origin + 2);  // NaN last going up
            EXPECT_EQ(out[direction == 1 ? 5 : 1], origin + 4);
            EXPECT_EQ(out[direction == 1 ? 0 : 6], origin + 1);
            V perm = out;
            std::sort(perm.begin(), perm.end());
            for (i64 i = 0; i < 7; i++) EXPECT_EQ(perm[i], origin + i);
        }
    V one(1, -9);
    EXPECT_EQ(a_grade(ints.data(), TINT, one.data(), 1, 1, 1), 0);
    EXPECT_EQ(one[0], 1);
    EXPECT_EQ(a_grade(ints.data(), TINT, nullptr, 1, 0, 1), 0);
}

// What cannot be sorted leaves the indices in order and says so.
TEST(SpareGrade, UngradableInputsLeaveIndexOrder) {
    const char text[4] = {'d', 'c', 'b', 'a'};
    const i64 words[4] = {4, 3, 2, 1};
    struct Case {
        const void* data;
        i64 type;
        bool refuse;
        const char* message;
    } cases[] = {
        {words, TBOOL, false, "Boolean grade not implemented yet\n"},
        {text, TCHAR, false, "Character type grade not defined\n"},
        {words, TSYM, false, ""},
        {words, TCPLX, false, ""},
        {words, TINT, true, "malloc failed in grade\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        V out(4, -1);
        i64 status = 0;
        std::string said = Printed([&] {
            if (!c.refuse) {
                status = a_grade(c.data, c.type, out.data(), 1, 4, -1);
                return;
            }
            Allocator none(0);
            status = a_grade(c.data, c.type, out.data(), 1, 4, -1);
        });
        EXPECT_EQ(status, -1);
        EXPECT_EQ(said, c.message);
        EXPECT_EQ(out, (V{1, 2, 3, 4}));
    }
}

TEST(SpareGrade, Comparators) {
    const i64 ik[3] = {5, 5, -2};
    const double dk[3] = {0.5, 0.5, -0.0};
    const char ck[3] = {'a', (char)200, 'a'};  // 200 is negative as a signed byte
    struct Case {
        i64 i, j, upI, dnI, upD, dnD, upC, dnC;
    } cases[] = {
        {0, 1, 1, 0, 1, 0, 0, 1},
        {0, 2, 0, 1, 0, 1, 1, 0},
        {2, 0, 1, 0, 1, 0, 1, 0},
        {1, 2, 0, 1, 0, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.i << " " << c.j);
        EXPECT_EQ(compupI(ik, c.i, c.j), c.upI);
        EXPECT_EQ(compdnI(ik, c.i, c.j), c.dnI);
        EXPECT_EQ(compupD(dk, c.i, c.j), c.upD);
        EXPECT_EQ(compdnD(dk, c.i, c.j), c.dnD);
        EXPECT_EQ(compupC(ck, c.i, c.j), c.upC);
        EXPECT_EQ(compdnC(ck, c.i, c.j), c.dnC);
    }
    const i64 grade[3] = {3, 1, 2};  // origin 1
    EXPECT_TRUE(compeqI(ik, grade, 1, 1, 2));
    EXPECT_FALSE(compeqI(ik, grade, 1, 0, 1));
    const double zeros[3] = {0.0, 1.0, -0.0};
    EXPECT_TRUE(compeqD(zeros, grade, 1, 0, 1));  // -0.0 and 0.0
    EXPECT_FALSE(compeqD(zeros, grade, 1, 0, 2));
    V x = {3, INT64_MIN, INT64_MAX, -1, 3, 0};
    std::qsort(x.data(), x.size(), sizeof(i64), qcompIndx);
    EXPECT_EQ(x, (V{INT64_MIN, -1, 0, 3, 3, INT64_MAX}));
}
