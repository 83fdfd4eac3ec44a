// Reading runs of temporal literals from script-file value lines.
#include <gtest/gtest.h>

#include "datetime/datetime.h"

#include <cstring>
#include <vector>

namespace {

struct ScanCase {
    const char* text;
    i64 rc;
    i64 type;                 // when rc is 0
    std::vector<i64> values;  // when rc is 0 (datetimes: see below)
    i64 end;                  // *pos after the run, when rc is 0
};

TEST(DatetimeScan, Runs) {
    const ScanCase cases[] = {
        {"2015.08.10 2015.08.11", 0, TDATE, {20150810, 20150811}, 21},
        {"2015.08m 1900.01m  ", 0, TMONTH, {201508, 190001}, 19},
        {"09:05 23:59", 0, TMINUTE, {545, 1439}, 11},
        {"09:05:03", 0, TSECOND, {32703}, 8},
        {"12:34:56.789 00:00:00.000", 0, TTIME, {45296789, 0}, 25},
        {"2015.08.10 x", 0, TDATE, {20150810}, 11},
        {"2000.02.29", 0, TDATE, {20000229}, 10},
        // not temporal: the caller reads something else
        {"2015.123", 1, 0, {}, 0},
        {"123", 1, 0, {}, 0},
        {"12 13", 1, 0, {}, 0},
        {"2015 2016", 1, 0, {}, 0},
        {"abc", 1, 0, {}, 0},
        {"2015.08x", 1, 0, {}, 0},
        // malformed
        {"2015.08.10 09:05", 31, 0, {}, 0},
        {"2015.1.05", 31, 0, {}, 0},
        {"2015.08.1", 31, 0, {}, 0},
        {"2015.08.10T09:05", 31, 0, {}, 0},
        {"2015.08.10T9:05:03", 31, 0, {}, 0},
        {"2015.08.10T09-05:03", 31, 0, {}, 0},
        {"09:5", 31, 0, {}, 0},
        {"09:05:3", 31, 0, {}, 0},
        {"09:05:03.07", 31, 0, {}, 0},
        {"09:05:03 09:05:03.007", 31, 0, {}, 0},
        // out of range
        {"2015.02.29", 33, 0, {}, 0},
        {"1899.12.31", 33, 0, {}, 0},
        {"2015.13m", 33, 0, {}, 0},
        {"2015.04.31", 33, 0, {}, 0},
        {"2015.04.00", 33, 0, {}, 0},
        {"24:00", 33, 0, {}, 0},
        {"23:60", 33, 0, {}, 0},
        {"23:59:60", 33, 0, {}, 0},
        {"2015.08.10T25:00:00", 33, 0, {}, 0},
    };
    for (const ScanCase& c : cases) {
        errchk = 0;
        i64 pos = 0, count = 0, type = -1;
        i64 out[8];
        i64 rc = isdatetime(c.text, &pos, true, &count, &type, out);
        EXPECT_EQ(rc, c.rc) << c.text;
        if (c.rc == 31 || c.rc == 33) {
            EXPECT_EQ(errchk, c.rc) << c.text;
        }
        if (c.rc != 0 || rc != 0) continue;
        EXPECT_EQ(type, c.type) << c.text;
        EXPECT_EQ(pos, c.end) << c.text;
        ASSERT_EQ(count, (i64)c.values.size()) << c.text;
        for (i64 i = 0; i < count; i++) EXPECT_EQ(out[i], c.values[i]) << c.text;
    }
    errchk = 0;
}

TEST(DatetimeScan, Datetimes) {
    const char* text = "2015.08.10T09:05:03 2015.08.10T09:05:03.007";
    i64 pos = 0, count = 0, type = -1;
    i64 out[2];
    ASSERT_EQ(isdatetime(text, &pos, true, &count, &type, out), 0);
    EXPECT_EQ(type, TDATETIME);
    ASSERT_EQ(count, 2);
    double v[2];
    memcpy(v, out, sizeof v);
    EXPECT_EQ(v[0], 20150810.0 * 86400000.0 + 32703000.0);
    EXPECT_EQ(v[1], 20150810.0 * 86400000.0 + 32703007.0);
}

// The counting pass writes nothing and gives the same count and type.
TEST(DatetimeScan, CountingPassStoresNothing) {
    const char* text = "09:05 10:06 11:07";
    i64 pos = 0, count = 0, type = -1;
    merr = 3;
    EXPECT_EQ(isdatetime(text, &pos, false, &count, &type, nullptr), 0);
    EXPECT_EQ(merr, 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(type, TMINUTE);
}

TEST(DatetimeScan, StartsAtTheGivenPosition) {
    const char* text = "D 2015.08m";
    i64 pos = 2, count = 0, type = -1, out[1];
    EXPECT_EQ(isdatetime(text, &pos, true, &count, &type, out), 0);
    EXPECT_EQ(out[0], 201508);
    EXPECT_EQ(pos, 10);
}

TEST(DatetimeScan, DigitValues) {
    EXPECT_EQ(getval("x2015y", 1, 4), 2015);
    EXPECT_EQ(getval("09", 0, 2), 9);
}

}  // namespace
