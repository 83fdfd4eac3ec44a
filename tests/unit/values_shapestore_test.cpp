// The shape-list store's room: the runs of values that live keep their words
// through every collection, wherever the values are held, while the words of
// runs no value uses are taken again.
#include <gtest/gtest.h>

#include <vector>

#include "dict_support.h"
#include "values/operand.h"
#include "values/values.h"
#include "workspace_fixture.h"

namespace {

// A descriptor's axes read through its run.
std::vector<i64> Axes(const val_item* v) {
    std::vector<i64> dims(static_cast<size_t>(v->rank));
    shape_of(v, dims.data());
    return dims;
}

struct LiveRun {
    const val_item* v;
    i64 start, words;
    std::vector<i64> axes;
};

// The rank > 2 values the lines below make, and the words their runs own.
std::vector<LiveRun> Runs(const std::vector<const val_item*>& values) {
    std::vector<LiveRun> runs;
    for (const val_item* v : values) {
        EXPECT_GT(v->rank, 2);
        runs.push_back({v, v->dim1, 2 * v->rank - 2, Axes(v)});
    }
    return runs;
}

bool Overlaps(const std::vector<LiveRun>& runs, i64 start, i64 words) {
    for (const LiveRun& h : runs)
        if (start < h.start + h.words && h.start < start + words) return true;
    return false;
}

void ExpectWhole(const std::vector<LiveRun>& runs) {
    for (const LiveRun& h : runs) {
        EXPECT_EQ(h.v->dim1, h.start);
        EXPECT_EQ(Axes(h.v), h.axes);
        EXPECT_EQ(glist[h.start + h.v->rank - 1], -1);
    }
}

class ShapeStore : public FreshWorkspace {};

}  // namespace

TEST_F(ShapeStore, LiveRunsKeepTheirWordsWhileDeadOnesAreTakenAgain) {
    ASSERT_EQ(RunLine("a<-2 3 4#!24"), 0);
    ASSERT_EQ(RunLine("l<-(1;(5 1 2 3#7;'x'))"), 0);
    ASSERT_EQ(RunLine("e<-0 2 2#0"), 0);
    ASSERT_EQ(RunLine("d<-(`p`q):(2 2 2 2#1;3)"), 0);
    const val_item* l = Variable("l");
    const val_item* d = Variable("d");
    ASSERT_TRUE(l && d && Variable("a") && Variable("e"));
    const val_item* inner = &items_of(&items_of(l)[1])[0];
    const val_item* dval = &items_of(&items_of(d)[1])[0];
    std::vector<LiveRun> runs = Runs({Variable("a"), inner, Variable("e"), dval});
    // Runs of results that die at once, four times the store's size in all.
    i64 taken = 0;
    for (i64 k = 0; taken < 4 * GLIST_SIZE; k++) {
        i64 start;
        ASSERT_EQ(TakeShapeWords(6, &start), 0) << "after " << taken << " words";
        ASSERT_FALSE(Overlaps(runs, start, 6)) << start;
        for (i64 j = 0; j < 6; j++) glist[start + j] = 99;
        taken += 6;
        if (k % 1000 == 0) CollectShapes();  // a statement's start
    }
    ExpectWhole(runs);
    EXPECT_LT(nxtglx, GLIST_SIZE);
}

TEST_F(ShapeStore, AFullStoreRefusesUntilItsRunsAreNoLongerUsed) {
    ASSERT_EQ(RunLine("a<-2 3 4#!24"), 0);
    std::vector<LiveRun> runs = Runs({Variable("a")});
    i64 start;
    while (TakeShapeWords(4, &start) == 0) {}
    EXPECT_EQ(errchk, E_GLIST_FULL);
    // The words were never given to a value: the next statement gets them back.
    CollectShapes();
    errchk = 0;
    ASSERT_EQ(RunLine("b<-a[;;]"), 0);
    ASSERT_EQ(RunLine("c<-2 2 2 2#5"), 0);
    ExpectWhole(runs);
    EXPECT_EQ(Axes(Variable("b")), (std::vector<i64>{2, 3, 4}));
    EXPECT_EQ(Axes(Variable("c")), (std::vector<i64>{2, 2, 2, 2}));
}

TEST_F(ShapeStore, ASavedIndexListIsKept) {
    i64 kept;
    ASSERT_EQ(TakeShapeWords(8, &kept), 0);
    KeepShapeWords(kept, 8);
    for (i64 j = 0; j < 8; j++) glist[kept + j] = 7;
    i64 start;
    for (i64 taken = 0; taken < 2 * GLIST_SIZE; taken += 4) {
        ASSERT_EQ(TakeShapeWords(4, &start), 0);
        ASSERT_TRUE(start + 4 <= kept || start >= kept + 8) << start;
        if (taken % 4000 == 0) CollectShapes();
    }
    for (i64 j = 0; j < 8; j++) EXPECT_EQ(glist[kept + j], 7);
}

TEST_F(ShapeStore, ALightlyUsedStoreOnlyAppends) {
    i64 first, second;
    ASSERT_EQ(TakeShapeWords(4, &first), 0);
    CollectShapes();
    ASSERT_EQ(TakeShapeWords(4, &second), 0);
    EXPECT_EQ(second, first + 4);
    EXPECT_EQ(nxtglx, second + 3);
}
