// Numeric, order and list routines called directly: the LAPACK wrapper, the
// grade kernels, the small routines, rest, and the []IO check of the
// routines that take it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "eval/eval.h"
#include "primitives/primitives.h"
#include "scalar/scalar.h"
#include "values/registers.h"
#include "values/values.h"
#include "workspace_fixture.h"

namespace {

class NumericRoutines : public FreshWorkspace {
protected:
    // An integer vector in slot vx.
    static void Ints(i64 vx, const std::vector<i64>& x) {
        vtable[vx].type = TINT;
        ASSERT_EQ(Updatead0(vx, TINT, 1, (i64)x.size()), 0);
        if (x.size() != 1) vtable[vx].dim0 = (i64)x.size();
        i64* d = static_cast<i64*>(getptV(&vtable[vx]));
        for (size_t i = 0; i < x.size(); i++) d[i] = x[i];
    }
    static std::vector<i64> IntsOf(i64 vx) {
        const i64* d = static_cast<const i64*>(getptV(&vtable[vx]));
        return std::vector<i64>(d, d + vtable[vx].count);
    }
    // Slot 1 holds []IO; a scalar of the given type and value.
    static void SetIo(i64 type, i64 rank, i64 value) {
        vtable[SLOT_IO].type = type;
        vtable[SLOT_IO].rank = rank;
        vtable[SLOT_IO].count = 1;
        vtable[SLOT_IO].dim0 = value;
    }
};

}  // namespace

TEST_F(NumericRoutines, LapackSolvesWithItsOwnIntegerWidth) {
    // A matrix whose inverse is known exactly; a library reading wider
    // integers than it is given would read garbage sizes here.
    double a[9] = {2, 0, 0, 0, 4, 0, 1, 0, 8};
    double inv[9];
    ASSERT_EQ(matrix_inv_square(3, a, inv), 0);
    double expect[9] = {0.5, 0, 0, 0, 0.25, 0, -0.0625, 0, 0.125};
    for (int i = 0; i < 9; i++) EXPECT_DOUBLE_EQ(inv[i], expect[i]) << i;
}

TEST_F(NumericRoutines, LapackReportsASingularMatrix) {
    double a[4] = {1, 2, 2, 4};
    double inv[4];
    EXPECT_GT(matrix_inv_square(2, a, inv), 0);
}

TEST_F(NumericRoutines, InverseOfVectorAndScalar) {
    Ints(4, {1, 2, 2});
    ASSERT_EQ(PfInvert(5, -1, 4), 0);
    EXPECT_EQ(vtable[5].type, TFLOAT);
    const double* d = static_cast<const double*>(getptV(&vtable[5]));
    EXPECT_DOUBLE_EQ(d[0], 1.0 / 9);
    EXPECT_DOUBLE_EQ(d[2], 2.0 / 9);
    Ints(4, {1});
    ASSERT_EQ(PfInvert(5, -1, 4), 0);
    EXPECT_EQ(vtable[5].type, TINT);
    EXPECT_EQ(vtable[5].dim0, 1);
    Ints(4, {1, 0, 2});
    EXPECT_EQ(PfInvert(5, -1, 4), 1);
}

TEST_F(NumericRoutines, Factorial) {
    EXPECT_EQ(PfFact(0), 1.0);
    EXPECT_EQ(PfFact(1), 1.0);
    EXPECT_EQ(PfFact(5), 120.0);
    EXPECT_EQ(PfFact(-3), 1.0);
    EXPECT_TRUE(std::isinf(PfFact(171)));
    EXPECT_TRUE(std::isinf(PfFact(INT64_MAX)));  // no loop of 2^63 steps
}

TEST_F(NumericRoutines, UnbuiltRoutinesReportError43) {
    errchk = 0;
    PfErrMsg(43);
    EXPECT_EQ(errchk, 43);
    Ints(4, {3});
    Ints(5, {4});
    vtable[6] = val_item{};
    vtable[6].rank = -1;
    EXPECT_EQ(PfDivide(6, -1, 4, -1, 5), 43);
    EXPECT_EQ(vtable[6].rank, -1);  // nothing stored
    EXPECT_EQ(PfUnpack(6, -1, 4), 43);
}

TEST_F(NumericRoutines, FortranCopyGoesColumnByColumn) {
    vtable[4].type = TINT;
    vtable[4].dim0 = 2;
    vtable[4].dim1 = 3;
    ASSERT_EQ(Updatead0(4, TINT, 2, 6), 0);
    for (int i = 0; i < 6; i++) p1[i] = i + 1;
    ASSERT_EQ(GenTempFortran(-1, -1, -1, 4, 0, 6), 0);
    std::vector<double> got(rtmp, rtmp + 6);
    EXPECT_EQ(got, (std::vector<double>{1, 4, 2, 5, 3, 6}));
    vtable[5].type = TCHAR;
    ASSERT_EQ(Updatead0(5, TCHAR, 1, 2), 0);
    EXPECT_EQ(GenTempFortran(-1, -1, -1, 5, 0, 2), 1);
}

TEST_F(NumericRoutines, RestDropsTheFirstElement) {
    Ints(4, {7, 8, 9});
    ASSERT_EQ(PfRest(5, -1, 4), 0);
    EXPECT_EQ(IntsOf(5), (std::vector<i64>{8, 9}));
    Ints(4, {7});
    ASSERT_EQ(PfRest(5, -1, 4), 0);
    EXPECT_EQ(vtable[5].count, 0);
    EXPECT_EQ(vtable[5].rank, 1);
    vtable[4].type = TINT;
    vtable[4].dim0 = 2;
    vtable[4].dim1 = 2;
    ASSERT_EQ(Updatead0(4, TINT, 2, 4), 0);
    EXPECT_EQ(PfRest(5, -1, 4), 2);
}

