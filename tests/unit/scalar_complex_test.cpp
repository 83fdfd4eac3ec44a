// Complex kernels: arithmetic, floor and ceiling, circle functions and the
// cleaning of tiny parts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

// Within rel times the magnitude of want (a few units in the last place by
// default); infinities and zeros exactly.
static void within(double got, double want, const char* what, double rel = 4e-16) {
    if (std::isinf(want) || want == 0) EXPECT_EQ(got, want) << what;
    else EXPECT_NEAR(got, want, rel * std::fabs(want)) << what;
}

static void within(complex2 got, complex2 want, const char* what, double rel = 4e-16) {
    within(got.real, want.real, what, rel);
    within(got.imag, want.imag, what, rel);
}

TEST(ScalarComplex, MagnitudeSignumLogAcrossTheRange) {
    // Expected: the exact magnitude and signum of the doubles (Python's
    // decimal at 60 digits) and cmath.log.
    struct {
        complex2 z;
        double mag;
        complex2 sig, ln;
    } cases[] = {
        {{3e+200, 4e+200}, 5e+200, {0.6, 0.8}, {462.12645651124325, 0.9272952180016122}},
        {{3e-200, 4e-200}, 5e-200, {0.6, 0.8}, {-458.907580686375, 0.9272952180016122}},
        {{-3e-320, 4e-320}, 5e-320, {-0.6, 0.8}, {-735.2178029785398, 2.214297435588181}},
        {{1e+308, 1e+308},
         1.4142135623730951e+308,
         {0.7071067811865476, 0.7071067811865476},
         {709.542782232446, 0.7853981633974483}},
        {{5e-324, 0.0}, 5e-324, {1.0, 0.0}, {-744.4400719213813, 0.0}},
        {{1.5e+300, -2e-300}, 1.5e+300, {1.0, 0.0}, {691.1809930063218, 0.0}},
        {{3, 4}, 5.0, {0.6, 0.8}, {1.6094379124341003, 0.9272952180016122}},
        // |z| beyond the range and below the normal range: its logarithm is not
        {{1.5e+308, 1.5e+308},
         INFINITY,
         {0.7071067811865476, 0.7071067811865476},
         {709.9482473405542, 0.7853981633974483}},
        {{-2.2130623e-317, -1.174232e-317},
         2.5052873e-317,
         {-0.8833566192521957, -0.4687014862610652},
         {-729.0010709705922, -2.653772426615857}},
    };
    for (auto& c : cases) {
        std::string what = std::to_string(c.z.real) + "j" + std::to_string(c.z.imag);
        within(mon(FC_MAGNITUDE, c.z), {c.mag, 0}, ("magnitude of " + what).c_str());
        within(mon(FC_SIGNUM, c.z), c.sig, ("signum of " + what).c_str());
        within(mon(FC_LN, c.z), c.ln, ("logarithm of " + what).c_str());
        complex2 k10;
        clex_circle_dyc(&k10, 10, c.z);
        within(k10, {c.mag, 0}, ("10 circle of " + what).c_str());
    }
}

TEST(ScalarComplex, DivisionAcrossTheRange) {
    // Expected: (a c + b d) / (c c + d d) and (b c - a d) / (c c + d d) on
    // the exact doubles, in Python's decimal at 60 digits (the reciprocals
    // likewise). Smith's division loses a few digits where the two terms
    // of a part nearly cancel (709 against 700 below), as Python's does.
    struct {
        complex2 x, y, want;
    } cases[] = {
        {{1e-200, 1e-200}, {1e-150, 0}, {1e-50, 1e-50}},
        {{-1e+308, -1e+308}, {709, 700}, {-1.4193885044641733e+305, -9.066356664426942e+302}},
        {{1, 1}, {1e-200, 1e-200}, {1e+200, 0.0}},
        {{1e-320, 2e-320}, {3e-320, 4e-320}, {0.44, 0.08}},
        {{1e+308, 1e+308}, {1e-10, 1e+308}, {1.0, -1.0}},
        {{3, 4}, {1, 2}, {2.2, -0.4}},
        {{1e+200, 1e+200}, {1e+200, 1e+200}, {1.0, 0.0}},
        {{2e-310, 0}, {0, 1e-310}, {0.0, -2.0}},
        {{1.7e+308, 1e+308}, {1.7e+308, -1e+308}, {0.4858611825192802, 0.8740359897172236}},
        // quotients beyond the range stay infinite
        {{1, 1}, {5e-324, 0}, {INFINITY, INFINITY}},
        {{-1, 2}, {5e-324, 0}, {-INFINITY, INFINITY}},
    };
    for (auto& c : cases) {
        std::string what = std::to_string(c.x.real) + "j" + std::to_string(c.x.imag) + " % " +
                           std::to_string(c.y.real) + "j" + std::to_string(c.y.imag);
        within(dy(FC_DIVIDE, c.x, c.y), c.want, what.c_str(), 1e-14);
        if (c.x == I1) within(mon(FC_RECIPROCAL, c.y), c.want, ("reciprocal " + what).c_str());
    }
    within(mon(FC_RECIPROCAL, {1e-200, 1e-200}), {5e199, -5e199}, "reciprocal of a tiny number");
    within(mon(FC_RECIPROCAL, {3e300, 4e300}), {1.2e-301, -1.6e-301},
           "reciprocal of a huge number");
}

TEST(ScalarComplex, RealPowersAndLogarithmsStayReal) {
    // Expected: Python's math.pow(x, y) and math.log(y) / math.log(x), with
    // an imaginary part of exactly 0.
    const double inf = INFINITY;
    struct {
        i64 code;
        double x, y, want;
    } cases[] = {
        {FC_POWER, inf, 0.5, inf},
        {FC_POWER, inf, -0.5, 0.0},
        {FC_POWER, 0.5, inf, 0.0},
        {FC_POWER, 2, 0.5, 1.4142135623730951},
        {FC_POWER, 10, 0.3, 1.9952623149688795},
        {FC_LOG, inf, 2, 0.0},
        {FC_LOG, inf, 0.5, 0.0},
        {FC_LOG, 2, inf, inf},
        {FC_LOG, 2, 8, 3.0},
        {FC_LOG, 10, 1000, 2.9999999999999996},
    };
    for (auto& c : cases) {
        std::string what =
            std::to_string(c.code) + " of " + std::to_string(c.x) + " and " + std::to_string(c.y);
        complex2 got = dy(c.code, {c.x, 0}, {c.y, 0});
        EXPECT_EQ(got.real, c.want) << what;
        EXPECT_EQ(got.imag, 0.0) << what;
    }
}
