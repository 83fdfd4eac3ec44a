// Packing, splitting and validation of temporal values, and the day count
// used by date arithmetic.
#include "datetime/datetime.h"

#include <cmath>

const int dtoff[6] = {0, 0, 0, 3, 3, 3};
const int dtmax[6] = {2, 3, 7, 2, 3, 4};
const i64 timesize[6] = {8, 10, 23, 5, 8, 12};
const i64 monthday[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const i64 DSIZE[6] = {2, 3, 7, 2, 3, 4};
const i64 enn[6] = {1, 100, 100, 24, 60, 60};
const char* const dtsym0[7] = {"year", "month", "day", "hour", "minute", "second", "ms"};
const char* const dtsym1[7] = {"yy", "mm", "dd", "hh", "uu", "ss", "ms"};

bool isleap(i64 year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

static i64 daysinmonth(i64 year, i64 month) {
    if (month < 1 || month > 12) return 0;
    return monthday[month] + (month == 2 && isleap(year) ? 1 : 0);
}

// The packing of the types other than datetime: the radix of each field
// after the first, by type - 7 (month, date, -, minute, second, time).
struct packing {
    int fields;  // fields after the first; -1 for datetime
    i64 radix[3];
};
static const packing packings[6] = {
    {1, {100}}, {2, {100, 100}}, {-1, {}}, {1, {60}}, {2, {60, 60}}, {3, {60, 60, 1000}},
};

static const packing* packing_of(i64 type) {
    if (type < TMONTH || type > TTIME || packings[type - TMONTH].fields < 0) return nullptr;
    return &packings[type - TMONTH];
}

i64 dtconvt1(i64 type, i64 value, i64* f) {
    const packing* p = packing_of(type);
    if (!p) return -1;
    for (int k = p->fields; k > 0; k--) {
        f[k] = value % p->radix[k - 1];
        value /= p->radix[k - 1];
    }
    f[0] = value;
    return 0;
}

// A datetime beyond any packed date (or NaN) splits into zero fields rather
// than overflowing the integer conversion.
void dtconvt2(i64* f, double v) {
    i64 d = 0, t = 0;
    if (std::isfinite(v) && std::fabs(v) < 9e18) {
        d = (i64)std::trunc(v / MSDAY);
        t = (i64)std::trunc(v - (double)d * MSDAY);
    }
    f[0] = d / 10000;
    f[1] = d % 10000 / 100;
    f[2] = d % 100;
    f[3] = t / 3600000;
    f[4] = (t / 1000) % 3600 / 60;
    f[5] = (t / 1000) % 60;
    f[6] = t % 1000;
}

i64 dtvalue1(i64 type, const i64* f) {
    const packing* p = packing_of(type);
    if (!p) return -1;
    i64 v = f[0];
    for (int k = 1; k <= p->fields; k++) v = v * p->radix[k - 1] + f[k];
    return v;
}

double dtvalue2(const i64* f) {
    double date = (double)(f[0] * 10000 + f[1] * 100 + f[2]);
    i64 ms = f[3] * 3600000 + f[4] * 60000 + f[5] * 1000 + f[6];
    return date * MSDAY + (double)ms;
}

static bool okdate(const i64* f, bool withday) {
    if (f[0] < DSTA || f[0] > DSED || f[1] < 1 || f[1] > 12) return false;
    return !withday || (f[2] >= 1 && f[2] <= daysinmonth(f[0], f[1]));
}

// Hour, minute, second and ms from h onward; n of them are checked.
static bool oktime(const i64* h, int n) {
    static const i64 top[4] = {23, 59, 59, 999};
    for (int i = 0; i < n; i++)
        if (h[i] < 0 || h[i] > top[i]) return false;
    return true;
}

int checkDT(i64 type, const i64* f) {
    switch (type) {
    case TMONTH: return okdate(f, false);
    case TDATE: return okdate(f, true);
    case TDATETIME: return okdate(f, true) && oktime(f + 3, 4);
    case TMINUTE: return oktime(f, 2);
    case TSECOND: return oktime(f, 3);
    case TTIME: return oktime(f, 4);
    default: return 0;
    }
}

bool ValidTemporal(i64 type, i64 value, i64* fields) {
    return dtconvt1(type, value, fields) == 0 && checkDT(type, fields);
}

bool ValidInstant(double value, i64* fields) {
    dtconvt2(fields, value);
    return std::isfinite(value) && checkDT(TDATETIME, fields);
}

// Leap years among 1..y (proleptic Gregorian), floor division for y < 1.
static i64 leapsupto(i64 y) {
    auto fdiv = [](i64 a, i64 b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); };
    return fdiv(y, 4) - fdiv(y, 100) + fdiv(y, 400);
}

i64 trandate(const i64* f) {
    i64 year = f[0], month = f[1], day = f[2];
    i64 n = (year - 1900) * 365 + leapsupto(year - 1) - leapsupto(1899);
    for (i64 m = 1; m < month && m <= 12; m++) n += monthday[m];
    if (month > 2 && isleap(year)) n += 1;
    return n + day;
}

// Day numbers repeat every 400 years (146097 days); the year is found from
// the cycle and the rest, then corrected by at most a step or two.
i64 retrandate(i64 n) {
    const i64 lim = (i64)1 << 40;
    if (n > lim) n = lim;
    if (n < -lim) n = -lim;
    i64 z = n - 1;
    i64 q = z / 146097 - (z % 146097 < 0);
    i64 r = z - q * 146097;
    i64 year = 1900 + 400 * q + r * 400 / 146097;
    i64 jan1[3] = {year, 1, 1};
    while (trandate(jan1) > n) jan1[0] = --year;
    for (;;) {
        i64 next[3] = {year + 1, 1, 1};
        if (trandate(next) > n) break;
        jan1[0] = ++year;
    }
    i64 rest = n - trandate(jan1) + 1;  // day of the year, 1-based
    i64 month = 1;
    while (month < 12 && rest > daysinmonth(year, month)) rest -= daysinmonth(year, month++);
    return year * 10000 + month * 100 + rest;
}
