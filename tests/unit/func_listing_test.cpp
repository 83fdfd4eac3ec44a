// The sorted name listing, the column printer and the small helpers beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "dict/dict.h"
#include "eval/eval.h"
#include "func_support.h"
#include "parser/parser.h"
#include "system/namelist.h"
#include "system/system.h"
#include "system/workspace.h"
#include "values/values.h"

namespace {

class FuncListing : public ::testing::Test {
protected:
    void SetUp() override {
        ZemInit();
        CleanET();
    }
    static std::string Listing(const char* prefix, char kind, i64* rc) {
        testing::internal::CaptureStdout();
        *rc = sort_fns(prefix, kind);
        return testing::internal::GetCapturedStdout();
    }
    static void Var(const char* name) {
        i64 g = Enter(name, 'G');
        vtable[gnametable[g].index].rank = 0;
    }
};

TEST_F(FuncListing, FunctionsSortDigitsCapitalsUnderscoreSmallLetters) {
    for (const char* h : {"Beta", "alpha", "A1", "x_y", "A"}) FnLine0(h);
    i64 rc;
    EXPECT_EQ(Listing("", 'F', &rc), "A   A1   Beta   alpha   x_y\n");
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(Listing("al", 'F', &rc), "alpha\n");
    EXPECT_EQ(Listing("q", 'F', &rc), "");
    EXPECT_EQ(rc, -1);
    // A refused prefix leaves the trie empty: the next listing is whole.
    EXPECT_EQ(Listing("A", 'F', &rc), "A   A1\n");
}

TEST_F(FuncListing, VariablesNeedAValueAndFunctionsAreLeftOut) {
    Var("b2");
    Var("B");
    Enter("novalue", 'G');
    FnLine0("fn");
    i64 rc;
    EXPECT_EQ(Listing("", 'V', &rc), "B   b2\n");
}

std::string Columns(const std::vector<std::string>& names, i64 gap, bool right) {
    zem_line* head = eLine_New();
    zem_line* at = head;
    for (const auto& n : names) {
        at->next = eLine_New();
        at = at->next;
        eLine_copy0(at, n.c_str());
    }
    testing::internal::CaptureStdout();
    BeautifulList(head, gap, right);
    eLine_free(head);
    return testing::internal::GetCapturedStdout();
}

TEST(FuncColumns, NamesFillRowsOfAtMost107Characters) {
    EXPECT_EQ(Columns({"a", "bb", "c"}, 3, false), "a   bb   c\n");
    // Two rows: columns take the widest name; right alignment pads on the left.
    const std::string a(51, 'a'), b(51, 'b');
    EXPECT_EQ(Columns({a, b, "c", "dd"}, 3, false),
              a + "   " + b + "\nc" + std::string(50, ' ') + "   dd" + std::string(49, ' ') + "\n");
    EXPECT_EQ(Columns({a, b, "c", "dd"}, 3, true),
              a + "   " + b + "\n" + std::string(50, ' ') + "c   " + std::string(49, ' ') + "dd\n");
    EXPECT_EQ(Columns({}, 3, false), "");
    std::vector<std::string> many;
    for (int i = 0; i < 30; i++) many.push_back("name" + std::to_string(10 + i));
    std::string out = Columns(many, 3, false);
    // 6-character names 3 apart: 12 fit in 107 columns.
    EXPECT_EQ(out.substr(0, out.find('\n')).size(), 12u * 6 + 11 * 3);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
    // A later long name narrows the table until its column fits.
    std::vector<std::string> wide(12, "nnnnnn");
    wide.push_back(std::string(60, 'w'));
    out = Columns(wide, 3, false);
    for (size_t s = 0, e; (e = out.find('\n', s)) != std::string::npos; s = e + 1)
        EXPECT_LE(e - s, 107u);
    std::string huge(120, 'h');
    EXPECT_EQ(Columns({huge, "a"}, 3, false), huge + "\na\n");
}

TEST(FuncHelpers, QueryTextIsQuotedForThePrelude) {
    i64 n = 0;
    char* q = conq2("a'b", 3, &n);
    EXPECT_STREQ(q, "do__v1 'a''b'");
    EXPECT_EQ(n, 13);
    free(q);
    // A zero byte would end the text: it reads as a blank. A line end stays
    // inside the quotes.
    q = conq2("a\0b\nc'", 6, &n);
    EXPECT_EQ(std::string(q, n), std::string("do__v1 'a b\nc'''"));
    EXPECT_EQ(n, 16);
    free(q);
}

TEST_F(FuncListing, TheUnwindLevelIsTheTopmostImmediateOrUserEntry) {
    sitable[0] = {-1, 0};
    sitable[1] = {FIRSTFN, 2};
    sidx = 1;
    EXPECT_EQ(fdsi(), 1);
    sidx = 0;
    EXPECT_EQ(fdsi(), 0);
    sidx = -1;
}

}  // namespace
