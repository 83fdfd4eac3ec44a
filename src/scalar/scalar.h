// Scalar functions and operators: complex numbers, monadic and dyadic
// scalar arithmetic, comparisons, the real circle/logic/random kernels, and
// the outer product, reduce and scan operators.
#pragma once
#include "values/fcodes.h"
#include "values/operand.h"

#include <cmath>

// ---- complex numbers (complex2 is in values/values.h) ------------------------

extern const complex2 I0;       // 0 + 0i, the complex fill element
extern const complex2 I1;       // 1 + 0i
constexpr double STCT = 1e-13;  // parts this much smaller than the number are cleaned to 0
constexpr double ZPI = 3.141592653589793;

// Monadic function code (even 44..64) on n elements from in to out.
void clex_mon0(i64 code, i64 n, complex2* out, const complex2* in);
// Dyadic function code on x (left) and y (right); E_DOMAIN, out untouched.
i64 clex_dyadic_process(i64 code, complex2* out, complex2 x, complex2 y);
// k circle z, uncleaned.
void clex_circle_dyc(complex2* out, i64 k, complex2 z);
// Element i of a boolean, integer, float or complex value as a complex number.
complex2 xvax(const val_item* v, i64 i);
void printClex(complex2 z);
double clex_test();
double fun1();
// Replaces a part below STCT times the larger part's magnitude by 0 (below
// STCT itself when a part is infinite or not a number).
void clex_clean(complex2* z);
// Whether y is a finite whole number: a real base to such a power is real.
inline bool whole(double y) { return std::isfinite(y) && y == std::trunc(y); }

// ---- dyadic scalar functions ---------------------------------------------------

