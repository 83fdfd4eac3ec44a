// Assignment of values to names, and the conformability check of dyadic
// scalar calls.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dict/dict.h"
#include "eval/eval.h"
#include "primitives/primitives.h"
#include "values/registers.h"
#include "values/values.h"
#include "workspace_fixture.h"

namespace {

void Slot(i64 vx, i64 type, i64 rank, const std::vector<i64>& dims, const std::vector<i64>& xs) {
    vtable[vx] = val_item{};
    vtable[vx].type = type;
    i64 count = 1;
    for (i64 d : dims) count *= d;
    if (rank > 2) {
        vtable[vx].dim1 = nxtglx + 1;
        for (size_t k = 1; k < dims.size(); k++) glist[++nxtglx] = dims[k];
        glist[++nxtglx] = -1;
    }
    ASSERT_EQ(Updatead0(vx, type, rank, count), 0);
    if (rank >= 2) vtable[vx].dim0 = dims[0];
    if (rank == 2) vtable[vx].dim1 = dims[1];
    if (count > 0) std::memcpy(getptV(&vtable[vx]), xs.data(), 8 * count);
}

class EvalAssign : public FreshWorkspace {};

TEST_F(EvalAssign, PrintPrecisionAndSeedNeedAPositiveInteger) {
    struct Case {
        i64 type, rank;
        std::vector<i64> dims, xs;
        i64 want;
    } cases[] = {
        {TINT, 0, {}, {0}, 4},    {TINT, 0, {}, {-3}, 4}, {TINT, 1, {2}, {3, 4}, 3},
        {TCHAR, 0, {}, {'a'}, 7}, {TINT, 0, {}, {42}, 0}, {TBOOL, 1, {1}, {1}, 0},
    };
    double half = 12.5;
    for (i64 target : {SLOT_PP, SLOT_RL}) {
        for (const Case& c : cases) {
            Slot(4, c.type, c.rank, c.dims, c.xs);
            val_item before = vtable[target];
            EXPECT_EQ(PfAssign(target, -1, 4), c.want) << target << " " << c.xs[0];
            if (c.want) {
                EXPECT_EQ(vtable[target].dim0, before.dim0);
            } else {
                EXPECT_EQ(vtable[target].dim0, c.xs[0]);
            }
        }
        Slot(4, TFLOAT, 0, {}, {0});
        std::memcpy(&vtable[4].dim0, &half, 8);
        EXPECT_EQ(PfAssign(target, -1, 4), 7);
    }
}

TEST_F(EvalAssign, NamedSourceSharesItsBlock) {
    Slot(18, TINT, 1, {3}, {1, 2, 3});
    ASSERT_EQ(PfAssign(19, -1, 18), 0);
    EXPECT_EQ(vtable[19].data, vtable[18].data);
    EXPECT_EQ(RefChange(&vtable[18], 0), 2);
    BeforeIndexA(19);  // a change in place first gets its own copy
    EXPECT_NE(vtable[19].data, vtable[18].data);
    EXPECT_EQ(RefChange(&vtable[18], 0), 1);
    EXPECT_EQ(static_cast<i64*>(getptV(&vtable[19]))[2], 3);
}

TEST_F(EvalAssign, RankThreeShareCopiesTheShape) {
    Slot(18, TINT, 3, {1, 2, 2}, {1, 2, 3, 4});
    ASSERT_EQ(PfAssign(19, -1, 18), 0);
    EXPECT_NE(vtable[19].dim1, vtable[18].dim1);
    EXPECT_EQ(glist[vtable[19].dim1], 2);
}

TEST_F(EvalAssign, ReassignmentReleasesTheOldBlock) {
    Slot(18, TINT, 1, {3}, {1, 2, 3});
    Slot(20, TINT, 1, {2}, {8, 9});
    ASSERT_EQ(PfAssign(19, -1, 18), 0);
    ASSERT_EQ(PfAssign(19, -1, 20), 0);
    EXPECT_EQ(RefChange(&vtable[18], 0), 1);
    EXPECT_EQ(RefChange(&vtable[20], 0), 2);
}

TEST_F(EvalAssign, UndefinedSourceLeavesTarget) {
    Slot(18, TINT, 1, {2}, {5, 6});
    vtable[20].rank = -1;
    EXPECT_EQ(PfAssign(18, -1, 20), 4);
    EXPECT_EQ(static_cast<i64*>(getptV(&vtable[18]))[1], 6);
}

TEST_F(EvalAssign, TemporaryIsCopiedIntoNamedStorage) {
    Slot(5, TINT, 1, {2}, {5, 6});
    ASSERT_EQ(PfAssign(18, -1, 5), 0);
    EXPECT_NE(vtable[18].data, vtable[5].data);
    EXPECT_EQ(RefChange(&vtable[18], 0), 1);
}

TEST_F(EvalAssign, ConformabilityCheck) {
    struct Case {
        i64 lrank;
        std::vector<i64> ldims;
        i64 rrank;
        std::vector<i64> rdims;
        i64 want, rank, count;
    } cases[] = {
        {2, {2, 3}, 2, {3, 2}, 3, 0, 0},
        {2, {2, 3}, 1, {6}, 2, 0, 0},
        {0, {}, 2, {2, 3}, 0, 2, 6},
        {1, {0}, 1, {0}, 0, 1, 0},
        {1, {1}, 0, {}, 0, 1, 1},
        {3, {2, 2, 2}, 3, {2, 2, 3}, 3, 0, 0},
        {3, {2, 2, 2}, 3, {2, 2, 2}, 0, 3, 8},
    };
    std::vector<i64> xs(12, 1);
    for (const Case& c : cases) {
        Slot(18, TINT, c.lrank, c.ldims, xs);
        Slot(19, TINT, c.rrank, c.rdims, xs);
        SetNames(1, 3, 0, -1, 18, -1, 19);
        ttyp = TFLOAT;
        vtable[4] = val_item{};
        EXPECT_EQ(Sfshapeck0(4, -1, 18, -1, 19), c.want);
        if (c.want) continue;
        EXPECT_EQ(vtable[4].rank, c.rank);
        EXPECT_EQ(vtable[4].count, c.count);
        EXPECT_EQ(vtable[4].type, c.count ? TFLOAT : TINT);
        if (c.rank == 2) {
            EXPECT_EQ(vtable[4].dim1, 3);
        }
    }
}

TEST_F(EvalAssign, IndexOriginSlot) {
    struct Case {
        i64 type, rank, value, want;
    } cases[] = {{TINT, 0, 1, 1},
                 {TBOOL, 0, 0, 0},
                 {TINT, 1, 1, -1},
                 {TINT, 0, 2, -1},
                 {TFLOAT, 0, 1, -1}};
    for (const Case& c : cases) {
        Slot(5, c.type, c.rank, c.rank ? std::vector<i64>{1} : std::vector<i64>{}, {c.value});
        EXPECT_EQ(IoOrigin(5), c.want);
    }
}

}  // namespace
