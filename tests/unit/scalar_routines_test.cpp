// The array routines of the scalar functions and operators, called on values
// built in temporary slots: result types, shapes, errors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "primitives/primitives.h"
#include "scalar/scalar.h"
#include "workspace_fixture.h"

namespace {

class ScalarRoutines : public FreshWorkspace {
protected:
    i64 next = 4;
    void SetUp() override {
        FreshWorkspace::SetUp();
        stacktop = 0;
    }
    void TearDown() override { GM_free(); }

    // A value of the type, shape and elements given, in the next temporary slot.
    template <class T>
    i64 make(i64 type, std::vector<i64> shape, std::vector<T> elems) {
        i64 vx = next++;
        i64 rank = (i64)shape.size(), n = 1;
        for (i64 d : shape) n *= d;
        vtable[vx] = val_item{};
        vtable[vx].type = type;
        Updatead0(vx, type, rank, n);
        val_item& v = vtable[vx];
        if (rank == 1 && n != 1) v.dim0 = n;
        if (rank >= 2) v.dim0 = shape[0];
        if (rank == 2) v.dim1 = shape[1];
        if (rank > 2) {
            v.dim1 = nxtglx + 1;
            for (i64 k = 1; k < rank; k++) glist[++nxtglx] = shape[k];
            glist[++nxtglx] = -1;
        }
        if (n > 0) memcpy(getptV(&v), elems.data(), typC(type, n) - (type == TCHAR));
        return vx;
    }
    i64 ints(std::vector<i64> e) { return make<i64>(TINT, {(i64)e.size()}, e); }
    i64 iscalar(i64 x) { return make<i64>(TINT, {}, {x}); }
    i64 floats(std::vector<double> e) { return make<double>(TFLOAT, {(i64)e.size()}, e); }
    i64 fscalar(double x) { return make<double>(TFLOAT, {}, {x}); }
    i64 chars(const char* s) {
        std::vector<char> e(s, s + strlen(s));
        return make<char>(TCHAR, {(i64)e.size()}, e);
    }
    i64 cplx(std::vector<complex2> e) { return make<complex2>(TCPLX, {(i64)e.size()}, e); }

