// Element widths, the inline test, element access and type letters.
#include <gtest/gtest.h>

#include <array>

#include "values/values.h"

TEST(ValuesDescriptor, ElementWidths) {
    struct {
        i64 type, n, bytes;
    } cases[] = {
        {TCHAR, 0, 0}, {TCHAR, 5, 6},  {TENUM, 0, 16},  {TLIST, 2, 128},    {99, 7, 7},
        {TINT, 3, 24}, {TCPLX, 3, 48}, {TDICT, 2, 128}, {TDATETIME, 2, 16}, {TBOOL, 1, 8},
    };
    for (auto& c : cases) EXPECT_EQ(typC(c.type, c.n), c.bytes) << c.type << " " << c.n;
}

TEST(ValuesDescriptor, InlineValues) {
    struct {
        i64 type, rank, count;
        int inl;
    } cases[] = {
        {TCHAR, 1, 1, 1}, {TINT, 0, 1, 1},  {TTIME, 1, 1, 1}, {TINT, -1, 1, 1},
        {TLIST, 1, 1, 0}, {TENUM, 1, 1, 0}, {TDICT, 1, 1, 0}, {TINT, 2, 1, 0},
        {TINT, 1, 2, 0},  {TINT, 1, 0, 0},  {TCPLX, 0, 1, 1},
    };
    for (auto& c : cases) {
        val_item v{};
        v.type = c.type;
        v.rank = c.rank;
        v.count = c.count;
        EXPECT_EQ(isoneV(&v), c.inl) << c.type << " " << c.rank << " " << c.count;
        EXPECT_EQ(isone(v), c.inl);
    }
}

TEST(ValuesDescriptor, ElementAddress) {
    char block[64];
    val_item v{};
    v.type = TCHAR;
    v.rank = 1;
    v.count = 1;
    v.data = block;
    EXPECT_EQ(getptV(&v), &v.dim0);  // one character: held inline
    v.type = TLIST;
    EXPECT_EQ(getptV(&v), block);  // one-item list: its data
    v.type = TINT;
    v.count = 0;
    EXPECT_EQ(getptV(&v), nullptr);  // empty
}

TEST(ValuesDescriptor, TypeLetters) {
    EXPECT_EQ(gettyp('X'), -1);
    EXPECT_EQ(gettyp('Q'), -1);
    EXPECT_EQ(gettyp0(TCPLX), 'Q');
    EXPECT_EQ(gettyp0(TDICT), 'Q');
    EXPECT_EQ(gettyp('I'), TINT);
    EXPECT_EQ(gettyp('T'), TTIME);
    for (i64 t = 0; t <= TTIME; t++) {
        if (t == TCPLX) continue;
        EXPECT_EQ(gettyp(gettyp0(t)), t) << t;
    }
}

TEST(ValuesDescriptor, TypeClasses) {
    for (i64 t : {0, 1, 2, 3, 4, 5, 7, 12}) EXPECT_TRUE(isbasic(t)) << t;
    for (i64 t : {6, 21, 91, 92, 13}) EXPECT_FALSE(isbasic(t)) << t;
    EXPECT_TRUE(isdate(7));
    EXPECT_TRUE(isdate(12));
    EXPECT_FALSE(isdate(6));
    EXPECT_FALSE(isdate(13));
}

// A list of items with the given (type, rank, count).
static i64 CheckList(std::initializer_list<std::array<i64, 3>> shapes) {
    val_item items[4]{};
    i64 n = 0;
    for (auto& s : shapes) {
        items[n].type = s[0];
        items[n].rank = s[1];
        items[n].count = s[2];
        n++;
    }
    val_item list{};
    list.type = TLIST;
    list.rank = 1;
    list.count = n;
    list.data = reinterpret_cast<char*>(items);
    errchk = 0;
    return islist0(&list);
}

TEST(ValuesDescriptor, SimpleListCheck) {
    EXPECT_EQ(CheckList({{1, 1, 3}, {2, 1, 3}, {1, 1, 2}}), 3);
    EXPECT_EQ(errchk, 3);
    EXPECT_EQ(CheckList({{1, 1, 3}, {1, 2, 3}, {1, 1, 2}}), 2);  // rank first
    EXPECT_EQ(CheckList({{1, 1, 3}, {6, 1, 3}}), 7);
    EXPECT_EQ(CheckList({{3, 1, 2}, {5, 0, 2}}), 0);
    EXPECT_EQ(CheckList({}), 0);
}
