// The small checks on lists and columns, the null test, and the row count
// of a dictionary's values as table columns.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dict/dictparts.h"
#include "dict_support.h"
#include "workspace_fixture.h"

namespace {

class DictChecks : public FreshWorkspace {
protected:
    Held h;
    void TearDown() override { GM_free(); }
};

TEST_F(DictChecks, ListSameIsTheTypeAllItemsShare) {
    val_item empty = h.List({});
    EXPECT_EQ(ListSame(&empty), -1);
    val_item texts = h.List({h.Text("ab"), h.Text("c")});
    EXPECT_EQ(ListSame(&texts), TCHAR);
    val_item mixed = h.List({h.Text("ab"), h.Ints({1})});
    EXPECT_EQ(ListSame(&mixed), -1);
    val_item notlist = h.Ints({1, 2});
    EXPECT_EQ(ListSame(&notlist), -1);
}

TEST_F(DictChecks, JudgelistIsTheCommonRowCount) {
    struct Case {
        std::vector<val_item> items;
        i64 want;
    } cases[] = {
        {{}, 0},
        {{h.Ints({1, 2, 3}), h.Text("abc")}, 3},
        {{h.Ints({1, 2, 3}), h.Ints({1, 2})}, -1},
        {{h.Matrix({"ab", "cd"}), h.Ints({1, 2})}, 2},  // a matrix by rows
        {{h.Ints({7})}, 1},
    };
    for (const Case& c : cases) {
        val_item l = h.List(c.items);
        EXPECT_EQ(judgelist(&l), c.want);
    }
    val_item notlist = h.Ints({1, 2});
    EXPECT_EQ(judgelist(&notlist), -1);
    // A character array of rank 3 has no row count: the next item's counts.
    val_item cube = h.Text("abcdefgh");
    cube.rank = 3;
    val_item l = h.List({cube, h.Ints({1, 2})});
    EXPECT_EQ(judgelist(&l), 2);
    val_item last = h.List({h.Ints({1, 2}), cube});
    EXPECT_EQ(judgelist(&last), -1);
    val_item alone = h.List({cube});
    EXPECT_EQ(judgelist(&alone), 0);
}

TEST_F(DictChecks, ChkDictValWantsEqualCounts) {
    val_item same = h.List({h.Ints({1, 2}), h.Text("ab"), h.Floats({1, 2})});
    EXPECT_EQ(chk_dict_val(&same), 1);
    val_item differ = h.List({h.Ints({1, 2}), h.Text("abc")});
    EXPECT_EQ(chk_dict_val(&differ), 0);
    val_item empty = h.List({});
    EXPECT_EQ(chk_dict_val(&empty), 1);
}

TEST_F(DictChecks, VnullIsNaNOrTheEmptySymbol) {
    val_item f = h.Floats({1.5, std::nan(""), 0.0});
    EXPECT_EQ(Vnull(&f, 0), 0);
    EXPECT_EQ(Vnull(&f, 1), 1);
    EXPECT_EQ(Vnull(&f, 2), 0);
    val_item s = h.Ints({3, 0}, TSYM);
    EXPECT_EQ(Vnull(&s, 0), 0);
    EXPECT_EQ(Vnull(&s, 1), 1);
    val_item i = h.Ints({INT64_MIN, 0});
    EXPECT_EQ(Vnull(&i, 0), 0);  // the integer null is not null here
    EXPECT_EQ(Vnull(&i, 1), 0);
    val_item one = h.Floats({std::nan("")});
    EXPECT_EQ(Vnull(&one, 0), 1);
    EXPECT_EQ(Vnull(&f, 9), 0);  // past the end: nothing
}

TEST_F(DictChecks, ChkFtabValOnPlainColumns) {
    struct Case {
        val_item a, b;
        i64 want;
    } cases[] = {
        {h.Ints({1, 2}), h.Ints({3}), 0},
        {h.Ints({1, 2}), h.Floats({3.5}), 0},  // numeric types mix
        {h.Ints({1}, TBOOL), h.Cplx({1, 2}), 0},
        {h.Ints({1}, TSYM), h.Ints({1}), 7},
        {h.Text("ab"), h.Ints({1}), 7},
        {h.List({h.Text("ab")}), h.List({h.Text("c")}), 0},
        {h.Ints({20200101}, TDATE), h.Ints({20200101}, TMONTH), 7},
    };
    for (const Case& c : cases) {
        val_item left = h.Columns({h.Ints({1}), c.a}, 1);
        val_item right = h.Columns({h.Ints({2}), c.b}, 1);
        EXPECT_EQ(chk_ftab_val(&left, &right, 2), c.want) << c.a.type << " " << c.b.type;
    }
}

TEST_F(DictChecks, Dic2TableGivesTheCommonRowCount) {
    struct Case {
        std::vector<val_item> items;
        i64 want, err;
    } cases[] = {
        {{h.Ints({1, 2, 3}), h.Ints({4, 5, 6})}, 3, 0},
        {{h.Ints({1, 2, 3}), h.Ints({4, 5})}, -1, 200},
        {{h.Ints({1, 2, 3}), h.Ints({7})}, 3, 0},
        {{h.Ints({7}), h.Text("q")}, 1, 0},
        {{h.Matrix({"ab", "cd"}), h.Ints({1, 2})}, 2, 0},
        {{h.List({h.Text("ab"), h.Text("c")}), h.Ints({1, 2})}, 2, 0},
        {{h.List({h.Ints({1, 2}), h.Ints({3})}), h.Ints({1, 2})}, -1, 1},
        {{}, -1, 1},
    };
    for (const Case& c : cases) {
        errchk = 0;
        val_item l = h.List(c.items);
        EXPECT_EQ(Dic2Table(&l), c.want);
        if (c.want < 0) {
            EXPECT_EQ(errchk, c.err);
        }
    }
}

}  // namespace
