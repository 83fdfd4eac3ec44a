// Element text: integers, floats under the print precision, complex
// numbers, the complex split used for alignment, and FillTemp on values
// built directly in descriptors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "display/display.h"
#include "scalar/scalar.h"
#include "system/system.h"

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

// Sets []PP for the life of the object, then puts the old slot back.
struct PrintPrecision {
    val_item saved;
    explicit PrintPrecision(i64 pp) : saved(vtable[SLOT_PP]) {
        vtable[SLOT_PP] = val_item{TINT, 0, pp, 0, 0, 1, 0, nullptr};
    }
    ~PrintPrecision() { vtable[SLOT_PP] = saved; }
};

val_item Vector(i64 type, void* data, i64 count) {
    return val_item{type, 1, count, 0, 0, count, 0, static_cast<char*>(data)};
}

std::string Text(i64 (*gen)(double, char*), double x) {
    char buf[ELEMTEXT];
    i64 n = gen(x, buf);
    EXPECT_EQ(n, (i64)strlen(buf));
    return buf;
}

TEST(DisplayElemText, IntegerTexts) {
    struct {
        i64 v;
        const char* text;
    } cases[] = {
        {INT64_MIN, "0n"},
        {INT64_MAX, "0w"},
        {-INT64_MAX, "_0w"},
        {-5, "_5"},
        {1, "1"},
        {0, "0"},
        {1234567890123, "1234567890123"},
        {INT64_MIN + 2, "_9223372036854775806"},
    };
    for (auto& c : cases) {
        char buf[ELEMTEXT];
        i64 n = GenInt(c.v, buf);
        EXPECT_STREQ(buf, c.text) << c.v;
        EXPECT_EQ(n, (i64)strlen(c.text));
    }
}

TEST(DisplayElemText, FloatTextsAtDefaultPrecision) {
    PrintPrecision pp(10);
    struct {
        double x;
        const char* text;
    } cases[] = {
        {100000, "100000"},     {1e10, "1e10"},
        {1.5e-7, "1.5e_7"},     {-2.5, "_2.5"},
        {-1e-20, "_1e_20"},     {1.0 / 3, "0.3333333333"},
        {-0.0, "_0"},           {0.00001, "1e_5"},
        {1e100, "1e100"},       {1e-100, "1e_100"},
        {-1.5e300, "_1.5e300"}, {1e5, "100000"},
        {NaN, "0nf"},           {Inf, "0wf"},
        {-Inf, "_0wf"},         {12345678901.0, "1.23456789e10"},
    };
    for (auto& c : cases) EXPECT_EQ(Text(GenFloat, c.x), c.text) << c.x;
}

TEST(DisplayElemText, FloatTextsFollowPrintPrecision) {
    struct {
        i64 pp;
        double x;
        const char* text;
    } cases[] = {
        {3, 3.14159265358979, "3.14"},
        {1, 0.37, "0.4"},
        {17, 0.1, "0.10000000000000001"},
        // Beyond 17 digits a double has nothing more to show.
        {18, 0.1, "0.10000000000000001"},
        {1000000, 1.0 / 3, "0.33333333333333331"},
        {INT64_MAX, -1e-300 / 3, "_3.3333333333333334e_301"},
    };
    for (auto& c : cases) {
        PrintPrecision pp(c.pp);
        EXPECT_EQ(Text(GenFloat, c.x), c.text) << c.pp;
    }
}

TEST(DisplayElemText, UnreadablePrecisionFallsBackToTen) {
    val_item saved = vtable[SLOT_PP];
    vtable[SLOT_PP].rank = -1;
    EXPECT_EQ(Text(GenFloat, 1.0 / 3), "0.3333333333");
    vtable[SLOT_PP] = saved;
}

TEST(DisplayElemText, ComplexTexts) {
    PrintPrecision pp(10);
    struct {
        complex2 z;
        const char* gen;
        const char* fill;
    } cases[] = {
        {{1, 2}, "1j2", "1j2"},
        {{3, 0}, "3", "3"},
        {{0, -1}, "0j_1", "0j_1"},
        {{2, NaN}, "2j0nf", "2j0nf"},
        {{NaN, 5}, "0nj", "0nfj5"},
        {{-Inf, 1}, "_0wj", "_0wfj1"},
        {{Inf, 0}, "0wj", "0wf"},
        {{1.5, -2.25}, "1.5j_2.25", "1.5j_2.25"},
        {{-1e-20, 1e20}, "_1e_20j1e20", "_1e_20j1e20"},
    };
    for (auto& c : cases) {
        char buf[ELEMTEXT];
        EXPECT_EQ(GenClex(&c.z, buf), (i64)strlen(c.gen));
        EXPECT_STREQ(buf, c.gen);
        EXPECT_EQ(FillClex(&c.z, buf), (i64)strlen(c.fill));
        EXPECT_STREQ(buf, c.fill);
    }
}

TEST(DisplayElemText, ComplexSplitAtJ) {
    struct {
        const char* text;
        i64 a, b;
    } cases[] = {
        {"1j2", 1, 1},        {"3", 1, 0}, {"0nj", 2, -1},  {"_0wj", 3, -1},
        {"10.5j_2.25", 4, 5}, {"", 0, 0},  {"2j0nf", 1, 3},
    };
    for (auto& c : cases) {
        i64 a = 99, b = 99;
        GenClex2(c.text, (i64)strlen(c.text), &a, &b);
        EXPECT_EQ(a, c.a) << c.text;
        EXPECT_EQ(b, c.b) << c.text;
    }
}

