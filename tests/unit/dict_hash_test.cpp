// The hashed lookups of the dictionary code, each against a plain linear
// search on random data with repeats, NaN, signed zeros and infinities;
// keys hash like the rows they equal, for every kind of column.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dict/dictparts.h"
#include "dict_support.h"
#include "workspace_fixture.h"

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
const double NaN = std::nan("");

class DictHash : public FreshWorkspace {
protected:
    Held h;
    std::mt19937_64 rng{12345};
    void TearDown() override { GM_free(); }
    i64 Pick(i64 n) { return static_cast<i64>(rng() % static_cast<uint64_t>(n)); }
    double PickDouble() {
        static const double pool[] = {0.0, -0.0,   NaN,    INF,    -INF, 1e300, -1e300, 1e-300,
                                      0.5, 1.0004, 1.0001, 4.5e15, 1e18, 2.0,   -3.25};
        return pool[Pick(sizeof pool / sizeof pool[0])];
    }
    std::string PickText() {
        static const char* pool[] = {"", "a", "ab", "ba", "abc", "\xc8", "x y", "zz"};
        return pool[Pick(8)];
    }
};

bool SameDouble(double a, double b) { return a == b; }  // NaN equals nothing

// ---- slot array sizes ------------------------------------------------------------

TEST_F(DictHash, SlotArraysAreTwiceAListEntryAndGrowPastTheList) {
    EXPECT_EQ(get_prime(0), 14);
    EXPECT_EQ(get_prime(6), 14);
    EXPECT_EQ(get_prime(7), 34);
    EXPECT_EQ(get_prime(4710), 2 * 4711);
    EXPECT_EQ(get_prime(4711), 2 * 10949);
    EXPECT_EQ(get_prime(5614656), 2 * 5614657);
    for (i64 n : {5614657LL, 6000000LL, 123456789LL}) EXPECT_GT(get_prime(n), 2 * n) << n;
}

// ---- positions among keys ----------------------------------------------------------

template <class T, class Eq>
std::vector<i64> Linear(const std::vector<T>& keys, const std::vector<T>& wanted, Eq eq) {
    std::vector<i64> out;
    for (const T& w : wanted) {
        i64 k = 0;
        while (k < static_cast<i64>(keys.size()) && !eq(keys[k], w)) k++;
        out.push_back(k);
    }
    return out;
}

TEST_F(DictHash, WordKeysAgreeWithALinearSearch) {
    for (i64 type : {TINT, TSYM, TDATE}) {
        std::vector<i64> keys(3000), wanted(700);
        for (i64& k : keys) k = Pick(400) - 200;
        for (i64& w : wanted) w = Pick(500) - 250;
        keys[7] = INT64_MIN;
        wanted[3] = INT64_MIN;
        wanted[4] = INT64_MAX;
        val_item K = h.Ints(keys, type), W = h.Ints(wanted, type);
        std::vector<i64> got(wanted.size());
        ASSERT_TRUE(KeyPositions(&K, &W, got.data()));
        EXPECT_EQ(got, Linear(keys, wanted, [](i64 a, i64 b) { return a == b; })) << type;
    }
}

TEST_F(DictHash, FloatKeysAgreeWithALinearSearch) {
    std::vector<double> keys(2000), wanted(600);
    for (double& k : keys) k = PickDouble() * (1 + Pick(3));
    for (double& w : wanted) w = PickDouble() * (1 + Pick(3));
    val_item K = h.Floats(keys), W = h.Floats(wanted);
    std::vector<i64> got(wanted.size());
    ASSERT_TRUE(KeyPositions(&K, &W, got.data()));
    EXPECT_EQ(got, Linear(keys, wanted, SameDouble));
}

TEST_F(DictHash, CharacterAndComplexKeysAgreeWithALinearSearch) {
    std::string keys, wanted;
    for (int k = 0; k < 300; k++) keys += static_cast<char>(Pick(256));
    for (int k = 0; k < 300; k++) wanted += static_cast<char>(Pick(256));
    val_item K = h.Text(keys), W = h.Text(wanted);
    std::vector<i64> got(wanted.size());
    ASSERT_TRUE(KeyPositions(&K, &W, got.data()));
    EXPECT_EQ(got, Linear(std::vector<char>(keys.begin(), keys.end()),
                          std::vector<char>(wanted.begin(), wanted.end()),
                          [](char a, char b) { return a == b; }));

    std::vector<double> kp, wp;
    for (int k = 0; k < 2000; k++) kp.push_back(PickDouble());
    for (int k = 0; k < 400; k++) wp.push_back(PickDouble());
    val_item KC = h.Cplx(kp), WC = h.Cplx(wp);
    std::vector<i64> cgot(wp.size() / 2);
    ASSERT_TRUE(KeyPositions(&KC, &WC, cgot.data()));
    for (size_t w = 0; w < cgot.size(); w++) {
        size_t k = 0;
        while (k < kp.size() / 2 && !(kp[2 * k] == wp[2 * w] && kp[2 * k + 1] == wp[2 * w + 1]))
            k++;
        EXPECT_EQ(cgot[w], static_cast<i64>(k)) << w;
    }
}

