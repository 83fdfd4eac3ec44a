// Compress, replicate and expand called directly, with the axis forms, the
// mask left untouched, and deep equality and dot.
#include "structural_support.h"

using V = std::vector<i64>;

TEST_F(Structural, CompressVectorCounts) {
    struct Case {
        V counts;
        V want;
    } cases[] = {{{1, 0, 1}, {4, 6}}, {{2}, {4, 4, 5, 5, 6, 6}}, {{0, 2, 1}, {5, 5, 6}}, {{0}, {}}};
    for (const Case& c : cases) {
        Ints(A, {static_cast<i64>(c.counts.size())}, c.counts);
        Ints(B, {3}, {4, 5, 6});
        ASSERT_EQ(PfCompre(5, RES, -1, A, -1, B), 0);
        EXPECT_EQ(WordsOf(RES), c.want);
    }
}

TEST_F(Structural, CompressMatrixAxes) {
    Ints(B, {2, 3}, {1, 2, 3, 4, 5, 6});
    Ints(A, {}, {2});
    ASSERT_EQ(PfCompre(6, RES, -1, A, -1, B), 0);
    EXPECT_EQ(Shape(RES), (V{4, 3}));
    EXPECT_EQ(WordsOf(RES), (V{1, 2, 3, 1, 2, 3, 4, 5, 6, 4, 5, 6}));
    Ints(A, {3}, {1, 0, 1});
    ASSERT_EQ(PfCompre(5, RES, -1, A, -1, B), 0);
    EXPECT_EQ(WordsOf(RES), (V{1, 3, 4, 6}));
    EXPECT_EQ(PfCompre(6, RES, -1, A, -1, B), 3);
    // Axis forms: the last axis of a matrix is axis 1, a rank-3 middle axis
    // is not served, an axis past the rank is an axis error.
    ASSERT_EQ(PfCompre(72, RES, -1, A, -1, B), 0);
    EXPECT_EQ(WordsOf(RES), (V{1, 3, 4, 6}));
    Ints(B, {2, 3, 4}, V(24, 0));
    EXPECT_EQ(PfCompre(72, RES, -1, A, -1, B), 43);
    EXPECT_EQ(PfCompre(74, RES, -1, A, -1, B), 30);
}

TEST_F(Structural, CompressRefusesHugeCounts) {
    Ints(A, {2}, {INT64_MAX, 2});
    Ints(B, {2}, {1, 2});
    EXPECT_EQ(PfCompre(5, RES, -1, A, -1, B), 6);
    Ints(A, {}, {i64{1} << 62});
    EXPECT_EQ(PfCompre(5, RES, -1, A, -1, B), 6);
}

TEST_F(Structural, ExpandFillsByType) {
    Ints(A, {3}, {1, 0, 1});
    Chars(B, {2}, "ab");
    ASSERT_EQ(PfExpand(7, RES, -1, A, -1, B), 0);
    EXPECT_EQ(CharsOf(RES), "a b");
    Floats(B, {2}, {2.5, 3.5});
    ASSERT_EQ(PfExpand(7, RES, -1, A, -1, B), 0);
    EXPECT_EQ(FloatsOf(RES), (std::vector<double>{2.5, 0, 3.5}));
    Ints(B, {2, 2}, {1, 2, 3, 4});
    ASSERT_EQ(PfExpand(8, RES, -1, A, -1, B), 0);
    EXPECT_EQ(Shape(RES), (V{3, 2}));
    EXPECT_EQ(WordsOf(RES), (V{1, 2, 0, 0, 3, 4}));
    ASSERT_EQ(PfCompre(77, RES, -1, A, -1, B), 0);  // the last-axis form
    EXPECT_EQ(WordsOf(RES), (V{1, 0, 2, 3, 0, 4}));
}

// An integer mask serves as it is: the variable keeps its type.
TEST_F(Structural, ExpandLeavesMaskAlone) {
    Ints(A, {3}, {1, 0, 1});
    Ints(B, {2}, {4, 5});
    ASSERT_EQ(PfExpand(7, RES, -1, A, -1, B), 0);
    EXPECT_EQ(vtable[A].type, TINT);
    EXPECT_EQ(WordsOf(RES), (V{4, 0, 5}));
    Ints(A, {3}, {1, 0, 2});
    EXPECT_EQ(PfExpand(7, RES, -1, A, -1, B), 1);
}

TEST_F(Structural, DeepEquality) {
    Ints(A, {2, 3}, {1, 2, 3, 4, 5, 6});
    Ints(B, {3, 2}, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(PfCheck0(RES, -1, A, -1, B), 0);
    EXPECT_EQ(vtable[RES].type, TBOOL);
    EXPECT_EQ(vtable[RES].rank, 1);
    EXPECT_EQ(WordsOf(RES), V{1});
    Floats(B, {2, 3}, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(PfCheck0(RES, -1, A, -1, B), 0);
    EXPECT_EQ(WordsOf(RES), V{0});
    List(C, {A, B});
    List(23, {A, B});
    EXPECT_TRUE(PfCheck1(&vtable[C], &vtable[23]));
    List(23, {A, A});
    EXPECT_FALSE(PfCheck1(&vtable[C], &vtable[23]));
}

TEST_F(Structural, DotChecksItsOperands) {
    Words(A, TDATE, {}, {20150810});
    Words(B, TSYM, {}, {getsymbol("year")});
    EXPECT_EQ(PfDots(RES, 0, 0, -1, B), 1);   // a constant on the left
    EXPECT_EQ(PfDots(RES, -1, A, -1, A), 1);  // no symbol on the right
    Words(C, TSYM, {2}, {getsymbol("year"), getsymbol("year")});
    EXPECT_EQ(PfDots(RES, -1, A, -1, C), 1);  // more than one symbol
    // A symbol held in a variable reaches dotted access.
    EXPECT_NE(PfDots(RES, -1, A, -1, B), 1);
}

// Enumerations, dictionaries and tables have no element order for these
// primitives: a clear error, never a result read from nothing.
TEST_F(Structural, CompoundOperandsRefused) {
    Words(A, TENUM, {2}, {0, 0});
    Ints(B, {}, {1});
    EXPECT_EQ(PfRevers(34, RES, -1, A), 1);
    EXPECT_EQ(PfRotate(35, RES, -1, B, -1, A), 1);
    EXPECT_EQ(GenReshp(RES, -1, B, -1, A), 1);
    EXPECT_EQ(PfTake(RES, -1, B, -1, A, 1), 7);
    EXPECT_EQ(PfLami(82, RES, -1, A, -1, A), 7);
    EXPECT_EQ(PfExpand(7, RES, -1, B, -1, A), 1);
}
