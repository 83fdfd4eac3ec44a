// Branch statements inside a function: the branch record, its label list
// and the tree of the condition; and leading labels.
#include <vector>

#include "parser_fixture.h"

namespace {

class BranchTest : public ParserTest {
protected:
    i64 row = -1;
    void SetUp() override {
        ParserTest::SetUp();
        row = MakeFunction("f", {{"L1", 3}, {"L2", 5}, {"L3", 7}});
        ParseText("x<-1", row, 1);  // x becomes a local variable of f
    }
};

// The labels of the overflow list starting at i, up to the -1 ending it.
std::vector<i64> ListAt(i64 i) {
    std::vector<i64> v;
    if (i < 0) return v;
    while (overflow[i] != -1) v.push_back(overflow[i++]);
    return v;
}

struct BranchCase {
    const char* text;
    i64 next, target;
    std::vector<i64> list;
    bool tree;
};

TEST_F(BranchTest, BranchRecords) {
    const i64 LINE = 2;
    const BranchCase cases[] = {
        {"->0", -1, 0, {}, false},
        {"->L1", -1, 3, {}, false},
        {"->x", -1, -100, {}, true},
        {"->'L1'", -1, -100, {}, true},
        {"->x[1]", -1, -100, {}, true},
        {"->x[1;x]", -1, -100, {}, true},
        {"->x/L1", LINE + 1, 3, {}, true},
        {"->x/L1,L2,0", LINE + 1, 3, {5, 0}, true},
        {"->x[1]/L2", LINE + 1, 5, {}, true},
        {"->(x>0)", -1, -100, {}, true},
        {"->(x>0)/L1", LINE + 1, 3, {}, true},
        {"->(x>0)/L1,L2", LINE + 1, 3, {5}, true},
        {"->(x)#L2", LINE + 1, 5, {}, true},
        {"->(x)^.L2", LINE + 1, 5, {}, true},
        {"->(x)!.L2", 5, LINE + 1, {}, true},
        {"->(L1,L2)[x]", 3, 5, {}, true},
        {"->(L1,L2,L3)[x]", LINE + 1, 3, {5, 7}, true},
        {"->(0,L2)[x]", 0, 5, {}, true},
        {"->L1 *! x>0", LINE + 1, 3, {}, true},
        {"->L2 * x", 0, 5, {}, true},
        {"->0 * x", -1, 0, {}, true},
        {"->0 , x", -1, 0, {}, true},
        {"->L1,# x", -1, 3, {}, true},
    };
    for (auto& c : cases) {
        Parsed p = ParseText(c.text, row, LINE);
        ASSERT_EQ(p.rc, 0) << c.text;
        ASSERT_GE(p.out[2], 1) << c.text;
        const br_entry& b = brtable[p.out[2]];
        EXPECT_EQ(b.next, c.next) << c.text;
        EXPECT_EQ(b.target, c.target) << c.text;
        EXPECT_EQ(ListAt(b.list), c.list) << c.text;
        EXPECT_EQ(p.out[0] >= 0, c.tree) << c.text;
        if (c.tree) {
            EXPECT_EQ(PNode(p.out[0]).parent, -1) << c.text;
        }
    }
}

TEST_F(BranchTest, ShapesOfBranchTrees) {
    Parsed p = ParseText("->(L1,L2,L3)[x>0]", row, 2);
    ASSERT_EQ(p.rc, 0);
    i64 f1 = p.out[0];
    EXPECT_EQ(CodeOf(f1), 1);
    EXPECT_EQ(PNode(Fn(f1).left).kind, 0);
    EXPECT_EQ(CodeOf(Fn(f1).right), 19);
    EXPECT_NE(p.out[1], f1);  // evaluation starts inside the condition

    p = ParseText("->x[1]", row, 2);
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(CodeOf(p.out[0]), 1);
    EXPECT_EQ(PNode(Fn(p.out[0]).left).kind, 'V');
}

TEST_F(BranchTest, StarBangFollowsTheOrigin) {
    vtable[SLOT_IO].dim0 = 0;
    Parsed p = ParseText("->L1 *! x>0", row, 2);
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(brtable[p.out[2]].target, 0);
    EXPECT_EQ(brtable[p.out[2]].next, 3);
    p = ParseText("->L1 +! x>0", row, 2);
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(brtable[p.out[2]].target, 3);
    EXPECT_EQ(brtable[p.out[2]].next, 3);
    vtable[SLOT_IO].dim0 = 1;
    EXPECT_EQ(ParseText("->L1 +! x>0", row, 2).rc, 45);
}

TEST_F(BranchTest, BranchErrors) {
    struct Err {
        const char* text;
        i64 err;
        i64 col;
    } cases[] = {
        {"->5", 44, 2},        {"-> L1", 44, 2},    {"->[1]", 45, 2},     {"->L1 ?", 45, 5},
        {"->x/zz", 45, 4},     {"->x/L1 3", 45, 7}, {"->f", 45, 2},       {"->(x>0)/", 45, 8},
        {"->(x>0)?L1", 45, 7}, {"->(x>0", 22, 6},   {"->(L1,L2)", 45, 8}, {"->(L1,L2)[x", 21, 11},
        {"->x[1;2;3]", 44, 7}, {"->x[L1]", 45, 4},  {"->0 *", 22, 5},     {"->(L1)[x]", 45, 5},
        {"->(x;1)/L1", 12, 4},
    };
    for (auto& c : cases) {
        Parsed p = ParseText(c.text, row, 2);
        EXPECT_EQ(p.rc, c.err) << c.text;
        EXPECT_EQ(p.col, c.col) << c.text;
    }
}

TEST_F(BranchTest, BranchOverflowListIsBounded) {
    i64 rc = 0;
    for (int i = 0; i < 200 && rc == 0; i++) rc = ParseText("->x/L1,L2,L3", row, 2).rc;
    EXPECT_EQ(rc, E_TABLE_FULL);
    EXPECT_LE(nxtovx, OVSIZE);
}

TEST_F(BranchTest, LeadingLabelIsSkipped) {
    i64 n = lstndx;
    Parsed p = ParseText("L2: x+1", row, 5);
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(CodeOf(p.out[0]), 45);
    EXPECT_GT(p.out[0], n);
    p = ParseText("L3:", row, 7);
    EXPECT_EQ(p.rc, 0);
    EXPECT_EQ(p.out[0], -1);
}

}  // namespace
