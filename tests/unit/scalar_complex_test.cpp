// Complex kernels: arithmetic, floor and ceiling, circle functions and the
// cleaning of tiny parts.
#include <gtest/gtest.h>

#include <cmath>

#include "scalar/scalar.h"

static complex2 dy(i64 code, complex2 x, complex2 y, i64* err = nullptr) {
    complex2 out(-99, -99);
    i64 e = clex_dyadic_process(code, &out, x, y);
    if (err) *err = e;
    return out;
}

static complex2 mon(i64 code, complex2 z) {
    complex2 out;
    clex_mon0(code, 1, &out, &z);
    return out;
}

static void near(complex2 got, complex2 want, const char* what) {
    EXPECT_NEAR(got.real, want.real, 1e-12) << what;
    EXPECT_NEAR(got.imag, want.imag, 1e-12) << what;
}

TEST(ScalarComplex, ExactEquality) {
    EXPECT_TRUE(complex2(1, 2) == complex2(1, 2));
    EXPECT_FALSE(complex2(1, 2) == complex2(1, 2 + 1e-15));
    EXPECT_TRUE(complex2(NAN, 0) != complex2(NAN, 0));
    EXPECT_TRUE(I0 == complex2());
    EXPECT_TRUE(I1 == complex2(1, 0));
}

TEST(ScalarComplex, DyadicTable) {
    struct {
        i64 code;
        complex2 x, y, want;
        i64 err;
        const char* what;
    } cases[] = {
        {45, {1, 2}, {3, -4}, {4, -2}, 0, "add"},
        {49, {1, 2}, {3, 4}, {-5, 10}, 0, "multiply"},
        {51, {0, 0}, {0, 0}, {1, 0}, 0, "0 divided by 0 is 1"},
        {51, {-5, 10}, {3, 4}, {1, 2}, 0, "divide"},
        {51, {3, 4}, {0, 0}, {-99, -99}, 1, "non-zero divided by 0"},
        {57, {0, 0}, {0, 0}, {0, 0}, 0, "0 power 0 is 0"},
        {57, {1, 0}, {5, 7}, {1, 0}, 0, "1 power anything"},
        {57, {-8, 0}, {2, 0}, {64, 0}, 0, "power through exp and log"},
        {59, {0, 0}, {2, 0}, {-99, -99}, 1, "logarithm base 0"},
        {59, {2, 0}, {0, 0}, {-99, -99}, 1, "logarithm of 0"},
        {59, {2, 0}, {8, 0}, {3, 0}, 0, "logarithm"},
        {61, {0, 0}, {0, 0}, {0, 0}, 0, "0 residue 0"},
        {61, {0, 0}, {3, 0}, {-99, -99}, 1, "0 residue non-zero"},
        {61, {3, 0}, {7, 0}, {1, 0}, 0, "3 residue 7"},
        {53, {1, 0}, {2, 0}, {-99, -99}, 0, "maximum writes nothing"},
    };
    for (auto& c : cases) {
        i64 err;
        complex2 got = dy(c.code, c.x, c.y, &err);
        EXPECT_EQ(err, c.err) << c.what;
        near(got, c.want, c.what);
    }
}

TEST(ScalarComplex, FloorAndCeiling) {
    struct {
        i64 code;
        complex2 z, want;
    } cases[] = {
        {54, {0.5, 0.5}, {0, 1}}, {54, {0.7, 0.4}, {1, 0}}, {54, {0.7, 0.2}, {0, 0}},
        {54, {0.2, 0.3}, {0, 0}}, {52, {0.5, 0.5}, {1, 0}}, {54, {-1.5, 2}, {-2, 2}},
    };
    for (auto& c : cases) {
        complex2 got = mon(c.code, c.z);
        EXPECT_EQ(got.real, c.want.real) << c.z.real << " " << c.z.imag;
        EXPECT_EQ(got.imag, c.want.imag) << c.z.real << " " << c.z.imag;
    }
}

