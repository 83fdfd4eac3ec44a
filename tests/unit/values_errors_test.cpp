// The error line printed for a code.
#include <gtest/gtest.h>

#include <string>

#include "values/values.h"

static std::string ErrorLine(i64 code) {
    testing::internal::CaptureStdout();
    errmsg(code);
    return testing::internal::GetCapturedStdout();
}

TEST(ValuesErrors, Lines) {
    struct {
        i64 code;
        const char* line;
    } cases[] = {
        {3, "Error: length error\n"},
        {36, "\n"},
        {40, "Error: \n"},
        {6, "Error: workspace full\n"},
        {24, "Error: []IO error\n"},
        {503, "Error: extra arguments found\n"},
        {100, "Error: \n"},
    };
    for (auto& c : cases) EXPECT_EQ(ErrorLine(c.code), c.line) << c.code;
}

TEST(ValuesErrors, ReportRequestFollowsCode99) {
    std::string line = ErrorLine(99);
    ASSERT_EQ(line.rfind("Error: under construction", 0), 0u) << line;
    EXPECT_GT(line.size(), std::string("Error: under construction\n").size());
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find('\n'), line.size() - 1);
}

TEST(ValuesErrors, CodesWithoutText) {
    for (i64 code : {0, 39, 41, 49, 70, 79, 88, 98, 202, 206})
        EXPECT_EQ(errtext(code), nullptr) << code;
    EXPECT_STREQ(errtext(84), "one table is full");
}

TEST(ValuesErrors, NamesMatchTheirMessages) {
    struct {
        i64 code;
        const char* text;
    } cases[] = {
        {E_DOMAIN, "domain error"},
        {E_LENGTH, "length error"},
        {E_VALUE, "value error"},
        {E_IO, "[]IO error"},
        {E_STRUCTURE, "structure error"},
        {E_NOT_BUILT, "primitive function not yet implemented"},
        {E_TABLE_FULL, "one table is full"},
        {E_FILE_READ, "reading file error"},
        {E_EXTRA_ARGUMENTS, "extra arguments found"},
    };
    for (auto& c : cases) EXPECT_STREQ(errtext(c.code), c.text) << c.code;
    EXPECT_EQ(errtext(E_BRANCH_TEXT), nullptr);
    EXPECT_STREQ(errtext(E_QUIET), "");
}

// Words left with a code are printed once, in place of its message, by the
// message of that code only; a new line forgets them.
TEST(ValuesErrors, WordsLeftWithACode) {
    EXPECT_EQ(ErrSay(E_DOMAIN, "group takes no list"), E_DOMAIN);
    EXPECT_EQ(ErrorLine(E_LENGTH), "Error: length error\n");
    EXPECT_EQ(ErrorLine(E_DOMAIN), "Error: group takes no list\n");
    EXPECT_EQ(ErrorLine(E_DOMAIN), "Error: domain error\n");
    ErrSay(E_QUIET, "a file of another kind");
    EXPECT_EQ(ErrorLine(E_QUIET), "Error: a file of another kind\n");
    EXPECT_EQ(ErrorLine(E_QUIET), "\n");
    ErrSay(E_UNDER_CONSTRUCTION, "takes a table only");
    EXPECT_EQ(ErrorLine(E_UNDER_CONSTRUCTION), "Error: takes a table only\n");
    ErrSay(E_DOMAIN, "stale");
    ErrForget();
    EXPECT_EQ(ErrorLine(E_DOMAIN), "Error: domain error\n");
}
