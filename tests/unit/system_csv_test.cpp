// Records, cells and cell readers of delimited text.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "datetime/datetime.h"
#include "system/csv.h"

namespace {

// The records of a text, each as its trimmed cells; "!" for a record that
// never closes its quote.
std::vector<std::vector<std::string>> split(const std::string& text, char sep = ',') {
    std::vector<std::vector<std::string>> out;
    i64 n = static_cast<i64>(text.size());
    for (i64 at = 0; at < n;) {
        i64 cells;
        i64 end = CsvRecordEnd(text.data(), n, at, sep, &cells);
        if (end < 0) {
            out.push_back({"!"});
            break;
        }
        i64 s = at, e = end;
        CsvTrim(text.data(), &s, &e, sep);
        csv_cells c = CsvCells(text.data() + s, text.data() + e, sep);
        std::vector<std::string> row;
        std::string cell;
        while (CsvNextCell(&c, &cell)) row.push_back(cell);
        EXPECT_EQ(static_cast<i64>(row.size()), cells) << text;
        out.push_back(row);
        at = end + 1;
    }
    return out;
}

using rows = std::vector<std::vector<std::string>>;

TEST(CsvRecords, CellsQuotesAndLineEnds) {
    const struct {
        std::string text;
        char sep;
        rows want;
    } cases[] = {
        {"a,b\n1,2.5\n", ',', {{"a", "b"}, {"1", "2.5"}}},
        {"x,\"y,z\"\n", ',', {{"x", "y,z"}}},
        {"\"a\"\"b\",c\n", ',', {{"a\"b", "c"}}},
        {"\"\",x\n", ',', {{"", "x"}}},             // an empty quoted cell is empty
        {"\"\"\"\"\n", ',', {{"\""}}},              // one quote, quoted
        {"x\"y\"z,1\n", ',', {{"xyz", "1"}}},       // a quoted stretch inside a cell
        {"\"a\nb\",c\r\nd,e", ',', {{"a\nb", "c"}, {"d", "e"}}},
        {"\"a\r\n\",1\n", ',', {{"a\r\n", "1"}}},   // CR LF inside quotes stay
        {"  a , b \t\r\n", ',', {{"a ", " b"}}},     // the record is trimmed, cells are not
        {"\n", ',', {{""}}},
        {"a,,\n", ',', {{"a", "", ""}}},
        {"\t1\t\n", '\t', {{"", "1", ""}}},         // a tab separator is never trimmed
        {" 1  2\n", ' ', {{"", "1", "", "2"}}},
        {"a;b,c\n", ';', {{"a", "b,c"}}},
        {"\"open,1\n2,3\n", ',', {{"!"}}},
        {std::string("a\0b,c\n", 6), ',', {{std::string("a\0b", 3), "c"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(split(c.text, c.sep), c.want) << c.text;
}

TEST(CsvRecords, LongLinesAndCellsAreWhole) {
    std::string cell(20000, 'x'), text;
    for (int i = 0; i < 3; i++) text += cell + "," + std::to_string(i) + "\n";
    rows got = split(text);
    ASSERT_EQ(got.size(), 3u);
    for (int i = 0; i < 3; i++) EXPECT_EQ(got[i], (std::vector<std::string>{cell, std::to_string(i)}));
}

TEST(CsvCells, Integers) {
    const struct {
        const char* text;
        i64 value;
    } cases[] = {
        {"42", 42},
        {"-5", -5},
        {"_5", -5},
        {"+7", 7},
        {" 12 ", 12},
        {"-0", 0},
        {"007", 7},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775807", -INT64_MAX},
    };
    for (auto c : cases) {
        i64 v = -1;
        EXPECT_EQ(CsvInt(c.text, &v), CSV_NUMBER) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    // Not whole, no digits, two signs, another base or notation: no integer.
    const char* const bad[] = {"12abc", "zz",  "1e3", "0x1f", "1.9", "1.0", "abc", "-",
                               "--1",   "+-1", "1 2", " ",    "1,234", "n/a", "1_"};
    for (const char* t : bad) {
        i64 v = -1;
        EXPECT_EQ(CsvInt(t, &v), CSV_NOT_NUMBER) << t;
        EXPECT_EQ(v, -1) << t;
    }
    // Beyond what 64 bits hold, the null's -2^63 too.
    const char* const beyond[] = {"9223372036854775808", "-9223372036854775808",
                                  "99999999999999999999", "-99999999999999999999"};
    for (const char* t : beyond) {
        i64 v = -1;
        EXPECT_EQ(CsvInt(t, &v), CSV_BEYOND) << t;
    }
}

TEST(CsvCells, FloatsReadBackExactly) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"2.5", 2.5},     {"-0.125", -0.125}, {"_3.5", -3.5},   {"+1e3", 1000}, {"_1e_3", -0.001}, {"2E_2", 0.02},
        {" 7 ", 7},       {"1e-5", 1e-5},     {".5", 0.5},      {"5.", 5},      {"-2e3", -2000},
        {"inf", INFINITY}, {"-inf", -INFINITY}, {"1e999", INFINITY}, {"-1e999", -INFINITY},
        {"0.1", 0.1},     {"1.7976931348623157e308", 1.7976931348623157e308},
        {"5e-324", 5e-324},
    };
    for (auto c : cases) {
        double v = -1;
        EXPECT_EQ(CsvFloat(c.text, &v), CSV_NUMBER) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    double v = -1;
    EXPECT_EQ(CsvFloat("nan", &v), CSV_NUMBER);
    EXPECT_TRUE(std::isnan(v));
    EXPECT_EQ(CsvFloat("-0", &v), CSV_NUMBER);
    EXPECT_TRUE(std::signbit(v));
    const char* const bad[] = {"1.5.5", "abc", "1e", "--1", "-_1", "0x1f", "1,5", " ",
                               "n/a",   "1e_", "e5", "1 2", ".",   "+"};
    for (const char* t : bad) {
        double w = -1;
        EXPECT_EQ(CsvFloat(t, &w), CSV_NOT_NUMBER) << t;
        EXPECT_EQ(w, -1) << t;
    }
}

TEST(CsvCells, DatesAndTimes) {
    const struct {
        const char* text;
        i64 type;
        i64 value;
    } good[] = {
        {"2015.08m", TMONTH, 201508},
        {"2015.08.10", TDATE, 20150810},
        {"8/10/15", TDATE, 20150810},
        {" 12/31/99 ", TDATE, 20991231},
        {"09:05", TMINUTE, 9 * 60 + 5},
        {"09:05:03", TSECOND, 9 * 3600 + 5 * 60 + 3},
        {"09:05:03.007", TTIME, (9 * 3600 + 5 * 60 + 3) * 1000 + 7},
    };
    for (auto c : good) {
        i64 word = -1;
        EXPECT_EQ(CsvTemporal(c.text, c.type, &word, nullptr), 0) << c.text;
        EXPECT_EQ(word, c.value) << c.text;
    }
    const struct {
        const char* text;
        i64 type;
    } bad[] = {
        {"2015.13m", TMONTH}, {"2015.02.30", TDATE}, {"2/30/15", TDATE},  {"x", TDATE},
        {"2015-08-10", TDATE}, {"25:00", TMINUTE},   {"9:05", TMINUTE},   {"09:05:60", TSECOND},
        {"09:05:03", TTIME},  {"2015.08.10T25:00:00", TDATETIME}, {"2015.08.10", TDATETIME},
    };
    for (auto c : bad) {
        i64 word;
        double real;
        EXPECT_EQ(CsvTemporal(c.text, c.type, &word, &real), E_DATETIME_VALUE) << c.text;
    }
    double real = 0;
    ASSERT_EQ(CsvTemporal("2015.08.10T09:05:03.007", TDATETIME, nullptr, &real), 0);
    char text[TIMEBUF];
    optime2(text, real);
    EXPECT_STREQ(text, "2015.08.10T09:05:03.007");
    ASSERT_EQ(CsvTemporal("2015.08.10T09:05:03", TDATETIME, nullptr, &real), 0);
    optime2(text, real);
    EXPECT_STREQ(text, "2015.08.10T09:05:03.000");
}

}  // namespace
