// Complex numbers: the element record, its constants and the monadic,
// dyadic and circle kernels every scalar routine uses on complex data.
#include "scalar/scalar.h"

#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdio>
#include <utility>

const complex2 I0(0.0, 0.0);
const complex2 I1(1.0, 0.0);

typedef std::complex<double> cx;

static cx tocx(complex2 z) { return cx(z.real, z.imag); }
static complex2 fromcx(cx z) { return complex2(z.real(), z.imag()); }

static bool finite(complex2 z) { return std::isfinite(z.real) && std::isfinite(z.imag); }

void clex_clean(complex2* z) {
    // No scale for an infinite or not-a-number part: the fixed bound serves.
    double m = std::fmax(std::fabs(z->real), std::fabs(z->imag));
    double bound = finite(*z) ? STCT * m : STCT;
    if (std::fabs(z->real) < bound || z->real == 0.0) z->real = 0.0;
    if (std::fabs(z->imag) < bound || z->imag == 0.0) z->imag = 0.0;
}

static bool iszero(complex2 z) { return z.real == 0.0 && z.imag == 0.0; }

static complex2 cmul(complex2 x, complex2 y) {
    return complex2(x.real * y.real - x.imag * y.imag, x.imag * y.real + x.real * y.imag);
}

// A positive sum of squares in the normal range.
static bool normal(double d) { return std::isfinite(d) && d >= DBL_MIN; }

// A product that neither overflowed nor lost bits below the normal range.
static bool sound(double u, double v) { return u == 0.0 || v == 0.0 || normal(std::fabs(u * v)); }

// One part of Smith's quotient, (a + b r) t, the product b r kept from
// vanishing below the range where it would decide the part.
static double smith_part(double a, double b, double c, double d, double r, double t) {
    if (r == 0) return (a + d * (b / c)) * t;
    double br = b * r;
    return br != 0 ? (a + br) * t : a * t + (b * t) * r;
}

// x / y for finite x and a finite non-zero y by Smith's ratio method, the
// operands first scaled by powers of two away from the ends of the range
// (Baudin and Smith's robust division): every quotient within the range is
// computed within it, and one beyond it comes out infinite.
static complex2 scaled_div(complex2 x, complex2 y) {
    constexpr double BIG = DBL_MAX / 2, SMALL = DBL_MIN * 2 / DBL_EPSILON;
    constexpr double BE = 2 / (DBL_EPSILON * DBL_EPSILON);
    double a = x.real, b = x.imag, c = y.real, d = y.imag, s = 1;
    double ab = std::fmax(std::fabs(a), std::fabs(b)), cd = std::fmax(std::fabs(c), std::fabs(d));
    if (ab >= BIG) a *= 0.5, b *= 0.5, s *= 2;
    if (cd >= BIG) c *= 0.5, d *= 0.5, s *= 0.5;
    if (ab <= SMALL) a *= BE, b *= BE, s /= BE;
    if (cd <= SMALL) c *= BE, d *= BE, s *= BE;
    bool swap = std::fabs(d) > std::fabs(c);
    if (swap) std::swap(a, b), std::swap(c, d);
    double r = d / c, t = 1 / (c + d * r);
    double e = smith_part(a, b, c, d, r, t), f = smith_part(b, -a, c, d, r, t);
    return complex2(e * s, (swap ? -f : f) * s);
}

// x / y: the text-book formula where its squares and products stay in the
// normal range, else the scaled division. A zero y, or an infinite or
// not-a-number part, keeps the formula's infinite and not-a-number parts.
static complex2 cdiv(complex2 x, complex2 y) {
    double d = y.real * y.real + y.imag * y.imag;
    double re = x.real * y.real + x.imag * y.imag, im = x.imag * y.real - x.real * y.imag;
    bool plain = normal(d) && std::isfinite(re) && std::isfinite(im) && sound(x.real, y.real) &&
                 sound(x.imag, y.imag) && sound(x.imag, y.real) && sound(x.real, y.imag);
    if (plain || !finite(x) || !finite(y) || iszero(y)) return complex2(re / d, im / d);
    return scaled_div(x, y);
}

