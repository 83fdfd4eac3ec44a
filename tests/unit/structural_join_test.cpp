// Catenate and laminate called directly: promotion, single-element
// extension, axes, lists, and the refusals.
#include "structural_support.h"

using V = std::vector<i64>;

TEST_F(Structural, CatenatePromotesToFloat) {
    Ints(A, {3}, {1, 2, 3});
    Floats(B, {}, {4.5});
    ASSERT_EQ(PfCatena(31, RES, -1, A, -1, B), 0);
    EXPECT_EQ(vtable[RES].type, TFLOAT);
    EXPECT_EQ(FloatsOf(RES), (std::vector<double>{1, 2, 3, 4.5}));
}

TEST_F(Structural, CatenateMatrixWithVectorAndScalar) {
    Ints(A, {2, 3}, {1, 2, 3, 4, 5, 6});
    Ints(B, {2}, {7, 8});
    ASSERT_EQ(PfCatena(31, RES, -1, A, -1, B), 0);
    EXPECT_EQ(Shape(RES), (V{2, 4}));
    EXPECT_EQ(WordsOf(RES), (V{1, 2, 3, 7, 4, 5, 6, 8}));
    Ints(B, {3}, {7, 8, 9});
    ASSERT_EQ(PfCatena(66, RES, -1, A, -1, B), 0);
    EXPECT_EQ(Shape(RES), (V{3, 3}));
    EXPECT_EQ(PfCatena(67, RES, -1, A, -1, B), 30);
    // A 1x1 matrix extends like a single element.
    Ints(B, {1, 1}, {0});
    ASSERT_EQ(PfCatena(31, RES, -1, B, -1, A), 0);
    EXPECT_EQ(Shape(RES), (V{2, 4}));
    EXPECT_EQ(WordsOf(RES), (V{0, 1, 2, 3, 0, 4, 5, 6}));
}

TEST_F(Structural, CatenateRank3OnEachAxis) {
    V x(8), y(8);
    for (i64 k = 0; k < 8; k++) x[k] = k, y[k] = 10 + k;
    Ints(A, {2, 2, 2}, x);
    Ints(B, {2, 2, 2}, y);
    struct Case {
        i64 code;
        V shape;
        V head;  // first four elements
    } cases[] = {{66, {4, 2, 2}, {0, 1, 2, 3}},
                 {67, {2, 4, 2}, {0, 1, 2, 3}},
                 {68, {2, 2, 4}, {0, 1, 10, 11}},
                 {31, {2, 2, 4}, {0, 1, 10, 11}}};
    for (const Case& c : cases) {
        ASSERT_EQ(PfCatena(c.code, RES, -1, A, -1, B), 0) << c.code;
        EXPECT_EQ(Shape(RES), c.shape) << c.code;
        V w = WordsOf(RES);
        EXPECT_EQ(V(w.begin(), w.begin() + 4), c.head) << c.code;
    }
    EXPECT_EQ(PfCatena(69, RES, -1, A, -1, B), 30);
}

TEST_F(Structural, CatenateRefusals) {
    Chars(A, {2}, "ab");
    Ints(B, {}, {1});
    EXPECT_EQ(PfCatena(31, RES, -1, A, -1, B), 1);
    Ints(A, {2, 3}, V(6, 0));
    Ints(B, {3, 2}, V(6, 0));
    EXPECT_EQ(PfCatena(31, RES, -1, A, -1, B), 3);
    Ints(A, {3}, {1, 2, 3});
    Ints(B, {2, 2, 2}, V(8, 0));
    EXPECT_EQ(PfCatena(31, RES, -1, A, -1, B), 2);
}

TEST_F(Structural, CatenateListsItemByItem) {
    Ints(A, {}, {1});
    Ints(B, {}, {2});
    List(C, {A, B});
    Chars(A, {2}, "ab");
    ASSERT_EQ(PfCatena(31, RES, -1, A, -1, C), 0);
    ASSERT_EQ(vtable[RES].count, 3);
    EXPECT_EQ(Item(RES, 0)->type, TCHAR);
    EXPECT_EQ(Item(RES, 0)->count, 2);
    EXPECT_EQ(WordsOf(Item(RES, 2)), V{2});
}

// A list with an empty temporal value is the list itself, items and all.
TEST_F(Structural, CatenateListWithEmptyDate) {
    Ints(A, {}, {1});
    Chars(B, {3}, "xyz");
    List(C, {A, B});
    Words(A, TDATE, {0}, {});
    ASSERT_EQ(PfCatena(31, RES, -1, C, -1, A), 0);
    ASSERT_EQ(vtable[RES].type, TLIST);
    ASSERT_EQ(vtable[RES].count, 2);
    EXPECT_EQ(std::string(Item(RES, 1)->data, 3), "xyz");
    Words(A, TDATE, {1}, {20240101});
    EXPECT_EQ(PfCatena(31, RES, -1, C, -1, A), 1);
}

TEST_F(Structural, LaminateAxes) {
    Ints(A, {3}, {1, 2, 3});
    Ints(B, {3}, {4, 5, 6});
    ASSERT_EQ(PfLami(82, RES, -1, A, -1, B), 0);
    EXPECT_EQ(Shape(RES), (V{2, 3}));
    EXPECT_EQ(WordsOf(RES), (V{1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(PfLami(83, RES, -1, A, -1, B), 0);
    EXPECT_EQ(Shape(RES), (V{3, 2}));
    EXPECT_EQ(WordsOf(RES), (V{1, 4, 2, 5, 3, 6}));
    Ints(A, {}, {0});
    Ints(B, {2, 3}, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(PfLami(82, RES, -1, A, -1, B), 0);
    EXPECT_EQ(Shape(RES), (V{2, 2, 3}));
    EXPECT_EQ(WordsOf(RES), (V{0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6}));
}

TEST_F(Structural, LaminateRefusals) {
    Ints(A, {}, {1});
    Ints(B, {}, {2});
    EXPECT_EQ(PfLami(83, RES, -1, A, -1, B), 30);
    Chars(A, {3}, "abc");
    Ints(B, {3}, {1, 2, 3});
    EXPECT_EQ(PfLami(82, RES, -1, A, -1, B), 7);
    Ints(A, {1}, {1});
    EXPECT_EQ(PfLami(82, RES, -1, A, -1, B), 3);
    Ints(A, {3, 1}, {1, 2, 3});
    EXPECT_EQ(PfLami(82, RES, -1, A, -1, B), 2);
    List(C, {B});
    List(23, {B});
    EXPECT_EQ(PfLami(82, RES, -1, C, -1, 23), 7);
}
