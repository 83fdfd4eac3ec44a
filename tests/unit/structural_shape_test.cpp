// Shape, rank, ravel, the index generator and reshape called directly, and
// the helpers that build shapes and element maps.
#include "structural_support.h"

using V = std::vector<i64>;

TEST_F(Structural, ShapeOfEachRank) {
    struct Case {
        V dims;
        V shape;
    } cases[] = {{{}, {}}, {{1}, {1}}, {{2, 3}, {2, 3}}, {{2, 3, 4}, {2, 3, 4}}};
    for (const Case& c : cases) {
        i64 n = 1;
        for (i64 d : c.dims) n *= d;
        Ints(A, c.dims, V(n, 7));
        ASSERT_EQ(GenRho(RES, -1, A), 0);
        EXPECT_EQ(vtable[RES].type, TINT);
        EXPECT_EQ(vtable[RES].rank, 1);
        EXPECT_EQ(WordsOf(RES), c.shape);
        ASSERT_EQ(PfGenRoro(RES, -1, A), 0);
        EXPECT_EQ(WordsOf(RES), V{static_cast<i64>(c.dims.size())});
    }
}

TEST_F(Structural, RankOfNoValueIsValueError) {
    vtable[A].rank = -1;
    EXPECT_EQ(PfGenRoro(RES, -1, A), 4);
}

TEST_F(Structural, RavelKeepsRowMajorOrder) {
    Chars(A, {2, 3}, "abcdef");
    ASSERT_EQ(PfRavel(RES, -1, A), 0);
    EXPECT_EQ(Shape(RES), V{6});
    EXPECT_EQ(CharsOf(RES), "abcdef");
    Ints(A, {}, {7});
    ASSERT_EQ(PfRavel(RES, -1, A), 0);
    EXPECT_EQ(vtable[RES].rank, 1);
    EXPECT_EQ(WordsOf(RES), V{7});
}

TEST_F(Structural, IndexGeneratorOrigins) {
    Ints(A, {}, {4});
    Ints(SLOT_IO, {}, {0});
    ASSERT_EQ(PfIota(RES, -1, A, SLOT_IO), 0);
    EXPECT_EQ(WordsOf(RES), (V{0, 1, 2, 3}));
    Ints(SLOT_IO, {}, {1});
    ASSERT_EQ(PfIota(RES, -1, A, SLOT_IO), 0);
    EXPECT_EQ(WordsOf(RES), (V{1, 2, 3, 4}));
    Ints(SLOT_IO, {1}, {1});  // a one-element vector is not an origin
    EXPECT_EQ(PfIota(RES, -1, A, SLOT_IO), 24);
}

TEST_F(Structural, ReshapeCycles) {
    Ints(A, {1}, {5});
    Ints(B, {2}, {1, 2});
    ASSERT_EQ(GenReshp(RES, -1, A, -1, B), 0);
    EXPECT_EQ(WordsOf(RES), (V{1, 2, 1, 2, 1}));
    Ints(A, {3}, {2, 3, 4});
    Ints(B, {3}, {1, 2, 3});
    ASSERT_EQ(GenReshp(RES, -1, A, -1, B), 0);
    EXPECT_EQ(Shape(RES), (V{2, 3, 4}));
    EXPECT_EQ(WordsOf(RES)[23], 3);
}

// Dimensions whose product passes 64 bits, or what the workspace can hold,
// are refused before anything is allocated.
TEST_F(Structural, ReshapeRefusesHugeShapes) {
    i64 top = nxtglx;
    Ints(B, {}, {5});
    for (V dims :
         {V{4294967296, 4294967296}, V{4294967296, 4294967296, 4294967296}, V{i64{1} << 40}}) {
        Ints(A, {static_cast<i64>(dims.size())}, dims);
        top = nxtglx;
        EXPECT_EQ(GenReshp(RES, -1, A, -1, B), 6);
        EXPECT_EQ(nxtglx, top);
    }
    // A zero dimension makes an empty array, however large the others.
    Ints(A, {3}, {0, 4294967296, 4294967296});
    ASSERT_EQ(GenReshp(RES, -1, A, -1, B), 0);
    EXPECT_EQ(vtable[RES].count, 0);
    EXPECT_EQ(Shape(RES), (V{0, 4294967296, 4294967296}));
}

// Runs appended for results leave room for the strides indexing keeps after
// the end mark; a take on a copied shape writes nothing into the next run.
TEST_F(Structural, ShapeRunsStayIntact) {
    Ints(A, {3}, {2, 3, 4});
    Ints(B, {1}, {1});
    ASSERT_EQ(GenReshp(C, -1, A, -1, B), 0);  // x: 2 3 4
    ASSERT_EQ(GenStore(23, -1, C), 0);        // y <- x
    Ints(A, {3}, {5, 6, 7});
    ASSERT_EQ(GenReshp(24, -1, A, -1, B), 0);  // z: 5 6 7
    Ints(A, {3}, {2, 2, 2});
    ASSERT_EQ(PfTake(RES, -1, A, -1, 23, 1), 0);
    EXPECT_EQ(Shape(24), (V{5, 6, 7}));
    EXPECT_EQ(glist[vtable[24].dim1 + 2], -1);
    EXPECT_EQ(Shape(23), (V{2, 3, 4}));
}

TEST_F(Structural, ShapeStoreFullIsError9) {
    Ints(A, {3}, {2, 3, 4});
    Ints(B, {1}, {1});
    i64 saved = nxtglx;
    nxtglx = GLIST_SIZE - 3;
    EXPECT_EQ(GenReshp(RES, -1, A, -1, B), 9);
    nxtglx = saved;
}

TEST_F(Structural, AxisMapSelectsAxisByAxis) {
    // A 2x3 source: reverse the rows, pad one fill column at the front.
    i64 rdims[] = {2, 4}, sdims[] = {2, 3};
    i64 rows[] = {1, 0}, cols[] = {-1, 0, 1, 2};
    i64* pos[] = {rows, cols};
    i64* map = AxisMap(2, rdims, sdims, pos, 8);
    EXPECT_EQ(V(map, map + 8), (V{-1, 3, 4, 5, -1, 0, 1, 2}));
}

TEST_F(Structural, ReshapeOfListCopiesItems) {
    Ints(A, {2}, {1, 2});
    Chars(B, {2}, "ab");
    List(C, {A, B});
    Ints(A, {}, {3});
    ASSERT_EQ(GenReshp(RES, -1, A, -1, C), 0);
    ASSERT_EQ(vtable[RES].type, TLIST);
    ASSERT_EQ(vtable[RES].count, 3);
    EXPECT_EQ(WordsOf(Item(RES, 2)), (V{1, 2}));
    EXPECT_NE(Item(RES, 2)->data, Item(C, 0)->data);
    Ints(A, {2}, {2, 2});
    EXPECT_EQ(GenReshp(RES, -1, A, -1, C), 2);
}
