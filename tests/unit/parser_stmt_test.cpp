// Statement parser: tree shapes, statement ends, syntax errors with their
// code and column.
#include "parser_fixture.h"

namespace {

i64 Left(i64 n) { return Fn(n).left; }
i64 Right(i64 n) { return Fn(n).right; }

TEST_F(ParserTest, DyadicApplicationOfTwoConstants) {
    Parsed p = ParseText("1+2");
    ASSERT_EQ(p.rc, 0);
    i64 root = p.out[0];
    EXPECT_EQ(CodeOf(root), 45);
    EXPECT_EQ(PNode(root).parent, -1);
    EXPECT_EQ(PNode(Left(root)).kind, 'C');
    EXPECT_EQ(PNode(Left(root)).ref, 1);   // the fixed constant 1
    EXPECT_EQ(PNode(Right(root)).ref, 3);  // the fixed constant 2
    EXPECT_EQ(PNode(Left(root)).parent, root);
    EXPECT_EQ(PNode(Right(root)).parent, root);
    EXPECT_EQ(p.out[1], Right(root));  // evaluation starts at the rightmost leaf
    EXPECT_EQ(p.out[2], -1);
    EXPECT_EQ(onlyroot, root);
    EXPECT_EQ(PNode(root).col, 1);
}

TEST_F(ParserTest, AssignmentOfAVector) {
    Parsed p = ParseText("x<-3 4");
    ASSERT_EQ(p.rc, 0);
    i64 root = p.out[0];
    EXPECT_EQ(CodeOf(root), 0);
    const parse_node& x = PNode(Left(root));
    EXPECT_EQ(x.kind, 'V');
    EXPECT_EQ(x.ref, FIRSTVAR);  // first global variable slot
    EXPECT_EQ(x.name, -1);
    EXPECT_EQ(vtable[FIRSTVAR].rank, -1);
    const val_item& v = Const(Right(root));
    EXPECT_EQ(v.type, TINT);
    EXPECT_EQ(v.rank, 1);
    EXPECT_EQ(v.count, 2);
    EXPECT_EQ(((i64*)v.data)[0], 3);
    EXPECT_EQ(((i64*)v.data)[1], 4);
    i64 g = FnFindName("x", 'G');
    ASSERT_GE(g, 0);
    EXPECT_EQ(gnametable[g].kind, 'V');
    EXPECT_EQ(gnametable[g].index, FIRSTVAR);
}

TEST_F(ParserTest, RightToLeftChain) {
    // a f b g c gives f (left a, right g (left b, right c))
    Parsed p = ParseText("a+b*c");
    ASSERT_EQ(p.rc, 0);
    i64 f = p.out[0];
    EXPECT_EQ(CodeOf(f), 45);
    i64 g = Right(f);
    EXPECT_EQ(CodeOf(g), 49);
    EXPECT_EQ(PNode(g).parent, f);
    EXPECT_EQ(PNode(Left(g)).kind, 'V');
    EXPECT_EQ(p.out[1], Right(g));
}

TEST_F(ParserTest, MonadicFunctionAndParenthesis) {
    Parsed p = ParseText("-3");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(CodeOf(p.out[0]), 46);
    EXPECT_EQ(Left(p.out[0]), -1);
    EXPECT_EQ(PNode(Right(p.out[0])).kind, 'C');

    p = ParseText("(1+2)*3");
    ASSERT_EQ(p.rc, 0);
    i64 root = p.out[0];
    EXPECT_EQ(CodeOf(root), 49);
    EXPECT_EQ(CodeOf(Left(root)), 45);
    EXPECT_EQ(PNode(Left(root)).parent, root);
}

TEST_F(ParserTest, ListLiteral) {
    Parsed p = ParseText("(1;2;3)");
    ASSERT_EQ(p.rc, 0);
    i64 list = p.out[0];
    EXPECT_EQ(CodeOf(list), 1);
    EXPECT_EQ(Left(list), -1);
    i64 s1 = Right(list);
    EXPECT_EQ(CodeOf(s1), 2);
    EXPECT_EQ(PNode(Left(s1)).ref, 1);
    i64 s2 = Right(s1);
    EXPECT_EQ(CodeOf(s2), 2);
    EXPECT_EQ(PNode(Left(s2)).ref, 3);
    EXPECT_EQ(Const(Right(s2)).dim0, 3);
    EXPECT_EQ(p.out[1], Right(s2));
}

TEST_F(ParserTest, BracketIndexing) {
    Parsed p = ParseText("A[i;j]");
    ASSERT_EQ(p.rc, 0);
    i64 f1 = p.out[0];
    EXPECT_EQ(CodeOf(f1), 1);
    EXPECT_EQ(PNode(Left(f1)).kind, 'V');
    i64 f2 = Right(f1);
    EXPECT_EQ(CodeOf(f2), 2);
    EXPECT_EQ(PNode(Left(f2)).kind, 'V');
    EXPECT_EQ(PNode(Right(f2)).kind, 'V');
    EXPECT_NE(PNode(Left(f2)).ref, PNode(Right(f2)).ref);

    p = ParseText("A[;1]");
    ASSERT_EQ(p.rc, 0);
    f2 = Right(p.out[0]);
    EXPECT_EQ(PNode(Left(f2)).kind, 'V');
    EXPECT_EQ(PNode(Left(f2)).ref, 0);  // elided position

    p = ParseText("A[1;]");
    ASSERT_EQ(p.rc, 0);
    f2 = Right(p.out[0]);
    EXPECT_EQ(PNode(Right(f2)).ref, 0);
    EXPECT_EQ(p.out[1], Right(f2));
}

TEST_F(ParserTest, IndexedAssignmentAndPrintTargets) {
    Parsed p = ParseText("A[2]<-5");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(CodeOf(p.out[0]), 0);
    EXPECT_EQ(CodeOf(Left(p.out[0])), 1);

    p = ParseText("[]<-5");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(PNode(Left(p.out[0])).ref, 2);
    p = ParseText("[)<-5");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(PNode(Left(p.out[0])).ref, 3);

    p = ParseText("[]IO<-0");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(PNode(Left(p.out[0])).ref, SLOT_IO);
    p = ParseText("[]PP");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(PNode(p.out[0]).ref, SLOT_PP);

    p = ParseText("[]");  // read a line of input: a value
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(CodeOf(p.out[0]), 611);
    p = ParseText("[]TS");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(CodeOf(p.out[0]), 610);
    p = ParseText("[]CR 'f'");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(CodeOf(p.out[0]), 602);
}

TEST_F(ParserTest, EmptyListAndReshapeFill) {
    Parsed p = ParseText("()");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(Const(p.out[0]).type, TLIST);
    EXPECT_EQ(Const(p.out[0]).count, 0);

    p = ParseText("3#_");
    ASSERT_EQ(p.rc, 0);
    const val_item& v = Const(Right(p.out[0]));
    EXPECT_EQ(v.type, TLIST);
    EXPECT_EQ(v.count, 1);
    const val_item* item = (const val_item*)v.data;
    EXPECT_EQ(item->type, TINT);
    EXPECT_EQ(item->rank, 1);
    EXPECT_EQ(item->count, 0);
    EXPECT_EQ(ParseText("3+_").rc, 16);
}

TEST_F(ParserTest, DotTakesANameOrTextAsSymbol) {
    Parsed p = ParseText("d.price+1");
    ASSERT_EQ(p.rc, 0);
    i64 root = p.out[0];
    EXPECT_EQ(CodeOf(root), 45);  // (d.price)+1
    i64 dot = Left(root);
    EXPECT_EQ(CodeOf(dot), 754);
    const val_item& s = Const(Right(dot));
    EXPECT_EQ(s.type, TSYM);
    EXPECT_EQ(s.dim0, getsymbol("price"));
    EXPECT_EQ(ParseText("d.' a b '").rc, 0);
    EXPECT_EQ(ParseText(".x").rc, 16);
    EXPECT_EQ(ParseText("d.1").rc, 16);
}

TEST_F(ParserTest, TableLiteral) {
    Parsed p = ParseText("([k<-1 2] a<-3 4; b)");
    ASSERT_EQ(p.rc, 0);
    i64 f1 = p.out[0];
    EXPECT_EQ(CodeOf(f1), 1);
    i64 keys = Left(f1);
    EXPECT_EQ(CodeOf(keys), 0);
    EXPECT_EQ(PNode(Left(keys)).kind, 'Z');
    EXPECT_EQ(PNode(Left(keys)).ref, getsymbol("k"));
    i64 sep = Right(f1);
    EXPECT_EQ(CodeOf(sep), 2);
    i64 a = Left(sep);
    EXPECT_EQ(CodeOf(a), 0);
    EXPECT_EQ(PNode(Left(a)).ref, getsymbol("a"));
    i64 b = Right(sep);  // "b" alone stands for b<-b
    EXPECT_EQ(CodeOf(b), 0);
    EXPECT_EQ(PNode(Left(b)).kind, 'Z');
    EXPECT_EQ(PNode(Right(b)).kind, 'V');

    p = ParseText("([] a<-1 2)");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(PNode(Left(p.out[0])).kind, 'V');  // empty key part
    EXPECT_EQ(PNode(Left(p.out[0])).ref, 0);
    EXPECT_EQ(ParseText("([] a+1)").rc, 16);
    EXPECT_EQ(ParseText("([] ([] a<-1))").rc, 16);
}

TEST_F(ParserTest, StatementEnds) {
    struct End {
        const char* text;
        i64 root_set;  // 1 when a tree is made
        i64 cursor;
    } cases[] = {
        {"", 0, 0},    {"//x", 0, 3},   {";1", 0, 0},      {"   ", 0, 3},
        {"a;b", 1, 1}, {"1 2;3", 1, 3}, {"'a;b';c", 1, 5}, {"(1;2);3", 1, 5},
    };
    for (auto& c : cases) {
        Parsed p = ParseText(c.text);
        EXPECT_EQ(p.rc, 0) << c.text;
        EXPECT_EQ(p.out[0] >= 0, c.root_set == 1) << c.text;
        EXPECT_EQ(p.cursor, c.cursor) << c.text;
    }
}

TEST_F(ParserTest, SecondStatementOfALine) {
    char text[] = "x<-1;y+";
    i64 out[3];
    ASSERT_EQ(ZemParser(text, sizeof text, -1, 0, 0, 1, out), 0);
    i64 skip = GetZemCursor() + 1;
    EXPECT_EQ(skip, 5);
    EXPECT_EQ(ZemParser(text + skip, sizeof text - skip, -1, 0, 0, 1, out), 15);
    EXPECT_EQ(GetZemOldCursor() + skip, 7);  // column within the whole line
}

struct ErrorCase {
    const char* text;
    i64 err;
    i64 col;
};

TEST_F(ParserTest, SyntaxErrorsWithTheirColumns) {
    const ErrorCase cases[] = {
        {"x 2", 14, 2},
        {"x y", 42, 2},
        {"x (1)", 19, 2},
        {"x ()", 19, 2},
        {"x<-", 15, 3},
        {"<-3", 16, 0},
        {"3<-4", 16, 1},
        {"1+", 15, 2},
        {"(1+2", 22, 4},
        {"A[1", 21, 3},
        {"(1]", 21, 2},
        {"1)", 21, 1},
        {"( )", 1, 2},
        {"{x}", 16, 0},
        {"x\t+2", 16, 1},
        {"1 \x80", 16, 2},
        {"[1]", 16, 0},
        {"x 'a'", 8, 2},
        {"x `a", 8, 2},
        {"[]XY", 43, 0},
        {"x []IO", 42, 2},
        {"1 [])", 21, 4},
        {"1 2 3 _x", 16, 6},
        {"2020.01.01 3", 42, 0},
        {"1e", 42, 0},
        {"1e_x", 42, 0},
        {"1j0n", 42, 0},
        {"'abc", 21, 0},
        {"2024.01.01T10", 42, 0},
        {"2024.01.01T10:30", 42, 0},
        {"2024.13.01", 31, 0},
        {"99999999999999999999", 42, 0},
        {"x.", 16, 1},
        {"1 2 (3)", 19, 4},
    };
    for (auto& c : cases) {
        Parsed p = ParseText(c.text);
        EXPECT_EQ(p.rc, c.err) << c.text;
        EXPECT_EQ(p.col, c.col) << c.text;
    }
}

TEST_F(ParserTest, OverlongNamesAndTextsAreRefused) {
    std::string name(130, 'a');
    EXPECT_EQ(ParseText(name).rc, 42);
    EXPECT_EQ(ParseText("`" + name).rc, 42);
    EXPECT_EQ(ParseText("d.'" + name + "'").rc, 42);
    EXPECT_EQ(ParseText(std::string(127, 'b')).rc, 0);
}

TEST_F(ParserTest, DefinedFunctionValence) {
    i64 g = Enter("mon", 'F');
    functable[gnametable[g].index].valence = 1;
    g = Enter("dya", 'F');
    functable[gnametable[g].index].valence = 2;
    g = Enter("nil", 'F');
    functable[gnametable[g].index].valence = 0;  // result -1: no result
    g = Enter("nilr", 'F');
    functable[gnametable[g].index].valence = 0;
    functable[gnametable[g].index].result = 3;

    const ErrorCase cases[] = {
        {"mon 3", 0, 0},    {"1 dya 2", 0, 0}, {"nil", 0, 0},    {"1+nilr", 0, 0},
        {"1 mon 3", 15, 2}, {"dya 2", 15, 0},  {"1 nil", 42, 2}, {"nil+1", 42, 3},
    };
    for (auto& c : cases) {
        Parsed p = ParseText(c.text);
        EXPECT_EQ(p.rc, c.err) << c.text;
        if (c.err) {
            EXPECT_EQ(p.col, c.col) << c.text;
        }
    }
    Parsed p = ParseText("1 dya 2");
    EXPECT_EQ(Fn(p.out[0]).kind, 'D');
    EXPECT_EQ(Fn(p.out[0]).code, gnametable[FnFindName("dya", 'G')].index);
    EXPECT_EQ(PNode(Left(p.out[0])).ref, 1);
}

TEST_F(ParserTest, ReservedFunctionsAreKnownByName) {
    Parsed p = ParseText("keys d");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(Fn(p.out[0]).kind, 'D');
    EXPECT_EQ(Fn(p.out[0]).code, 5);
    p = ParseText("t xkey u");
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(Fn(p.out[0]).code, 2);
}

}  // namespace
