// Script-file words: exact float texts, the number, complex, symbol and
// date readers, the plain-symbol rule, and the resumable parenthesis scan
// that joins continued statements.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "parser/parser.h"
#include "system/script.h"
#include "system/workspace.h"

namespace {

double read_float(const char* text, bool* ok) {
    i64 p = 0;
    double x = 0;
    *ok = ReadFloatWord(text, &p, &x) && text[p] == 0;
    return x;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ScriptWords, ExactFloatTexts) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double x;
        const char* text;
    } cases[] = {
        {0.1, "0.1"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e-300, "1e_300"},
        {5e-324, "5e_324"},
        {-0.0, "_0"},
        {1e22, "1e22"},
        {-1.5e-7, "_1.5e_7"},
        {123456789012345680000.0, "123456789012345683968"},
        {1.2345678901234568e21, "1.2345678901234568e21"},
        {DBL_MAX, "1.7976931348623157e308"},
        {100, "100"},
        {inf, "0wf"},
        {-inf, "_0wf"},
        {std::nan(""), "0nf"},
    };
    for (const Case& c : cases) {
        char buf[FLOATTEXT];
        i64 n = GenFloatExact(c.x, buf);
        EXPECT_STREQ(buf, c.text);
        EXPECT_EQ(n, (i64)std::strlen(c.text));
        bool ok;
        double back = read_float(buf, &ok);
        EXPECT_TRUE(ok) << buf;
        EXPECT_TRUE(same_bits(back, c.x) || (std::isnan(back) && std::isnan(c.x))) << buf;
    }
}

TEST(ScriptWords, EveryDoubleReadsBackToTheSameBits) {
    std::mt19937_64 random(20150810);
    char buf[FLOATTEXT];
    for (int i = 0; i < 200000; i++) {
        uint64_t bits = random();
        double x;
        std::memcpy(&x, &bits, sizeof x);
        if (std::isnan(x)) continue;
        GenFloatExact(x, buf);
        bool ok;
        double back = read_float(buf, &ok);
        ASSERT_TRUE(ok && same_bits(back, x)) << buf;
    }
}

TEST(ScriptWords, IntegerWords) {
    const i64 big = std::numeric_limits<i64>::max();
    struct Case {
        const char* text;
        bool ok;
        i64 value;
    } cases[] = {
        {"0", true, 0},
        {"_17", true, -17},
        {"9223372036854775807", true, big},
        {"_9223372036854775808", true, -big - 1},
        {"9223372036854775808", false, 0},
        {"_9223372036854775809", false, 0},
        {"0n", true, -big - 1},
        {"0w", true, big},
        {"_0w", true, -big},
        {"1.5", false, 0},
        {"1e3", false, 0},
        {"-3", false, 0},
        {"_", false, 0},
        {"12a", false, 0},
        {"0nf", false, 0},
    };
    for (const Case& c : cases) {
        i64 p = 0, v = 0;
        bool ok = ReadIntWord(c.text, &p, &v) && c.text[p] == 0;
        EXPECT_EQ(ok, c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    // A word ends at a blank or a tab.
    i64 p = 0, v = 0;
    EXPECT_TRUE(ReadIntWord("12 34", &p, &v));
    EXPECT_EQ(v, 12);
    EXPECT_EQ(p, 2);
}

TEST(ScriptWords, FloatWords) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"1.5e_3", true, 0.0015},
        {"1E+3", true, 1000},
        {"_2.5", true, -2.5},
        {"7", true, 7},
        {"1.", true, 1},
        {"1e", false, 0},
        {".5", false, 0},
        {"0x10", false, 0},
        {"1.2.3", false, 0},
        {"1e5e3", false, 0},
        {"inf", false, 0},
        {"0n", false, 0},
        {"1e999", true, std::numeric_limits<double>::infinity()},
    };
    for (const Case& c : cases) {
        bool ok;
        double x = read_float(c.text, &ok);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(x, c.value) << c.text;
        }
    }
}

TEST(ScriptWords, ComplexWords) {
    struct Case {
        const char* text;
        bool ok;
        double re, im;
    } cases[] = {
        {"3j4", true, 3, 4},    {"_1.5j_2", true, -1.5, -2},
        {"2", true, 2, 0},      {"0wfj0", true, std::numeric_limits<double>::infinity(), 0},
        {"1j", false, 0, 0},    {"j1", false, 0, 0},
        {"1j2j3", false, 0, 0},
    };
    for (const Case& c : cases) {
        i64 p = 0;
        double re = 0, im = 0;
        bool ok = ReadComplexWord(c.text, &p, &re, &im) && c.text[p] == 0;
        EXPECT_EQ(ok, c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(re, c.re) << c.text;
            EXPECT_EQ(im, c.im) << c.text;
        }
    }
    i64 p = 0;
    double re, im;
    ASSERT_TRUE(ReadComplexWord("0nfj_0wf", &p, &re, &im));
    EXPECT_TRUE(std::isnan(re));
    EXPECT_EQ(im, -std::numeric_limits<double>::infinity());
}