TEST_F(NumericRoutines, GradeKernelOrdersNaNLastAndKeepsTies) {
    double x[] = {2.0, NAN, -1.0, 2.0, NAN, -0.0, 0.0};
    i64 up[7], down[7];
    a_grade_new(x, TFLOAT, up, 0, 7, 1);
    a_grade_new(x, TFLOAT, down, 0, 7, -1);
    EXPECT_EQ(std::vector<i64>(up, up + 7), (std::vector<i64>{2, 5, 6, 0, 3, 1, 4}));
    EXPECT_EQ(std::vector<i64>(down, down + 7), (std::vector<i64>{1, 4, 0, 3, 5, 6, 2}));
    double rows[] = {1, NAN, 1, 2, 1, NAN};
    i64 r[3];
    a_grade_new1(rows, TFLOAT, r, 1, 3, 1, 2);
    EXPECT_EQ(std::vector<i64>(r, r + 3), (std::vector<i64>{2, 1, 3}));
}

TEST_F(NumericRoutines, BadIndexOriginIsError24First) {
    Ints(4, {1, 2});
    Ints(5, {2});
    const i64 bad[][3] = {{TINT, 0, 2}, {TINT, 1, 1}, {TFLOAT, 0, 0}};
    for (const auto& b : bad) {
        SetIo(b[0], b[1], b[2]);
        EXPECT_EQ(GenIdxof(6, -1, 4, -1, 5, SLOT_IO), 24);
        EXPECT_EQ(PfGrade(24, 6, -1, 4, SLOT_IO), 24);
        EXPECT_EQ(PfRandom(6, -1, 4, SLOT_IO), 24);
        EXPECT_EQ(PfDeal(6, -1, 5, -1, 5, SLOT_IO), 24);
        EXPECT_EQ(DpfTransp(6, -1, 5, -1, 4, SLOT_IO), 24);
        EXPECT_EQ(PfWhere(6, -1, 4, SLOT_IO), 24);
    }
    SetIo(TBOOL, 0, 0);
    EXPECT_EQ(GenIdxof(6, -1, 4, -1, 5, SLOT_IO), 0);
    EXPECT_EQ(IntsOf(6), (std::vector<i64>{1}));
}

TEST_F(NumericRoutines, NegativeSeedIsRefused) {
    SetIo(TINT, 0, 1);
    vtable[SLOT_RL].dim0 = -5;
    Ints(4, {10});
    EXPECT_EQ(PfRandom(6, -1, 4, SLOT_IO), 1);
    vtable[SLOT_RL].dim0 = 0;  // a zero seed steps to 16807
    ASSERT_EQ(PfRandom(6, -1, 4, SLOT_IO), 0);
    EXPECT_EQ(vtable[SLOT_RL].dim0, 16807);
}

namespace {

// Positions ordered by a three-way comparison, equal keys in their order.
template <class T, class Cmp>
std::vector<i64> stable_grade(const std::vector<T>& x, i64 direction, Cmp cmp) {
    std::vector<i64> p(x.size());
    std::iota(p.begin(), p.end(), 0);
    std::stable_sort(p.begin(), p.end(),
                     [&](i64 a, i64 b) { return direction * cmp(x[a], x[b]) < 0; });
    return p;
}

int three_way_number(double a, double b) {
    bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb) return (int)na - (int)nb;
    return (a > b) - (a < b);
}

}  // namespace

TEST_F(NumericRoutines, GradeKernelMatchesAStableSort) {
    std::mt19937_64 rng(21);
    auto ints = [](i64 a, i64 b) { return (a > b) - (a < b); };
    for (i64 n : {2, 3, 255, 256, 257, 5000}) {
        for (i64 direction : {1, -1}) {
            // Narrow and wide spans, many ties, and the extreme words.
            for (int wide = 0; wide < 3; wide++) {
                std::vector<i64> x(n);
                for (auto& v : x)
                    v = wide == 0             ? (i64)(rng() % 50) - 25
                        : wide == 1           ? (i64)(rng() % 40) * ((i64)1 << 40)
                        : (i64)rng() % 7 == 0 ? INT64_MIN + (i64)(rng() % 3)
                                              : (i64)rng();
                std::vector<i64> out(n);
                ASSERT_EQ(a_grade_new(x.data(), TINT, out.data(), 0, n, direction), 0);
                EXPECT_EQ(out, stable_grade(x, direction, ints)) << n << " " << wide;
            }
            std::vector<double> d(n);
            for (auto& v : d) {
                i64 k = (i64)(rng() % 12);
                v = k == 0   ? NAN
                    : k == 1 ? -0.0
                    : k == 2 ? 0.0
                    : k == 3 ? -INFINITY
                    : k == 4 ? INFINITY
                             : (double)(i64)(rng() % 9 - 4) / 3;
            }
            std::vector<i64> out(n);
            ASSERT_EQ(a_grade_new(d.data(), TFLOAT, out.data(), 1, n, direction), 0);
            std::vector<i64> want = stable_grade(d, direction, three_way_number);
            for (auto& w : want) w += 1;
            EXPECT_EQ(out, want) << n;
            std::string c(n, ' ');
            for (auto& ch : c) ch = (char)(rng() % 256);
            ASSERT_EQ(a_grade_new(c.data(), TCHAR, out.data(), 0, n, direction), 0);
            std::vector<signed char> sc(c.begin(), c.end());
            EXPECT_EQ(out,
                      stable_grade(sc, direction,
                                   [](signed char a, signed char b) { return (a > b) - (a < b); }))
                << n;
        }
    }
}