    i64 dyad(i64 code, i64 a, i64 b, i64 res = 30) {
        if (code >= 500) return PfOuterp(code, res, -1, a, -1, b);
        if (code >= 16 && code <= 21) return PfCompb(code, res, -1, a, -1, b);
        if (code >= 12 && code <= 15) return PfLogic(code, res, -1, a, -1, b);
        return PfScalar(code, res, -1, a, -1, b);
    }
    static std::vector<i64> iv(i64 res) {
        const val_item& v = vtable[res];
        const i64* d = (const i64*)getptV(const_cast<val_item*>(&v));
        return std::vector<i64>(d, d + v.count);
    }
    static std::vector<double> fv(i64 res) {
        const val_item& v = vtable[res];
        const double* d = (const double*)getptV(const_cast<val_item*>(&v));
        return std::vector<double>(d, d + v.count);
    }
};

TEST_F(ScalarRoutines, DyadicResultTypes) {
    struct {
        i64 code;
        double x, y;
        i64 type;
        double want;
    } cases[] = {
        {51, 6, 3, TFLOAT, 2},        {51, 7, 2, TFLOAT, 3.5},      {51, 0, 0, TFLOAT, 1},
        {51, 1, 0, TFLOAT, INFINITY}, {45, 1, 1, TINT, 2},          {53, 0, 1, TINT, 1},
        {57, -8, 2, TFLOAT, 64},      {57, -8, -1, TFLOAT, -0.125}, {65, 1, 0, TINT, 0},
        {59, 5, 5, TFLOAT, 1},        {61, 3, 7, TINT, 1},
    };
    for (auto& c : cases) {
        i64 a = c.x == (i64)c.x ? iscalar((i64)c.x) : fscalar(c.x);
        i64 b = c.y == (i64)c.y ? iscalar((i64)c.y) : fscalar(c.y);
        ASSERT_EQ(dyad(c.code, a, b), 0) << c.code;
        EXPECT_EQ(vtable[30].type, c.type) << c.code << " " << c.x << " " << c.y;
        double got = c.type == TINT ? (double)iv(30)[0] : fv(30)[0];
        if (std::isinf(c.want)) EXPECT_EQ(got, c.want);
        else EXPECT_NEAR(got, c.want, 1e-12) << c.code << " " << c.x << " " << c.y;
    }
}

TEST_F(ScalarRoutines, DyadicErrors) {
    struct {
        i64 code;
        i64 err;
    } cases[] = {
        {63, 1},  // binomial beyond the exact coefficient's reach
    };
    for (auto& c : cases) EXPECT_EQ(dyad(c.code, iscalar(600), iscalar(2000)), c.err);
    EXPECT_EQ(dyad(63, fscalar(1.5), iscalar(3)), 1);
    EXPECT_EQ(dyad(65, iscalar(12), iscalar(1)), 1);
    EXPECT_EQ(dyad(65, fscalar(2.5), iscalar(1)), 1);
    EXPECT_EQ(dyad(51, iscalar(2), cplx({{0, 0}})), 1);
    EXPECT_EQ(dyad(45, chars("a"), cplx({{1, 1}})), 1);  // character with complex
    EXPECT_EQ(dyad(53, cplx({{1, 1}}), iscalar(1)), 1);
    EXPECT_EQ(dyad(45, ints({1, 2}), ints({1, 2, 3})), 3);
    EXPECT_EQ(dyad(45, chars("ab"), ints({1, 2})), 1);
}

TEST_F(ScalarRoutines, LogarithmGoesComplex) {
    ASSERT_EQ(dyad(59, iscalar(2), iscalar(-8)), 0);
    EXPECT_EQ(vtable[30].type, TCPLX);
    ASSERT_EQ(dyad(57, iscalar(-8), fscalar(1.0 / 3)), 0);
    EXPECT_EQ(vtable[30].type, TCPLX);
    ASSERT_EQ(dyad(59, iscalar(-2), iscalar(8)), 0);
    EXPECT_TRUE(std::isnan(fv(30)[0]));
}

TEST_F(ScalarRoutines, EmptyAndExtension) {
    ASSERT_EQ(dyad(51, iscalar(1), ints({})), 0);
    EXPECT_EQ(vtable[30].type, TINT);
    EXPECT_EQ(vtable[30].count, 0);
    ASSERT_EQ(dyad(45, iscalar(10), ints({1, 2, 3})), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{11, 12, 13}));
    ASSERT_EQ(dyad(47, floats({1.5, 2.5}), iscalar(1)), 0);
    EXPECT_EQ(fv(30), (std::vector<double>{0.5, 1.5}));
}

TEST_F(ScalarRoutines, ResultIntoOperandSlot) {
    i64 a = ints({1, 2, 3});
    ASSERT_EQ(PfScalar(49, a, -1, a, -1, a), 0);
    EXPECT_EQ(iv(a), (std::vector<i64>{1, 4, 9}));
}

