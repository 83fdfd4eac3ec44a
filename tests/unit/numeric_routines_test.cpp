// Numeric, order and list routines called directly: the LAPACK wrapper, the
// grade kernels, the small routines, rest, and the []IO check of the
// routines that take it.
#include <gtest/gtest.h>

#include <cmath>
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
