// Temporal arithmetic: counts added and taken, differences, and merr.
#include <gtest/gtest.h>

#include "datetime/datetime.h"

#include <cmath>

namespace {

constexpr i64 ADD = 45, SUB = 47;
constexpr i64 FAIL = -999;  // expected when the call must fail
constexpr double DAY = 86400000.0;

struct Shift {
    i64 code;
    i64 type;
    i64 value;
    i64 n;
    i64 result;
};

TEST(DatetimeArith, CountAddedOrTaken) {
    const Shift cases[] = {
        // months
        {ADD, TMONTH, 201512, 1, 201601},
        {ADD, TMONTH, 201501, 11, 201512},
        {SUB, TMONTH, 201601, 1, 201512},
        {SUB, TMONTH, 201508, 24, 201308},
        {ADD, TMONTH, 201508, -8, 201412},
        {SUB, TMONTH, 190001, 1, FAIL},
        {ADD, TMONTH, 210012, 1, FAIL},
        {ADD, TMONTH, 201508, INT64_MAX, FAIL},
        {SUB, TMONTH, 201508, INT64_MIN, FAIL},
        // dates across months, leap days and years
        {ADD, TDATE, 20150131, 1, 20150201},
        {ADD, TDATE, 20160228, 1, 20160229},
        {ADD, TDATE, 20150228, 1, 20150301},
        {SUB, TDATE, 20150301, 1, 20150228},
        {ADD, TDATE, 20151231, 1, 20160101},
        {SUB, TDATE, 20000101, 1, 19991231},
        {ADD, TDATE, 19000101, 36524, 20000101},
        {ADD, TDATE, 19000101, 36523, 19991231},
        {ADD, TDATE, 20150810, 0, 20150810},
        {ADD, TDATE, 21001231, 1, FAIL},
        {SUB, TDATE, 19000101, 1, FAIL},
        {ADD, TDATE, 20150810, INT64_MAX, FAIL},
        {ADD, TDATE, 20150810, INT64_MIN, FAIL},
        {SUB, TDATE, 20150810, INT64_MIN, FAIL},
        {ADD, TDATE, 0, 1, FAIL},  // the fill date is no date
        // times of day wrap within one day
        {ADD, TMINUTE, 23 * 60 + 59, 2, 1},
        {SUB, TMINUTE, 0, 1, 1439},
        {ADD, TMINUTE, 0, 1440 * 5 + 3, 3},
        {SUB, TMINUTE, 600, INT64_MIN, (600 - INT64_MIN % 1440) % 1440},
        {ADD, TSECOND, 86399, 1, 0},
        {SUB, TSECOND, 10, 11, 86399},
        {SUB, TTIME, 0, 1, 86399999},
        {ADD, TTIME, 86399999, 1, 0},
        {ADD, TTIME, 1000, INT64_MAX, (1000 + INT64_MAX % 86400000) % 86400000},
        // other types
        {ADD, TDATETIME, 0, 1, FAIL},
        {ADD, TINT, 5, 1, FAIL},
    };
    for (const Shift& c : cases) {
        i64 out = 12345;
        merr = 77;
        i64 rc = amtime0(c.code, c.type, c.value, c.n, &out);
        if (c.result == FAIL) {
            EXPECT_EQ(rc, 3) << c.type << " " << c.value << " " << c.n;
            EXPECT_EQ(merr, 3);
            EXPECT_EQ(out, 12345) << "result written on failure";
        } else {
            EXPECT_EQ(rc, 0) << c.type << " " << c.value << " " << c.n;
            EXPECT_EQ(merr, 0);
            EXPECT_EQ(out, c.result) << c.type << " " << c.value << " " << c.n;
        }
    }
}

struct ShiftE {
    i64 code;
    double value;
    i64 n;
    double result;  // NAN: must fail
};

TEST(DatetimeArith, DatetimeMovedByMilliseconds) {
    const ShiftE cases[] = {
        {ADD, 20150810 * DAY + 23 * 3600000.0, 7200000, 20150811 * DAY + 3600000},
        {SUB, 20150810 * DAY + 1800000, 3600000, 20150809 * DAY + 23 * 3600000.0 + 1800000},
        {SUB, 20150810 * DAY + 5, 86400000, 20150809 * DAY + 5},
        {ADD, 20151231 * DAY + 86399999, 1, 20160101 * DAY},
        {SUB, 20160101 * DAY, 1, 20151231 * DAY + 86399999},
        {ADD, 20160228 * DAY, 86400000LL * 2 + 7, 20160301 * DAY + 7},
        {ADD, 20150810 * DAY, -86400000LL * 3 - 1, 20150806 * DAY + 86399999},
        {ADD, 21001231 * DAY + 86399999, 1, NAN},
        {SUB, 19000101 * DAY, 1, NAN},
        {ADD, 20150810 * DAY, INT64_MAX, NAN},
        {SUB, 20150810 * DAY, INT64_MIN, NAN},
        {ADD, NAN, 1, NAN},
        {ADD, INFINITY, 1, NAN},
    };
    for (const ShiftE& c : cases) {
        double out = 12345;
        merr = 77;
        i64 rc = amtime0E(c.code, c.n, &out, c.value);
        if (std::isnan(c.result)) {
            EXPECT_EQ(rc, 3) << c.value << " " << c.n;
            EXPECT_EQ(merr, 3);
            EXPECT_EQ(out, 12345);
        } else {
            EXPECT_EQ(rc, 0) << c.value << " " << c.n;
            EXPECT_EQ(merr, 0);
            EXPECT_EQ(out, c.result) << c.value << " " << c.n;
        }
    }
}

// Moving forth and back by the same count returns to the start.
TEST(DatetimeArith, DatetimeShiftsAreReversible) {
    const double start = 20150810 * DAY + 12345678;
    for (i64 n : {(i64)1, (i64)86399999, (i64)86400000, (i64)86400001, (i64)-123456789012,
                  (i64)987654321098}) {
        double there, back;
        ASSERT_EQ(amtime0E(ADD, n, &there, start), 0) << n;
        ASSERT_EQ(amtime0E(SUB, n, &back, there), 0) << n;
        EXPECT_EQ(back, start) << n;
        double diff;
        amtime1E(&diff, there, start);
        EXPECT_EQ(diff, (double)n) << n;
    }
}

struct Diff {
    i64 type;
    i64 a, b;
    i64 result;
};

TEST(DatetimeArith, Differences) {
    const Diff cases[] = {
        {TMONTH, 201508, 201409, 11},
        {TMONTH, 201409, 201508, -11},
        {TMONTH, 210012, 190001, 201 * 12 - 1},
        {TDATE, 20150301, 20150201, 28},
        {TDATE, 20160301, 20160201, 29},
        {TDATE, 20000301, 20000201, 29},
        {TDATE, 21000301, 21000201, 28},
        {TDATE, 20160101, 20151231, 1},
        {TDATE, 19000101, 21001231, -73413},
        {TMINUTE, 600, 599, 1},
        {TSECOND, 36000, 35970, 30},
        {TTIME, 0, 86399999, -86399999},
    };
    for (const Diff& c : cases) {
        i64 out = 12345;
        merr = 77;
        EXPECT_EQ(amtime1(c.type, c.a, c.b, &out), 0);
        EXPECT_EQ(merr, 0);
        EXPECT_EQ(out, c.result) << c.type << " " << c.a << " " << c.b;
    }
    i64 out = 12345;
    EXPECT_EQ(amtime1(TDATETIME, 1, 2, &out), 3);
    EXPECT_EQ(merr, 3);
    EXPECT_EQ(amtime1(TINT, 1, 2, &out), 3);
    EXPECT_EQ(out, 12345);
}

TEST(DatetimeArith, DatetimeDifferences) {
    const struct {
        double a, b, result;
    } cases[] = {
        {20150811 * DAY + 3600000, 20150810 * DAY + 23 * 3600000.0, 7200000},
        {20150810 * DAY + 23 * 3600000.0, 20150811 * DAY + 3600000, -7200000},
        {20160301 * DAY, 20160228 * DAY, 2 * DAY},
        {20150810 * DAY + 7, 20150810 * DAY + 7, 0},
        {21001231 * DAY + 86399999, 19000101 * DAY, 73413 * DAY + 86399999},
    };
    for (auto c : cases) {
        double out = 12345;
        merr = 77;
        EXPECT_EQ(amtime1E(&out, c.a, c.b), 0);
        EXPECT_EQ(merr, 0);
        EXPECT_EQ(out, c.result) << c.a << " " << c.b;
    }
    // A null or an infinity is no instant: the difference fails.
    double out = 12345;
    EXPECT_EQ(amtime1E(&out, NAN, 20150810 * DAY), 3);
    EXPECT_EQ(amtime1E(&out, 20150810 * DAY, NAN), 3);
    EXPECT_EQ(amtime1E(&out, INFINITY, 20150810 * DAY), 3);
    EXPECT_EQ(out, 12345);
}

// merr always tells the last call, whatever came before.
TEST(DatetimeArith, StatusIsOverwritten) {
    i64 out;
    amtime0(ADD, TDATE, 21001231, 1, &out);
    EXPECT_EQ(merr, 3);
    amtime0(ADD, TDATE, 20150810, 1, &out);
    EXPECT_EQ(merr, 0);
    double d;
    amtime0E(ADD, 1, &d, 21001231 * DAY + 86399999);
    EXPECT_EQ(merr, 3);
    amtime1E(&d, 20150810 * DAY + 1, 20150810 * DAY);
    EXPECT_EQ(merr, 0);
}

}  // namespace