TEST_F(ScalarRoutines, Monadic) {
    struct {
        i64 code;
        double x;
        i64 err, type;
        double want;
    } cases[] = {
        {50, 0, 1, 0, 0},        {50, 4, 0, TFLOAT, 0.25},   {50, 0.5, 0, TINT, 2},
        {62, 3, 0, TINT, 6},     {62, 0, 0, TINT, 1},        {62, 2.0, 1, 0, 0},
        {62, -1, 1, 0, 0},       {54, -2.5, 0, TINT, -3},    {52, 2.1, 0, TINT, 3},
        {56, 0, 0, TINT, 1},     {46, 3e9, 0, TFLOAT, -3e9}, {44, 2.0, 0, TINT, 2},
        {48, -0.5, 0, TINT, -1}, {58, 0, 1, 0, 0},           {62, 200, 0, TFLOAT, INFINITY},
    };
    for (auto& c : cases) {
        bool whole = c.x == (i64)c.x && !(c.code == 62 && c.x == 2.0 && c.err) && !(c.code == 44) &&
                     !(c.code == 46);
        i64 a = whole ? iscalar((i64)c.x) : fscalar(c.x);
        EXPECT_EQ(PfScalar0(c.code, 30, -1, a), c.err) << c.code << " " << c.x;
        if (c.err) continue;
        EXPECT_EQ(vtable[30].type, c.type) << c.code << " " << c.x;
        double got = c.type == TINT ? (double)iv(30)[0] : fv(30)[0];
        EXPECT_EQ(got, c.want) << c.code << " " << c.x;
    }
    EXPECT_EQ(PfScalar0(62, 30, -1, cplx({{1, 1}})), 43);
    EXPECT_EQ(PfScalar0(46, 30, -1, chars("a")), 1);
    ASSERT_EQ(PfScalar0(58, 30, -1, ints({-1, 0})), 0);
    EXPECT_EQ(vtable[30].type, TCPLX);
    EXPECT_EQ(PfScalar0(58, 30, -1, ints({0, -1})), 1);
    ASSERT_EQ(PfScalar0(56, 30, -1, cplx({{0, 3.141592653589793}})), 0);
    EXPECT_EQ(vtable[30].type, TINT);
    EXPECT_EQ(iv(30)[0], -1);
}

TEST_F(ScalarRoutines, Comparisons) {
    ASSERT_EQ(dyad(21, fscalar(0.1 + 0.2), fscalar(0.3)), 0);
    EXPECT_EQ(iv(30)[0], 0);  // exact
    ASSERT_EQ(dyad(21, fscalar(NAN), fscalar(NAN)), 0);
    EXPECT_EQ(iv(30)[0], 1);
    struct {
        i64 code, want;
    } nan_order[] = {{16, 0}, {17, 1}, {18, 1}, {19, 0}, {20, 1}};
    for (auto& c : nan_order) {
        ASSERT_EQ(dyad(c.code, fscalar(NAN), fscalar(1)), 0);
        EXPECT_EQ(iv(30)[0], c.want) << c.code;
    }
    ASSERT_EQ(dyad(16, make<char>(TCHAR, {1}, {(char)200}), chars("a")), 0);
    EXPECT_EQ(iv(30)[0], 1);  // signed bytes
    ASSERT_EQ(dyad(21, cplx({{97, 0}}), chars("a")), 0);
    EXPECT_EQ(iv(30)[0], 1);
    EXPECT_EQ(dyad(16, cplx({{1, 0}}), iscalar(1)), 1);
    EXPECT_EQ(dyad(16, chars("a"), iscalar(97)), 1);
    ASSERT_EQ(dyad(20, chars("a"), iscalar(97)), 0);
    EXPECT_EQ(iv(30)[0], 0);
    ASSERT_EQ(dyad(21, iscalar(1), ints({})), 0);
    EXPECT_EQ(vtable[30].type, TBOOL);  // an empty comparison is boolean
}

TEST_F(ScalarRoutines, Logic) {
    ASSERT_EQ(dyad(12, iscalar(1), ints({0, 1, 0})), 0);
    EXPECT_EQ(vtable[30].type, TBOOL);
    EXPECT_EQ(iv(30), (std::vector<i64>{1, 1, 1}));
    ASSERT_EQ(dyad(13, floats({0, 1}), iscalar(1)), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{0, 1}));
    EXPECT_EQ(dyad(13, fscalar(1.0000001), iscalar(1)), 1);
    EXPECT_EQ(dyad(13, iscalar(2), iscalar(1)), 1);
    EXPECT_EQ(dyad(13, iscalar(1), chars("")), 1);
    ASSERT_EQ(PfLogic(25, 30, -1, -1, -1, ints({})), 0);
    EXPECT_EQ(vtable[30].type, TBOOL);
    ASSERT_EQ(PfLogic(25, 30, -1, -1, -1, floats({0, 1})), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{1, 0}));
}

