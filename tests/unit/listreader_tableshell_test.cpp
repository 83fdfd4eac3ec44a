// The table shell of CSV import: an empty table with its names and columns
// allocated at their final sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "parser/parser.h"
#include "workspace_fixture.h"

namespace {

class TableShell : public FreshWorkspace {
protected:
    static val_item* Part(i64 slot, i64 k) { return (val_item*)vtable[slot].data + k; }
    static val_item* Col(i64 slot, i64 i) { return (val_item*)Part(slot, 1)->data + i; }
    static i64 Build(i64 slot, i64 nrows, std::vector<i64> types) {
        char path[] = "t.csv";
        return CSVEnter(slot, path, TTABLE, nrows, (i64)types.size(), types.data());
    }
};

TEST_F(TableShell, ColumnTypesAndSizes) {
    std::vector<i64> types = {TBOOL, TINT, TFLOAT, TCHAR, TSYM, TDATE, TDATETIME, TTIME, TLIST};
    struct {
        i64 slot;
        bool named;
    } cases[] = {{20, true}, {5, false}};
    for (auto& c : cases) {
        ASSERT_EQ(Build(c.slot, 4, types), c.slot);
        EXPECT_EQ(errchk, 0);
        val_item* t = &vtable[c.slot];
        EXPECT_EQ(t->type, TTABLE);
        EXPECT_EQ(t->rank, 1);
        EXPECT_EQ(t->count, 2);
        val_item* names = Part(c.slot, 0);
        EXPECT_EQ(names->type, TSYM);
        EXPECT_EQ(names->count, (i64)types.size());
        val_item* cols = Part(c.slot, 1);
        EXPECT_EQ(cols->type, TLIST);
        EXPECT_EQ(cols->count, (i64)types.size());
        EXPECT_EQ(cols->dim0, 4);  // the row count
        for (size_t i = 0; i < types.size(); i++) {
            val_item* col = Col(c.slot, i);
            EXPECT_EQ(col->type, types[i]) << i;
            EXPECT_EQ(col->rank, 1) << i;
            EXPECT_EQ(col->count, 4) << i;
            EXPECT_EQ(col->dim0, 4) << i;
            ASSERT_NE(col->data, nullptr) << i;
            // Named parts carry the arena's block header; temporaries do not.
            EXPECT_EQ(RefChange(col, 0) == 1, c.named) << i;
        }
    }
}

TEST_F(TableShell, FilledShellSurvivesACollection) {
    ASSERT_EQ(Build(20, 3, {TINT, TCHAR}), 20);
    i64* ids = (i64*)Part(20, 0)->data;
    ids[0] = getsymbol("n");
    ids[1] = getsymbol("c");
    i64* n = (i64*)Col(20, 0)->data;
    for (i64 k = 0; k < 3; k++) n[k] = 10 * k;
    memcpy(Col(20, 1)->data, "xyz", 3);
    GC();
    EXPECT_EQ(((i64*)Part(20, 0)->data)[1], getsymbol("c"));
    EXPECT_EQ(((i64*)Col(20, 0)->data)[2], 20);
    EXPECT_EQ(memcmp(Col(20, 1)->data, "xyz", 3), 0);
}

TEST_F(TableShell, EdgeShapes) {
    // No columns: an empty name vector and an empty column list.
    ASSERT_EQ(Build(20, 5, {}), 20);
    EXPECT_EQ(Part(20, 0)->count, 0);
    EXPECT_EQ(Part(20, 1)->count, 0);
    EXPECT_EQ(Part(20, 1)->dim0, 5);
    // No rows: empty columns, row count 0.
    ASSERT_EQ(Build(21, 0, {TINT, TSYM}), 21);
    EXPECT_EQ(Part(21, 1)->dim0, 0);
    EXPECT_EQ(Col(21, 0)->count, 0);
    EXPECT_EQ(Col(21, 1)->count, 0);
    // One row and one column: one-element values, held in their descriptors.
    ASSERT_EQ(Build(22, 1, {TFLOAT}), 22);
    EXPECT_EQ(Part(22, 0)->count, 1);
    EXPECT_EQ(Part(22, 0)->dim0, 0);
    EXPECT_EQ(Col(22, 0)->count, 1);
    EXPECT_EQ(Col(22, 0)->dim0, 0);
    EXPECT_EQ(Part(22, 1)->dim0, 1);
}

TEST_F(TableShell, RebuildingReplacesTheOldShell) {
    ASSERT_EQ(Build(20, 2000, {TINT, TINT}), 20);
    i64 free1 = r15 - stacktop;
    for (int k = 0; k < 3; k++) ASSERT_EQ(Build(20, 2000, {TINT, TINT}), 20);
    GC();
    // The blocks of the old shells went with them.
    EXPECT_GE(r15 - stacktop, free1);
}

TEST_F(TableShell, BadArguments) {
    i64 good[] = {TINT};
    i64 bad[] = {TDICT};
    struct {
        i64 nrows, ncols;
        i64* types;
    } cases[] = {
        {-1, 1, good},
        {1, -1, good},
        {1, 1, bad},
        {1, 1, nullptr},
    };
    for (auto& c : cases) {
        errchk = 0;
        char path[] = "t.csv";
        EXPECT_EQ(CSVEnter(20, path, TTABLE, c.nrows, c.ncols, c.types), 1);
        EXPECT_EQ(errchk, 1);
    }
}

}  // namespace
