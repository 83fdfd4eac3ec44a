// The format primitive on values built directly in slots: result shapes,
// the types that have no format, and element texts the language cannot
// write as literals.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/display.h"
#include "eval/eval.h"
#include "scalar/scalar.h"
#include "workspace_fixture.h"

namespace {

constexpr i64 SRC = 20, RES = 4;

class FormatText : public FreshWorkspace {
protected:
    void SetUp() override {
        FreshWorkspace::SetUp();
        vtable[SLOT_PP] = val_item{TINT, 0, 10, 0, 0, 1, 0, nullptr};
    }
    void TearDown() override { GM_free(); }
    // The text of the character result in slot.
    static std::string Text(i64 slot) {
        val_item* v = &vtable[slot];
        return std::string((const char*)getptV(v), (size_t)v->count);
    }
};

TEST_F(FormatText, ScalarsGiveCharacterVectors) {
    complex2 z{1.5, -2};
    val_item cz{TCPLX, 0, 0, 0, 0, 1, 0, nullptr};
    memcpy(&cz.dim0, &z, sizeof z);
    struct {
        val_item v;
        std::string text;
    } cases[] = {
        {val_item{TINT, 0, 42, 0, 0, 1, 0, nullptr}, "42"},
        {val_item{TINT, 0, 7, 0, 0, 1, 0, nullptr}, "7"},
        {val_item{TBOOL, 1, 1, 0, 0, 1, 0, nullptr}, "1"},
        {cz, "1.5j_2"},
        // A symbol's text as stored: no back-quote, no quotes for the blank.
        {val_item{TSYM, 0, getsymbol("new york"), 0, 0, 1, 0, nullptr}, "new york"},
        {val_item{TTIME, 0, 45296789, 0, 0, 1, 0, nullptr}, "12:34:56.789"},
    };
    for (auto& c : cases) {
        vtable[SRC] = c.v;
        ASSERT_EQ(PfFormat(RES, -1, SRC), 0) << c.text;
        val_item* r = &vtable[RES];
        EXPECT_EQ(r->type, TCHAR) << c.text;
        EXPECT_EQ(r->rank, 1) << c.text;
        EXPECT_EQ(r->count, (i64)c.text.size()) << c.text;
        EXPECT_EQ(Text(RES), c.text);
    }
}

TEST_F(FormatText, TypesWithoutFormatAreDomainErrors) {
    val_item items[2] = {};
    i64 types[] = {TLIST, TENUM, TDICT, TTABLE};
    for (i64 t : types) {
        vtable[SRC] = val_item{t, 1, 2, 0, 0, 2, 0, (char*)items};
        vtable[RES] = val_item{TINT, 0, 5, 0, 0, 1, 0, nullptr};
        errchk = 0;
        EXPECT_EQ(PfFormat(RES, -1, SRC), 1) << t;
        EXPECT_EQ(errchk, 1) << t;
        EXPECT_EQ(vtable[RES].type, TINT) << t;  // no result made
        EXPECT_EQ(vtable[RES].dim0, 5) << t;
    }
    vtable[SRC] = val_item{};
}

TEST_F(FormatText, RankThreeShapeList) {
    // 2 by 2 by 3 integers 1..12: rows of width 8 in a new shape run.
    vtable[SRC] = val_item{};
    vtable[SRC].type = TINT;
    i64 dims[3] = {2, 2, 3}, run;
    ASSERT_EQ(shape_run(dims, 3, &run), 0);
    ASSERT_EQ(Updatead0(SRC, TINT, 3, 12), 0);
    shape_set(SRC, dims, 3, run);
    for (i64 k = 0; k < 12; k++) ((i64*)vtable[SRC].data)[k] = k + 1;
    ASSERT_EQ(PfFormat(RES, -1, SRC), 0);
    val_item* r = &vtable[RES];
    EXPECT_EQ(r->rank, 3);
    EXPECT_EQ(r->dim0, 2);
    EXPECT_EQ(r->count, 32);
    ASSERT_NE(r->dim1, run);  // a run of its own
    EXPECT_EQ(glist[r->dim1], 2);
    EXPECT_EQ(glist[r->dim1 + 1], 8);
    EXPECT_EQ(glist[r->dim1 + 2], -1);
    EXPECT_EQ(glist[run + 1], 3);  // the operand's run is untouched
    EXPECT_EQ(Text(RES), " 1  2  3 4  5  6 7  8  910 11 12");
}

TEST_F(FormatText, DateCellsKeepTheirFixedWidth) {
    // A year past four digits has a longer text; its cell is still 10 wide,
    // so the rows keep the result's shape.
    i64 dates[2] = {20150810, 123450101};
    vtable[SRC] = val_item{TDATE, 2, 2, 1, 0, 2, 0, (char*)dates};
    ASSERT_EQ(PfFormat(RES, -1, SRC), 0);
    EXPECT_EQ(vtable[RES].dim1, 10);
    EXPECT_EQ(vtable[RES].count, 20);
    EXPECT_EQ(Text(RES).substr(0, 10), "2015.08.10");
    vtable[SRC] = val_item{};
}

TEST_F(FormatText, PrecisionBeyondTheDigitsOfADouble) {
    vtable[SLOT_PP] = val_item{TINT, 0, 1000000, 0, 0, 1, 0, nullptr};
    double x = 1.0 / 3;
    val_item v{TFLOAT, 0, 0, 0, 0, 1, 0, nullptr};
    memcpy(&v.dim0, &x, sizeof x);
    vtable[SRC] = v;
    ASSERT_EQ(PfFormat(RES, -1, SRC), 0);
    EXPECT_EQ(Text(RES), "0.33333333333333331");
}

}  // namespace
