// The value printer and the matrix layout on values built directly in
// slots, with standard output captured.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "display/display.h"
#include "scalar/scalar.h"
#include "system/system.h"

namespace {

constexpr i64 TEMP = 4;  // a temporary slot to print from

std::string Captured(const std::function<void()>& run) {
    fflush(stdout);
    FILE* file = tmpfile();
    int saved = dup(1);
    dup2(fileno(file), 1);
    run();
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    std::string out;
    rewind(file);
    for (int c; (c = fgetc(file)) != EOF;) out += (char)c;
    fclose(file);
    return out;
}

val_item Vector(i64 type, const void* data, i64 count) {
    return val_item{type, 1, count, 0, 0, count, 0, (char*)data};
}
val_item Matrix(i64 type, const void* data, i64 rows, i64 cols) {
    return val_item{type, 2, rows, cols, 0, rows * cols, 0, (char*)data};
}
val_item Scalar(i64 type, i64 word) { return val_item{type, 0, word, 0, 0, 1, 0, nullptr}; }
val_item List(const val_item* items, i64 count) {
    return val_item{TLIST, 1, count, 0, 64 * count, count, 0, (char*)items};
}

std::vector<i64> Iota(i64 n, i64 from = 1) {
    std::vector<i64> v;
    for (i64 i = 0; i < n; i++) v.push_back(from + i);
    return v;
}

std::string Blanks(size_t n) { return std::string(n, ' '); }
const std::string NOTICE_END = " more>, TRY []<-v to output all ...";

class DisplayPrinter : public ::testing::Test {
protected:
    val_item savedpp, savedtemp, saved2, saved3;
    i64 savedlstvx;
    void SetUp() override {
        savedpp = vtable[SLOT_PP];
        savedtemp = vtable[TEMP];
        saved2 = vtable[2];
        saved3 = vtable[3];
        savedlstvx = lstvx;
        vtable[SLOT_PP] = Scalar(TINT, 10);
        lstvx = 17;
        PRINT_OFF = false;
        CleanEPf();
    }
    void TearDown() override {
        vtable[SLOT_PP] = savedpp;
        vtable[TEMP] = savedtemp;
        vtable[2] = saved2;
        vtable[3] = saved3;
        lstvx = savedlstvx;
        GM_free();
    }
    // Output of printing v from a slot (mode 0), or from a constant (mode 1).
    std::string Print(val_item v, i64 slot = TEMP, i64* rc = nullptr) {
        vtable[slot] = v;
        i64 r = 0;
        std::string out = Captured([&] { r = GenOutpt(0, slot); });
        if (rc) *rc = r;
        else EXPECT_EQ(r, 0);
        return out;
    }
};

// Every line of the output is at most width columns.
void ExpectLinesWithin(const std::string& out, size_t width) {
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos) end = out.size();
        EXPECT_LE(end - start, width) << out.substr(start, end - start);
        start = end + 1;
    }
}

TEST_F(DisplayPrinter, Scalars) {
    complex2 z{1, -2};
    val_item cz{TCPLX, 0, 0, 0, 0, 1, 0, nullptr};
    memcpy(&cz.dim0, &z, sizeof z);
    double f = -0.0;
    val_item cf = Scalar(TFLOAT, 0);
    memcpy(&cf.dim0, &f, sizeof f);
    struct {
        val_item v;
        const char* out;
    } cases[] = {
        {Scalar(TINT, -5), "_5\n"},
        {Scalar(TBOOL, 1), "1\n"},
        {Scalar(TINT, INT64_MIN), "0n\n"},
        {cf, "_0\n"},
        {cz, "1j_2\n"},
        {Scalar(TCHAR, 'x'), "x\n"},
        {Scalar(TSYM, getsymbol("new york")), "`'new york'\n"},
        {Scalar(TDATE, 20150810), "2015.08.10\n"},
        {Scalar(TMONTH, 201508), "2015.08m\n"},
        // A one-element vector prints like its scalar.
        {val_item{TSYM, 1, getsymbol("a"), 0, 0, 1, 0, nullptr}, "`a\n"},
    };
    for (auto& c : cases) EXPECT_EQ(Print(c.v), c.out);
}

TEST_F(DisplayPrinter, ConstantsPrintLikeSlots) {
    i64 saved = lstcx;
    lstcx = 21;
    val_item savedc = ctable[21];
    static const i64 data[] = {1, 2, 3, 4};
    ctable[21] = Matrix(TINT, data, 2, 2);
    std::string out = Captured([] { EXPECT_EQ(GenOutpt(1, 21), 0); });
    EXPECT_EQ(out, "1 2\n3 4\n");
    ctable[21] = savedc;
    lstcx = saved;
}