TEST_F(DictHash, ListKeysAnswerWithTheEntryThatHoldsTheKey) {
    // Entries: 10, `a, 'xy', 20, `b, 10, 1.5, ,7 (a one-element vector).
    std::vector<val_item> entries = {h.Ints({10}),    h.Ints({1}, TSYM), h.Text("xy"),
                                     h.Ints({20}),    h.Ints({2}, TSYM), h.Ints({10}),
                                     h.Floats({1.5}), h.Ints({7})};
    val_item keys = h.List(entries);
    val_item w = h.Ints({20, 10, 7, 3});
    std::vector<i64> got(4);
    EXPECT_EQ(dict_indx0(&keys, &w, got.data(), 1, false), 0);
    EXPECT_EQ(got, (std::vector<i64>{4, 1, 8, 9}));  // origin 1; 3 is missing
    val_item s = h.Ints({2, 1}, TSYM);
    EXPECT_EQ(dict_indx0(&keys, &s, got.data(), 0, true), 0);
    EXPECT_EQ(got[0], 4);
    EXPECT_EQ(got[1], 1);
    EXPECT_EQ(dict_indx0(&keys, &w, got.data(), 0, true), 25);
    val_item c = h.Text("x");
    EXPECT_EQ(dict_indx0(&keys, &c, got.data(), 0, false), 0);
    EXPECT_EQ(got[0], 8);  // 'xy' is one entry, not the character x
}

TEST_F(DictHash, AMissingKeyIsPositionNOrErrorByTheFlag) {
    val_item keys = h.Floats({1.5, 2.5});
    val_item w = h.Floats({2.5, 9});
    val_item s = h.Ints({1}, TSYM);
    std::vector<i64> got(2);
    EXPECT_EQ(dict_indx0(&keys, &w, got.data(), 0, false), 0);
    EXPECT_EQ(got, (std::vector<i64>{1, 2}));
    EXPECT_EQ(dict_indx0(&keys, &w, got.data(), 0, true), 25);
    EXPECT_EQ(dict_indx0(&keys, &s, got.data(), 1, false), 0);
    EXPECT_EQ(got[0], 3);  // another type: missing too
    EXPECT_EQ(dict_indx0(&keys, &s, got.data(), 1, true), 25);
}

// ---- rows of tables --------------------------------------------------------------------

// A random table of six column kinds over small pools, so rows repeat.
struct RandomTable {
    std::vector<i64> ints, syms;
    std::vector<double> floats, cplx;
    std::vector<std::string> texts, rows;
    val_item cols;
};

RandomTable MakeTable(Held& h, std::mt19937_64& rng, i64 n, double (*pickd)(std::mt19937_64&),
                      std::string (*pickt)(std::mt19937_64&)) {
    RandomTable t;
    std::vector<val_item> items;
    for (i64 r = 0; r < n; r++) {
        t.ints.push_back(static_cast<i64>(rng() % 3));
        t.syms.push_back(static_cast<i64>(rng() % 2) + 1);
        t.floats.push_back(pickd(rng));
        t.cplx.push_back(pickd(rng));
        t.cplx.push_back(rng() % 2 ? 0.0 : -0.0);
        t.texts.push_back(pickt(rng));
        t.rows.push_back(rng() % 2 ? "pq" : "qp");
    }
    for (const auto& s : t.texts) items.push_back(h.Text(s));
    std::vector<val_item> cols = {h.Ints(t.ints), h.Ints(t.syms, TSYM), h.Floats(t.floats),
                                  h.List(items),  h.Matrix(t.rows),     h.Cplx(t.cplx)};
    t.cols = h.Columns(cols, n);
    return t;
}

double PoolDouble(std::mt19937_64& rng) {
    static const double pool[] = {0.0, -0.0, NaN, INF, -1.5};
    return pool[rng() % 5];
}
std::string PoolText(std::mt19937_64& rng) {
    static const char* pool[] = {"a", "", "ab"};
    return pool[rng() % 3];
}

bool RowsEqual(const RandomTable& a, i64 r, const RandomTable& b, i64 s) {
    return a.ints[r] == b.ints[s] && a.syms[r] == b.syms[s] && a.floats[r] == b.floats[s] &&
           a.cplx[2 * r] == b.cplx[2 * s] && a.cplx[2 * r + 1] == b.cplx[2 * s + 1] &&
           a.texts[r] == b.texts[s] && a.rows[r] == b.rows[s];
}

