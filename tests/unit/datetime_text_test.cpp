// Text forms and literal readers of temporal values.
#include <gtest/gtest.h>

#include "datetime/datetime.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

TEST(DatetimeText, ElementTexts) {
    const struct {
        i64 type;
        i64 value;
        const char* text;
    } cases[] = {
        {TMONTH, 199901, "1999.01m"},
        {TMONTH, 201512, "2015.12m"},
        {TDATE, 20150810, "2015.08.10"},
        {TDATE, 19000101, "1900.01.01"},
        {TMINUTE, 9 * 60 + 5, "09:05"},
        {TMINUTE, 0, "00:00"},
        {TSECOND, 9 * 3600 + 5 * 60 + 3, "09:05:03"},
        {TTIME, 45296789, "12:34:56.789"},
        {TTIME, 7, "00:00:00.007"},
        {TDATE, INT64_MIN, "0n"},  // empty CSV cell
        {TMONTH, 0, "0.00m"},      // fill element
    };
    for (auto c : cases) {
        char buf[TIMEBUF];
        i64 n = optime1(c.value, c.type, buf);
        EXPECT_STREQ(buf, c.text);
        EXPECT_EQ(n, (i64)strlen(c.text));
    }
}

TEST(DatetimeText, TextWidthsMatchTheLiteralLengths) {
    const i64 value[6] = {201508, 20150810, 0, 545, 32703, 32703007};
    for (i64 type : {TMONTH, TDATE, TMINUTE, TSECOND, TTIME}) {
        char buf[TIMEBUF];
        EXPECT_EQ(optime1(value[type - TMONTH], type, buf), timesize[type - TMONTH]) << type;
    }
    char buf[TIMEBUF];
    EXPECT_EQ(optime2(buf, 20150810.0 * 86400000.0), timesize[TDATETIME - TMONTH]);
}

TEST(DatetimeText, DatetimeTexts) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {20150810.0 * 86400000.0 + 32703007.0, "2015.08.10T09:05:03.007"},
        {20150810.0 * 86400000.0, "2015.08.10T00:00:00.000"},
        {21001231.0 * 86400000.0 + 86399999.0, "2100.12.31T23:59:59.999"},
        {std::nan(""), "0n"},
        {INFINITY, "0w"},
        {-INFINITY, "_0w"},
    };
    for (auto c : cases) {
        char buf[TIMEBUF];
        i64 n = optime2(buf, c.value);
        EXPECT_STREQ(buf, c.text);
        EXPECT_EQ(n, (i64)strlen(c.text));
    }
}

// Extreme packed values stay within the documented buffer size.
TEST(DatetimeText, ExtremeValuesFitTheBuffer) {
    for (i64 type : {TMONTH, TDATE, TMINUTE, TSECOND, TTIME})
        for (i64 v : {INT64_MAX, INT64_MIN + 1, (i64)-1}) {
            char buf[TIMEBUF];
            EXPECT_LT(optime1(v, type, buf), TIMEBUF);
        }
    char buf[TIMEBUF];
    EXPECT_LT(optime2(buf, -8.9e18), TIMEBUF);
}

struct Read1Case {
    const char* text;
    i64 type;
    i64 check;  // answer without compute
    i64 value;  // answer with compute
};

TEST(DatetimeLiteral, ReadDate1) {
    const Read1Case cases[] = {
        {"2015.08m", TMONTH, 0, 201508},
        {"2015.13m", TMONTH, -1, 201513},  // form fine, month invalid
        {"1899.12m", TMONTH, -1, 189912},
        {"2015.08.10", TDATE, 0, 20150810},
        {"2000.02.29", TDATE, 0, 20000229},
        {"2100.02.29", TDATE, -1, 21000229},
        {"2015.04.31", TDATE, -1, 20150431},
        {"09:05", TMINUTE, 0, 545},
        {"24:00", TMINUTE, -1, 1440},
        {"09:05:03", TSECOND, 0, 32703},
        {"09:05:60", TSECOND, -1, 32760},
        {"12:34:56.789", TTIME, 0, 45296789},
        {"23:59:59.999", TTIME, 0, 86399999},
        {"12:60:56.789", TTIME, -1, 12 * 3600000 + 60 * 60000 + 56789},
        // wrong forms: -1 in both modes
        {"2015.8m", TMONTH, -1, -1},
        {"2015-08m", TMONTH, -1, -1},
        {"2015.08x", TMONTH, -1, -1},
        {"2015.08.1", TDATE, -1, -1},
        {"2015/08/10", TDATE, -1, -1},
        {"2015.0810.", TDATE, -1, -1},
        {"201.-08.10", TDATE, -1, -1},
        {"9:05", TMINUTE, -1, -1},
        {"09.05", TMINUTE, -1, -1},
        {"09:05:3", TSECOND, -1, -1},
        {"12:34:56:789", TTIME, -1, -1},
        {"2015.08.10", TDATETIME, -1, -1},  // not a type of this reader
        {"2015.08.10", TINT, -1, -1},
    };
    for (const Read1Case& c : cases) {
        i64 len = (i64)strlen(c.text);
        EXPECT_EQ(ReadDate1(c.text, c.type, false, len), c.check) << c.text;
        EXPECT_EQ(ReadDate1(c.text, c.type, true, len), c.value) << c.text;
    }
}