TEST_F(DisplayPrinter, VectorWrapsAtColumn107) {
    std::vector<i64> v = Iota(40);
    std::string first = "1 2 3 4 5 6 7 8 9";
    for (int i = 10; i <= 39; i++) first.append(" ").append(std::to_string(i));
    ASSERT_EQ(first.size(), 107u);
    EXPECT_EQ(Print(Vector(TINT, v.data(), 40)), first + "\n" + Blanks(6) + "40\n");
}

TEST_F(DisplayPrinter, LongVectorsAreCutWithNotice) {
    std::vector<i64> ints = Iota(150);
    std::string out = Print(Vector(TINT, ints.data(), 150));
    EXPECT_NE(out.find(" 100\n... <50" + NOTICE_END + "\n"), std::string::npos) << out;
    EXPECT_EQ(out.find(" 101"), std::string::npos);
    ExpectLinesWithin(out, 107);

    std::vector<i64> syms(120, getsymbol("s"));
    out = Print(Vector(TSYM, syms.data(), 120));
    EXPECT_NE(out.find("`s\n... <20" + NOTICE_END + "\n"), std::string::npos) << out;
}

TEST_F(DisplayPrinter, SlotTwoIsNeverCut) {
    std::vector<i64> ints = Iota(1000);
    std::string out = Print(Vector(TINT, ints.data(), 1000), 2);
    EXPECT_EQ(out.find("more>"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 6), " 1000\n");
    ExpectLinesWithin(out, 107);

    std::string text(500, 'c');
    out = Print(Vector(TCHAR, text.data(), 500), 2);
    EXPECT_EQ(out, text.substr(0, 107) + "\n" + Blanks(6) + text.substr(0, 101) + "\n" + Blanks(6) +
                       text.substr(0, 101) + "\n" + Blanks(6) + text.substr(0, 101) + "\n" +
                       Blanks(6) + text.substr(0, 90) + "\n");
}

TEST_F(DisplayPrinter, ComplexVectorsAreNeverCut) {
    std::vector<complex2> z(200, complex2(1, 1));
    std::string out = Print(Vector(TCPLX, z.data(), 200));
    EXPECT_EQ(out.find("more>"), std::string::npos);
    size_t items = 0;
    for (size_t at = 0; (at = out.find("1j1", at)) != std::string::npos; at += 3) items++;
    EXPECT_EQ(items, 200u);
}

TEST_F(DisplayPrinter, CharacterVectors) {
    std::string t;
    for (int i = 0; i < 350; i++) t += (char)('a' + i % 26);
    struct {
        size_t n;
        std::string out;
    } cases[] = {
        {107, t.substr(0, 107) + "\n"},
        {108, t.substr(0, 107) + "\n" + Blanks(6) + t.substr(107, 1) + "\n"},
        {350, t.substr(0, 107) + "\n" + Blanks(6) + t.substr(107, 101) + "\n" + Blanks(6) +
                  t.substr(208, 92) + "\n... <50" + NOTICE_END + "\n"},
    };
    for (auto& c : cases) EXPECT_EQ(Print(Vector(TCHAR, t.data(), (i64)c.n)), c.out) << c.n;
}

TEST_F(DisplayPrinter, SlotThreeOwesItsLineEnd) {
    static const i64 data[] = {1, 2, 3};
    EXPECT_EQ(Print(Vector(TINT, data, 3), 3), "1 2 3");
    EXPECT_EQ(fgrtn, 1);
    EXPECT_EQ(Print(Vector(TINT, data, 3)), "1 2 3\n");
    EXPECT_EQ(fgrtn, 0);
}

TEST_F(DisplayPrinter, EmptyValues) {
    i64 shape[] = {0, 4, -1};
    i64* savedglist = glist;
    glist = shape;
    struct {
        val_item v;
        const char* out;
    } cases[] = {
        {Vector(TINT, nullptr, 0), "\n"},
        {Vector(TCHAR, nullptr, 0), "\n"},
        {List(nullptr, 0), "\n"},
        {Matrix(TINT, nullptr, 3, 0), "\n\n\n"},
        {Matrix(TINT, nullptr, 0, 3), ""},
        // 2 by 0 by 4: one empty line per row of the first two axes... cut at the 0.
        {val_item{TINT, 3, 2, 0, 0, 0, 0, nullptr}, "\n\n"},
    };
    for (auto& c : cases) EXPECT_EQ(Print(c.v), c.out);
    glist = savedglist;
}

TEST_F(DisplayPrinter, UndefinedValueAndPrintOff) {
    val_item none{};
    none.rank = -1;
    i64 rc = 0;
    EXPECT_EQ(Print(none, TEMP, &rc), "");
    EXPECT_EQ(rc, 4);
    EXPECT_EQ(errchk, 4);
    PRINT_OFF = true;
    EXPECT_EQ(Print(Scalar(TINT, 5), TEMP, &rc), "");
    EXPECT_EQ(rc, 0);
    PRINT_OFF = false;
}