TEST_F(DictHash, RowLookupFindsTheEarliestEqualRow) {
    RandomTable left = MakeTable(h, rng, 400, PoolDouble, PoolText);
    RandomTable right = MakeTable(h, rng, 300, PoolDouble, PoolText);
    RowIndex x;
    RowIndexBuild(&x, &left.cols, 6, 400);
    i64 found = 0;
    for (i64 s = 0; s < 300; s++) {
        i64 want = -1;
        for (i64 r = 0; r < 400 && want < 0; r++)
            if (RowsEqual(left, r, right, s)) want = r;
        EXPECT_EQ(RowIndexRow(&x, &right.cols, s), want) << s;
        found += want >= 0;
    }
    EXPECT_GT(found, 20);  // the pools make plenty of matches
}

TEST_F(DictHash, UniqueRowsAgreeWithAComparisonOfEveryPair) {
    for (i64 n : {1, 2, 5, 12, 40}) {
        for (int trial = 0; trial < 30; trial++) {
            RandomTable t = MakeTable(h, rng, n, PoolDouble, PoolText);
            bool unique = true;
            for (i64 a = 0; a < n && unique; a++)
                for (i64 b = a + 1; b < n && unique; b++) unique = !RowsEqual(t, a, t, b);
            EXPECT_EQ(isValUQ(&t.cols, n, 6), unique ? 1 : 0) << n;
        }
    }
    val_item nan2 = h.Columns({h.Floats({NaN, NaN})}, 2);
    EXPECT_EQ(isValUQ(&nan2, 2, 1), 1);
    val_item zeros = h.Columns({h.Floats({0.0, -0.0})}, 2);
    EXPECT_EQ(isValUQ(&zeros, 2, 1), 0);
}

TEST_F(DictHash, SlotsThatCannotBeHadAreWorkspaceFull) {
#if !defined(__SANITIZE_ADDRESS__)  // its allocator ends the process instead
    // Rows enough for a slot array of 32 TiB; the column is never read.
    const i64 huge = (i64)1 << 40;
    val_item cols = h.Columns({h.Floats({1.0, 2.0})}, 2);
    errchk = 0;
    EXPECT_EQ(NewRowsUnique(&cols, 1, 2, 2 + huge), -1);
    EXPECT_EQ(errchk, E_WS_FULL);
    errchk = 0;
    EXPECT_EQ(isValUQ(&cols, huge, 1), -1);
    EXPECT_EQ(errchk, E_WS_FULL);
    errchk = 0;
#endif
    val_item more = h.Columns({h.Floats({1.0, 2.0, 3.0, 1.0})}, 4);
    EXPECT_EQ(NewRowsUnique(&more, 1, 2, 3), 1);
    EXPECT_EQ(NewRowsUnique(&more, 1, 2, 4), 0);
    EXPECT_EQ(UniqueError(1), 0);
    EXPECT_EQ(UniqueError(0), E_TABLE_COLUMN_MISSING);
    EXPECT_EQ(UniqueError(-1), E_WS_FULL);
}

// Every row of a one-column table against a key equal to its cell.
void KeyHashesLikeRow(const val_item& col, const std::vector<val_item>& keys, Held& h) {
    val_item cols = h.Columns({col}, static_cast<i64>(keys.size()));
    for (size_t r = 0; r < keys.size(); r++) {
        EXPECT_EQ(ValueHash(&keys[r]), RowHash(&cols, 1, static_cast<i64>(r)))
            << col.type << " " << r;
        EXPECT_TRUE(RowIsKey(&cols, 1, static_cast<i64>(r), &keys[r])) << col.type << " " << r;
    }
}