TEST_F(ScalarRoutines, OuterProduct) {
    ASSERT_EQ(dyad(549, ints({1, 2, 3}), ints({10, 20})), 0);
    EXPECT_EQ(vtable[30].type, TINT);
    EXPECT_EQ(vtable[30].rank, 2);
    EXPECT_EQ(iv(30), (std::vector<i64>{10, 20, 20, 40, 30, 60}));
    // equality decides from the operands' own types
    ASSERT_EQ(dyad(521, fscalar(1.5), fscalar(1.2)), 0);
    EXPECT_EQ(iv(30)[0], 0);
    ASSERT_EQ(dyad(521, fscalar(1), fscalar(1 + 1e-14)), 0);
    EXPECT_EQ(iv(30)[0], 1);
    ASSERT_EQ(dyad(521, iscalar(INT64_MAX), iscalar(INT64_MAX - 1)), 0);
    EXPECT_EQ(iv(30)[0], 0);
    ASSERT_EQ(dyad(521, chars("ab"), chars("ba")), 0);
    EXPECT_EQ(vtable[30].type, TBOOL);
    EXPECT_EQ(iv(30), (std::vector<i64>{0, 1, 1, 0}));
    EXPECT_EQ(dyad(516, chars("a"), chars("b")), 1);
    // complex: exact = and ~=, no order, logic, max, min or binomial
    ASSERT_EQ(dyad(521, cplx({{1, 1}, {2, 0}}), cplx({{1, 1}})), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{1, 0}));
    for (i64 f : {12, 16, 53, 55, 63}) EXPECT_EQ(dyad(500 + f, cplx({{1, 1}}), iscalar(1)), 1) << f;
    EXPECT_EQ(dyad(545, chars("a"), cplx({{1, 1}})), 1);
    EXPECT_EQ(dyad(563, iscalar(600), iscalar(2000)), 1);
    ASSERT_EQ(dyad(557, iscalar(2), iscalar(-1)), 0);
    EXPECT_EQ(fv(30)[0], 0.5);
    ASSERT_EQ(dyad(551, iscalar(1), iscalar(0)), 0);
    EXPECT_EQ(fv(30)[0], INFINITY);
    EXPECT_EQ(dyad(551, cplx({{1, 0}}), iscalar(0)), 1);
}