static complex2 cfloor(complex2 z) {
    double fa = std::floor(z.real), fb = std::floor(z.imag);
    double d = z.real - fa, e = z.imag - fb;
    if (d + e < 1) return complex2(fa, fb);
    if (d <= e) return complex2(fa, fb + 1);
    return complex2(fa + 1, fb);
}

static complex2 cceil(complex2 z) {
    double ca = std::ceil(z.real), cb = std::ceil(z.imag);
    double d = ca - z.real, e = cb - z.imag;
    if (d + e < 1) return complex2(ca, cb);
    if (d <= e) return complex2(ca, cb - 1);
    return complex2(ca - 1, cb);
}

// |z| without squaring the parts out of the range.
static double cmag(complex2 z) { return std::hypot(z.real, z.imag); }

// z times 2^-k, k the exponent of its larger part, so that this part lies
// in [1, 2): exact for a finite non-zero z; any other z is kept, k = 0.
static complex2 unit_scaled(complex2 z, int* k) {
    double top = std::fmax(std::fabs(z.real), std::fabs(z.imag));
    *k = std::isfinite(top) && top > 0 ? std::ilogb(top) : 0;
    return complex2(std::scalbn(z.real, -*k), std::scalbn(z.imag, -*k));
}

// ln |z|: where |z| is no normal number (below the range, or beyond it
// though its logarithm is not), from z scaled by a power of two.
static double clogmag(complex2 z) {
    double m = cmag(z);
    if (std::isfinite(m) && m >= DBL_MIN) return std::log(m);
    int k;
    double s = cmag(unit_scaled(z, &k));
    return std::log(s) + k * std::log(2.0);
}

// z / |z| from z scaled by a power of two: no part of the quotient is lost
// below the range, and no magnitude overflows.
static complex2 csignum(complex2 z) {
    int k;
    z = unit_scaled(z, &k);
    double m = cmag(z);
    return complex2(z.real / m, z.imag / m);
}

// One monadic function; false for a code without a complex form.
static bool mon1(i64 code, complex2 z, complex2* out) {
    double a = z.real, b = z.imag;
    switch (code) {
    case FC_IDENTITY: *out = complex2(a, -b); return true;
    case FC_NEGATE: *out = complex2(-a, -b); return true;
    case FC_SIGNUM: *out = csignum(z); return true;
    case FC_RECIPROCAL: {
        double d = a * a + b * b;
        *out = normal(d) || !finite(z) ? complex2(a / d, -(b / d)) : cdiv(I1, z);
        return true;
    }
    case FC_CEILING: *out = cceil(z); return true;
    case FC_FLOOR: *out = cfloor(z); return true;
    case FC_EXP: *out = fromcx(std::exp(tocx(z))); return true;
    case FC_LN: *out = complex2(clogmag(z), std::atan2(b, a)); return true;
    case FC_MAGNITUDE: *out = complex2(cmag(z), 0.0); return true;
    case FC_PITIMES: *out = complex2(ZPI * a, ZPI * b); return true;
    default: return false;
    }
}

void clex_mon0(i64 code, i64 n, complex2* out, const complex2* in) {
    for (i64 i = 0; i < n; i++) {
        if (!mon1(code, in[i], &out[i])) {
            fputs("why are you here? an error occurs", stdout);
            break;
        }
    }
    for (i64 i = 0; i < n; i++) clex_clean(&out[i]);
}

// A real number above 0, infinity included.
static bool positive(complex2 z) { return z.imag == 0 && z.real > 0; }

// Whether base x to the power y is real: y real, and x positive, or x real
// and y whole or infinite.
static bool real_power(complex2 x, complex2 y) {
    if (x.imag != 0 || y.imag != 0 || std::isnan(y.real)) return false;
    return x.real > 0 || whole(y.real) || std::isinf(y.real);
}