i64 PfScalar(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// A boolean, integer or float held as one element in its descriptor.
inline bool SingleNumber(const val_item* v) { return isoneV(v) && v->type <= TFLOAT; }
// Its element as a double, as the array path widens it.
inline double SingleValue(const val_item* v) {
    if (v->type != TFLOAT) return (double)v->dim0;
    double x;
    __builtin_memcpy(&x, &v->dim0, sizeof x);
    return x;
}
// A dyadic scalar function or comparison of two single numbers, done at
// once: the kernel applied to the two elements and the result written into
// slot res as the array path writes it. False, nothing done, for any other
// code or operand.
bool ScalarSingles(i64 code, i64 res, const val_item* l, const val_item* r);
// The codes the single-number path takes: arithmetic, and comparisons.
inline bool ArithSinglesCode(i64 code) {
    switch (code) {
    case FC_ADD:
    case FC_SUBTRACT:
    case FC_MULTIPLY:
    case FC_DIVIDE:
    case FC_MAX:
    case FC_MIN:
    case FC_RESIDUE: return true;
    default: return false;
    }
}
inline bool CompareCode(i64 code) { return code >= FC_LT && code <= FC_EQ; }
inline bool SinglesCode(i64 code) { return ArithSinglesCode(code) || CompareCode(code); }
// Two single integers or truth values under a sum, a difference or a
// comparison, the most frequent case in loops, without the general
// dispatch: what the kernels give. WordKernel takes operands known to be
// single (isoneV) and of these types; a sum beyond 2^53 in magnitude is left
// to the kernels (its pass through a double). False, nothing written,
// otherwise.
inline bool WordKernel(i64 code, val_item* out, const val_item* l, const val_item* r) {
    i64 x = l->dim0, y = r->dim0, rank = l->rank > r->rank ? l->rank : r->rank;
    constexpr i64 EXACT = i64(1) << 53;
    i64 z;
    switch (code) {
    case FC_ADD:
    case FC_SUBTRACT:
        z = (i64)(code == FC_ADD ? (uint64_t)x + (uint64_t)y : (uint64_t)x - (uint64_t)y);
        if (z > EXACT || z < -EXACT) return false;
        SingleInto(out, TINT, rank, z);
        return true;
    case FC_LT: z = y > x; break;
    case FC_LE: z = !(x > y); break;
    case FC_GE: z = !(y > x); break;
    case FC_GT: z = x > y; break;
    case FC_NE: z = x != y; break;
    case FC_EQ: z = x == y; break;
    default: return false;
    }
    SingleInto(out, TBOOL, rank, z);
    return true;
}
inline bool WordSingles(i64 code, val_item* out, const val_item* l, const val_item* r) {
    // isoneV for these two types: rank at most 1, one element.
    if (static_cast<uint64_t>(l->type) > TINT || static_cast<uint64_t>(r->type) > TINT ||
        l->rank > 1 || r->rank > 1 || l->count != 1 || r->count != 1)
        return false;
    return WordKernel(code, out, l, r);
}
// The same into the descriptor out (type, rank, count and element only),
// errchk untouched.
bool SinglesInto(i64 code, val_item* out, const val_item* l, const val_item* r);
i64 ari2fn_i(i64 code, i64 x, i64 y);
double ari2fn_f(i64 code, double x, double y);
i64 Check_clex_d(i64 code, double x, double y);
double combination(i64 k, i64 n);
i64 gcd(i64 a, i64 b);
// Binomial of k (left) and n (right) by the sign rules; the caller has
// checked the pair with biochk.
double binomial(i64 k, i64 n);

// ---- monadic scalar functions ---------------------------------------------------

i64 PfScalar0(i64 code, i64 res, i64 rc, i64 rv);

// ---- comparisons -------------------------------------------------------------------

i64 PfCompb(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// The comparison part of ScalarSingles.
bool CompareSingles(i64 code, val_item* res, const val_item* l, const val_item* r);

// ---- real circle, logic and random kernels ------------------------------------

double PfAllTrig(i64 k, double x);
i64 logic1_i(i64 code, i64 a, i64 b);
i64 logic1_f(i64 code, double x, double y);
i64 APL2_rand(i64 n, i64 origin, i64* seed);
double getrand(double x);
// n * (n-1) * ... * 2 from n downward; 1 for n <= 1. From 171 on the product
// is past the largest double, so no loop is run for it.
double PfFact(i64 n);

// ---- operators ---------------------------------------------------------------------

i64 PfOuterp(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfReduct(i64 code, i64 res, i64 rc, i64 rv);
i64 GenScan(i64 code, i64 res, i64 rc, i64 rv);
// Inner product and each; their routines come with the operators still to build.
i64 PfInnerp(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 transposed);
i64 PfEachMon(i64 code, i64 res, i64 rc, i64 rv, i64 io);
i64 PfEachDyc(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io);

// ---- hand-overs upward (filled by system/handovers.cpp) -------------------------
// A dyadic scalar function with a dictionary operand goes to the dictionaries
// (DictScala); each applies a primitive to one item, or a pair of items,
// through the primitive table (DispatchMonadic, DispatchDyadic), which says
// whether each applies it (PrimEach).
struct scalar_handovers {
    i64 (*dict_scalar)(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
    i64 (*dispatch_monadic)(i64 code, i64 res, i64 rc, i64 rv, i64 io);
    i64 (*dispatch_dyadic)(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io,
                           i64 transposed);
    bool (*prim_each)(i64 code, bool dyadic);
};
extern scalar_handovers scalar_up;

// ---- shared by the scalar routines ----------------------------------------------

// Binomial of x (left) and y (right) in doubles, by the sign rules.
double binomial_d(double x, double y);

// One kernel over two typed arrays with scalar extension (xs, ys: that side
// is a single element); the kernel is chosen once per call, not per element.
template <class X, class Y, class R, class F>
inline void zipwith(i64 n, const X* x, bool xs, const Y* y, bool ys, R* out, F f) {
    if (xs) {
        X a = x[0];
        for (i64 i = 0; i < n; i++) out[i] = f(a, y[i]);
    } else if (ys) {
        Y b = y[0];
        for (i64 i = 0; i < n; i++) out[i] = f(x[i], b);
    } else {
        for (i64 i = 0; i < n; i++) out[i] = f(x[i], y[i]);
    }
}

// Whole-array forms of ari2fn_i and ari2fn_f; in the float form either side
// may hold integers (xint, yint), read as doubles.
void ari_loop_i(i64 code, i64 n, const i64* x, bool xs, const i64* y, bool ys, i64* out);
void ari_loop_f(i64 code, i64 n, const void* x, bool xint, bool xs, const void* y, bool yint,
                bool ys, double* out);

// ---- element kernels of reduce and scan --------------------------------------------

// Float kernel of the arithmetic codes FC_ADD..FC_RESIDUE (x left, y right).
template <i64 C>
inline double ari_f(double x, double y) {
    if constexpr (C == FC_ADD) return x + y;
    else if constexpr (C == FC_SUBTRACT) return x - y;
    else if constexpr (C == FC_MULTIPLY) return x * y;
    else if constexpr (C == FC_DIVIDE) return x == y ? 1.0 : x / y;
    else if constexpr (C == FC_MAX) return x > y ? x : y;
    else if constexpr (C == FC_MIN) return y > x ? x : y;
    else if constexpr (C == FC_POWER) return std::pow(x, y);
    else if constexpr (C == FC_LOG) return x == y ? 1.0 : std::log(y) / std::log(x);
    else if constexpr (C == FC_RESIDUE) return x == 0 ? y : y - x * std::floor(1e-13 + y / x);
    else return 0.0;
}

// y modulo x for integers, exactly: the residue takes x's sign, and x = 0
// gives y. x = -1 is taken apart: the most negative y would overflow the
// remainder.
inline i64 int_residue(i64 x, i64 y) {
    if (x == 0) return y;
    if (x == -1) return 0;
    i64 r = y % x;
    return r != 0 && (r < 0) != (x < 0) ? r + x : r;
}

// The residue of doubles read from integer operands: exact for two whole
// numbers (fmod is exact), the float rule for any other pair.
inline double whole_residue(double x, double y) {
    if (x == 0 || !whole(x) || !whole(y)) return ari_f<FC_RESIDUE>(x, y);
    double r = std::fmod(y, x);
    if (r == 0) return 0.0;
    return (r < 0) != (x < 0) ? r + x : r;
}

// Set by a kernel that met a pair it must refuse (a binomial beyond the exact
// coefficient's reach, a circle code without a real form); the caller clears
// it before its loop and fails with a domain error after.
extern bool kernel_fault;

// x is the element on the left, a the value accumulated on its right;
// TOL: = and ~= compare with the tolerant gequal, else exactly.
template <i64 F, bool TOL>
inline double red_k(double x, double a) {
    if constexpr (F == FC_OR) return (x != 0 || a != 0) ? 1.0 : 0.0;
    else if constexpr (F == FC_AND) return (x != 0 && a != 0) ? 1.0 : 0.0;
    else if constexpr (F == FC_NOR) return (x != 0 || a != 0) ? 0.0 : 1.0;
    else if constexpr (F == FC_NAND) return (x != 0 && a != 0) ? 0.0 : 1.0;
    else if constexpr (F == FC_LT) return a != a ? 0.0 : (double)(x < a);
    else if constexpr (F == FC_LE) return (double)(x <= a);
    else if constexpr (F == FC_GE) return (double)(x >= a);
    else if constexpr (F == FC_GT) return a != a ? 1.0 : (double)(x > a);
    else if constexpr (F == FC_NE || F == FC_EQ) {
        bool eq = TOL ? gequal(x, a) : x == a;
        return (double)(F == FC_EQ ? eq : !eq);
    } else if constexpr (F == FC_RESIDUE) return TOL ? ari_f<F>(x, a) : whole_residue(x, a);
    else if constexpr (F >= FC_ADD && F <= FC_RESIDUE && F % 2 == 1) return ari_f<F>(x, a);
    else if constexpr (F == FC_BINOMIAL) {
        if (biochk(dbl2int(x), dbl2int(a))) return kernel_fault = true, 0.0;
        return binomial_d(x, a);
    } else if constexpr (F == FC_CIRCLE) {
        double k = std::trunc(x);
        if (!(k >= -7 && k <= 7)) return kernel_fault = true, 0.0;
        return PfAllTrig((i64)k, a);
    } else return -1.0;
}

// Comparison F of two integers, exactly on their 64-bit values (x left).
template <i64 F>
inline bool cmp_int(i64 x, i64 y) {
    if constexpr (F == FC_LT) return x < y;
    else if constexpr (F == FC_LE) return x <= y;
    else if constexpr (F == FC_GE) return x >= y;
    else if constexpr (F == FC_GT) return x > y;
    else if constexpr (F == FC_NE) return x != y;
    else return x == y;
}

// Calls body.template operator()<F>() for the comparison code f.
template <class B>
inline void with_compare(i64 f, B&& body) {
    switch (f) {
    case FC_LT: body.template operator()<FC_LT>(); break;
    case FC_LE: body.template operator()<FC_LE>(); break;
    case FC_GE: body.template operator()<FC_GE>(); break;
    case FC_GT: body.template operator()<FC_GT>(); break;
    case FC_NE: body.template operator()<FC_NE>(); break;
    default: body.template operator()<FC_EQ>(); break;
    }
}

// Calls body.template operator()<F, TOL>() for the runtime code f.
template <bool TOL, class B>
inline void with_kernel(i64 f, B&& body) {
    switch (f) {
    case FC_OR: body.template operator()<FC_OR, TOL>(); break;
    case FC_AND: body.template operator()<FC_AND, TOL>(); break;
    case FC_NOR: body.template operator()<FC_NOR, TOL>(); break;
    case FC_NAND: body.template operator()<FC_NAND, TOL>(); break;
    case FC_LT: body.template operator()<FC_LT, TOL>(); break;
    case FC_LE: body.template operator()<FC_LE, TOL>(); break;
    case FC_GE: body.template operator()<FC_GE, TOL>(); break;
    case FC_GT: body.template operator()<FC_GT, TOL>(); break;
    case FC_NE: body.template operator()<FC_NE, TOL>(); break;
    case FC_EQ: body.template operator()<FC_EQ, TOL>(); break;
    case FC_ADD: body.template operator()<FC_ADD, TOL>(); break;
    case FC_SUBTRACT: body.template operator()<FC_SUBTRACT, TOL>(); break;
    case FC_MULTIPLY: body.template operator()<FC_MULTIPLY, TOL>(); break;
    case FC_DIVIDE: body.template operator()<FC_DIVIDE, TOL>(); break;
    case FC_MAX: body.template operator()<FC_MAX, TOL>(); break;
    case FC_MIN: body.template operator()<FC_MIN, TOL>(); break;
    case FC_POWER: body.template operator()<FC_POWER, TOL>(); break;
    case FC_LOG: body.template operator()<FC_LOG, TOL>(); break;
    case FC_RESIDUE: body.template operator()<FC_RESIDUE, TOL>(); break;
    case FC_BINOMIAL: body.template operator()<FC_BINOMIAL, TOL>(); break;
    case FC_CIRCLE: body.template operator()<FC_CIRCLE, TOL>(); break;
    default: body.template operator()<0, TOL>(); break;
    }
}

// Integer sums as the double arithmetic gives them, exact in integers while
// it is exact. The sum of m elements e[0], e[step], ... folded from the
// right end (reduce):
double IntSumFromRight(const i64* e, i64 m, i64 step);
// Their running sums from the left into out[0], out[step], ... (scan).
void IntRunningSums(const i64* e, i64 m, i64 step, double* out);

// Identity of a reduction: the value of reducing an empty operand.
double red_identity(i64 f);
// Whether an integer operand holds only 0 and 1 (a truth-value vector).
bool allbits(const val_item* v);