TEST_F(DisplayPrinter, EnumerationWithoutADomainShowsItsStoredIndexes) {
    // No variable is named by the domain's symbol: every item is out of range.
    i64 words[4] = {getsymbol("nodomain"), 0, 1, 2};
    i64 rc = 0;
    val_item v{TENUM, 1, 2, 0, 32, 2, 0, (char*)words};
    EXPECT_EQ(Print(v, TEMP, &rc), "`nodomain:1 2\n");
    EXPECT_EQ(rc, 0);
}

TEST_F(DisplayPrinter, NestedLists) {
    static const i64 v123[] = {1, 2, 3};
    static const char text[] = "hello";
    val_item inner[2] = {Vector(TINT, v123, 3), Scalar(TINT, 5)};
    val_item outer[2] = {List(inner, 2), Scalar(TINT, 4)};
    EXPECT_EQ(Print(List(outer, 2)), "<<1 2 3\n <5\n<4\n");

    val_item mixed[3] = {Vector(TCHAR, text, 5), Scalar(TSYM, getsymbol("x")), List(nullptr, 0)};
    EXPECT_EQ(Print(List(mixed, 3)), "<hello\n<`x\n");
}

TEST_F(DisplayPrinter, DeepListsKeepEveryLevel) {
    // Every level passes its items through the same borrowed slot; the
    // levels above must still see their own items afterwards.
    val_item d3[2] = {Scalar(TINT, 1), Scalar(TINT, 2)};
    val_item d2[2] = {List(d3, 2), Scalar(TINT, 3)};
    val_item d1[3] = {List(d2, 2), Scalar(TINT, 4), List(d3, 2)};
    val_item sentinel = Scalar(TINT, 77);
    vtable[lstvx + 1] = sentinel;
    EXPECT_EQ(Print(List(d1, 3)), " <<1\n  <2\n <3\n<4\n<<1\n <2\n");
    EXPECT_EQ(memcmp(&vtable[lstvx + 1], &sentinel, sizeof sentinel), 0);
    EXPECT_EQ(outdp, 0);
}

TEST_F(DisplayPrinter, ListItemLinesCountFromAfterTheirPrefix) {
    std::vector<i64> v = Iota(40);
    val_item items[2] = {Vector(TINT, v.data(), 40), Scalar(TINT, 5)};
    std::string first = "<1 2 3 4 5 6 7 8 9";
    for (int i = 10; i <= 39; i++) first.append(" ").append(std::to_string(i));
    EXPECT_EQ(Print(List(items, 2)), first + "\n" + Blanks(7) + "40\n<5\n");
}

TEST_F(DisplayPrinter, DeepNestingNeverStalls) {
    // 120 levels: deeper than a line is wide. Lines shrink to one character;
    // the text ends on a full continuation line, so the value's line end
    // leaves one empty line.
    std::vector<val_item> levels(120);
    static const char text[] = "abc";
    levels[119] = Vector(TCHAR, text, 3);
    for (int i = 118; i >= 0; i--) levels[i] = List(&levels[i + 1], 1);
    std::string out = Print(levels[0]);
    EXPECT_EQ(out, Blanks(117) + "<<a\n" + Blanks(125) + "b\n" + Blanks(125) + "c\n\n");
}

TEST_F(DisplayPrinter, IntegerMatrix) {
    static const i64 data[] = {1, 2, 3, 10, 20, 30};
    EXPECT_EQ(Print(Matrix(TINT, data, 2, 3)), " 1  2  3\n10 20 30\n");
}

TEST_F(DisplayPrinter, FloatMatrixAlignsOnThePoint) {
    static const double data[] = {1.5, 2.25, 10, 3};
    EXPECT_EQ(Print(Matrix(TFLOAT, data, 2, 2)), " 1.5 2.25\n10   3   \n");
    static const double whole[] = {1, 10};
    EXPECT_EQ(Print(Matrix(TFLOAT, whole, 2, 1)), " 1\n10\n");
    static const double mixed[] = {-0.5, 1e-7, 100, 2.5};
    EXPECT_EQ(Print(Matrix(TFLOAT, mixed, 2, 2)), " _0.5 1e_7  \n100      2.5\n");
}

TEST_F(DisplayPrinter, ComplexMatrixAlignsOnTheJ) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    static complex2 data[4];
    data[0] = {1, 2};
    data[1] = {nan, 0};
    data[2] = {10, 0};
    data[3] = {1.5, -2.25};
    EXPECT_EQ(Print(Matrix(TCPLX, data, 2, 2)), " 1j2  0nj     \n10   1.5j_2.25\n");
}

