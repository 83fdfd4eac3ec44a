// Reverse and rotate called directly: every axis form, lists, and the
// errors of rotate.
#include "structural_support.h"

using V = std::vector<i64>;

TEST_F(Structural, ReverseRank3EveryAxis) {
    V data(24);
    for (i64 k = 0; k < 24; k++) data[k] = k;
    struct Case {
        i64 code;
        i64 first;   // element 0 of the result
        i64 second;  // element 1
    } cases[] = {{34, 3, 2}, {38, 12, 13}, {89, 8, 9}, {90, 3, 2}};
    for (const Case& c : cases) {
        Ints(A, {2, 3, 4}, data);
        ASSERT_EQ(PfRevers(c.code, RES, -1, A), 0) << c.code;
        EXPECT_EQ(Shape(RES), (V{2, 3, 4}));
        V w = WordsOf(RES);
        EXPECT_EQ(w[0], c.first) << c.code;
        EXPECT_EQ(w[1], c.second) << c.code;
    }
    EXPECT_EQ(PfRevers(91, RES, -1, A), 30);
}

TEST_F(Structural, ReverseMatrixAxes) {
    Ints(A, {2, 3}, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(PfRevers(34, RES, -1, A), 0);
    EXPECT_EQ(WordsOf(RES), (V{3, 2, 1, 6, 5, 4}));
    ASSERT_EQ(PfRevers(38, RES, -1, A), 0);
    EXPECT_EQ(WordsOf(RES), (V{4, 5, 6, 1, 2, 3}));
    ASSERT_EQ(PfRevers(89, RES, -1, A), 0);
    EXPECT_EQ(WordsOf(RES), (V{3, 2, 1, 6, 5, 4}));
}

TEST_F(Structural, ReverseAndRotateListsCopyItems) {
    Ints(A, {}, {1});
    Ints(B, {2}, {2, 3});
    Chars(C, {1}, "x");
    List(23, {A, B, C});
    ASSERT_EQ(PfRevers(34, RES, -1, 23), 0);
    EXPECT_EQ(Item(RES, 0)->type, TCHAR);
    EXPECT_EQ(WordsOf(Item(RES, 1)), (V{2, 3}));
    EXPECT_NE(Item(RES, 1)->data, Item(23, 1)->data);
    Ints(A, {}, {1});
    ASSERT_EQ(PfRotate(35, RES, -1, A, -1, 23), 0);
    EXPECT_EQ(WordsOf(Item(RES, 0)), (V{2, 3}));
    EXPECT_EQ(Item(RES, 1)->type, TCHAR);
    EXPECT_EQ(WordsOf(Item(RES, 2)), V{1});
}

TEST_F(Structural, RotateVectorCounts) {
    struct Case {
        i64 count;
        V want;
    } cases[] = {{1, {2, 3, 4, 5, 1}},
                 {-1, {5, 1, 2, 3, 4}},
                 {7, {3, 4, 5, 1, 2}},
                 {0, {1, 2, 3, 4, 5}}};
    for (const Case& c : cases) {
        Ints(A, {}, {c.count});
        Ints(B, {5}, {1, 2, 3, 4, 5});
        ASSERT_EQ(PfRotate(35, RES, -1, A, -1, B), 0);
        EXPECT_EQ(WordsOf(RES), c.want) << c.count;
    }
}

TEST_F(Structural, RotateMatrixLines) {
    Ints(B, {2, 3}, {1, 2, 3, 4, 5, 6});
    Ints(A, {2}, {0, 1});
    ASSERT_EQ(PfRotate(35, RES, -1, A, -1, B), 0);
    EXPECT_EQ(WordsOf(RES), (V{1, 2, 3, 5, 6, 4}));
    Ints(A, {}, {1});
    ASSERT_EQ(PfRotate(39, RES, -1, A, -1, B), 0);
    EXPECT_EQ(WordsOf(RES), (V{4, 5, 6, 1, 2, 3}));
}

TEST_F(Structural, RotateErrors) {
    Ints(B, {2, 3}, {1, 2, 3, 4, 5, 6});
    Ints(A, {3}, {1, 2, 3});
    EXPECT_EQ(PfRotate(35, RES, -1, A, -1, B), 3);
    Chars(A, {}, "a");
    EXPECT_EQ(PfRotate(35, RES, -1, A, -1, B), 1);
    Ints(A, {2, 2}, {1, 1, 1, 1});
    Ints(B, {3}, {1, 2, 3});
    EXPECT_EQ(PfRotate(35, RES, -1, A, -1, B), 2);
    Ints(A, {}, {1});
    Ints(B, {2, 3, 4}, V(24, 0));
    EXPECT_EQ(PfRotate(98, RES, -1, A, -1, B), 30);
    Ints(B, {}, {5});
    EXPECT_EQ(PfRotate(39, RES, -1, A, -1, B), 30);
    ASSERT_EQ(PfRotate(35, RES, -1, A, -1, B), 0);
    EXPECT_EQ(WordsOf(RES), V{5});
}
