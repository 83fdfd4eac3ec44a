// The nested-list picture: lists of item references drawn into a text area.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "eval/eval.h"
#include "parser/parser.h"
#include "workspace_fixture.h"

namespace {

// An integer value of the given shape in slot vx (rank 1 when one axis).
void Ints(i64 vx, std::vector<i64> dims, std::vector<i64> xs) {
    vtable[vx] = val_item{};
    vtable[vx].type = TINT;
    i64 rank = (i64)dims.size();
    ASSERT_EQ(Updatead0(vx, TINT, rank, (i64)xs.size()), 0);
    if (rank == 1 && xs.size() != 1) vtable[vx].dim0 = dims[0];
    if (rank == 2) {
        vtable[vx].dim0 = dims[0];
        vtable[vx].dim1 = dims[1];
    }
    memcpy(getptV(&vtable[vx]), xs.data(), 8 * xs.size());
}

void Floats(i64 vx, i64 rows, i64 cols, std::vector<double> xs) {
    vtable[vx] = val_item{};
    vtable[vx].type = TFLOAT;
    ASSERT_EQ(Updatead0(vx, TFLOAT, 2, rows * cols), 0);
    vtable[vx].dim0 = rows;
    vtable[vx].dim1 = cols;
    memcpy(vtable[vx].data, xs.data(), 8 * xs.size());
}

void Chars(i64 vx, const char* s) {
    i64 n = (i64)strlen(s);
    vtable[vx] = val_item{};
    vtable[vx].type = TCHAR;
    ASSERT_EQ(Updatead0(vx, TCHAR, 1, n), 0);
    vtable[vx].dim0 = n;
    memcpy(vtable[vx].data, s, n);
}

void Syms(i64 vx, i64 rows, i64 cols, std::vector<const char*> names) {
    vtable[vx] = val_item{};
    vtable[vx].type = TSYM;
    ASSERT_EQ(Updatead0(vx, TSYM, rows ? 2 : 0, rows ? rows * cols : 1), 0);
    if (rows) {
        vtable[vx].dim0 = rows;
        vtable[vx].dim1 = cols;
    }
    i64* ids = (i64*)getptV(&vtable[vx]);
    for (size_t k = 0; k < names.size(); k++) ids[k] = getsymbol(names[k]);
}

// A list of references in slot vx: each reference in the first word of its item.
void Refs(i64 vx, std::vector<i64> refs) {
    vtable[vx] = val_item{};
    vtable[vx].type = TLIST;
    ASSERT_EQ(Updatead0(vx, TLIST, 1, (i64)refs.size()), 0);
    vtable[vx].dim0 = (i64)refs.size();
    for (size_t k = 0; k < refs.size(); k++) ((val_item*)vtable[vx].data)[k].type = refs[k];
}

class FormatPicture : public FreshWorkspace {
protected:
    std::vector<char> area = std::vector<char>(MAXTXTOPT, '#');
    void SetUp() override {
        FreshWorkspace::SetUp();
        vtable[SLOT_PP] = val_item{TINT, 0, 10, 0, 0, 1, 0, nullptr};
        GenP(area.data());
    }
    void TearDown() override { GM_free(); }
    std::string Picture(i64 slot) {
        EXPECT_EQ(GenType6(slot), 0);
        return std::string(area.data());
    }
};

TEST_F(FormatPicture, ListOfDepthTwo) {
    Ints(20, {3}, {1, 2, 3});
    Chars(21, "ab");
    Ints(22, {2, 2}, {1, 10, 100, 2});
    Syms(24, 0, 0, {"x"});
    i64 e = Enter("v", 'V');
    nametable[e].index = 24;
    Refs(30, {-20, -1});           // (1 2 3; absent)
    Refs(31, {-30, -22, e, -21});  // (that; matrix; `x by name; 'ab')
    std::string want = std::string("1 2 3   \"  1 10   `x   ab   \n") + std::string(9, ' ') +
                       "100  2" + std::string(13, ' ') + "\n";
    EXPECT_EQ(Picture(31), want);
    EXPECT_EQ(listn, 2);
    EXPECT_EQ(listm, 29);
}

TEST_F(FormatPicture, LeafShapes) {
    Floats(20, 2, 2, {1.5, 2.25, 10, 3});
    Ints(21, {2}, {7, -8});
    Chars(22, "xyz");
    Refs(30, {-20, -21});
    Refs(31, {-22, -21});
    struct {
        i64 slot;
        std::string want;
    } cases[] = {
        // Floats align on the point; the fraction columns keep their blanks.
        {30, " 1.5 2.25   7 _8\n10   3   " + std::string(7, ' ') + "\n"},
        // A character vector is drawn without blanks.
        {31, "xyz   7 _8\n"},
    };
    for (auto& c : cases) EXPECT_EQ(Picture(c.slot), c.want) << c.slot;
}

TEST_F(FormatPicture, SingleItemHeldInItsDescriptor) {
    Ints(20, {2}, {4, 5});
    vtable[30] = val_item{TLIST, 0, -20, 0, 0, 1, 0, nullptr};
    EXPECT_EQ(Picture(30), "4 5\n");
}

TEST_F(FormatPicture, Faults) {
    Ints(20, {1}, {1});
    vtable[21] = val_item{};
    vtable[21].rank = -1;  // no value
    Refs(30, {-20, -21});
    Refs(31, {-20, -31});     // refers to itself
    Refs(32, {-20, -16384});  // past the slot table
    vtable[33] = vtable[30];
    vtable[33].rank = 2;   // a list of rank 2
    vtable[33].bytes = 0;  // sharing, not owning
    struct {
        i64 slot, code;
    } cases[] = {{30, 4}, {31, 5}, {32, 4}, {33, 4}};
    for (auto& c : cases) {
        errchk = 0;
        EXPECT_EQ(GenType6(c.slot), c.code) << c.slot;
        EXPECT_EQ(errchk, c.code) << c.slot;
    }
}

TEST_F(FormatPicture, AreaTooSmallIsRefused) {
    Ints(20, {5}, {1, 2, 3, 4, 5});
    Refs(30, {-20, -20});
    GenP(area.data(), 22);  // the picture needs 2 * 9 + 3 + 1 bytes and its NUL
    EXPECT_EQ(GenType6(30), 33);
    EXPECT_EQ(area[0], '#');  // nothing written
    GenP(area.data(), 23);
    EXPECT_EQ(Picture(30), "1 2 3 4 5   1 2 3 4 5\n");
}

TEST_F(FormatPicture, SymbolMatrix) {
    Syms(20, 2, 2, {"a", "bc", "def", "g"});
    chrnum = 0;
    EXPECT_EQ(OutputLoopSym(20), 0);
    EXPECT_EQ(std::string(area.data()), "`a   `bc\n`def `g ");
    EXPECT_EQ(genptr, area.data() + 17);
    EXPECT_EQ(chrnum, 20);
    // A matrix that would pass the area's capacity puts the cursor back.
    chrnum = MAXTXTOPT - 10;
    EXPECT_EQ(OutputLoopSym(20), 33);
    EXPECT_EQ(genptr, area.data());
    chrnum = 0;
}

}  // namespace
