// Factorial and binomial, the random step, the text of number vectors, the
// LU inverse, the LAPACK wrappers and the small system routines. Calls that
// fail print their message and return; the test goes on.
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "primitives/spare.h"
#include "spare_support.h"

namespace {

using namespace spare_test;
using D = std::vector<double>;

const double INF = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

// A heap string's text, freed.
std::string Take(char* s) {
    std::string t = s ? s : "<null>";
    std::free(s);
    return t;
}

}  // namespace

TEST(SpareNumeric, Factorials) {
    struct Case {
        i64 n, want;
        const char* said;
    } cases[] = {
        {0, 1, ""},
        {1, 1, ""},
        {5, 120, ""},
        {12, 479001600, ""},
        {-1, 0, "Domain error in monadic ! fn.\n"},
        {13, -1, "Change the result type of ifac fn(!A) to floating ponit.\n"},
        {INT64_MAX, -1, "Change the result type of ifac fn(!A) to floating ponit.\n"},
    };
    for (const Case& c : cases) {
        i64 got = 0;
        EXPECT_EQ(Printed([&] { got = ifac(c.n); }), c.said) << c.n;
        EXPECT_EQ(got, c.want) << c.n;
    }
    struct DCase {
        i64 n;
        double want;
    } dcases[] = {{0, 1},     {12, 479001600}, {13, 6227020800.0}, {20, 2432902008176640000.0},
                  {171, INF}, {INT64_MAX, INF}};  // no loop of 2^63 steps
    for (const DCase& c : dcases) EXPECT_DOUBLE_EQ(efac(c.n), c.want) << c.n;
    EXPECT_TRUE(std::isfinite(efac(170)));
    double neg = 1;
    EXPECT_EQ(Printed([&] { neg = efac(-2); }), "Domain error in monadic ! fn.\n");
    EXPECT_EQ(neg, 0);
}

TEST(SpareNumeric, Binomials) {
    struct Case {
        i64 k, n;
        double want;
    } cases[] = {
        {2, 5, 10},
        {5, 3, 0},
        {3, 3, 1},
        {0, 5, 1},
        {0, 0, 1},
        {6, 13, 1716},
        {2, 86, 3655},
        {3, 100, 161700},  // exact, not the truncated 158466
        {10, 90, 5720645481903.0},
        {97, 100, 161700},
    };
    for (const Case& c : cases) EXPECT_EQ(ebin(c.k, c.n), c.want) << c.k << " " << c.n;
    EXPECT_NEAR(ebin(40, 85) / 2.8863299021239664e24, 1, 1e-13);
    EXPECT_NEAR(ebin(50, 100) / 1.008913445455642e29, 1, 1e-13);
    EXPECT_EQ(ebin(INT64_MAX / 2, INT64_MAX), INF);  // stops once infinite
    for (auto kn : {std::pair<i64, i64>{-1, 5}, {2, -5}}) {
        double got = 1;
        EXPECT_EQ(Printed([&] { got = ebin(kn.first, kn.second); }),
                  "Domain error in monadic ! fn.\n");
        EXPECT_EQ(got, 0);
    }
}

// The 16-bit halves give the same sequence as full 64-bit products.
TEST(SpareNumeric, RandomStep) {
    randomn_seed = 16807;
    EXPECT_DOUBLE_EQ(randomn(10), 10 * (282475249 / 2147483647.0));
    EXPECT_EQ(randomn_seed, 282475249);
    for (i64 start : {(i64)1, (i64)2147483646, (i64)123456789}) {
        randomn_seed = start;
        i64 ref = start;
        for (int i = 0; i < 2000; i++) {
            ref = ref * 16807 % 2147483647;
            double got = randomn(1000);
            ASSERT_EQ(randomn_seed, ref) << start << " step " << i;
            ASSERT_DOUBLE_EQ(got, 1000 * (ref / 2147483647.0));
        }
    }
    randomn_seed = 16807;
}

TEST(SpareText, IntegerVectors) {
    const i64 x[] = {1, -2, 30, INT64_MIN, 0};
    EXPECT_EQ(Take(a_fmtI(x, 0, 5)), "1 -2 30 -9223372036854775808 0");
    EXPECT_EQ(Take(a_fmtI(x, 0, 1)), "1");
    EXPECT_EQ(Take(a_fmtI(x, 0, 0)), "");
    V many(5000);
    std::string want;
    for (i64 i = 0; i < 5000; i++) {
        many[i] = i * 1000003;
        want += std::to_string(many[i]) + (i < 4999 ? " " : "");
    }
    Allocator count(1000);
    EXPECT_EQ(Take(a_fmtI(many.data(), 0, 5000)), want);
    EXPECT_LE(calls, 10);  // the buffer doubles: about log2(42000 / 256) + 1 grows
}