TEST_F(ScalarRoutines, OuterShapes) {
    i64 m = make<i64>(TINT, {2, 3}, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(dyad(545, m, m), 0);
    const val_item& r = vtable[30];
    EXPECT_EQ(r.rank, 4);
    EXPECT_EQ(r.count, 36);
    EXPECT_EQ(r.dim0, 2);
    EXPECT_EQ(glist[r.dim1], 3);
    EXPECT_EQ(glist[r.dim1 + 1], 2);
    EXPECT_EQ(glist[r.dim1 + 2], 3);
    EXPECT_EQ(glist[r.dim1 + 3], -1);
    ASSERT_EQ(dyad(545, iscalar(1), iscalar(2)), 0);
    EXPECT_EQ(vtable[30].rank, 0);
    ASSERT_EQ(dyad(545, ints({}), ints({1, 2})), 0);
    EXPECT_EQ(vtable[30].count, 0);
    EXPECT_EQ(vtable[30].rank, 2);
}

TEST_F(ScalarRoutines, Reduce) {
    struct {
        i64 code;
        std::vector<double> x;
        i64 type;
        double want;
    } cases[] = {
        {145, {10}, TINT, 10},       {147, {5}, TINT, 5},
        {147, {1, 2, 3}, TINT, 2},   {151, {8, 4, 2}, TINT, 4},
        {145, {1.5, 2.5}, TINT, 4},  {145, {0.5, 0.25}, TFLOAT, 0.75},
        {145, {1, NAN, 2}, TINT, 3}, {145, {}, TINT, 0},
        {149, {}, TINT, 1},          {153, {}, TFLOAT, -INFINITY},
        {155, {}, TFLOAT, INFINITY}, {157, {2}, TINT, 2},
        {121, {1.5, 1.2}, TINT, 0},  {121, {1, 1 + 1e-14}, TINT, 1},
    };
    for (auto& c : cases) {
        bool whole = true;
        for (double d : c.x) whole = whole && d == (i64)d && !std::isnan(d);
        std::vector<i64> xi;
        for (double d : c.x) xi.push_back(whole ? (i64)d : 0);
        i64 a = whole && !(c.code == 121) ? ints(xi) : floats(c.x);
        ASSERT_EQ(PfReduct(c.code, 30, -1, a), 0) << c.code;
        EXPECT_EQ(vtable[30].type, c.type) << c.code;
        double got = vtable[30].type == TINT ? (double)iv(30)[0] : fv(30)[0];
        EXPECT_EQ(got, c.want) << c.code;
    }
    for (i64 f : {59, 65, 14, 15}) EXPECT_EQ(PfReduct(100 + f, 30, -1, ints({})), 1) << f;
    EXPECT_EQ(PfReduct(163, 30, -1, floats({1, 2})), 1);
    EXPECT_EQ(PfReduct(153, 30, -1, cplx({{1, 1}, {2, 2}})), 1);
    EXPECT_EQ(PfReduct(145, 30, -1, chars("ab")), 1);
    EXPECT_EQ(PfReduct(163, 30, -1, ints({600, 2000})), 1);
    i64 bits = ints({1, 0, 1});
    ASSERT_EQ(PfReduct(113, 30, -1, bits), 0);
    EXPECT_EQ(iv(30)[0], 0);
    EXPECT_EQ(vtable[bits].type, TINT);  // the operand keeps its type
    EXPECT_EQ(PfReduct(113, 30, -1, ints({1, 2})), 1);
    EXPECT_EQ(PfReduct(113, 30, -1, floats({0, 1})), 1);
}

TEST_F(ScalarRoutines, ReduceAxes) {
    i64 m = make<i64>(TINT, {2, 3}, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(PfReduct(145, 30, -1, m), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{6, 15}));
    ASSERT_EQ(PfReduct(345, 30, -1, m), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{5, 7, 9}));
    i64 row = make<i64>(TINT, {1, 3}, {1, 2, 3});
    ASSERT_EQ(PfReduct(145, 30, -1, row), 0);
    EXPECT_EQ(vtable[30].rank, 1);
    EXPECT_EQ(iv(30), (std::vector<i64>{6}));
    i64 e = make<i64>(TINT, {3, 0}, {});
    ASSERT_EQ(PfReduct(145, 30, -1, e), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{0, 0, 0}));
    ASSERT_EQ(PfReduct(345, 30, -1, e), 0);
    EXPECT_EQ(vtable[30].count, 0);
    EXPECT_EQ(vtable[30].type, TINT);
    std::vector<i64> e120(120);
    for (i64 i = 0; i < 120; i++) e120[i] = i;
    i64 a4 = make<i64>(TINT, {2, 3, 4, 5}, e120);
    ASSERT_EQ(PfReduct(145, 30, -1, a4), 0);
    EXPECT_EQ(vtable[30].rank, 3);
    EXPECT_EQ(vtable[30].dim0, 2);
    EXPECT_EQ(glist[vtable[30].dim1], 3);
    EXPECT_EQ(glist[vtable[30].dim1 + 1], 4);
    EXPECT_EQ(glist[vtable[30].dim1 + 2], -1);
    EXPECT_EQ(iv(30)[0], 0 + 1 + 2 + 3 + 4);
    ASSERT_EQ(PfReduct(345, 30, -1, a4), 0);
    EXPECT_EQ(vtable[30].dim0, 3);
    EXPECT_EQ(iv(30)[0], 0 + 60);
    ASSERT_EQ(PfReduct(145, 30, -1, cplx({{1, 2}, {3, -2}})), 0);
    EXPECT_EQ(vtable[30].type, TINT);
    EXPECT_EQ(iv(30)[0], 4);
}

