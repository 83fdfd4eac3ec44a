// Take and drop called directly: counts, fills, rank-3 selections, lists,
// and the left operand left untouched.
#include "structural_support.h"

using V = std::vector<i64>;

TEST_F(Structural, TakeVectorCounts) {
    struct Case {
        i64 count;
        V want;
    } cases[] = {{3, {1, 2, 3}},
                 {-3, {3, 4, 5}},
                 {7, {1, 2, 3, 4, 5, 0, 0}},
                 {-7, {0, 0, 1, 2, 3, 4, 5}},
                 {0, {}}};
    for (const Case& c : cases) {
        Ints(A, {}, {c.count});
        Ints(B, {5}, {1, 2, 3, 4, 5});
        ASSERT_EQ(PfTake(RES, -1, A, -1, B, 1), 0) << c.count;
        EXPECT_EQ(WordsOf(RES), c.want) << c.count;
    }
}

TEST_F(Structural, TakeRank3PadsEveryAxis) {
    Ints(B, {2, 2, 2}, {1, 2, 3, 4, 5, 6, 7, 8});
    Ints(A, {3}, {3, 3, 3});
    ASSERT_EQ(PfTake(RES, -1, A, -1, B, 1), 0);
    EXPECT_EQ(Shape(RES), (V{3, 3, 3}));
    EXPECT_EQ(WordsOf(RES),
              (V{1, 2, 0, 3, 4, 0, 0, 0, 0, 5, 6, 0, 7, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    Ints(A, {3}, {-3, -3, -3});
    ASSERT_EQ(PfTake(RES, -1, A, -1, B, 1), 0);
    V w = WordsOf(RES);
    EXPECT_EQ(V(w.end() - 5, w.end()), (V{5, 6, 0, 7, 8}));
    EXPECT_EQ(w[13], 1);
}

// A last count of 0 gives the empty result with its full shape.
TEST_F(Structural, TakeRank3LastCountZero) {
    Ints(B, {2, 3, 4}, V(24, 9));
    Ints(A, {3}, {2, 3, 0});
    ASSERT_EQ(PfTake(RES, -1, A, -1, B, 1), 0);
    EXPECT_EQ(vtable[RES].count, 0);
    EXPECT_EQ(Shape(RES), (V{2, 3, 0}));
}

TEST_F(Structural, TakeDemotesWholeFloats) {
    Floats(B, {3}, {1.0, 2.5, 3.0});
    Ints(A, {}, {2});
    ASSERT_EQ(PfTake(RES, -1, A, -1, B, 1), 0);
    EXPECT_EQ(vtable[RES].type, TFLOAT);
    Ints(A, {}, {1});
    ASSERT_EQ(PfTake(RES, -1, A, -1, B, 1), 0);
    EXPECT_EQ(vtable[RES].type, TINT);
    EXPECT_EQ(WordsOf(RES), V{1});
}

TEST_F(Structural, TakeOfListPadsWithEmptyVectors) {
    Ints(C, {2}, {1, 2});
    Chars(B, {2}, "ab");
    List(C, {C, B});
    Ints(A, {}, {-3});
    ASSERT_EQ(PfTake(RES, -1, A, -1, C, 1), 0);
    ASSERT_EQ(vtable[RES].count, 3);
    EXPECT_EQ(Item(RES, 0)->type, TINT);
    EXPECT_EQ(Item(RES, 0)->count, 0);
    EXPECT_EQ(Item(RES, 2)->type, TCHAR);
}

TEST_F(Structural, TakeErrors) {
    Ints(B, {3, 4}, V(12, 1));
    Floats(A, {}, {2.0});
    EXPECT_EQ(PfTake(RES, -1, A, -1, B, 1), 1);
    Ints(A, {2, 2}, {1, 1, 1, 1});
    EXPECT_EQ(PfTake(RES, -1, A, -1, B, 1), 2);
    Ints(A, {3}, {1, 1, 1});
    EXPECT_EQ(PfTake(RES, -1, A, -1, B, 1), 3);
    Ints(A, {2}, {1, 1});
    Ints(B, {0, 3}, {});
    EXPECT_EQ(PfTake(RES, -1, A, -1, B, 1), 2);
}

// The counts are converted aside: a variable used as drop's left keeps its
// type and values whether the drop succeeds or fails.
TEST_F(Structural, DropLeavesCountsAlone) {
    Ints(B, {3, 4}, V(12, 1));
    Ints(A, {2}, {1, 1});
    ASSERT_EQ(PfDrop(RES, -1, A, -1, B), 0);
    EXPECT_EQ(Shape(RES), (V{2, 3}));
    EXPECT_EQ(WordsOf(A), (V{1, 1}));
    Ints(B, {5}, {1, 2, 3, 4, 5});
    EXPECT_EQ(PfDrop(RES, -1, A, -1, B), 3);
    EXPECT_EQ(WordsOf(A), (V{1, 1}));
    Floats(A, {}, {2.0});
    ASSERT_EQ(PfDrop(RES, -1, A, -1, B), 0);
    EXPECT_EQ(WordsOf(RES), (V{3, 4, 5}));
    EXPECT_EQ(vtable[A].type, TFLOAT);
    Floats(A, {}, {2.5});
    EXPECT_EQ(PfDrop(RES, -1, A, -1, B), 1);
}

TEST_F(Structural, DropCounts) {
    struct Case {
        i64 count;
        V want;
    } cases[] = {{2, {3, 4, 5}}, {-2, {1, 2, 3}}, {0, {1, 2, 3, 4, 5}}, {7, {}}, {-7, {}}};
    for (const Case& c : cases) {
        Ints(A, {}, {c.count});
        Ints(B, {5}, {1, 2, 3, 4, 5});
        ASSERT_EQ(PfDrop(RES, -1, A, -1, B), 0) << c.count;
        EXPECT_EQ(WordsOf(RES), c.want) << c.count;
    }
}