TEST(SpareText, DoubleVectors) {
    struct Case {
        double x;
        i64 p;
        const char* want;
    } cases[] = {
        {0, 10, "0 "},           {1.5, 10, "1.5 "},
        {123.25, 10, "123.25 "}, {-123.25, 10, "-123.25 "},
        {0.001, 10, "0.001 "},   {1.5e-5, 10, "0.000015 "},
        {1e-7, 10, "1E-7 "},     {-2.5e-6, 10, "-2.5E-6 "},
        {100, 3, "100 "},  // no decimals: its zeros are digits
        {2.0 / 3, 4, "0.6667 "}, {1e20, 10, "100000000000000000000 "},
        {NaN, 10, "nan "},       {INF, 10, "inf "},
        {-INF, 10, "-inf "},
    };
    std::string all;
    for (const Case& c : cases) {
        EXPECT_EQ(Take(a_fmtD(&c.x, c.p, 1)), c.want) << c.x;
        if (c.p == 10) all += c.want;
    }
    D ten;
    for (const Case& c : cases)
        if (c.p == 10) ten.push_back(c.x);
    EXPECT_EQ(Take(a_fmtD(ten.data(), 10, (i64)ten.size())), all);
    EXPECT_EQ(Take(a_fmtD(ten.data(), 10, 0)), "");
}

TEST(SpareText, FailedAllocationsReturnNull) {
    V many(100, INT64_MIN);
    D wide(100, -1.25e-300);
    struct Case {
        int grant;
        bool ints;
        const char* said;
    } cases[] = {
        {0, true, "malloc failed in a_fmtD\n"},
        {1, true, "realloc failed in a_fmtD, n = 100\n"},
        {0, false, "malloc failed in a_formatD\n"},
        {2, false, "realloc failed in a_formatD, n = 100\n"},
    };
    for (const Case& c : cases) {
        char* got = reinterpret_cast<char*>(1);
        std::string said = Printed([&] {
            Allocator limit(c.grant);
            got = c.ints ? a_fmtI(many.data(), 0, 100) : a_fmtD(wide.data(), 10, 100);
        });
        EXPECT_EQ(said, c.said);
        EXPECT_EQ(got, nullptr);
    }
}

TEST(SpareText, PackShortensInPlace) {
    struct Case {
        const char* text;
        i64 size;  // the buffer's capacity
        i64 status;
        const char* want;
    } cases[] = {
        {"1.500000E-06", 13, 7, "1.5E-6 "},
        {"1.000000E+00", 13, 2, "1 "},
        {"1.250000E+10", 13, 9, "1.25E+10 "},
        {"1.000000E+100", 14, 7, "1E+100 "},
        {"2.000000e-05", 13, 5, "2e-5 "},
        {"   1.000000E-06", 16, 8, "   1E-6 "},
        {"100", 5, 4, "100 "},
        {"1.5000   ", 10, 4, "1.5 "},
        {"0.000", 6, 2, "0 "},
        {".000", 5, 2, "0 "},
        {"   ", 4, 2, "0 "},
        {"-0.0", 5, 3, "-0 "},
        {"12.50", 6, 5, "12.5 "},
        {"12.5", 5, -1, "12.5"},  // no room for the blank: unchanged
        {"", 1, -1, ""},
    };
    for (const Case& c : cases) {
        std::vector<char> buf(c.size);
        std::memcpy(buf.data(), c.text, std::strlen(c.text) + 1);
        EXPECT_EQ(a_pack(buf.data(), c.size), c.status) << c.text;
        EXPECT_STREQ(buf.data(), c.want) << c.text;
    }
}

TEST(SpareText, PrintsOneDouble) {
    struct Case {
        double x;
        const char* want;
    } cases[] = {
        {123.456, "123.456 "},
        {0.5, "0.5 "},
        {1.5, "1.5 "},
        {0, "0 "},
        {-2.25, "-2.25 "},
        {100, "100 "},
        {1234567, "1234567 "},
        {12345678, "1.234568e+07 "},
        {1.0 / 3, "0.3333333 "},
        {2.0 / 3, "0.6666667 "},
        {1e-6, "0.000001 "},
        {1e-7, "0.0000001 "},  // its zeros cover the exponent
        {1.5e-7, "1.500000e-07 "},
        {1e-8, "1.000000e-08 "},
        {1e300, "1.000000e+300 "},
        {INF, "inf "},
        {-INF, "-inf "},
        {NaN, "nan "},
    };
    for (const Case& c : cases) EXPECT_EQ(Printed([&] { a_prtD0(c.x); }), c.want) << c.x;
}