// The lexer hands a length: text beyond it is not looked at, and a length
// other than the type's width is refused.
TEST(DatetimeLiteral, ReadDate1UsesTheGivenLength) {
    EXPECT_EQ(ReadDate1("2015.08m+1", TMONTH, true, 8), 201508);
    EXPECT_EQ(ReadDate1("09:05 10:00", TMINUTE, true, 5), 545);
    EXPECT_EQ(ReadDate1("2015.08.10", TDATE, false, 9), -1);
    EXPECT_EQ(ReadDate1("2015.08.10", TDATE, false, 11), -1);
}

struct Read2Case {
    const char* text;
    bool ms;
    double check;
    double value;
};

TEST(DatetimeLiteral, ReadDate2) {
    const double day = 86400000.0;
    const Read2Case cases[] = {
        {"2015.08.10T09:05:03", false, 0, 20150810 * day + 32703000},
        {"2015.08.10T09:05:03.007", true, 0, 20150810 * day + 32703007},
        {"2000.02.29T23:59:59.999", true, 0, 20000229 * day + 86399999},
        {"2015.02.29T00:00:00", false, -1, 20150229 * day},
        {"2015.08.10T24:00:00", false, -1, 20150810 * day + 86400000},
        {"2101.01.01T00:00:00.000", true, -1, 21010101 * day},
        // wrong forms
        {"2015.08.10T09:05:03", true, -1, -1},       // length 19 with ms
        {"2015.08.10T09:05:03.007", false, -1, -1},  // length 23 without
        {"2015.08.10 09:05:03", false, -1, -1},
        {"2015.08.10T09.05.03", false, -1, -1},
        {"2015.08.10T09:05:03:007", true, -1, -1},
        {"2015.08.10T9:05:03.0077", true, -1, -1},
        {"2015.08.10T09:05", false, -1, -1},
    };
    for (const Read2Case& c : cases) {
        i64 len = (i64)strlen(c.text);
        EXPECT_EQ(ReadDate2(c.text, false, len, c.ms), c.check) << c.text;
        EXPECT_EQ(ReadDate2(c.text, true, len, c.ms), c.value) << c.text;
    }
}

TEST(DatetimeLiteral, TextOfAReadLiteralIsTheLiteral) {
    for (const char* t : {"2015.08m", "2015.08.10", "09:05", "09:05:03", "12:34:56.789"}) {
        i64 len = (i64)strlen(t);
        i64 type = len == 8    ? (t[7] == 'm' ? TMONTH : TSECOND)
                   : len == 10 ? TDATE
                   : len == 5  ? TMINUTE
                               : TTIME;
        char buf[TIMEBUF];
        optime1(ReadDate1(t, type, true, len), type, buf);
        EXPECT_STREQ(buf, t);
    }
    char buf[TIMEBUF];
    optime2(buf, ReadDate2("2015.08.10T09:05:03.007", true, 23, true));
    EXPECT_STREQ(buf, "2015.08.10T09:05:03.007");
}

TEST(DatetimeLiteral, CsvDates) {
    const struct {
        const char* text;
        i64 value;
    } cases[] = {
        {"8/10/15", 20150810},
        {"12/31/99", 20991231},
        {"2/29/16", 20160229},
        {"1/1/0", 20000101},
        {"8/10/15\r\n", 20150810},
        {"2/29/15", INT64_MIN},  // no such day
        {"13/1/15", INT64_MIN},
        {"8/10", INT64_MIN},  // fields missing
        {"", INT64_MIN},
        {"abc", INT64_MIN},
        {"8/10/2015", INT64_MIN},  // not a two-digit year
        {"8/10/15x", INT64_MIN},
        {"8/10/-5", INT64_MIN},
        {"99999999999999999999/1/15", INT64_MIN},
        {"1/1/99999999999999999999999", INT64_MIN},
    };
    for (auto c : cases) EXPECT_EQ(getdate0(c.text), c.value) << c.text;
    std::string longcell(500, '1');
    EXPECT_EQ(getdate0(longcell.c_str()), INT64_MIN);
}

}  // namespace
