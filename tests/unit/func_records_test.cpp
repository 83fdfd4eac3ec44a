// Line lists, function headers, the function record's line lists and the
// mapping of a failing line back to its source text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "func_support.h"
#include "parser/parser.h"
#include "system/workspace.h"
#include "values/values.h"

namespace {

class FuncRecords : public ::testing::Test {
protected:
    void SetUp() override { ZemInit(); }
};

TEST(FuncLineList, BufferIsReusedOnlyWhenStrictlyLonger) {
    zem_line* l = eLine_New();
    EXPECT_EQ(l->len, -1);
    EXPECT_EQ(l->tag, -1);
    char* first = eLine_copy0(l, "abc");
    EXPECT_EQ(l->len, 3);
    EXPECT_EQ(eLine_copy0(l, "ab"), first);  // 3 is not below 3: reused
    EXPECT_EQ(l->len, 3);
    EXPECT_STREQ(l->text, "ab");
    eLine_copy0(l, "xyz");  // 3 is below 4: a new buffer
    EXPECT_STREQ(l->text, "xyz");
    eLine_copy0(l, "");
    EXPECT_STREQ(l->text, "");
    eLine_adde(l, "more text");
    EXPECT_STREQ(l->text, "xyzmore text" + 3);
    eLine_free(l);
}

TEST(FuncLineList, EmptyTextGetsOneByteAndFreeTakesAllNodes) {
    zem_line* l = eLine_New();
    eLine_copy0(l, "");
    EXPECT_EQ(l->len, 0);
    EXPECT_EQ(l->text[0], 0);
    zem_line* list = MakeList({"a", "b", "c"});
    eLine_free(list);  // the sanitizer build checks nothing leaks
    eLine_free(l);
}

struct HeaderCase {
    const char* header;
    i64 rc, valence, nright;
    std::vector<std::string> names;  // entered, in order
    const char* result;              // nullptr: none
    const char* left;
    const char* right;
};

TEST_F(FuncRecords, HeadersFillTheRowAndEnterTheirNamesInOrder) {
    const HeaderCase cases[] = {
        {"r<-a f b;x;y", 0, 2, 1, {"r", "a", "b", "x", "y"}, "r", "a", "b"},
        {"f (a;b;c)", 0, 1, 3, {"a", "b", "c"}, nullptr, nullptr, "a"},
        {"f", 0, 0, 0, {}, nullptr, nullptr, nullptr},
        {"r<-f", 0, 0, 0, {"r"}, "r", nullptr, nullptr},
        {"z<-f x;[]IO", 0, 1, 1, {"z", "x", "[]IO"}, "z", nullptr, "x"},
        {"r<f x", 11, 0, 0, {}, nullptr, nullptr, nullptr},
        {"a g x", 12, 0, 0, {}, nullptr, nullptr, nullptr},
        {"a f", 16, 0, 0, {}, nullptr, nullptr, nullptr},
        {"f x y", 16, 0, 0, {}, nullptr, nullptr, nullptr},
        {"r<-", 8, 0, 0, {}, nullptr, nullptr, nullptr},
        {"f (a;b", 12, 0, 0, {}, nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        i64 g = Enter("f", 'F');
        i64 row = gnametable[g].index;
        i64 before = lstnx;
        ASSERT_EQ(FnHead("f", row, c.header, (i64)strlen(c.header) + 1), c.rc);
        if (c.rc) continue;
        const func_entry& f = functable[row];
        EXPECT_EQ(f.valence, c.valence);
        EXPECT_EQ(f.nright, c.nright);
        ASSERT_EQ(lstnx - before, (i64)c.names.size());
        for (size_t i = 0; i < c.names.size(); i++) {
            FnGetFullname(before + 1 + (i64)i, 'N');
            EXPECT_EQ(std::string(namep), c.names[i]);
        }
        if (c.names.empty()) {
            EXPECT_EQ(f.hdrmark, -1);
            EXPECT_EQ(f.hdrlast, -1);
        } else {
            EXPECT_EQ(f.hdrmark, before);
            EXPECT_EQ(f.hdrlast, lstnx);
        }
        auto name_of = [](i64 e) { return std::string(e >= 0 ? nametable[e].name : ""); };
        EXPECT_EQ(name_of(f.result), c.result ? c.result : "");
        if (c.left) {
            EXPECT_EQ(name_of(f.left), c.left);
        }
        if (c.right) {
            EXPECT_EQ(name_of(f.right), c.right);
        }
    }
}

TEST_F(FuncRecords, DefinitionMakesAFunctionOnceAndRedefinitionKeepsTheRow) {
    i64 row = FnLine0("z<-f x");
    ASSERT_GE(row, FIRSTFN);
    ASSERT_NE(functable[row].func, nullptr);
    EXPECT_STREQ(FunGetLn0(functable[row].func)->text, "z<-f x");
    EXPECT_EQ(FnLine0("z<-a f b"), row);
    EXPECT_EQ(functable[row].valence, 2);
    EXPECT_STREQ(FunGetLn0(functable[row].func)->text, "z<-a f b");
    // A failing header leaves the row as it was.
    EXPECT_EQ(FnLine0("f x;1"), -1);
    EXPECT_EQ(functable[row].valence, 2);
    EXPECT_STREQ(FunGetLn0(functable[row].func)->text, "z<-a f b");
    // A failing header of a new name leaves no function behind.
    i64 gx = lstgx, fx = lstfx;
    EXPECT_EQ(FnLine0("newf x;"), -1);
    EXPECT_EQ(lstgx, gx);
    EXPECT_EQ(lstfx, fx);
    EXPECT_EQ(FnFindName("newf", 'G'), -1);
}

TEST_F(FuncRecords, TrimmingDropsBlankAndCommentLinesAndTagsTheSourceLine) {
    i64 row = FnLine0("z<-f x");
    zem_func* f = functable[row].func;
    FunInitLine(f);
    for (const char* l : {"  // note", "", "  a<-x   // why", "z<-a"}) FunAddLine(f, l);
    EXPECT_EQ(f->nsrc, 5);
    ASSERT_EQ(FunTrimLine(f), 3);
    const char* texts[] = {"z<-f x", "a<-x", "z<-a"};
    i64 tags[] = {0, 3, 4};
    for (i64 i = 0; i < 3; i++) {
        zem_line* l = FunNthLine(f->trim, i);
        EXPECT_STREQ(l->text, texts[i]);
        EXPECT_EQ(l->tag, tags[i]);
    }
    // Redefining with fewer lines reuses the nodes; only the counts change.
    FunInitLine(f);
    FunAddLine(f, "z<-x");
    EXPECT_EQ(FunTrimLine(f), 2);
    EXPECT_STREQ(FunNthLine(f->trim, 1)->text, "z<-x");
    EXPECT_NE(FunNthLine(f->trim, 2), nullptr);
}

TEST_F(FuncRecords, AHeaderOnlyFunctionHasOneSourceAndOneTrimmedLine) {
    i64 row = FnLine0("g");
    zem_func* f = functable[row].func;
    FunInitLine(f);
    EXPECT_EQ(f->nsrc, 1);
    EXPECT_EQ(FunTrimLine(f), 1);
    EXPECT_STREQ(FunLineIndex(f, 0), "");  // no executable lines yet
}

struct MapCase {
    std::vector<std::string> source;
    std::vector<std::pair<std::string, i64>> exec;  // text, trimmed-line tag
    i64 line, col;
    const char* text;  // expected source text
    i64 newcol;
};

TEST_F(FuncRecords, AnExecutableLineMapsBackToItsSourceTextAndColumn) {
    const MapCase cases[] = {
        // The generated condition of an if: the caret lands on the condition.
        {{"r<-f x", "if (x>0) y<-1"},
         {{"r<-f x", 0}, {"->(~x>0)/L0", 1}, {"y<-1", 1}},
         1,
         5,
         "if (x>0) y<-1",
         5},
        // The same with comments and blank lines before it.
        {{"r<-f x", "// c", "", "  while (i<3) i<-i+1"},
         {{"r<-f x", 0}, {"L0:->(~i<3)/L1", 1}},
         1,
         8,
         "while (i<3) i<-i+1",
         8},
        // A plain line with a trailing comment.
        {{"r<-f x", "   r<-x+1 // c"}, {{"r<-f x", 0}, {"r<-x+1", 1}}, 1, 4, "r<-x+1 // c", 4},
        // The then-part of an if sits after the condition.
        {{"r<-f x", "if (x) y<-1+'a'"},
         {{"r<-f x", 0}, {"->(~x)/L0", 1}, {"y<-1+'a'", 1}},
         2,
         3,
         "if (x) y<-1+'a'",
         10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        i64 row = FnLine0(c.source[0].c_str());
        zem_func* f = functable[row].func;
        FunInitLine(f);
        for (size_t i = 1; i < c.source.size(); i++) FunAddLine(f, c.source[i].c_str());
        FunTrimLine(f);
        zem_line* ex = MakeList({});
        zem_line* at = ex;
        for (const auto& e : c.exec) {
            at->next = eLine_New();
            at = at->next;
            eLine_copy0(at, e.first.c_str());
            at->tag = e.second;
        }
        f->nexec = FunCopyLines(f->exec, ex, (i64)c.exec.size());
        eLine_free(ex);
        i64 col = c.col;
        EXPECT_STREQ(FunErrLineOld(f, c.line, &col), c.text);
        EXPECT_EQ(col, c.newcol);
        EXPECT_STREQ(FunLineIndex(f, c.line), c.exec[(size_t)c.line].first.c_str());
        EXPECT_STREQ(FunLineIndex(f, (i64)c.exec.size()), "");
    }
}

TEST_F(FuncRecords, SourceLineForTheStructureErrorAndTheNameBeyondTheCount) {
    i64 row = FnLine0("s");
    zem_func* f = functable[row].func;
    FunInitLine(f);
    FunAddLine(f, "   if (x");
    EXPECT_STREQ(FunErrLineStr(f, 1), "if (x");
    EXPECT_STREQ(FunErrLineStr(f, 2), "s");
    EXPECT_STREQ(FunErrLineStr(f, -1), "s");
}

TEST_F(FuncRecords, ScriptFormAndWorkspaceFormRoundTrip) {
    i64 row = FnLine0("z<-f x");
    zem_func* f = functable[row].func;
    FunInitLine(f);
    FunAddLine(f, "z<-x+1 // one more");
    FunTrimLine(f);
    char* buf = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buf, &size);
    FunOutput(f, out);
    fclose(out);
    EXPECT_EQ(std::string(buf), "@.z<-f x\nz<-x+1 // one more\n@.\n\n");
    free(buf);
    FILE* tmp = tmpfile();
    EXPECT_EQ(FunSerialize(f, tmp, true), 0);
    rewind(tmp);
    zem_func back;
    EXPECT_EQ(FunSerialize(&back, tmp, false), 0);
    fclose(tmp);
    EXPECT_STREQ(back.name, "f");
    EXPECT_EQ(back.nsrc, 2);
    EXPECT_EQ(back.ntrim, 2);
    EXPECT_STREQ(FunNthLine(back.src, 1)->text, "z<-x+1 // one more");
    EXPECT_STREQ(FunNthLine(back.trim, 1)->text, "z<-x+1");
    EXPECT_EQ(FunNthLine(back.trim, 1)->tag, 1);
    eLine_free(back.src);
    eLine_free(back.trim);
    eLine_free(back.exec);
}

// A record as the workspace file holds it: the text line, then each line's
// tag, length (4 bytes, little-endian) and text.
static std::string Record(const std::string& head,
                          const std::vector<std::pair<int, std::string>>& lines) {
    std::string out = head;
    for (const auto& [tag, text] : lines) {
        for (uint32_t w : {static_cast<uint32_t>(tag), static_cast<uint32_t>(text.size())})
            for (int k = 0; k < 4; k++) out += static_cast<char>(w >> (8 * k) & 0xff);
        out += text;
    }
    return out;
}

static void FreeLists(zem_func* f) {
    eLine_free(f->src);
    eLine_free(f->trim);
    eLine_free(f->exec);
}

// Reads a record from bytes; its result and, when it reads, the record.
static i64 ReadRecord(const std::string& bytes, zem_func* f) {
    FILE* tmp = tmpfile();
    fwrite(bytes.data(), 1, bytes.size(), tmp);
    rewind(tmp);
    i64 rc = FunSerialize(f, tmp, false);
    fclose(tmp);
    return rc;
}

TEST_F(FuncRecords, WorkspaceFormIsLittleEndianAndDamageIsAnError) {
    std::string good = Record("g 0 2 1 0 ", {{0, "z<-g x"}, {1, "z<-x"}, {0, "z<-g x"}});
    zem_func f;
    ASSERT_EQ(ReadRecord(good, &f), 0);
    EXPECT_STREQ(f.name, "g");
    EXPECT_EQ(f.nsrc, 2);
    EXPECT_EQ(f.ntrim, 1);
    EXPECT_STREQ(FunNthLine(f.src, 1)->text, "z<-x");
    EXPECT_EQ(FunNthLine(f.src, 1)->tag, 1);
    EXPECT_EQ(f.append, FunNthLine(f.src, 1));
    FreeLists(&f);
    // A tag whose first byte is a blank still follows the counts' one blank.
    ASSERT_EQ(ReadRecord(Record("h 0 1 0 0 ", {{32, "h"}}), &f), 0);
    EXPECT_EQ(FunNthLine(f.src, 0)->tag, 32);
    FreeLists(&f);
    const std::string damaged[] = {
        good.substr(0, good.size() - 1),  // text cut short
        good.substr(0, 14),               // cut inside a length
        good.substr(0, 10),               // no lines at all
        Record("g 0 -1 0 0 ", {}),        // negative count
        Record("g 0 1 0 0", {}),          // no blank after the counts
        Record("g 0 1", {}),              // counts missing
        Record("g 0 1 0 0 ", {{0, ""}}).replace(14, 4, "\xff\xff\xff\x7f"),  // length past the end
        Record("g 0 1 0 0 ", {{0, ""}}).replace(14, 4, "\xfe\xff\xff\xff"),  // negative length
        Record("g 0 2000000000 0 0 ", {{0, "x"}}),  // more lines than bytes
    };
    for (const std::string& bytes : damaged) {
        zem_func d;
        EXPECT_EQ(ReadRecord(bytes, &d), 301) << bytes.size();
        FreeLists(&d);
    }
}

}  // namespace