TEST_F(DictHash, KeysHashLikeTheRowsTheyEqualForEveryColumnKind) {
    KeyHashesLikeRow(h.Ints({5, -7, INT64_MIN}), {h.Ints({5}), h.Ints({-7}), h.Ints({INT64_MIN})},
                     h);
    KeyHashesLikeRow(h.Ints({0, 1}, TBOOL), {h.Ints({0}, TBOOL), h.Ints({1}, TBOOL)}, h);
    KeyHashesLikeRow(h.Ints({3, 4}, TSYM), {h.Ints({3}, TSYM), h.Ints({4}, TSYM)}, h);
    KeyHashesLikeRow(h.Ints({20240229, 19991231}, TDATE),
                     {h.Ints({20240229}, TDATE), h.Ints({19991231}, TDATE)}, h);
    KeyHashesLikeRow(h.Floats({0.0, -0.0, INF, 1e300}),
                     {h.Floats({-0.0}), h.Floats({0.0}), h.Floats({INF}), h.Floats({1e300})}, h);
    KeyHashesLikeRow(h.Text("ab\xc8"), {h.Text("a"), h.Text("b"), h.Text("\xc8")}, h);
    KeyHashesLikeRow(h.Matrix({"xy", "zw"}), {h.Text("xy"), h.Text("zw")}, h);
    KeyHashesLikeRow(h.List({h.Text("abc"), h.Text(""), h.Text("q")}),
                     {h.Text("abc"), h.Text(""), h.Text("q")}, h);
    KeyHashesLikeRow(h.Cplx({1, 2, 0.0, -0.0}), {h.Cplx({1, 2}), h.Cplx({-0.0, 0.0})}, h);
    // Several columns: the key is a list of one value per column.
    val_item cols =
        h.Columns({h.Ints({1, 2}), h.List({h.Text("ab"), h.Text("c")}), h.Floats({0.0, 2})}, 2);
    val_item key = h.List({h.Ints({2}), h.Text("c"), h.Floats({2})});
    EXPECT_EQ(ValueHash(&key), RowHash(&cols, 3, 1));
    EXPECT_TRUE(RowIsKey(&cols, 3, 1, &key));
    EXPECT_FALSE(RowIsKey(&cols, 3, 0, &key));
}

TEST_F(DictHash, KeySearchOverKeyColumnsAgreesWithALinearSearch) {
    RandomTable t = MakeTable(h, rng, 200, PoolDouble, PoolText);
    // Keys of two columns (integer, text): a list of such keys.
    val_item two = h.Columns({ItemOf(&t.cols, 0)[0], ItemOf(&t.cols, 3)[0]}, 200);
    std::vector<val_item> keys;
    std::vector<i64> want;
    for (int k = 0; k < 50; k++) {
        i64 n = static_cast<i64>(rng() % 3);
        std::string s = PoolText(rng);
        keys.push_back(h.List({h.Ints({n}), h.Text(s)}));
        i64 r = 0;
        while (r < 200 && !(t.ints[r] == n && t.texts[r] == s)) r++;
        ASSERT_LT(r, 200);  // all 9 pairs occur among 200 rows
        want.push_back(r);
    }
    val_item all = h.List(keys);
    i64* rows;
    i64 n;
    bool single;
    ASSERT_EQ(SearchKeys(&rows, &n, &single, &two, 200, &all), 0);
    EXPECT_FALSE(single);
    EXPECT_EQ(std::vector<i64>(rows, rows + n), want);
    val_item missing = h.List({h.Ints({9}), h.Text("a")});
    EXPECT_EQ(SearchKeys(&rows, &n, &single, &two, 200, &missing), 37);
    val_item some = h.List({keys[0], missing});
    EXPECT_EQ(SearchKeys(&rows, &n, &single, &two, 200, &some), 38);
    val_item three = h.List({h.Ints({1}), h.Text("a"), h.Ints({2})});
    EXPECT_EQ(SearchKeys(&rows, &n, &single, &two, 200, &three), 3);
}

TEST_F(DictHash, SelectionByValuesAgreesWithALinearSearch) {
    std::vector<i64> col(500), keys(40);
    for (i64& c : col) c = Pick(100);
    for (i64& k : keys) k = Pick(150);
    val_item C = h.Ints(col), K = h.Ints(keys);
    std::vector<i64> flags(500, 0);
    ASSERT_EQ(findsameitem(flags.data(), 500, &C, &K), 0);
    for (i64 r = 0; r < 500; r++) {
        bool in = std::find(keys.begin(), keys.end(), col[r]) != keys.end();
        EXPECT_EQ(flags[r], in ? 1 : 0) << r;
    }
    // A text column: a character vector is one text, a list gives several.
    val_item texts = h.List({h.Text("ab"), h.Text("a"), h.Text("b"), h.Text("ab")});
    val_item one = h.Text("ab");
    std::vector<i64> f(4, 0);
    ASSERT_EQ(findsameitem(f.data(), 4, &texts, &one), 0);
    EXPECT_EQ(f, (std::vector<i64>{1, 0, 0, 1}));
    val_item several = h.List({h.Text("b"), h.Ints({3}), h.Text("a")});
    std::fill(f.begin(), f.end(), 0);
    ASSERT_EQ(findsameitem(f.data(), 4, &texts, &several), 0);
    EXPECT_EQ(f, (std::vector<i64>{0, 1, 1, 0}));
    val_item dates = h.Ints({20200101, 20200102}, TDATE);
    val_item d = h.Ints({20200101}, TDATE);
    EXPECT_EQ(findsameitem(f.data(), 2, &dates, &d), 1);
}

}  // namespace