// ---- matrices ------------------------------------------------------------------

namespace {

// Row-major product of two n x n matrices, compared with the identity.
void ExpectIdentity(const D& a, const D& b, i64 n) {
    for (i64 i = 0; i < n; i++)
        for (i64 j = 0; j < n; j++) {
            double s = 0;
            for (i64 k = 0; k < n; k++) s += a[i * n + k] * b[k * n + j];
            EXPECT_NEAR(s, i == j, 1e-12) << i << "," << j;
        }
}

}  // namespace

TEST(SpareMatrix, LuInverse) {
    D a = {2, 0, 0, 0, 4, 0, 1, 0, 8};
    D inv(9);
    ASSERT_EQ(mat_inverse(a.data(), inv.data(), 3), 0);
    D want = {0.5, 0, 0, 0, 0.25, 0, -0.0625, 0, 0.125};
    for (int i = 0; i < 9; i++) EXPECT_NEAR(inv[i], want[i], 1e-15) << i;
    EXPECT_EQ(a, (D{2, 0, 0, 0, 4, 0, 1, 0, 8}));  // left unchanged
    D swap = {0, 1, 1, 0}, sinv(4);                // needs a row exchange
    ASSERT_EQ(mat_inverse(swap.data(), sinv.data(), 2), 0);
    EXPECT_EQ(sinv, swap);
    for (i64 n : {1, 7, 100}) {
        std::mt19937_64 gen((unsigned)n);
        D m(n * n), mi(n * n);
        for (double& v : m) v = (double)(gen() % 2001) / 1000 - 1;
        for (i64 i = 0; i < n; i++) m[i * n + i] += n;  // well conditioned
        ASSERT_EQ(mat_inverse(m.data(), mi.data(), n), 0) << n;
        ExpectIdentity(m, mi, n);
    }
}

TEST(SpareMatrix, LuInverseFailures) {
    D big(101 * 101, 1), out(101 * 101, 7);
    i64 status = 0;
    EXPECT_EQ(Printed([&] { status = mat_inverse(big.data(), out.data(), 101); }),
              "The dimension is larger than 100\nIncrease NMAX in the library\n");
    EXPECT_EQ(status, -1);
    EXPECT_EQ(out[0], 7);
    D zero = {1, 2, 0, 0}, zout(4, 7);
    EXPECT_EQ(Printed([&] { status = mat_inverse(zero.data(), zout.data(), 2); }),
              "Singular matrix\n");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(zout, D(4, 7));
    V piv(2);
    double parity;
    EXPECT_EQ(Printed([&] { status = ludcmp(zero.data(), 2, piv.data(), &parity); }),
              "Singular matrix\n");
    EXPECT_EQ(status, 1);
}

TEST(SpareMatrix, LuSolve) {
    D a = {1, 2, 3, 2, 5, 3, 1, 0, 8};  // row-major
    V piv(3);
    double parity = 0;
    ASSERT_EQ(ludcmp(a.data(), 3, piv.data(), &parity), 0);
    EXPECT_TRUE(parity == 1 || parity == -1);
    D b = {14, 21, 25};  // x = 1 2 3
    ASSERT_EQ(lubksb(a.data(), 3, piv.data(), b.data()), 0);
    for (int i = 0; i < 3; i++) EXPECT_NEAR(b[i], i + 1, 1e-12);
    D zeros = {0, 0, 0};  // forward pass starts at no element
    ASSERT_EQ(lubksb(a.data(), 3, piv.data(), zeros.data()), 0);
    EXPECT_EQ(zeros, D(3, 0));
    V bad = {0, 3, 2};
    D keep = {1, 2, 3};
    EXPECT_EQ(lubksb(a.data(), 3, bad.data(), keep.data()), -1);
    EXPECT_EQ(keep, (D{1, 2, 3}));
}

TEST(SpareMatrix, LapackSquareSystem) {
    D a = {2, 1, 1, 3};  // column-major, symmetric
    D b = {3, 5, 1, 0};  // two right-hand sides
    ASSERT_EQ(matrix_div_square(2, 2, a.data(), b.data()), 0);
    D want = {0.8, 1.4, 0.6, -0.2};
    for (int i = 0; i < 4; i++) EXPECT_NEAR(b[i], want[i], 1e-14) << i;
    D sing = {1, 2, 2, 4}, sb = {1, 1};
    EXPECT_GT(matrix_div_square(2, 1, sing.data(), sb.data()), 0);
    EXPECT_EQ(matrix_div_square(0, 1, sing.data(), sb.data()), -1);
    EXPECT_EQ(matrix_div(2, 2, a.data(), 1, b.data(), 0), 0);
}

