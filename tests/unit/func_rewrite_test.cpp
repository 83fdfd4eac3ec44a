// Control-structure rewriting and one-line definitions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "func_support.h"
#include "parser/parser.h"
#include "system/workspace.h"
#include "values/values.h"

namespace {

using Lines = std::vector<std::string>;

// The rewritten body (header dropped), lines joined by " | "; or "fault at N".
std::string Rewrite(const Lines& body) {
    Lines all = {"f"};
    all.insert(all.end(), body.begin(), body.end());
    zem_line* in = MakeList(all);
    errchk = 0;
    i64 bad = ZemParserNewInit(in, (i64)all.size());
    eLine_free(in);
    if (bad || errchk) return "fault at " + std::to_string(bad) + " code " + std::to_string(errchk);
    std::string out;
    zem_line* l = line0->next->next;
    for (i64 i = 1; i < newln; i++, l = l->next) out += (i > 1 ? " | " : "") + std::string(l->text);
    return out;
}

struct RewriteCase {
    Lines body;
    std::string expected;
};

// The check a numeric for makes on entering and leaving its loop.
std::string Singles(const char* v, const char* limit, const char* step) {
    return std::string("->(((2-^/1=(#,") + v + "),(#,(" + limit + ")),#,(" + step +
           "))#1),0)!.L1,L1";
}

// The check a while makes of its condition on leaving the loop.
std::string WhileCheck(const char* t) {
    std::string check = "->(((2-^/1=#,";
    check += t;
    check += ")#1),0)!.L1,L1";
    return check;
}

TEST(FuncRewrite, StructuresBecomeLabelledBranchLines) {
    const RewriteCase cases[] = {
        {{"if (x>0) y<-1", "else y<-2"}, "->(~x>0)/L0 | y<-1 | ->L1 | L0: | y<-2 | L1:"},
        {{"if (x>0) y<-1"}, "->(~x>0)/L0 | y<-1 |    | L0:"},
        {{"while (i<3) i<-i+1"},
         "L0:->(idx_w9<-~~i<3)!.L2,L2,L2 | ->(idx_w9)!.L2,L2 | i<-i+1 | ->L0 | L2:" +
             WhileCheck("idx_w9") + " | L1:"},
        {{"for (i:1;10) s<-s+i"},
         "i<-(1)-1 | " + Singles("i", "10", "1") +
             " | L0:->(~(10)<i<-i+1)!.L1 | s<-s+i | ->L0 | L1:" + Singles("i", "10", "1")},
        {{"for (i:0;ts-1) s"},
         "i<-(0)-1 | " + Singles("i", "ts-1", "1") +
             " | L0:->(~(ts-1)<i<-i+1)!.L1 | s | ->L0 | L1:" + Singles("i", "ts-1", "1")},
        {{"for (i:5;1;_1) s"},
         "i<-(5)-_1 | " + Singles("i", "1", "_1") +
             " | L0:->(~(1)>i<-i+_1)!.L1 | s | ->L0 | L1:" + Singles("i", "1", "_1")},
        {{"for (i:1;9;k) s"},
         "i<-(1)-k | " + Singles("i", "9", "k") +
             " | L0:->(~0<(*(k))*(i<-i+k)-(9))!.L1 | s | ->L0 | L1:" + Singles("i", "9", "k")},
        {{"for (T:1;3) s"},
         "T<-(1)-1 | " + Singles("T", "3", "1") +
             " | L0:->(~(3)<T<-T+1)!.L1 | s | ->L0 | L1:" + Singles("T", "3", "1")},
        {{"for (v:x) s<-s+v"},
         "->(0=idx_l9<-#idx_v9<-x)/L2 | idx_i9<-0 | L0:v<-idx_v9[idx_i9+[]IO] | s<-s+v | "
         "L1:->(idx_l9>idx_i9<-idx_i9+1)/L0 | L2:"},
        {{"while (a) {", "if (b) continue", "break", "}"},
         "L0:->(idx_w9<-~~a)!.L2,L2,L2 | ->(idx_w9)!.L2,L2 | ->(~b)/L3 | ->L0 |    | L3: | ->L1 |  "
         "| ->L0 | L2:" +
             WhileCheck("idx_w9") + " | L1:"},
        {{"for (v:x) {if (v) break}"},
         "->(0=idx_l9<-#idx_v9<-x)/L2 | idx_i9<-0 | L0:v<-idx_v9[idx_i9+[]IO] | ->(~v)/L3 | ->L2 |    "
         "| L3: | L1:->(idx_l9>idx_i9<-idx_i9+1)/L0 | L2:"},
        {{"if (a) {b} else {c}"}, "->(~a)/L0 | b |  | ->L1 | L0: | c | L1:"},
        {{"pelse<-1;elsewhere<-2"}, "pelse<-1;elsewhere<-2"},
        {{"format<-1", "cases<-2", "iff (x)"}, "format<-1 | cases<-2 | iff (x)"},
        {{"top: x<-1", "->top"}, "top: | x<-1 | ->top"},
        {{"case (x) {", "1: a", "2 3: b", "else c", "}"},
         "->(~(x)?1)/CS21 | a | ->L0 | CS21:->(~(x)?2 3)/CS22 | b | ->L0 | CS22: | c | L0: | "},
        {{"case (x) {1: a}", "y"}, "->(~(x)?1)/CS21 | a | ->L0 | CS21: | L0: |  | y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body[0]);
        EXPECT_EQ(Rewrite(c.body), c.expected);
    }
}

TEST(FuncRewrite, EveryRewritingNamesItsTemporariesTheSameWay) {
    Lines body = {"for (a:x) s", "for (b:y) t"};
    std::string first = Rewrite(body);
    ASSERT_EQ(ParseTempCount(), 6);
    EXPECT_STREQ(ParseTempName(0), "idx_v9");
    EXPECT_STREQ(ParseTempName(5), "idx_i10");
    Rewrite({"x<-1"});
    EXPECT_EQ(ParseTempCount(), 0);
    EXPECT_EQ(Rewrite(body), first);
}

TEST(FuncRewrite, StructureFaultsGiveTheInputLineAndCode26) {
    const RewriteCase cases[] = {
        {{"x<-1", "break"}, "fault at 2 code 26"},
        {{"continue"}, "fault at 1 code 26"},
        {{"if (x"}, "fault at 1 code 26"},
        {{"if (x)"}, "fault at 1 code 26"},
        {{"while (x) {", "y"}, "fault at 2 code 26"},
        {{"for (:1;2) s"}, "fault at 1 code 26"},
        {{"for (i 1;2) s"}, "fault at 1 code 26"},
        {{"for (i j:1;2) s"}, "fault at 1 code 26"},
        {{"case (x) y"}, "fault at 1 code 26"},
        {{"case (x)", "y"}, "fault at 2 code 26"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.back());
        EXPECT_EQ(Rewrite(c.body), c.expected);
    }
}

TEST(FuncRewrite, TaggedWithTheInputLine) {
    Rewrite({"while (i<3) {", "i<-i+1", "}"});
    std::vector<i64> tags;
    zem_line* l = line0->next;
    for (i64 i = 0; i < newln; i++, l = l->next) tags.push_back(l->tag);
    // The check on leaving the loop belongs to the while line.
    EXPECT_EQ(tags, (std::vector<i64>{0, 1, 1, 2, 3, 3, 1, 3}));
}

class FuncShot : public ::testing::Test {
protected:
    void SetUp() override { ZemInit(); }
    // The source lines of a one-line definition, " | " apart.
    static std::string Define(const char* text) {
        char name[NAMESIZE];
        errchk = 0;
        if (FnShotLine(text, name)) return "refused " + std::to_string(errchk);
        zem_func* f = functable[gnametable[FnFindName(name, 'G')].index].func;
        std::string out;
        zem_line* l = f->src->next;
        for (i64 i = 0; i < f->nsrc; i++, l = l->next)
            out += (i ? " | " : "") + std::string(l->text);
        return out;
    }
};

TEST_F(FuncShot, HeaderComesFromTheNamesTheBodyUses) {
    FnLine0("z<-value x");
    const std::pair<const char*, const char*> cases[] = {
        {"de_enum: if (21=:x) z<-value x else z<-x}",
         "z<-de_enum x | if (21=:x) z<-value x else z<-x"},
        {"addwth: z<-y+x}", "z<-y addwth x | z<-y+x"},
        {"f: a<-x+1;a*2}", "z<-f x;a | a<-x+1 | z<-a*2"},
        {"g: []IO<-0;!x}", "z<-g x;[]IO | []IO<-0 | z<-!x"},
        {"h: b<-(1;2);x[1;2]}", "z<-h x;b | b<-(1;2) | z<-x[1;2]"},
        {"k: 'a;b';`c;y}", "z<-k y | 'a;b' | `c | z<-y"},
        {"n: []<-1;}", "n | []<-1"},
        {"e: x*1e3+2j1}", "z<-e x | z<-x*1e3+2j1"},
        {"u: (x}", "refused 21"},  // unpaired parentheses
        {"w: x)}", "refused 21"},
        {"v: x+1", "refused 1"},
        {"nocolon x}", "refused 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(Define(c.first), c.second);
    }
}

TEST_F(FuncShot, AVariableWithAValueRefusesToBecomeAFunction) {
    i64 g = Enter("taken", 'G');
    vtable[gnametable[g].index].rank = 0;
    EXPECT_EQ(Define("taken: x}"), "refused 10");  // a variable cannot be a function
    Enter("fresh", 'G');  // never given a value
    EXPECT_EQ(Define("fresh: x}"), "z<-fresh x | z<-x");
}

TEST(FuncWords, NamesAndKeywords) {
    i64 pos = 0;
    EXPECT_EQ(FGetName("abc  d", &pos), 3);
    EXPECT_EQ(pos, 5);
    EXPECT_STREQ(namez, "abc");
    pos = 0;
    EXPECT_EQ(FGetName("abc_", &pos), 3);
    EXPECT_EQ(pos, 3);
    pos = 0;
    EXPECT_EQ(FGetName("+x", &pos), 0);
    EXPECT_EQ(pos, 0);
    for (const char* w : {"case", "else", "for", "if", "while"}) EXPECT_EQ(isRvWord(w), 1) << w;
    for (const char* w : {"", "iff", "elsewhere", "For"}) EXPECT_EQ(isRvWord(w), 0) << w;
    EXPECT_EQ(ParseIsLabel("  top:"), 1);
    EXPECT_EQ(ParseIsLabel(""), 1);
    EXPECT_EQ(ParseIsLabel("top: x"), 0);
}

}  // namespace
