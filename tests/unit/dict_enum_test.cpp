// Enumerations' domains found by name, the range and column checks they
// share, index-of on them, the reserved functions on constants, and the
// spare key hashes and small routines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "dict/dictparts.h"
#include "dict_support.h"
#include "scalar/scalar.h"
#include "values/fcodes.h"
#include "workspace_fixture.h"

namespace {

class DictEnum : public FreshWorkspace {
protected:
    Held h;
    void TearDown() override {
        GM_free();
        CleanEX(false);
    }
    // An enumeration over the domain named name, held by the test.
    val_item Enum(const char* name, const std::vector<i64>& idx) {
        std::vector<i64> words = {getsymbol(name), 0};
        words.insert(words.end(), idx.begin(), idx.end());
        val_item en = h.Ints(words);
        en.type = TENUM;
        en.count = en.dim0 = static_cast<i64>(idx.size());
        return en;
    }
};

// ---- domains by name --------------------------------------------------------------

TEST_F(DictEnum, DomainIsFoundByNameAndChecked) {
    ASSERT_EQ(RunLine("s<-`a`b`c"), 0);
    EnumDom d = EnumResolve(getsymbol("s"));
    ASSERT_GE(d.slot, 0);
    EXPECT_FALSE(d.keyed);
    EXPECT_EQ(d.count, 3);
    EXPECT_EQ(d.type, TSYM);
    EXPECT_EQ(DomainItems(d), Variable("s"));
    // A keyed table with one simple key column: its key column.
    ASSERT_EQ(RunLine("k<-([id<-1 2] v<-`x`y)"), 0);
    d = EnumResolve(getsymbol("k"));
    ASSERT_GE(d.slot, 0);
    EXPECT_TRUE(d.keyed);
    EXPECT_EQ(d.type, TINT);
    EXPECT_EQ(DomainItems(d)->count, 2);
    // Anything else is no domain: nothing is in range.
    const char* none[] = {"s<-1 2 3", "k<-([a<-1 2; b<-3 4] v<-5 6)", "k<-`a", "nosuch"};
    const char* names[] = {"s", "k", "k", "nosuch"};
    for (int c = 0; c < 4; c++) {
        if (c < 3) {
            ASSERT_EQ(RunLine(none[c]), 0) << none[c];
        }
        d = EnumResolve(getsymbol(names[c]));
        EXPECT_EQ(d.slot, -1) << none[c];
        EXPECT_EQ(d.count, 0) << none[c];
        EXPECT_EQ(DomainItems(d), nullptr) << none[c];
    }
}

TEST_F(DictEnum, ChkEnumWantsEveryIndexInRange) {
    struct Case {
        std::vector<i64> idx;
        i64 n, want;
    } cases[] = {
        {{}, 0, 1},  {{0, 1, 2}, 3, 1},   {{0, 3}, 3, 0},      {{2, -1}, 3, 0},
        {{0}, 0, 0}, {{INT64_MIN}, 5, 0}, {{INT64_MAX}, 5, 0}, {{4, 4, 4}, 5, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChkEnum(c.idx.data(), static_cast<i64>(c.idx.size()), c.n), c.want);
        EXPECT_EQ(isEnumOK(c.idx.data(), static_cast<i64>(c.idx.size()), c.n), c.want);
    }
}

TEST_F(DictEnum, ColumnChecksWithEnumerations) {
    ASSERT_EQ(RunLine("s<-`a`b`c"), 0);
    ASSERT_EQ(RunLine("u<-`x`y"), 0);
    i64 a = getsymbol("a"), c = getsymbol("c"), x = getsymbol("x");
    struct Case {
        const char* what;
        val_item left, right;
        i64 want;
    } cases[] = {
        {"one domain", Enum("s", {0, 1}), Enum("s", {2}), 0},
        {"two domains", Enum("s", {0}), Enum("u", {0}), E_DOMAIN},
        {"symbols of the domain", Enum("s", {0}), h.Ints({c, a}, TSYM), 0},
        {"a symbol outside it", Enum("s", {0}), h.Ints({a, x}, TSYM), E_ENUM_DOMAIN},
        {"another item type", Enum("s", {0}), h.Ints({1, 2}), E_TYPE},
        {"grown from plain symbols", h.Ints({a, c}, TSYM), Enum("s", {1}), 0},
        {"plain symbols outside it", h.Ints({x}, TSYM), Enum("s", {1}), E_ENUM_DOMAIN},
        {"plain integers", h.Ints({1}), Enum("s", {1}), E_TYPE},
        {"no domain", Enum("nosuch", {0}), h.Ints({a}, TSYM), E_ENUM_DOMAIN},
        {"plain columns", h.Ints({1}), h.Floats({2.5}), 0},
        {"plain columns of two kinds", h.Ints({1}), h.Ints({a}, TSYM), E_TYPE},
    };
    for (Case& k : cases) {
        val_item l = h.List({k.left}), r = h.List({k.right});
        errchk = 0;
        EXPECT_EQ(chk_ftab_val(&l, &r, 1), k.want) << k.what;
        EXPECT_EQ(errchk, k.want) << k.what;
    }
    // Integers are not symbols, nor booleans integers, for a keyed domain.
    ASSERT_EQ(RunLine("k<-([id<-1 2 3] v<-4 5 6)"), 0);
    val_item en = Enum("k", {0});
    val_item ints = h.Ints({3}), bools = h.Ints({1}, TBOOL), miss = h.Ints({9});
    val_item l = h.List({en});
    val_item r1 = h.List({ints}), r2 = h.List({bools}), r3 = h.List({miss});
    EXPECT_EQ(chk_ftab_val(&l, &r1, 1), 0);
    EXPECT_EQ(chk_ftab_val(&l, &r2, 1), E_TYPE);
    EXPECT_EQ(chk_ftab_val(&l, &r3, 1), E_ENUM_DOMAIN);
}

TEST_F(DictEnum, ComparisonReadsItemsWhereTheCollectorMovedThem) {
    // A dead block above the domain and the enumeration, and the arena filled
    // below them: the result's allocation starts a collection that slides
    // both up, over where they were.
    ASSERT_EQ(RunLine("x<-60000#'a'"), 0);
    ASSERT_EQ(RunLine("s<-`a`b`c"), 0);
    ASSERT_EQ(RunLine("e<-`s:2000#`c`a"), 0);
    ASSERT_EQ(RunLine("x<-0"), 0);
    i64 vx = lstvx + 1;
    for (; r15 - stacktop > 2 * 60032; vx++) {
        vtable[vx].type = TCHAR;
        ASSERT_EQ(Updatead0(vx, TCHAR, 1, 59999), 0);
        std::memset(vtable[vx].data, 'b', 59999);
    }
    vtable[vx].type = TCHAR;
    ASSERT_EQ(Updatead0(vx, TCHAR, 1, r15 - stacktop - 10000), 0);
    std::memset(vtable[vx].data, 'b', vtable[vx].count);
    i64 c = CTSIZE - 1, res = 4;
    ctable[c] = val_item{TSYM, 0, getsymbol("c"), 0, 0, 1, 0, nullptr};
    const char* before = Variable("e")->data;
    ASSERT_EQ(PfCompb(FC_EQ, res, -1, Variable("e") - vtable, c, -1), 0);
    EXPECT_NE(Variable("e")->data, before);  // the collection did move it
    const i64* out = static_cast<const i64*>(getptV(&vtable[res]));
    for (i64 k = 0; k < 2000; k++) ASSERT_EQ(out[k], k % 2 == 0) << k;
    ctable[c] = val_item{};
}

TEST_F(DictEnum, IndexOfKeepsTheFirstItemPerDomainPosition) {
    // The enumeration holds c a c a b over `a`b`c.
    ASSERT_EQ(RunLine("s<-`a`b`c"), 0);
    ASSERT_EQ(RunLine("e<-`s:`c`a`c`a`b"), 0);
    ASSERT_EQ(RunLine("w<-`b`c`a`d"), 0);
    i64 en = Variable("e") - vtable, want = Variable("w") - vtable, res = 4;
    ASSERT_EQ(EnumIdxof(res, -1, en, -1, want, SLOT_IO), 0);
    const i64* out = static_cast<const i64*>(getptV(&vtable[res]));
    EXPECT_EQ(std::vector<i64>(out, out + 4), (std::vector<i64>{5, 1, 2, 6}));
    // Without its domain nothing is found.
    ASSERT_EQ(RunLine("s<-5"), 0);
    ASSERT_EQ(EnumIdxof(res, -1, en, -1, want, SLOT_IO), 0);
    out = static_cast<const i64*>(getptV(&vtable[res]));
    EXPECT_EQ(std::vector<i64>(out, out + 4), (std::vector<i64>{6, 6, 6, 6}));
}

// ---- reserved functions ----------------------------------------------------------------

TEST_F(DictEnum, TablesAreDescribedOnlyFromValueSlots) {
    ASSERT_EQ(RunLine("t<-([] a<-1 2)"), 0);
    i64 c = CTSIZE - 1, res = 4;
    ctable[c] = *Variable("t");  // the same table, held as a constant
    EXPECT_EQ(PfMeta(res, c, -1), E_TYPE);
    EXPECT_EQ(PfCols(res, c, -1), 0);
    EXPECT_EQ(vtable[res].type, TINT);
    EXPECT_EQ(vtable[res].count, 0);
    EXPECT_EQ(PfCols(res, -1, Variable("t") - vtable), 0);
    EXPECT_EQ(vtable[res].type, TSYM);
    EXPECT_EQ(vtable[res].count, 1);
    ctable[c] = val_item{};
}

// ---- spare key hashes ----------------------------------------------------------------

TEST_F(DictEnum, HashDicListAddsWrappingTerms) {
    // c_0 = 0x7FED7FED doubles from one element to the next, modulo 2^64:
    // from the 34th element on its top bits have left the word.
    std::vector<i64> x(100);
    for (i64 k = 0; k < 100; k++) x[k] = k * 7 - 50;
    val_item v = h.Ints(x);
    uint64_t c = 0x7FED7FED, sum = 0;
    for (i64 k = 0; k < 100; k++, c <<= 1) sum += c + static_cast<uint64_t>(x[k]);
    EXPECT_EQ(hash_dic_list(&v), sum);
    // Floats count by the integer part of 1000 x; NaN and infinities alike.
    val_item f = h.Floats({1.2345, -0.0015});
    EXPECT_EQ(hash_dic_list(&f), 0x7FED7FEDULL + 1234 + 2 * 0x7FED7FEDULL - 1);
    val_item odd = h.Floats({std::nan(""), INFINITY, 1e300});
    val_item same = h.Floats({-INFINITY, std::nan(""), -1e300});
    EXPECT_EQ(hash_dic_list(&odd), hash_dic_list(&same));
    // A list adds its items' hashes; a character counts by its byte.
    val_item t = h.Text("ab");
    EXPECT_EQ(hash_dic_list(&t), 0x7FED7FEDULL + 'a' + 2 * 0x7FED7FEDULL + 'b');
    val_item l = h.List({v, t});
    EXPECT_EQ(hash_dic_list(&l), sum + hash_dic_list(&t));
}

TEST_F(DictEnum, DictHashAgreesWithALinearSearch) {
    std::mt19937_64 rng(99);
    const i64 n = 500, m = 300;
    for (i64 type : {TINT, TFLOAT, TCHAR, TSYM}) {
        std::vector<char> keys(n * 8), wanted(m * 8);
        i64 w = ElemWidth(type);
        for (i64 k = 0; k < n * w; k++) keys[k] = static_cast<char>(rng() % 40);
        for (i64 k = 0; k < m * w; k++) wanted[k] = static_cast<char>(rng() % 40);
        // Some wanted keys are keys for sure.
        for (i64 j = 0; j < m; j += 3) std::memcpy(&wanted[j * w], &keys[(rng() % n) * w], w);
        std::vector<i64> slots(get_prime(n)), out(m);
        hash_dict(keys.data(), n, type, slots.data());
        for (i64 j = 0; j < m; j++) {
            i64 first = -1;
            for (i64 k = 0; k < n && first < 0; k++)
                if (std::memcmp(&keys[k * w], &wanted[j * w], w) == 0) first = k;
            i64 one;
            errchk = 0;
            i64 e = dict_hash(&wanted[j * w], keys.data(), type, 1, n, slots.data(), &one, 1);
            if (first < 0) {
                EXPECT_EQ(e, E_INDEX) << type << " " << j;
            } else {
                EXPECT_EQ(e, 0) << type << " " << j;
                EXPECT_EQ(one, first + 1) << type << " " << j;
            }
        }
    }
    // List keys compare whole items.
    val_item items[] = {h.Text("ab"), h.Ints({1, 2}), h.Text("ab"), h.Ints({3})};
    std::vector<i64> slots(get_prime(4));
    hash_dict(items, 4, TLIST, slots.data());
    val_item want[] = {h.Ints({3}), h.Text("ab")};
    i64 out[2];
    ASSERT_EQ(dict_hash(want, items, TLIST, 2, 4, slots.data(), out, 0), 0);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[1], 0);
}