class ScriptSymbols : public ::testing::Test {
protected:
    void SetUp() override { ZemInit(); }
};

TEST_F(ScriptSymbols, SymbolWords) {
    struct Case {
        const char* text;
        bool ok;
        const char* symbol;
        i64 end;
    } cases[] = {
        {"`abc", true, "abc", 4},
        {"`abc def", true, "abc", 4},
        {"`a_b1", true, "a_b1", 5},
        {"`a_", true, "a", 2},  // a trailing "_" is not part of a name
        {"`+/", true, "+/", 3},
        {"`", true, "", 1},
        {"` x", true, "", 1},
        {"`'a b'", true, "a b", 6},
        {"`'it''s'", true, "it's", 8},
        {"`''''", true, "'", 5},
        {"`'a//b'", true, "a//b", 7},
        {"`'open", false, "", 0},
        {"abc", false, "", 0},
    };
    for (const Case& c : cases) {
        i64 p = 0;
        std::string got;
        bool ok = ReadSymbolWord(c.text, &p, &got);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(got, c.symbol) << c.text;
        EXPECT_EQ(p, c.end) << c.text;
    }
    std::string longest = "`" + std::string(SYMBOL_MAX, 'x');
    i64 p = 0;
    std::string got;
    EXPECT_TRUE(ReadSymbolWord(longest.c_str(), &p, &got));
    std::string too_long = longest + "x";
    p = 0;
    EXPECT_FALSE(ReadSymbolWord(too_long.c_str(), &p, &got));
    std::string quoted_too_long = "`'" + std::string(SYMBOL_MAX + 1, 'y') + "'";
    p = 0;
    EXPECT_FALSE(ReadSymbolWord(quoted_too_long.c_str(), &p, &got));
}

TEST_F(ScriptSymbols, PlainOnlyWhatReadsBack) {
    struct Case {
        const char* text;
        bool plain;
    } cases[] = {
        {"abc", true},  {"", true},     {"+", true},    {"+/", true},
        {"a1_b", true}, {"a b", false}, {"a.b", false}, {"a_", false},
        {"1a", false},  {"'", false},   {"//", false},  {"\\", false},
        {"+\\", false}, {" a", false},  {"a'b", false}, {"\xff", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsPlainSymbol(c.text), c.plain) << c.text;
}

TEST(ScriptWords, TemporalWords) {
    struct Case {
        i64 type;
        const char* text;
        bool ok;
    } cases[] = {
        {TDATE, "2015.08.10", true},
        {TMONTH, "2015.08m", true},
        {TDATETIME, "2015.08.10T09:05:03.007", true},
        {TMINUTE, "09:05", true},
        {TSECOND, "09:05:03", true},
        {TTIME, "09:05:03.007", true},
        {TDATE, "2015.08m", false},
        {TMONTH, "2015.08.10", false},
        {TDATE, "2015.13.01", false},
        {TDATE, "0n", true},
        {TDATETIME, "0nf", true},
        {TDATETIME, "0n", true},
        {TDATETIME, "_0w", true},
        {TDATETIME, "0x", false},
        {TDATE, "0nf", false},
        {TDATE, "2015.01.012015.01.02", false},
        {TMINUTE, "09:0509:06", false},
    };
    for (const Case& c : cases) {
        i64 p = 0, v = 0;
        bool ok = ReadTemporalWord(c.type, c.text, &p, &v) && c.text[p] == 0;
        EXPECT_EQ(ok, c.ok) << c.text;
    }
    i64 p = 0, v = 0;
    ASSERT_TRUE(ReadTemporalWord(TDATE, "2015.08.10", &p, &v));
    EXPECT_EQ(v, 20150810);
}

// Fed one character at a time, the resumable scan answers as ParseOne does
// for the text so far, whatever the text.
TEST(ScriptJoin, ResumableScanAgreesWithParseOne) {
    std::mt19937 random(7);
    const char alphabet[] = "()[]'/ ax";
    for (int round = 0; round < 20000; round++) {
        std::string text;
        paren_scan scan;
        int len = 1 + random() % 12;
        for (int i = 0; i < len; i++) {
            text += alphabet[random() % (sizeof alphabet - 1)];
            ASSERT_EQ(ParseOneMore(text.c_str(), &scan), ParseOne(text.c_str())) << text;
        }
    }
}

}  // namespace
