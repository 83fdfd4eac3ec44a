// The operand loader: what each kind of load puts into the registers.
#include <gtest/gtest.h>

#include "eval/eval.h"
#include "values/registers.h"
#include "values/values.h"
#include "workspace_fixture.h"

namespace {

// Slot vx := an integer value of the given shape, elements 1..count.
void MakeInt(i64 vx, std::initializer_list<i64> shape) {
    i64 count = 1;
    for (i64 d : shape) count *= d;
    val_item* v = &vtable[vx];
    v->type = TINT;
    i64 rank = static_cast<i64>(shape.size());
    if (rank > 2) {
        v->dim1 = nxtglx + 1;
        for (auto it = shape.begin() + 1; it != shape.end(); ++it) glist[++nxtglx] = *it;
        glist[++nxtglx] = -1;
    }
    ASSERT_EQ(Updatead0(vx, TINT, rank, count), 0);
    if (rank >= 2) v->dim0 = *shape.begin();
    if (rank == 2) v->dim1 = *(shape.begin() + 1);
    i64* data = static_cast<i64*>(getptV(v));
    for (i64 k = 0; k < count; k++) data[k] = k + 1;
}

class EvalRegisters : public FreshWorkspace {};

TEST_F(EvalRegisters, ShapesGiveDimensionRegisters) {
    struct Case {
        std::initializer_list<i64> shape;
        i64 dim0, dim1, single;
    } cases[] = {
        {{0}, 0, 0, 0}, {{1}, 1, 1, 1},    {{}, 1, 1, 1},
        {{5}, 5, 5, 0}, {{2, 3}, 2, 3, 0}, {{2, 3, 4}, 2, 4, 0},
    };
    for (const Case& c : cases) {
        MakeInt(18, c.shape);
        SetNames(1, 3, 0, -1, 18, -1, 18);
        EXPECT_EQ(ldim0, c.dim0);
        EXPECT_EQ(ldim1, c.dim1);
        EXPECT_EQ(rdim1, c.dim1);
        EXPECT_EQ(llgth1, c.single);
        EXPECT_EQ(ld1, vtable[18].dim1);
    }
}

TEST_F(EvalRegisters, EmptyOperandSetsNoPointerAndNoRefresh) {
    MakeInt(18, {0});
    lo1 = nullptr;
    SetNames(1, 3, 0, -1, 18, -1, 18);
    EXPECT_EQ(lo1, nullptr);
    EXPECT_EQ(gclx, 0);
    EXPECT_EQ(gcrx, 0);
    EXPECT_EQ(lcad, nullptr);
}

TEST_F(EvalRegisters, SingleElementIsLoadedInline) {
    MakeInt(18, {1});
    SetNames(1, 5, 0, -1, -1, -1, 18);
    EXPECT_EQ(rop0, 1);
    EXPECT_EQ(rop1, 1);
    EXPECT_EQ(rlgth1, 1);
    EXPECT_EQ(gcrx, 0);
}

TEST_F(EvalRegisters, RefreshIndexNamesSlotOrNegatedConstant) {
    MakeInt(40, {3});
    ctable[40] = vtable[40];
    SetNames(1, 3, 0, 40, -1, -1, 40);
    EXPECT_EQ(gclx, -40);
    EXPECT_EQ(gcrx, 40);
    EXPECT_EQ(lo1, reinterpret_cast<i64*>(ctable[40].data));
    ctable[40] = val_item{};
}

TEST_F(EvalRegisters, KindsLeaveOtherRegistersAlone) {
    MakeInt(18, {4});
    MakeInt(19, {2, 3});
    SetNames(1, 3, 0, -1, 19, -1, 19);
    MakeInt(20, {7});
    tlgth = -5;
    SetNames(1, 4, 20, -1, 18, -1, -1);  // left and target
    EXPECT_EQ(llgth, 4);
    EXPECT_EQ(rlgth, 6);  // right untouched
    EXPECT_EQ(tlgth, 7);
    SetNames(1, 2, 19, -1, -1, -1, -1);  // target only
    EXPECT_EQ(llgth, 4);
    EXPECT_EQ(tlgth, 6);
    EXPECT_EQ(trnk, 2);
}

TEST_F(EvalRegisters, TargetCursorWritesInPlace) {
    val_item* t = &vtable[4];
    t->type = TFLOAT;
    ASSERT_EQ(Updatead0(4, TFLOAT, 0, 1), 0);
    ttyp = TFLOAT;
    SetNames(0, 2, 4, -1, -1, -1, -1);
    *p2 = 2.5;
    EXPECT_EQ(*reinterpret_cast<double*>(&t->dim0), 2.5);
}

TEST_F(EvalRegisters, MixedFlagNeedsFloatAndDifferentTypes) {
    MakeInt(18, {2});
    vtable[19] = val_item{};
    vtable[19].type = TFLOAT;
    ASSERT_EQ(Updatead0(19, TFLOAT, 1, 2), 0);
    SetNames(1, 3, 0, -1, 18, -1, 19);
    EXPECT_EQ(dtyp, 1);
    SetNames(1, 3, 0, -1, 19, -1, 19);
    EXPECT_EQ(dtyp, 0);
    SetNames(1, 3, 0, -1, 18, -1, 18);
    EXPECT_EQ(dtyp, 0);
}

TEST_F(EvalRegisters, SecondRightOperandTakesOnlyIntegers) {
    MakeInt(18, {3});
    errchk = 0;
    SetNames1(-1, 18);
    EXPECT_EQ(errchk, 0);
    EXPECT_EQ(ro_1, reinterpret_cast<i64*>(vtable[18].data));
    EXPECT_EQ(rdim_0, 3);
    vtable[19].type = TCHAR;
    ASSERT_EQ(Updatead0(19, TCHAR, 1, 3), 0);
    SetNames1(-1, 19);
    EXPECT_EQ(errchk, 2);
}

}  // namespace