TEST_F(DictEnum, PfTableKIndexSearchesKeyRows) {
    val_item cols =
        h.Columns({h.Ints({1, 1, 2, 2}),
                   h.Ints({getsymbol("a"), getsymbol("b"), getsymbol("a"), getsymbol("b")}, TSYM)},
                  4);
    struct Case {
        const char* what;
        val_item key;
        i64 row, err;
    } cases[] = {
        {"first column and second", h.List({h.Ints({2}), h.Ints({getsymbol("b")}, TSYM)}), 3, 0},
        {"the first row", h.List({h.Ints({1}), h.Ints({getsymbol("a")}, TSYM)}), 0, 0},
        {"no such row", h.List({h.Ints({3}), h.Ints({getsymbol("a")}, TSYM)}), -1, E_INDEX},
        {"one value short", h.List({h.Ints({1})}), -1, E_LENGTH},
        {"a value of several elements", h.List({h.Ints({1, 2}), h.Ints({getsymbol("a")}, TSYM)}),
         -1, E_LENGTH},
        {"a value of another type", h.List({h.Floats({1}), h.Ints({getsymbol("a")}, TSYM)}), -1,
         E_TYPE},
    };
    for (Case& c : cases) {
        errchk = 0;
        EXPECT_EQ(PfTableKIndex(&cols, &c.key), c.row) << c.what;
        if (c.err) {
            EXPECT_EQ(errchk, c.err) << c.what;
        }
    }
    // One column: a simple key of one element; floats compare exactly.
    val_item fcol = h.Columns({h.Floats({0.5, 1.0, 1.0})}, 3);
    val_item one = h.Floats({1.0}), near = h.Floats({1.0000000000001});
    EXPECT_EQ(PfTableKIndex(&fcol, &one), 1);
    EXPECT_EQ(PfTableKIndex(&fcol, &near), -1);
}

TEST_F(DictEnum, IsnuReadsNullAndInfinityLiterals) {
    struct Case {
        const char* text;
        i64 at, want, next;
    } cases[] = {
        {"0n", 0, 1, 2},   {"0w", 0, 2, 2},   {"_0n", 0, 1, 3}, {"_0w", 0, 2, 3},
        {"x 0w", 2, 2, 4}, {"0x", 0, 0, 0},   {"_", 0, 0, 0},   {"", 0, 0, 0},
        {"1n", 0, 0, 0},   {"__0n", 0, 0, 0}, {"0", 0, 0, 0},   {"_0", 0, 0, 0},
    };
    for (const Case& c : cases) {
        i64 pos = c.at;
        EXPECT_EQ(isnu0(c.text, &pos), c.want) << c.text;
        EXPECT_EQ(pos, c.want ? c.next : c.at) << c.text;
    }
}

}  // namespace