TEST_F(ScalarRoutines, Scan) {
    struct {
        i64 code;
        std::vector<i64> x;
        std::vector<i64> want;
    } cases[] = {
        {245, {1, 2, 3}, {1, 3, 6}},
        {247, {1, 2, 3}, {1, -1, 2}},
        {251, {8, 4, 2}, {8, 2, 4}},
        {257, {2, 3}, {2, 8}},
        {253, {3, 1, 4, 1, 5}, {3, 3, 4, 4, 5}},
        {255, {3, 1, 4, 1, 0}, {3, 1, 1, 1, 0}},
        {249, {1, 2, 3, 4}, {1, 2, 6, 24}},
        {212, {0, 0, 1, 0}, {0, 0, 1, 1}},
        {213, {1, 1, 0, 1}, {1, 1, 0, 0}},
        {214, {0, 0, 1, 0}, {0, 1, 1, 0}},
        {215, {1, 1, 0, 1}, {1, 0, 0, 1}},
        {221, {1, 1, 0, 0}, {1, 1, 0, 1}},
    };
    for (auto& c : cases) {
        ASSERT_EQ(GenScan(c.code, 30, -1, ints(c.x)), 0) << c.code;
        EXPECT_EQ(vtable[30].type, TINT) << c.code;
        EXPECT_EQ(iv(30), c.want) << c.code;
    }
    // nor and nand scans agree with the prefix-by-prefix fold
    std::vector<i64> bits = {1, 0, 0, 1, 1, 0, 1, 0, 0, 0, 1};
    for (i64 f : {14, 15}) {
        ASSERT_EQ(GenScan(200 + f, 30, -1, ints(bits)), 0);
        std::vector<i64> got = iv(30);
        for (size_t k = 0; k < bits.size(); k++) {
            i64 g = bits[k];
            for (i64 j = (i64)k - 1; j >= 0; j--) g = logic1_i(f, bits[j], g);
            EXPECT_EQ(got[k], g) << f << " " << k;
        }
    }
    ASSERT_EQ(GenScan(245, 30, -1, floats({1, NAN, 2})), 0);
    std::vector<double> f = fv(30);
    EXPECT_EQ(f[0], 1);
    EXPECT_TRUE(std::isnan(f[1]));
    EXPECT_EQ(f[2], 3);
    ASSERT_EQ(GenScan(245, 30, -1, chars("ab")), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{97, 195}));
    EXPECT_EQ(GenScan(245, 30, -1, cplx({{1, 1}, {2, 2}})), 1);
    EXPECT_EQ(GenScan(245, 30, -1, make<i64>(TSYM, {2}, {1, 2})), 1);
    EXPECT_EQ(GenScan(265, 30, -1, ints({8, 1})), 1);  // no real circle 8
    EXPECT_EQ(GenScan(212, 30, -1, ints({1, 2})), 1);
    EXPECT_EQ(GenScan(212, 30, -1, chars("")), 1);
    EXPECT_EQ(GenScan(263, 30, -1, ints({600, 2000})), 1);
    ASSERT_EQ(GenScan(245, 30, -1, ints({})), 0);
    EXPECT_EQ(vtable[30].type, TINT);
    ASSERT_EQ(GenScan(245, 30, -1, make<char>(TCHAR, {}, {'a'})), 0);
    EXPECT_EQ(vtable[30].type, TCHAR);
}

TEST_F(ScalarRoutines, ScanAxes) {
    i64 m = make<i64>(TINT, {2, 3}, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(GenScan(245, 30, -1, m), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{1, 3, 6, 4, 9, 15}));
    EXPECT_EQ(vtable[30].rank, 2);
    ASSERT_EQ(GenScan(445, 30, -1, m), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{1, 2, 3, 5, 7, 9}));
    ASSERT_EQ(GenScan(447, 30, -1, m), 0);
    EXPECT_EQ(iv(30), (std::vector<i64>{1, 2, 3, -3, -3, -3}));
}

}  // namespace