i64 clex_dyadic_process(i64 code, complex2* out, complex2 x, complex2 y) {
    complex2 r;
    switch (code) {
    case FC_ADD: r = complex2(x.real + y.real, x.imag + y.imag); break;
    case FC_SUBTRACT: r = complex2(x.real - y.real, x.imag - y.imag); break;
    case FC_MULTIPLY: r = cmul(x, y); break;
    case FC_DIVIDE:
        if (!iszero(y)) r = cdiv(x, y);
        else if (iszero(x)) r = I1;
        else return E_DOMAIN;
        break;
    case FC_POWER:
        if (iszero(x)) r = I0;
        else if (x == I1) r = I1;
        // A real power of a positive base, or a whole or infinite power of
        // a real one, is real: the real function's power, exact where it
        // can be.
        else if (real_power(x, y)) r = complex2(ari_f<FC_POWER>(x.real, y.real), 0.0);
        else r = fromcx(std::exp(tocx(y) * std::log(tocx(x))));
        break;
    case FC_LOG:
        if (iszero(x) || iszero(y)) return E_DOMAIN;
        // Positive reals, infinite ones too: the real function's logarithm.
        if (positive(x) && positive(y)) r = complex2(ari_f<FC_LOG>(x.real, y.real), 0.0);
        else r = cdiv(fromcx(std::log(tocx(y))), fromcx(std::log(tocx(x))));
        break;
    case FC_RESIDUE:
        if (!iszero(x)) {
            complex2 q = cmul(x, cfloor(cdiv(y, x)));
            r = complex2(y.real - q.real, y.imag - q.imag);
        } else if (iszero(y)) r = I0;
        else return E_DOMAIN;
        break;
    case FC_CIRCLE: clex_circle_dyc(&r, (i64)std::trunc(x.real), y); break;
    default: return 0;  // no complex form: nothing written
    }
    clex_clean(&r);
    *out = r;
    return 0;
}

void clex_circle_dyc(complex2* out, i64 k, complex2 z) {
    cx c = tocx(z), w;
    double a = z.real, b = z.imag;
    switch (k) {
    case -12: w = std::exp(cx(-b, a)); break;
    case -11: w = cx(-b, a); break;
    case -10: w = cx(a, -b); break;
    case -9: w = c; break;
    case -8: {
        clex_circle_dyc(out, 8, z);
        *out = complex2(-out->real, -out->imag);
        return;
    }
    case -7: w = std::atanh(c); break;
    case -6: w = std::acosh(c); break;
    case -5: w = std::asinh(c); break;
    case -4: {
        w = std::sqrt(cx(-1.0, 0.0) + c * c);
        bool keep = a >= 0 || (a > -1 && a < 0 && b == 0);
        if (!keep) w = -w;
        break;
    }
    case -3: w = std::atan(c); break;
    case -2: w = std::acos(c); break;
    case -1: w = std::asin(c); break;
    case 0: w = std::sqrt(cx(1.0, 0.0) - c * c); break;
    case 1: w = std::sin(c); break;
    case 2: w = std::cos(c); break;
    case 3: w = std::tan(c); break;
    case 4: w = std::sqrt(cx(1.0, 0.0) + c * c); break;
    case 5: w = std::sinh(c); break;
    case 6: w = std::cosh(c); break;
    case 7: w = std::tanh(c); break;
    case 8: {
        w = std::sqrt(cx(-1.0, 0.0) - c * c);
        bool keep = b > 0 && !(a == 0 && b <= 1);
        if (!keep) w = -w;
        break;
    }
    case 9: w = cx(a, 0.0); break;
    case 10: w = cx(cmag(z), 0.0); break;
    case 11: w = cx(b, 0.0); break;
    default: w = cx(0.0, 0.0); break;
    }
    *out = fromcx(w);
}

complex2 xvax(const val_item* v, i64 i) {
    const void* d = getptV(const_cast<val_item*>(v));
    switch (v->type) {
    case TBOOL:
    case TINT: return complex2((double)((const i64*)d)[i], 0.0);
    case TFLOAT: return complex2(((const double*)d)[i], 0.0);
    case TCPLX: return ((const complex2*)d)[i];
    default: return I0;
    }
}

void printClex(complex2 z) { printf("%.3lf %.3lf", z.real, z.imag); }

double clex_test() { return std::exp(cx(ZPI, 0.0)).imag(); }

double fun1() { return std::asin(cx(2.0, 3.0)).imag(); }
