// Line cleaning and string routines, header names and quad names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "parser/parser.h"

namespace {

TEST(ParserClean, CleanBTrimsAndCutsComments) {
    struct Case {
        const char* in;
        const char* out;
        i64 skipped;
    } cases[] = {
        {"  x<-1 // note\r\n", "x<-1", 2},
        {"x<-'a//b'", "x<-'a//b'", 0},
        {"x<-'it''s // here'", "x<-'it''s // here'", 0},
        {"\t// only a comment", "", 1},
        {"y \t \r\n", "y", 0},
        {"'unclosed // x", "'unclosed // x", 0},
    };
    for (auto& c : cases) {
        std::string s = c.in;
        char* p = s.data();
        i64 n = CleanB(&p);
        EXPECT_STREQ(p, c.out) << c.in;
        EXPECT_EQ(n, (i64)strlen(c.out)) << c.in;
        EXPECT_EQ(p - s.data(), c.skipped) << c.in;
    }
}

TEST(ParserClean, LengthsWithoutLineEndsOrComments) {
    EXPECT_EQ(CleanN("abc\r\n"), 3);
    EXPECT_EQ(CleanN("abc "), 4);
    EXPECT_EQ(CleanN(""), 0);
    EXPECT_EQ(CleanX("a+b  // c"), 3);
    EXPECT_EQ(CleanX("'//'"), 4);
    std::string s = "  a+b // c  ";
    EXPECT_EQ(CleanA(s.data()), 3);
    EXPECT_STREQ(s.c_str(), "a+b");
}

TEST(ParserClean, Preproc) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"a+b // c", "a+b "},
        {"a\r\nb\r\n", "a\r\nb"},
        {"x<-'//' // y", "x<-'//' "},
        {"plain", "plain"},
    };
    for (auto& c : cases) {
        std::string s = c.in;
        preproc(s.data());
        EXPECT_STREQ(s.c_str(), c.out) << c.in;
    }
}

TEST(ParserClean, CsfindSkipsQuotesAndGroups) {
    struct Case {
        const char* s;
        char c;
        i64 pos;
    } cases[] = {
        {"i:(a;b)", ':', 1},   {"(a;b);c", ';', 5},  {"f(x);y", ';', 4},
        {"'a:b'", ':', -1},    {"a[1;2];3", ';', 6}, {"x)", ')', 1},
        {"'it''s';z", ';', 7}, {"(a", ';', -1},      {"a'(", '(', -1},
    };
    for (auto& c : cases) EXPECT_EQ(csfind(c.s, c.c), c.pos) << c.s;
    EXPECT_EQ(CSFind("(a;b);c", ';'), 5);
}

TEST(ParserClean, SkipCountsOnlyTheOpeningKind) {
    i64 p = 0;
    parse_new_skip("([)]x)", &p);
    EXPECT_EQ(p, 2);
    p = 0;
    parse_new_skip("[(])", &p);
    EXPECT_EQ(p, 2);
    p = 0;
    parse_new_skip("'a''b'c", &p);
    EXPECT_EQ(p, 5);
    p = 1;
    parse_new_skip("ab", &p);
    EXPECT_EQ(p, 1);
}

TEST(ParserClean, KeywordTest) {
    i64 pos = 0;
    EXPECT_EQ(istrq("while (x)", "while", &pos), 1);
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(istrq("iffy", "if", &pos), 1);  // no test of what follows
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(istrq("else", "elseif", &pos), 0);
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(strq("for  i", "for"), 5);
    EXPECT_EQ(strq("fo", "for"), 0);
}

TEST(ParserClean, OpenParenthesisJoinsLines) {
    struct Case {
        const char* s;
        int open;
    } cases[] = {
        {"f (a;", 1},  {"f (a;b)", 0}, {"x<-'('", 0}, {"x // (", 0},
        {"a[)]((", 1}, {")(", 0},      {"((x)", 1},   {"'it''s' (", 1},
    };
    for (auto& c : cases) EXPECT_EQ(ParseOne(c.s), c.open) << c.s;
}

TEST(ParserClean, ComparisonsForSorting) {
    i64 a[] = {5, -3, 9, 0};
    qsort(a, 4, sizeof(i64), cmp_i64);
    EXPECT_EQ(a[0], -3);
    EXPECT_EQ(a[3], 9);
    double d[] = {2.5, -1.0, 0.5};
    qsort(d, 3, sizeof(double), cmp_double);
    EXPECT_EQ(d[0], -1.0);
    char c[] = "dcab";
    qsort(c, 4, 1, cmp_char);
    EXPECT_STREQ(c, "abcd");
}

TEST(ParserNames, FunctionNameOfAHeader) {
    struct Case {
        const char* header;
        i64 rc;
        const char* name;
    } cases[] = {
        {"z<-a f b;x", 0, "f"}, {"f (a;b)", 0, "f"},   {"f", 0, "f"},     {"r<-f", 0, "f"},
        {"f x;y", 0, "f"},      {"a f (b;c)", 0, "f"}, {"z<f", 23, ""},   {"1f", 8, ""},
        {"z<-", 8, ""},         {"f (a;b", 23, ""},    {"f x y", 0, "x"}, {"f x +", 23, ""},
    };
    for (auto& c : cases) {
        char dst[128] = "";
        EXPECT_EQ(FnGetName(c.header, dst), c.rc) << c.header;
        if (c.rc == 0) {
            EXPECT_STREQ(dst, c.name) << c.header;
        }
    }
}

TEST(ParserNames, QuadFunctionCodes) {
    struct Case {
        const char* name;
        i64 code;
    } cases[] = {
        {"FX", 601},   {"CR", 602},    {"XD", 603}, {"XC", 604},    {"AI", 605},  {"CSV", 607},
        {"open", 608}, {"close", 609}, {"TS", 610}, {"write", 612}, {"get", 613}, {"FM", 651},
        {"OP", 652},   {"XR", 653},    {"XW", 654}, {"XXR", 655},   {"XXW", 656}, {"XN", 657},
        {"", -1},      {"IO", -1},     {"fx", -1},
    };
    for (auto& c : cases) EXPECT_EQ(qdVal(c.name), c.code) << c.name;
}

TEST(ParserNames, LabelsAndShortNames) {
    EXPECT_EQ(CheckLabel("L1: x", nullptr, 0), 1);
    EXPECT_EQ(CheckLabel("  lab_2 :x", nullptr, 2), 1);
    EXPECT_EQ(CheckLabel("L1 x:", nullptr, 0), 0);
    EXPECT_EQ(CheckLabel("1L:", nullptr, 0), 0);
    char dst[128] = "";
    EXPECT_EQ(FnShotName("{abc: x}", dst), 0);
    EXPECT_STREQ(dst, "abc");
    EXPECT_EQ(FnShotName("{abc}", dst), 1);
}

}  // namespace
