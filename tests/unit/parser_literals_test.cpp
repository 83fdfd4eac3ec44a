// Literal readers: numbers of every kind, strings, symbols; and names.
#include <cmath>
#include <cstdint>

#include "parser_fixture.h"

namespace {

// The constant a whole-statement literal made.
const val_item& Literal(const char* text) {
    Parsed p = ParseText(text);
    EXPECT_EQ(p.rc, 0) << text;
    EXPECT_EQ(PNode(p.out[0]).kind, 'C') << text;
    return Const(p.out[0]);
}

i64 IntAt(const val_item& v, i64 i) { return ((const i64*)getptV(const_cast<val_item*>(&v)))[i]; }
double FloatAt(const val_item& v, i64 i) {
    return ((const double*)getptV(const_cast<val_item*>(&v)))[i];
}

struct IntCase {
    const char* text;
    i64 type, rank;
    std::initializer_list<i64> items;
};

TEST_F(ParserTest, IntegerAndTemporalLiterals) {
    const IntCase cases[] = {
        {"3", TINT, 0, {3}},
        {"_3", TINT, 0, {-3}},
        {"0n", TINT, 0, {INT64_MIN}},
        {"0w", TINT, 0, {INT64_MAX}},
        {"_0w", TINT, 0, {-INT64_MAX}},  // negative infinity, as it prints
        {"0n 1", TINT, 1, {INT64_MIN, 1}},
        {"1 2   3", TINT, 1, {1, 2, 3}},
        {"9223372036854775807", TINT, 0, {INT64_MAX}},
        {"2020.01m", TMONTH, 0, {202001}},
        {"2020.01.15", TDATE, 0, {20200115}},
        {"2020.01.15 2021.12.31", TDATE, 1, {20200115, 20211231}},
        {"10:30", TMINUTE, 0, {630}},
        {"10:30:15", TSECOND, 0, {37815}},
        {"10:30:15.250", TTIME, 0, {37815250}},
    };
    for (auto& c : cases) {
        const val_item& v = Literal(c.text);
        EXPECT_EQ(v.type, c.type) << c.text;
        EXPECT_EQ(v.rank, c.rank) << c.text;
        EXPECT_EQ(v.count, (i64)c.items.size()) << c.text;
        i64 i = 0;
        for (i64 x : c.items) EXPECT_EQ(IntAt(v, i++), x) << c.text;
    }
}

TEST_F(ParserTest, FloatAndComplexLiterals) {
    const val_item& a = Literal("1 2.5");
    EXPECT_EQ(a.type, TFLOAT);
    EXPECT_EQ(FloatAt(a, 0), 1.0);
    EXPECT_EQ(FloatAt(a, 1), 2.5);
    EXPECT_DOUBLE_EQ(FloatAt(Literal("1e_2"), 0), 0.01);
    EXPECT_EQ(FloatAt(Literal("1E+2"), 0), 100.0);
    EXPECT_EQ(FloatAt(Literal("_2.5e3"), 0), -2500.0);
    EXPECT_TRUE(std::isnan(FloatAt(Literal("0nf"), 0)));
    EXPECT_EQ(FloatAt(Literal("0wf"), 0), INFINITY);
    const val_item& n = Literal("0n 1.5");  // an integer null in a float vector
    EXPECT_TRUE(std::isnan(FloatAt(n, 0)));

    const val_item& c = Literal("1 2j3");
    EXPECT_EQ(c.type, TCPLX);
    const double* d = (const double*)c.data;
    EXPECT_EQ(d[0], 1.0);
    EXPECT_EQ(d[1], 0.0);
    EXPECT_EQ(d[2], 2.0);
    EXPECT_EQ(d[3], 3.0);
    const val_item& j = Literal("_1.5j_2");
    EXPECT_EQ(j.rank, 0);
    EXPECT_EQ(FloatAt(j, 0), -1.5);
    EXPECT_EQ(FloatAt(j, 1), -2.0);
    const val_item& nj = Literal("0nj 1");
    EXPECT_TRUE(std::isnan(FloatAt(nj, 0)) && std::isnan(FloatAt(nj, 1)));
    EXPECT_EQ(FloatAt(nj, 2), 1.0);
}

TEST_F(ParserTest, DatetimeLiterals) {
    const val_item& v = Literal("2020.01.15T10:30:00");
    EXPECT_EQ(v.type, TDATETIME);
    EXPECT_EQ(FloatAt(v, 0), 20200115.0 * 86400000.0 + 37800000.0);
    const val_item& w = Literal("2020.01.15T10:30:00.125");
    EXPECT_EQ(FloatAt(w, 0), 20200115.0 * 86400000.0 + 37800125.0);
}

TEST_F(ParserTest, SmallIntegersAreTheFixedConstants) {
    struct Fixed {
        const char* text;
        i64 ref;
    } cases[] = {{"0", 0}, {"1", 1}, {"2", 3}};
    for (auto& c : cases) {
        i64 before = lstcx;
        Parsed p = ParseText(c.text);
        EXPECT_EQ(PNode(p.out[0]).ref, c.ref) << c.text;
        EXPECT_EQ(lstcx, before) << c.text;
    }
    i64 before = lstcx;
    Parsed p = ParseText("3");
    EXPECT_EQ(PNode(p.out[0]).ref, before + 1);
}

TEST_F(ParserTest, NumberEndsBeforeAnUnderscore) {
    Parsed p = ParseText("3_");
    EXPECT_EQ(p.rc, 16);
    EXPECT_EQ(p.col, 1);
}

TEST_F(ParserTest, StringLiterals) {
    const val_item& e = Literal("''");
    EXPECT_EQ(e.type, TCHAR);
    EXPECT_EQ(e.rank, 1);
    EXPECT_EQ(e.count, 0);
    const val_item& a = Literal("'a'");
    EXPECT_EQ(a.rank, 0);
    EXPECT_EQ(*(const char*)&a.dim0, 'a');
    const val_item& q = Literal("'it''s'");
    EXPECT_EQ(q.count, 4);
    EXPECT_STREQ(q.data, "it's");
    const val_item& s = Literal("'a//b' ");
    EXPECT_STREQ(s.data, "a//b");
    const val_item& one = Literal("''''");
    EXPECT_EQ(one.rank, 0);
    EXPECT_EQ(*(const char*)&one.dim0, '\'');
}

TEST_F(ParserTest, SymbolLiterals) {
    const val_item& e = Literal("`");
    EXPECT_EQ(e.type, TSYM);
    EXPECT_EQ(e.rank, 0);
    EXPECT_EQ(e.dim0, 0);
    const val_item& ab = Literal("`a`b");
    EXPECT_EQ(ab.rank, 1);
    EXPECT_EQ(ab.count, 2);
    EXPECT_EQ(IntAt(ab, 0), getsymbol("a"));
    EXPECT_EQ(IntAt(ab, 1), getsymbol("b"));
    EXPECT_EQ(Literal("`+").dim0, getsymbol("+"));
    EXPECT_EQ(Literal("`' a b '").dim0, getsymbol("a b"));
    EXPECT_EQ(Literal("` abc ").dim0, getsymbol("abc"));
    EXPECT_EQ(ParseText("`abc_ ").rc, 16);  // the trailing "_" is left over
    const val_item& three = Literal("` `x ` ");
    EXPECT_EQ(three.count, 3);
    EXPECT_EQ(IntAt(three, 0), 0);
    EXPECT_EQ(IntAt(three, 2), 0);
}

TEST_F(ParserTest, LongNamesGoThroughThePool) {
    Parsed p = ParseText("abcdefgh<-1");
    ASSERT_EQ(p.rc, 0);
    i64 g8 = FnFindName("abcdefgh", 'G');
    ASSERT_GE(g8, 0);
    EXPECT_EQ(gnametable[g8].tail, -1);
    EXPECT_EQ(lsttnam, -1);

    ParseText("abcdefghi<-1");
    ParseText("abcdefghij<-1");
    i64 g9 = FnFindName("abcdefghi", 'G');
    i64 g10 = FnFindName("abcdefghij", 'G');
    ASSERT_GE(g9, 0);
    ASSERT_GE(g10, 0);
    EXPECT_NE(g9, g10);
    EXPECT_NE(g8, g9);
    EXPECT_GE(gnametable[g9].tail, 0);
    FnGetFullname(g10, 'G');
    EXPECT_STREQ(namep, "abcdefghij");
    FnGetFullname(g8, 'G');
    EXPECT_STREQ(namep, "abcdefgh");
    // reading the same names again finds the same slots
    Parsed q = ParseText("abcdefghi");
    EXPECT_EQ(PNode(q.out[0]).ref, gnametable[g9].index);
    q = ParseText("abcdefgh");
    EXPECT_EQ(PNode(q.out[0]).ref, gnametable[g8].index);
}

TEST_F(ParserTest, NameReading) {
    Parsed p = ParseText("abc_");  // the name is abc; the "_" is left over
    EXPECT_EQ(p.rc, 16);
    EXPECT_EQ(p.col, 3);
    EXPECT_GE(FnFindName("abc", 'G'), 0);
    ParseText("a_b1");
    EXPECT_GE(FnFindName("a_b1", 'G'), 0);
    EXPECT_EQ(isCname("a_b1"), 1);
    EXPECT_EQ(isCname("abc_"), 0);
    EXPECT_EQ(isCname("1a"), 0);
    EXPECT_EQ(isCname(""), 0);
    EXPECT_EQ(isCname("a b"), 0);
    char s[] = "  name_1 \t rest";
    EXPECT_EQ(Namea(s), 11);
    EXPECT_STREQ(namep, "name_1");
    char u[] = "abc_ x";  // the final "_" is given back
    EXPECT_EQ(Namea(u), 3);
    EXPECT_STREQ(namep, "abc");
    char t[] = "1x";
    EXPECT_EQ(Namea(t), 0);
}

TEST_F(ParserTest, TheLongNamePoolIsBounded) {
    std::string base(100, 'q');
    i64 rc = 0, n = 0;
    for (; n < 200 && rc == 0; n++) {
        std::string name = base + std::to_string(n);
        rc = Enter(name.c_str(), 'G') < 0 ? errchk : 0;
    }
    EXPECT_EQ(rc, E_TABLE_FULL);
    EXPECT_LT(lsttnam, TNSIZE);
    // every name entered before the pool filled is still found whole
    for (i64 i = 0; i < n - 1; i++) {
        std::string name = base + std::to_string(i);
        EXPECT_GE(FnFindName(name.c_str(), 'G'), 0) << i;
    }
}

TEST_F(ParserTest, UnknownNamesBecomeGlobalsWithoutValue) {
    i64 before = lstvx;
    Parsed p = ParseText("zz");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(lstvx, before + 1);
    EXPECT_EQ(vtable[lstvx].rank, -1);
    EXPECT_EQ(FindByName("zz"), &vtable[lstvx]);
    errchk = 0;
    EXPECT_EQ(FindByName("nope"), nullptr);
    EXPECT_EQ(errchk, 4);
    i64 out[2];
    GetNamex("zz", out);
    EXPECT_EQ(out[0], lstvx);
    EXPECT_EQ(out[1], 0);
    GetNamex("keys", out);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[1], 1);
    GetNamex("nope", out);
    EXPECT_EQ(out[0], -1);
    EXPECT_EQ(GetSymx(getsymbol("zz")), lstvx);
}

TEST_F(ParserTest, NamesInsideAFunctionAreItsLocals) {
    i64 row = MakeFunction("fn", {{"L1", 3}});
    i64 before = lstnx;
    Parsed p = ParseText("q<-L1", row, 2);
    EXPECT_EQ(p.rc, 13);  // a label used as a value
    p = ParseText("q<-1", row, 2);
    ASSERT_EQ(p.rc, 0);
    const parse_node& q = PNode(Fn(p.out[0]).left);
    EXPECT_GT(q.name, before);
    EXPECT_EQ(nametable[q.name].kind, 'V');
    EXPECT_EQ(FnFindName("q", 'G'), -1);  // no global was made
    i64 n = lstnx;
    p = ParseText("q+keys q", row, 2);
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(lstnx, n);  // found again, not entered twice
    p = ParseText("[]IO", row, 2);
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(nametable[PNode(p.out[0]).name].kind, 'V');
    EXPECT_EQ(std::string(nametable[PNode(p.out[0]).name].name), "[]IO");
}

}  // namespace