TEST_F(DisplayPrinter, SymbolMatrixPadsLeftAligned) {
    i64 data[] = {getsymbol("a"), getsymbol("xyz"), getsymbol("bc"), getsymbol("q")};
    EXPECT_EQ(Print(Matrix(TSYM, data, 2, 2)), "`a  `xyz\n`bc `q  \n");
}

TEST_F(DisplayPrinter, CharacterAndDateMatrices) {
    static const char text[] = "abcdef";
    EXPECT_EQ(Print(Matrix(TCHAR, text, 2, 3)), "abc\ndef\n");
    std::string row(150, 'r');
    std::string rows = row + row;
    EXPECT_EQ(Print(Matrix(TCHAR, rows.data(), 2, 150)),
              row.substr(0, 107) + "\n" + Blanks(6) + row.substr(0, 43) + "\n" +
                  row.substr(0, 107) + "\n" + Blanks(6) + row.substr(0, 43) + "\n");
    static const i64 dates[] = {20150810, 20000229, 19991231, 21001231};
    EXPECT_EQ(Print(Matrix(TDATE, dates, 2, 2)), "2015.08.10 2000.02.29\n1999.12.31 2100.12.31\n");
}

TEST_F(DisplayPrinter, RankThreePrintsPlanes) {
    i64 shape[] = {2, 2, -1};
    i64* savedglist = glist;
    glist = shape;
    std::vector<i64> data = Iota(8);
    val_item v{TINT, 3, 2, 0, 0, 8, 0, (char*)data.data()};
    EXPECT_EQ(Print(v), "1 2\n3 4\n\n5 6\n7 8\n");
    glist = savedglist;
}

TEST_F(DisplayPrinter, MatrixRowsCutAtThirty) {
    std::vector<i64> data = Iota(80);
    std::string all;
    for (int i = 0; i < 40; i++) {
        char line[16];
        snprintf(line, sizeof line, "%2d %2d\n", 2 * i + 1, 2 * i + 2);
        all += line;
    }
    std::string thirty = all.substr(0, 30 * 6);
    thirty.pop_back();
    EXPECT_EQ(Print(Matrix(TINT, data.data(), 40, 2)), thirty + "\n... <10" + NOTICE_END + "\n");
    EXPECT_EQ(Print(Matrix(TINT, data.data(), 40, 2), 2), all);
}

TEST_F(DisplayPrinter, EveryPlaneIsCutByItself) {
    i64 shape[] = {50, 2, -1};
    i64* savedglist = glist;
    glist = shape;
    std::vector<i64> data(300, 7);
    val_item v{TINT, 3, 3, 0, 0, 300, 0, (char*)data.data()};
    std::string out = Print(v);
    size_t notices = 0;
    for (size_t at = 0; (at = out.find("<20 more>", at)) != std::string::npos; at++) notices++;
    EXPECT_EQ(notices, 3u);
    glist = savedglist;
}

TEST_F(DisplayPrinter, WideRowsWrapWithinTheLine) {
    std::vector<i64> data = Iota(30, 1000);
    std::string first = "1000";
    for (int i = 1001; i <= 1020; i++) first.append(" ").append(std::to_string(i));
    std::string rest = Blanks(6) + "1021";
    for (int i = 1022; i <= 1029; i++) rest.append(" ").append(std::to_string(i));
    EXPECT_EQ(Print(Matrix(TINT, data.data(), 1, 30)), first + "\n" + rest + "\n");
    std::vector<double> floats(40, 1234.5);
    ExpectLinesWithin(Print(Matrix(TFLOAT, floats.data(), 1, 40)), 106);
}

TEST_F(DisplayPrinter, MatrixInsideList) {
    static const i64 data[] = {1, 2, 3, 4};
    val_item items[2] = {Matrix(TINT, data, 2, 2), Scalar(TINT, 9)};
    EXPECT_EQ(Print(List(items, 2)), "<1 2\n 3 4\n<9\n");
}

TEST_F(DisplayPrinter, RawDump) {
    static const i64 data[] = {1, 2, 3, 4};
    vtable[TEMP] = Matrix(TINT, data, 2, 2);
    EXPECT_EQ(Captured([] { ChkValue(TEMP, 0); }), "dim0=2, dim1=2\n\n 1 2\n 3 4");
    vtable[TEMP] = Vector(TINT, nullptr, 0);
    EXPECT_EQ(Captured([] { ChkValue(TEMP, 0); }), "targ=4 , type=1, dim=1 , lgth=0\n");
    vtable[TEMP] = Scalar(TCHAR, 'k');
    EXPECT_EQ(Captured([] { ChkValue(TEMP, 0); }), " k");
}

}  // namespace
