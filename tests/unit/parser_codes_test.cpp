// Function codes of the primitive symbols: both valences, the valence rule,
// reduce and scan, inner and outer product, axis codes and their errors.
#include "parser_fixture.h"

namespace {

struct CodeCase {
    const char* text;
    i64 code;  // function code of the root application; or the error below
    i64 err;   // expected error, 0 = none
};

void CheckCodes(const CodeCase* cases, size_t n) {
    for (size_t i = 0; i < n; i++) {
        const CodeCase& c = cases[i];
        Parsed p = ParseText(c.text);
        EXPECT_EQ(p.rc, c.err) << c.text;
        if (c.err == 0 && p.rc == 0) {
            ASSERT_GE(p.out[0], 0) << c.text;
            ASSERT_EQ(PNode(p.out[0]).kind, 'F') << c.text;
            EXPECT_EQ(Fn(p.out[0]).kind, 'P') << c.text;
            EXPECT_EQ(CodeOf(p.out[0]), c.code) << c.text;
        }
    }
}

TEST_F(ParserTest, DyadicSymbolCodes) {
    const CodeCase cases[] = {
        {"a<-b", 0, 0},   {"a^.b", 3, 0},   {"a!.b", 4, 0},  {"a/b", 5, 0},    {"a/.b", 6, 0},
        {"a\\b", 7, 0},   {"a\\.b", 8, 0},  {"a?b", 9, 0},   {"a>.b", 10, 0},  {"a<.b", 11, 0},
        {"a&b", 12, 0},   {"a^b", 13, 0},   {"a<b", 16, 0},  {"a<=b", 17, 0},  {"a>=b", 18, 0},
        {"a>b", 19, 0},   {"a~=b", 20, 0},  {"a=b", 21, 0},  {"a~b", 756, 0},  {"a?.b", 27, 0},
        {"a#b", 29, 0},   {"a,b", 31, 0},   {"a!b", 33, 0},  {"a$b", 35, 0},   {"a&.b", 37, 0},
        {"a$.b", 39, 0},  {"a+.b", 41, 0},  {"a#.b", 43, 0}, {"a+b", 45, 0},   {"a-b", 47, 0},
        {"a*b", 49, 0},   {"a%b", 51, 0},   {"a~.b", 53, 0}, {"a_.b", 55, 0},  {"a*.b", 57, 0},
        {"a%.b", 59, 0},  {"a|b", 61, 0},   {"a|.b", 63, 0}, {"a@b", 65, 0},   {"a,.b", 66, 0},
        {"a||b", 751, 0}, {"a:b", 753, 0},  {"a.b", 754, 0}, {"a\"b", 752, 0}, {"a<<b", 757, 0},
        {"a->b", -1, 0},  {"2 3#x", 29, 0},
    };
    CheckCodes(cases, std::size(cases));
}

TEST_F(ParserTest, MonadicSymbolCodes) {
    const CodeCase cases[] = {
        {"^.b", 706, 0},
        {"!.b", 22, 0},
        {"?b", 708, 0},
        {">.b", 709, 0},
        {"<.b", 702, 0},
        {"^b", 705, 0},
        {"<b", 24, 0},
        {">b", 23, 0},
        {"=b", 704, 0},
        {"~b", 25, 0},
        {"?.b", 26, 0},
        {"#b", 28, 0},
        {",b", 30, 0},
        {"!b", 32, 0},
        {"$b", 34, 0},
        {"&.b", 36, 0},
        {"$.b", 38, 0},
        {"+.b", 40, 0},
        {"#.b", 42, 0},
        {"+b", 44, 0},
        {"-b", 46, 0},
        {"*b", 48, 0},
        {"%b", 50, 0},
        {"~.b", 52, 0},
        {"_.b", 54, 0},
        {"*.b", 56, 0},
        {"%.b", 58, 0},
        {"|b", 60, 0},
        {"|.b", 62, 0},
        {"@b", 64, 0},
        {",.b", 707, 0},
        {"||b", 710, 0},
        {":b", 703, 0},
        {"\"b", 752, 0},
        {"<<b", 757, 0},
        // dyadic-only symbols without a left value
        {"/b", 0, 17},
        {"/.b", 0, 17},
        {"\\b", 0, 17},
        {"\\.b", 0, 17},
        {"&b", 0, 17},
        {"<=b", 0, 17},
        {">=b", 0, 17},
        {"~=b", 0, 17},
        {"<-b", 0, 16},
    };
    CheckCodes(cases, std::size(cases));
}

TEST_F(ParserTest, ReduceAndScanCodes) {
    const CodeCase cases[] = {
        {"+/x", 145, 0},   {"+\\x", 245, 0}, {"+/.x", 345, 0}, {"+\\.x", 445, 0}, {"</x", 116, 0},
        {">/x", 119, 0},   {"^/x", 113, 0},  {"=/x", 121, 0},  {"-/x", 147, 0},   {"~/x", 125, 0},
        {"*\\.x", 449, 0}, {"|./x", 163, 0}, {"?/x", 0, 16},   {",./x", 0, 16},
    };
    CheckCodes(cases, std::size(cases));
}

TEST_F(ParserTest, InnerAndOuterProductCodes) {
    const CodeCase cases[] = {
        {"a+:*b", 4549, 0},
        {"a+:=b", 4521, 0},
        {"a^:=b", 1321, 0},
        {"a+:?b", 4509, 0},
        {"a.:+b", 545, 0},
        {"a.:<b", 516, 0},
        {"a.:*.b", 557, 0},
        {"a.:=b", 521, 0},
        // ":" not taken when g is not a scalar symbol: "+" stays plain
        {"a+:b", 45, 0},
        {"a+:,b", 45, 0},
        {".:+b", 0, 99},
        {"a.:,b", 0, 20},
        {"a.:b", 0, 20},
    };
    CheckCodes(cases, std::size(cases));
}

TEST_F(ParserTest, AxisCodesWithOrigin1) {
    const CodeCase cases[] = {
        {"a,[1]b", 66, 0},   {"a,[2]b", 67, 0},   {"a,[6]b", 71, 0},   {"a,[1.5]b", 83, 0},
        {"a,[0.5]b", 82, 0}, {"a,[2.5]b", 84, 0}, {"a/[1]b", 6, 0},    {"a/[3]b", 73, 0},
        {"a\\[1]b", 8, 0},   {"a\\[2]b", 77, 0},  {"a$[1]b", 39, 0},   {"a$[4]b", 96, 0},
        {"$[1]x", 38, 0},    {"$[2]x", 89, 0},    {"$[6]x", 93, 0},    {"a,[ 2 ]b", 0, 27},
        {"a/[7]b", 0, 27},   {"a/[0]b", 0, 28},   {"a/[1.5]b", 0, 27}, {"a$[-1]b", 0, 28},
        {"a,[7]b", 0, 43},   {"a,[x]b", 0, 27},   {"a,[1 2]b", 0, 27}, {"a,[1 b", 0, 29},
        {"a,['a']b", 0, 27}, {",[1]x", 0, 16},    {"/[1]x", 0, 17},    {"a,[1.0]b", 0, 27},
    };
    CheckCodes(cases, std::size(cases));
}

TEST_F(ParserTest, AxisCodesFollowOrigin) {
    vtable[SLOT_IO].dim0 = 0;
    const CodeCase origin0[] = {
        {"a,[0]b", 66, 0}, {"a,[1]b", 67, 0}, {"a,[0.5]b", 83, 0}, {"a,[_0.5]b", 82, 0},
        {"$[0]x", 38, 0},  {"a/[6]b", 0, 27}, {"a/[_1]b", 0, 28},
    };
    CheckCodes(origin0, std::size(origin0));
    vtable[SLOT_IO].dim0 = 2;
    const CodeCase broken[] = {{"a,[1]b", 0, 24}, {"a+b", 45, 0}};
    CheckCodes(broken, std::size(broken));
}

TEST_F(ParserTest, AxisLiteralIsNotKept) {
    i64 before = lstcx;
    Parsed p = ParseText("a,[3]b");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(lstcx, before);
}

TEST_F(ParserTest, MinusAfterBracketIsRewrittenInTheText) {
    char text[] = "a$[-1]b";
    i64 out[3];
    EXPECT_EQ(ZemParser(text, sizeof text, -1, 0, 0, 1, out), 28);
    EXPECT_STREQ(text, "a$[_1]b");
}

TEST(ParserCodes, FunctionCodeTable) {
    // symbol code -> function code, and the symbols with no function
    const std::pair<i64, i64> table[] = {
        {0, 0},    {1, -1},   {2, 1},    {3, 2},    {27, 26},  {28, 28},  {29, 30},
        {47, 66},  {36, 44},  {46, 64},  {48, -1},  {55, -1},  {56, 702}, {57, 701},
        {58, 704}, {59, 751}, {60, 710}, {61, 705}, {62, 703}, {63, 706}, {64, -1},
        {65, 752}, {66, 708}, {67, 707}, {68, 709}, {69, 753}, {70, 754}, {71, 755},
        {72, 711}, {73, 756}, {74, 757}, {75, -1},  {-5, -1},
    };
    for (auto& t : table) EXPECT_EQ(PfnList(t.first), t.second) << t.first;
}

TEST(ParserCodes, SymbolClasses) {
    for (i64 s = 0; s < 80; s++) {
        EXPECT_EQ(inSF0(s), s >= 36 && s <= 46) << s;
        EXPECT_EQ(inSF2(s), s >= 13 && s <= 22) << s;
        EXPECT_EQ(inMF2(s), s >= 4 && s <= 12) << s;
    }
}

TEST(ParserCodes, SymbolReaderConsumesTwoCharacterForms) {
    struct Sym {
        const char* text;
        i64 dyadic, code, after;  // symbol code and the cursor left on its last character
    } cases[] = {
        {"<-", 1, 0, 1},  {"->", 0, 1, 1},  {"<.", 0, 56, 1}, {"<.", 1, 12, 1},
        {"<<", 1, 74, 1}, {"||", 0, 60, 1}, {"|", 1, 44, 0},  {"_.", 0, 41, 1},
        {"_x", 0, -1, 0}, {".x", 1, 70, 0}, {".x", 0, -1, 0}, {"[]", 0, 54, 1},
        {"[)", 0, 53, 1}, {"~=", 0, 21, 1}, {"~", 1, 73, 0},  {"a", 1, -1, 0},
    };
    for (auto& c : cases) {
        char buf[8];
        snprintf(buf, sizeof buf, "%s", c.text);
        cursor = 0;
        EXPECT_EQ(GetAsymb(buf[0], c.dyadic, buf), c.code) << c.text;
        EXPECT_EQ(cursor, c.after) << c.text;
    }
}

TEST(ParserCodes, RiotaCountsAboveTheNearestMarker) {
    const i64 stack[] = {-1, 5, -1, 7, 8, 9};
    EXPECT_EQ(Riota(stack, -1, 5), 3);
    EXPECT_EQ(Riota(stack, -1, 2), 0);
    EXPECT_EQ(Riota(stack + 1, -1, 0), 1);  // no marker: top + 1
}

}  // namespace
