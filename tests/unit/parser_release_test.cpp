// Records and literals of immediate lines are given back after the line,
// and every parse table refuses an entry beyond its capacity.
#include <string>
#include <vector>

#include "parser_fixture.h"

namespace {

// Parses every statement of a line, as the line driver does.
i64 ParseWholeLine(const std::string& s) {
    std::vector<char> buf(s.begin(), s.end());
    buf.push_back(0);
    i64 off = 0, len = (i64)buf.size(), out[3];
    while (len > 0) {
        i64 rc = ZemParser(buf.data() + off, len, -1, 0, 0, 1, out);
        if (rc) return rc;
        i64 step = GetZemCursor() + 1;
        off += step;
        len -= step;
    }
    return 0;
}

struct Tables {
    i64 ndx, fndx, brx, ovx, nx, cx, tnam, gx, vx;
    bool operator==(const Tables&) const = default;
};
Tables Now() { return {lstndx, lstfndx, lstbrx, nxtovx, lstnx, lstcx, lsttnam, lstgx, lstvx}; }

const char* const kLines[] = {
    "x<-1 2 3+4 5 6;y<-'some text'",
    "z<-(1;'ab';`s`t;2.5 3)",
    "t<-([k<-`a`b] v<-10 20)",
    "x[2]<-7;x[;1];3#_",
    "longvariablename<-0n 0w 1e_3 2j3",
    "->0",
    "d.field;[]IO;()",
};

TEST_F(ParserTest, ImmediateLinesGiveTheirRecordsBack) {
    for (const char* l : kLines) ASSERT_EQ(ParseWholeLine(l), 0) << l;  // names now exist
    GC();
    Tables start = Now();
    i64 arena = r15;
    for (int i = 0; i < 10000; i++) {
        parse_mark m = ParseMark();
        const char* l = kLines[i % std::size(kLines)];
        ASSERT_EQ(ParseWholeLine(l), 0) << l << " at line " << i;
        ParseRelease(m);
        ASSERT_TRUE(Now() == start) << "after line " << i;
    }
    GC();
    EXPECT_EQ(r15, arena);
}

TEST_F(ParserTest, ReleaseKeepsLongGlobalNamesEnteredMeanwhile) {
    parse_mark m = ParseMark();
    ASSERT_EQ(ParseWholeLine("averyveryverylongname<-1"), 0);
    ParseRelease(m);
    i64 g = FnFindName("averyveryverylongname", 'G');
    ASSERT_GE(g, 0);
    FnGetFullname(g, 'G');
    EXPECT_STREQ(namep, "averyveryverylongname");
    ASSERT_EQ(ParseWholeLine("anotherlongname<-2"), 0);
    FnGetFullname(g, 'G');
    EXPECT_STREQ(namep, "averyveryverylongname");
}

TEST_F(ParserTest, ReleaseDropsLocalNamesOfTheLine) {
    i64 row = MakeFunction("f", {});
    parse_mark m = ParseMark();
    ASSERT_EQ(ParseText("somelocalname+other", row, 1).rc, 0);
    EXPECT_GT(lstnx, m.nx);
    EXPECT_GT(lsttnam, m.tnam);
    ParseRelease(m);
    EXPECT_EQ(lstnx, m.nx);
    EXPECT_EQ(lsttnam, m.tnam);
}

TEST_F(ParserTest, FullConstantTableIsAnError) {
    i64 rc = 0;
    for (int i = 0; i < 5000 && rc == 0; i++) rc = ParseText("1 2").rc;
    EXPECT_EQ(rc, E_TABLE_FULL);
    EXPECT_EQ(lstcx, CTSIZE - 1);
}

TEST_F(ParserTest, FullNodeAndApplicationTablesAreAnError) {
    std::string big = "a";
    for (int i = 0; i < 1500; i++) big += "+b";
    i64 rc = 0;
    for (int i = 0; i < 100 && rc == 0; i++) rc = ParseWholeLine(big);
    EXPECT_EQ(rc, E_TABLE_FULL);
    EXPECT_LE(lstndx, PTSIZE - 1);
    EXPECT_LE(lstfndx, FNSIZE - 1);
}

TEST_F(ParserTest, FullBranchTableIsAnError) {
    i64 rc = 0;
    for (int i = 0; i < 3000 && rc == 0; i++) rc = ParseText("->0").rc;
    EXPECT_EQ(rc, E_TABLE_FULL);
    EXPECT_EQ(lstbrx, BRSIZE - 1);
}

TEST_F(ParserTest, FullNameTablesAreAnError) {
    i64 rc = 0;
    for (int i = 0; i < 3000 && rc == 0; i++) rc = ParseText(std::string("v").append(std::to_string(i))).rc;
    EXPECT_EQ(rc, E_TABLE_FULL);
    EXPECT_EQ(lstgx, GNSIZE - 1);

    rc = 0;
    for (int i = 0; i < 11000 && rc == 0; i++)
        rc = Enter(std::string("w").append(std::to_string(i)).c_str(), 'V') < 0 ? errchk : 0;
    EXPECT_EQ(rc, E_TABLE_FULL);
    EXPECT_EQ(lstnx, NTSIZE - 1);
}

TEST_F(ParserTest, ClearingEmptiesTheParseTables) {
    ASSERT_EQ(ParseWholeLine("someverylongname<-1 2 3;->0"), 0);
    i64 row = MakeFunction("h", {{"L1", 2}});
    EXPECT_GE(row, FIRSTFN);
    CleanEX(false);
    EXPECT_EQ(lstndx, -1);
    EXPECT_EQ(lstfndx, -1);
    EXPECT_EQ(lstbrx, 0);
    EXPECT_EQ(lstnx, -1);
    EXPECT_EQ(lstgx, 14);
    EXPECT_EQ(lstfx, 99);
    EXPECT_EQ(lsttnam, -1);
    EXPECT_EQ(nxtovx, 0);
    EXPECT_EQ(brtable[0].next, -1);
    EXPECT_EQ(brtable[0].target, 0);
    EXPECT_EQ(brtable[0].list, -1);
    EXPECT_EQ(functable[row].result, -1);
    EXPECT_EQ(functable[row].hdrmark, -1);
    EXPECT_EQ(FnFindName("someverylongname", 'G'), -1);
    // the permanent names stay
    const char* names[] = {"[]IO", "[]OF", "[]AV", "[]LX", "[]RL",  "[]PP", "key", "value",
                           "xkey", "cols", "meta", "keys", "fkeys", "do",   "like"};
    for (i64 i = 0; i < 15; i++) EXPECT_EQ(FnFindName(names[i], 'G'), i) << names[i];
    const i64 valence[9] = {1, 1, 2, 1, 1, 1, 1, 1, 2};
    for (i64 r = 0; r < 9; r++) {
        EXPECT_EQ(functable[r].valence, valence[r]);
        EXPECT_EQ(functable[r].result, -2);
    }
    EXPECT_EQ(gnametable[0].index, SLOT_IO);
    EXPECT_EQ(gnametable[5].index, SLOT_PP);
    // the next global variable takes slot 18
    Parsed p = ParseText("newname");
    EXPECT_EQ(PNode(p.out[0]).ref, FIRSTVAR);
}

}  // namespace