TEST(DisplayElemText, SymbolTextHasTickAndNoQuotes) {
    i64 id = getsymbol("new york");
    char buf[ELEMTEXT];
    EXPECT_EQ(GenSymb(id, buf), 9);
    EXPECT_STREQ(buf, "`new york");
    EXPECT_EQ(GenLong(5, buf), 0);
}

std::string Fill(val_item v, i64 i, i64 width, i64 cap = ELEMTEXT, i64* len = nullptr) {
    char buf[1024];
    memset(buf, 'Z', sizeof buf);
    i64 n = FillTemp(&v, i, buf, width, cap);
    if (len) *len = n;
    EXPECT_EQ(n, (i64)strlen(buf));
    EXPECT_LT(n, cap);
    EXPECT_EQ(buf[cap], 'Z') << "wrote past the buffer";
    return buf;
}

TEST(DisplayElemText, FillTempByType) {
    PrintPrecision pp(10);
    i64 ints[] = {7, -8, INT64_MIN};
    i64 bools[] = {0, 1};
    double floats[] = {2.5, -0.125};
    complex2 cplx[] = {{1, 2}, {NaN, 0}};
    i64 syms[] = {getsymbol("abc"), getsymbol("new york")};
    i64 dates[] = {20150810, 20000229};
    double stamps[] = {0, 20150810.0 * 86400000 + 32703007};
    i64 times[] = {0, 32703007};
    val_item inline_int{TINT, 1, 42, 0, 0, 1, 0, nullptr};
    val_item inline_char{TCHAR, 0, 'q', 0, 0, 1, 0, nullptr};
    struct {
        val_item v;
        i64 i;
        const char* text;
    } cases[] = {
        {Vector(TINT, ints, 3), 1, "_8"},
        {Vector(TINT, ints, 3), 2, "0n"},
        {Vector(TBOOL, bools, 2), 1, "1"},
        {Vector(TFLOAT, floats, 2), 1, "_0.125"},
        {Vector(TCPLX, cplx, 2), 0, "1j2"},
        {Vector(TCPLX, cplx, 2), 1, "0nj"},
        {Vector(TSYM, syms, 2), 0, "abc"},
        {Vector(TSYM, syms, 2), 1, "'new york'"},
        {Vector(TDATE, dates, 2), 1, "2000.02.29"},
        {Vector(TDATETIME, stamps, 2), 1, "2015.08.10T09:05:03.007"},
        {Vector(TTIME, times, 2), 1, "09:05:03.007"},
        {Vector(TCHAR, (void*)"xyz", 3), 2, "z"},
        // A one-element value gives its element whatever index is asked.
        {inline_int, 5, "42"},
        {inline_char, 3, "q"},
        // An index outside the value gives no text.
        {Vector(TINT, ints, 3), 3, ""},
        {Vector(TINT, ints, 3), -1, ""},
    };
    for (auto& c : cases) EXPECT_EQ(Fill(c.v, c.i, -1), c.text) << c.text;
}

TEST(DisplayElemText, FillTempCharacterRowsAndPadding) {
    char text[] = "abcdef";
    val_item m{TCHAR, 2, 2, 3, 0, 6, 0, text};
    i64 len;
    EXPECT_EQ(Fill(m, 1, -1, ELEMTEXT, &len), "def");
    EXPECT_EQ(Fill(m, 1, 5, ELEMTEXT, &len), "def  ");
    EXPECT_EQ(len, 5);
    EXPECT_EQ(Fill(m, 1, 2, ELEMTEXT, &len), "def");
    EXPECT_EQ(len, 3);
    EXPECT_EQ(Fill(m, 2, -1), "");
    // A cap keeps text and padding inside the caller's buffer.
    EXPECT_EQ(Fill(m, 0, -1, 3), "ab");
    EXPECT_EQ(Fill(m, 0, 900, 8), "abc    ");
}

TEST(DisplayElemText, FillTempRowOfRankThreeUsesLastAxis) {
    // 2-by-2-by-3: dim1 is the index of the shape run, not a row length.
    i64 shape[] = {2, 3, -1};
    i64* saved = glist;
    glist = shape;
    char text[] = "abcdefghijkl";
    val_item a{TCHAR, 3, 2, 0, 0, 12, 0, text};
    EXPECT_EQ(Fill(a, 3, -1), "jkl");
    EXPECT_EQ(Fill(a, 4, -1), "");
    glist = saved;
}

TEST(DisplayElemText, FillTempNeverPassesItsBuffer) {
    std::string row(600, 'r');
    val_item m{TCHAR, 2, 1, 600, 0, 600, 0, row.data()};
    EXPECT_EQ(Fill(m, 0, -1), std::string(ELEMTEXT - 1, 'r'));
    i64 one[] = {1};
    i64 len;
    EXPECT_EQ(Fill(Vector(TINT, one, 1), 0, 5000, ELEMTEXT, &len).size(), (size_t)ELEMTEXT - 1);
    EXPECT_EQ(len, ELEMTEXT - 1);
}

TEST(DisplayElemText, FillTempOfCompoundItemsIsBlank) {
    val_item items[1] = {{TINT, 0, 3, 0, 0, 1, 0, nullptr}};
    val_item list{TLIST, 1, 1, 0, 64, 1, 0, reinterpret_cast<char*>(items)};
    EXPECT_EQ(Fill(list, 0, -1), "");
    EXPECT_EQ(Fill(list, 0, 4), "    ");
    val_item dict{TDICT, 1, 1, 0, 128, 2, 0, reinterpret_cast<char*>(items)};
    EXPECT_EQ(Fill(dict, 0, 2), "  ");
}

}  // namespace
