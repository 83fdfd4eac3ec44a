// Temporal arithmetic: a count added to or taken from a temporal value, and
// the difference of two values of one temporal type. Each call leaves its
// status in merr (0 success, MERR_FAIL failure); the caller turns a failure into E_DATETIME_VALUE.
#include "datetime/datetime.h"
#include "values/fcodes.h"

#include <cmath>

i64 merr = 0;

// Day numbers beyond this cannot be a valid date; larger sums fail early.
static const i64 DAYLIMIT = 1000000;

static i64 status(i64 code) {
    merr = code;
    return code;
}

// (base + n) modulo m, non-negative, without overflow for any n.
static i64 wrap(i64 base, i64 n, i64 m) {
    i64 r = (base % m + n % m) % m;
    return r < 0 ? r + m : r;
}

// The month count (1900.01m is 1) moved by n, or -1 when it leaves range.
static i64 movemonth(const i64* f, i64 n, i64* out) {
    i64 m;
    if (__builtin_add_overflow((f[0] - 1900) * 12 + f[1], n, &m) || m < 0) return -1;
    i64 r[2] = {m / 12 - (m % 12 == 0 ? 1 : 0) + 1900, m % 12 == 0 ? 12 : m % 12};
    if (!checkDT(TMONTH, r)) return -1;
    *out = dtvalue1(TMONTH, r);
    return 0;
}

// The day number d as a valid packed date, or -1.
static i64 daytodate(i64 d, i64* out) {
    if (d < 0 || d > DAYLIMIT) return -1;
    i64 f[3];
    dtconvt1(TDATE, retrandate(d), f);
    if (!checkDT(TDATE, f)) return -1;
    *out = dtvalue1(TDATE, f);
    return 0;
}

i64 amtime0(i64 code, i64 type, i64 v, i64 n, i64* out) {
    i64 f[4];
    if (!ValidTemporal(type, v, f)) return status(MERR_FAIL);
    bool sub = code == FC_SUBTRACT;
    // A negated count must not overflow; the most negative count only
    // matters through its remainder for the wrapping types.
    if (sub && n == INT64_MIN && (type == TMONTH || type == TDATE)) return status(MERR_FAIL);
    i64 r = 0;
    switch (type) {
    case TMONTH:
        if (movemonth(f, sub ? -n : n, &r) < 0) return status(MERR_FAIL);
        break;
    case TDATE: {
        i64 d;
        if (__builtin_add_overflow(trandate(f), sub ? -n : n, &d) || daytodate(d, &r) < 0)
            return status(MERR_FAIL);
        break;
    }
    case TMINUTE: r = wrap(v, sub ? -(n % 1440) : n, 1440); break;
    case TSECOND: r = wrap(v, sub ? -(n % 86400) : n, 86400); break;
    default: r = wrap(v, sub ? -(n % 86400000) : n, 86400000); break;
    }
    i64 g[4];
    dtconvt1(type, r, g);
    if (!checkDT(type, g)) return status(MERR_FAIL);
    *out = r;
    return status(0);
}

i64 amtime0E(i64 code, i64 n, double* out, double v) {
    i64 f[7];
    if (!ValidInstant(v, f) || (code == FC_SUBTRACT && n == INT64_MIN)) return status(MERR_FAIL);
    if (code == FC_SUBTRACT) n = -n;
    const i64 day = 86400000;
    i64 w = n / day, rest = n - w * day;
    i64 t = f[3] * 3600000 + f[4] * 60000 + f[5] * 1000 + f[6] + rest;
    i64 d;
    if (__builtin_add_overflow(trandate(f), w, &d)) return status(MERR_FAIL);
    if (t < 0) {
        t += day;
        d--;
    }
    if (t >= day) {
        t -= day;
        d++;
    }
    i64 date;
    if (daytodate(d, &date) < 0) return status(MERR_FAIL);
    double r = (double)date * MSDAY + (double)t;
    dtconvt2(f, r);
    if (!checkDT(TDATETIME, f)) return status(MERR_FAIL);
    *out = r;
    return status(0);
}

i64 amtime1(i64 type, i64 a, i64 b, i64* out) {
    i64 fa[4], fb[4];
    if (!ValidTemporal(type, a, fa) || !ValidTemporal(type, b, fb)) return status(MERR_FAIL);
    i64 x, y;
    switch (type) {
    case TMONTH:
        x = fa[0] * 12 + fa[1];
        y = fb[0] * 12 + fb[1];
        break;
    case TDATE:
        x = trandate(fa);
        y = trandate(fb);
        break;
    default:
        x = a;
        y = b;
        break;  // minutes, seconds or ms of the day
    }
    *out = (i64)((uint64_t)x - (uint64_t)y);
    return status(0);
}

i64 amtime1E(double* out, double a, double b) {
    double hi = a > b ? a : b, lo = a > b ? b : a;
    i64 fh[7], fl[7];
    if (!ValidInstant(hi, fh) || !ValidInstant(lo, fl)) return status(MERR_FAIL);
    i64 days = trandate(fh) - trandate(fl);
    i64 t = (fh[3] * 3600000 + fh[4] * 60000 + fh[5] * 1000 + fh[6]) -
            (fl[3] * 3600000 + fl[4] * 60000 + fl[5] * 1000 + fl[6]);
    if (t < 0) {
        days--;
        t += 86400000;
    }
    double r = (double)days * MSDAY + (double)t;
    *out = a < b ? -r : r;
    return status(0);
}
