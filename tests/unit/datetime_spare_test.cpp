// The small library routines over temporal field arrays.
#include <gtest/gtest.h>

#include "datetime/datetime.h"

#include <cstring>

namespace {

TEST(DatetimeSpare, Compare) {
    const i64 a[7] = {2015, 8, 10, 9, 5, 3, 7};
    const i64 b[7] = {2015, 8, 11, 9, 5, 3, 7};
    const i64 c[7] = {2015, 8, 10, 9, 5, 3, 8};
    EXPECT_EQ(dtcompare(TDATE, a, a), -1);
    EXPECT_EQ(dtcompare(TDATE, a, b), 2);
    EXPECT_EQ(dtcompare(TDATE, b, a), 1);
    EXPECT_EQ(dtcompare(TMONTH, a, b), -1);    // day not compared
    EXPECT_EQ(dtcompare(TDATETIME, a, c), 2);  // all seven compared
    EXPECT_EQ(dtcompare(TINT, a, b), -1);
}

TEST(DatetimeSpare, RadixPacking) {
    const i64 f[7] = {2015, 8, 10, 9, 5, 3, 7};
    double v = 0;
    EXPECT_EQ(encalc(f, 3, false, &v), 3);
    EXPECT_EQ(v, 20150810.0);
    EXPECT_EQ(encalc(f, 3, true, &v), 3);
    EXPECT_EQ(v, 9 * 3600 + 5 * 60 + 3.0);
    EXPECT_EQ(encalc(f, 10, true, &v), 3);  // no radix beyond seconds
    EXPECT_EQ(encalc(f, 0, false, &v), 0);
    EXPECT_EQ(v, 0.0);
}

TEST(DatetimeSpare, DigitRuns) {
    EXPECT_EQ(getanum("ab2015.08", 2), 4);
    EXPECT_STREQ(anumbuf, "2015");
    EXPECT_EQ(getanum("ab2015", 0), 0);
    EXPECT_STREQ(anumbuf, "");
    char longrun[100];
    memset(longrun, '7', 99);
    longrun[99] = 0;
    EXPECT_EQ(getanum(longrun, 0), (i64)sizeof anumbuf - 1);
    EXPECT_EQ(strlen(anumbuf), sizeof anumbuf - 1);
}

TEST(DatetimeSpare, Validation) {
    const struct {
        i64 type;
        i64 f[7];
        int valid;
    } cases[] = {
        {TMONTH, {2015, 12}, 1},
        {TMONTH, {2101, 1}, 0},
        {TDATE, {2016, 2, 29}, 1},
        {TDATE, {2015, 2, 29}, 0},
        {TDATETIME, {2015, 8, 10, 23, 59, 59, 999}, 1},
        {TDATETIME, {2015, 8, 10, 23, 59, 60, 0}, 0},
        {TDATETIME, {2015, 8, 10, 23, 59, 0, 1000}, 0},
        {TMINUTE, {23, 59}, 1},
        {TMINUTE, {23, 60}, 0},
        {TSECOND, {23, 59, 60}, 0},
        {TTIME, {0, 0, 0, 999}, 1},
        {TTIME, {0, 0, 0, 1000}, 0},
        {TINT, {0, 0, 0, 0}, 0},
    };
    for (auto c : cases) EXPECT_EQ(chkdatetime(c.f, c.type), c.valid) << c.type;
}

TEST(DatetimeSpare, DayTimeRecord) {
    DayTime d;
    memset(&d, 0x55, sizeof d);
    DTime_Init(&d);
    const i64 init[8] = {0, 2000, 1, 1, 0, 0, 0, 0};
    for (int i = 0; i < 8; i++) EXPECT_EQ(d.f[i], init[i]) << i;
    DTime_Value(&d, TDATE, 20150810);
    EXPECT_EQ(d.f[1], 2015);
    EXPECT_EQ(d.f[2], 8);
    EXPECT_EQ(d.f[3], 10);
    DTime_Value(&d, TMONTH, 199912);
    EXPECT_EQ(d.f[1], 1999);
    EXPECT_EQ(d.f[2], 12);
    EXPECT_EQ(d.f[3], 10);
    DTime_Value(&d, TMINUTE, 545);  // other types leave the record
    EXPECT_EQ(d.f[1], 1999);
}

}  // namespace