TEST(SpareMatrix, LapackLeastSquares) {
    // y = 1 3 5 8 at x = 0 1 2 3: the fitted line is 0.8 + 2.3 x.
    D a = {1, 1, 1, 1, 0, 1, 2, 3};
    D b = {1, 3, 5, 8};
    ASSERT_EQ(matrix_div_non_square(4, 2, 1, a.data(), b.data()), 0);
    EXPECT_NEAR(b[0], 0.8, 1e-12);
    EXPECT_NEAR(b[1], 2.3, 1e-12);
    // Underdetermined: x + y = 2 has the least-norm solution 1 1.
    D u = {1, 1}, ub = {2, 0};
    ASSERT_EQ(matrix_div_non_square(1, 2, 1, u.data(), ub.data()), 0);
    EXPECT_NEAR(ub[0], 1, 1e-12);
    EXPECT_NEAR(ub[1], 1, 1e-12);
    EXPECT_EQ(matrix_div_non_square(4, 0, 1, a.data(), b.data()), -1);
}

TEST(SpareMatrix, LapackPseudoInverse) {
    D a = {1, 1, 1, 1, 2, 3};  // 3 x 2, column-major
    D out(3 * 3);
    i64 status = 0;
    std::string said = Printed([&] { status = matrix_inv_non_square(3, 2, a.data(), out.data()); });
    EXPECT_EQ(status, -1);
    D want[2] = {{4.0 / 3, 1.0 / 3, -2.0 / 3}, {-0.5, 0, 0.5}};
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 3; j++) EXPECT_NEAR(out[j * 3 + i], want[i][j], 1e-12) << i << "," << j;
    // Printed as two rows of three numbers.
    double p[6];
    ASSERT_EQ(std::sscanf(said.c_str(), " %lf %lf %lf\n %lf %lf %lf\n", p, p + 1, p + 2, p + 3,
                          p + 4, p + 5),
              6);
    for (int k = 0; k < 6; k++) EXPECT_NEAR(p[k], want[k / 3][k % 3], 1e-5);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2);
}

TEST(SpareMatrix, PrintsRows) {
    const i64 ints[4] = {1, -2, INT64_MAX, 0};
    const double dbls[4] = {1.5, -2, 1e-20, 0};
    EXPECT_EQ(Printed([&] { cprint(2, 2, ints, 1); }), " 1 -2\n 9223372036854775807 0\n");
    EXPECT_EQ(Printed([&] { cprint(1, 4, dbls, 2); }), " 1.5 -2 1e-20 0\n");
    EXPECT_EQ(Printed([&] { cprint(0, 4, dbls, 2); }), "");
}

// ---- system routines ---------------------------------------------------------------

TEST(SpareSystem, AllocGivesItsOwnBlock) {
    struct Case {
        i64 kind, usable;
    } cases[] = {{TINT, 12500}, {TFLOAT, 12500}, {TCHAR, 100000}, {TBOOL, 800000}, {TSYM, 0}};
    for (const Case& c : cases) {
        i64 usable = -1;
        void* block = nullptr;
        EXPECT_EQ(Printed([&] { block = alloc(c.kind, &usable); }),
                  "*** Heap space increased. ***\n");
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(usable, c.usable) << c.kind;
        std::memset(block, 1, ALLOC_BYTES);  // all of it is ours
        std::free(block);
    }
}

TEST(SpareSystem, OpensFilesAndReadsTheClock) {
    char dir[] = "/tmp/zem_spare_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string path = std::string(dir) + "/data.txt";
    FILE* f = nullptr;
    EXPECT_EQ(Printed([&] { f = a_fopen(path.c_str(), "w"); }), "");
    ASSERT_NE(f, nullptr);
    std::fputs("1 0 1", f);
    std::fclose(f);
    f = a_fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    i64 bits[1];
    EXPECT_EQ(passparmb(f, 3, bits), 0);
    EXPECT_EQ(bits[0], (i64)0xA0000000);
    std::fclose(f);
    std::string missing = std::string(dir) + "/none/x.txt";
    EXPECT_EQ(Printed([&] { f = a_fopen(missing.c_str(), "r"); }),
              "Could not open file " + missing + "\n");
    EXPECT_EQ(f, nullptr);
    std::remove(path.c_str());
    rmdir(dir);
    double t0 = apl_sec();
    volatile double s = 0;
    for (int i = 0; i < 100000; i++) s = s + std::sqrt((double)i);
    EXPECT_GE(t0, 0);
    EXPECT_GE(apl_sec(), t0);
}