TEST(ScalarComplex, MonadicAndCleaning) {
    near(mon(50, {0, 1}), {0, -1}, "reciprocal of i");
    near(mon(50, {3, 4}), {0.12, -0.16}, "reciprocal of 3j4");
    near(mon(60, {3, 4}), {5, 0}, "magnitude");
    // exp(pi i): the 1.2e-16 imaginary part is cleaned to exactly 0
    complex2 e = mon(56, {0, 3.141592653589793});
    EXPECT_EQ(e.real, -1.0);
    EXPECT_EQ(e.imag, 0.0);
    complex2 s = mon(48, {0, 0});
    EXPECT_TRUE(std::isnan(s.real));
    complex2 tiny(5e-14, 1);
    clex_clean(&tiny);
    EXPECT_EQ(tiny.real, 0.0);
    complex2 kept(2e-13, 1);
    clex_clean(&kept);
    EXPECT_EQ(kept.real, 2e-13);
}

TEST(ScalarComplex, CircleFunctions) {
    struct {
        i64 k;
        complex2 z, want;
        const char* what;
    } cases[] = {
        {-4, {0.5, 0}, {0, 0.8660254037844386}, "-4 of 0.5"},
        {-4, {-2, 0}, {-1.7320508075688772, 0}, "-4 of -2 negated"},
        {8, {0, 0}, {0, -1}, "8 of 0"},
        {-8, {0, 0}, {0, 1}, "-8 of 0"},
        {12, {1, 1}, {0, 0}, "12 gives 0"},
        {-13, {1, 1}, {0, 0}, "outside the range gives 0"},
        {9, {3, 4}, {3, 0}, "real part"},
        {10, {3, 4}, {5, 0}, "magnitude"},
        {11, {3, 4}, {4, 0}, "imaginary part"},
        {-11, {3, 4}, {-4, 3}, "times i"},
        {0, {0.6, 0}, {0.8, 0}, "0 of 0.6"},
    };
    for (auto& c : cases) {
        complex2 got;
        clex_circle_dyc(&got, c.k, c.z);
        near(got, c.want, c.what);
    }
    // through the dyadic kernel the left is truncated and the result cleaned
    // relative to its own magnitude: sine of pi keeps its small real value
    complex2 s = dy(65, {1.9, 0}, {3.141592653589793, 0});
    EXPECT_EQ(s.real, std::sin(3.141592653589793));
    EXPECT_EQ(s.imag, 0.0);
    EXPECT_FALSE(std::signbit(s.imag));
}

TEST(ScalarComplex, CleanIsRelative) {
    struct {
        complex2 z, want;
    } cases[] = {
        {{-1, 1.2246467991473532e-16}, {-1, 0}},
        {{-1000, -3.673940397e-13}, {-1000, 0}},
        {{1e-20, 1e-20}, {1e-20, 1e-20}},
        {{1e-14, 0}, {1e-14, 0}},
        {{2e-13, 1}, {2e-13, 1}},
        {{-0.0, 5}, {0, 5}},
        {{INFINITY, 1e-14}, {INFINITY, 0}},
        {{NAN, 0.5}, {NAN, 0.5}},
    };
    for (auto& c : cases) {
        complex2 z = c.z;
        clex_clean(&z);
        if (std::isnan(c.want.real)) EXPECT_TRUE(std::isnan(z.real));
        else EXPECT_EQ(z.real, c.want.real);
        EXPECT_EQ(z.imag, c.want.imag);
        EXPECT_FALSE(std::signbit(z.real) && z.real == 0);
    }
}

TEST(ScalarComplex, ElementReader) {
    i64 ints[2] = {7, -3};
    val_item v{};
    v.type = TINT;
    v.rank = 1;
    v.count = 2;
    v.data = (char*)ints;
    near(xvax(&v, 1), {-3, 0}, "integer element");
    complex2 one(2.5, -1);
    val_item w{};
    w.type = TCPLX;
    w.rank = 0;
    w.count = 1;
    memcpy(&w.dim0, &one, sizeof one);
    near(xvax(&w, 0), {2.5, -1}, "inline complex");
    EXPECT_EQ(clex_test(), 0.0);
}
