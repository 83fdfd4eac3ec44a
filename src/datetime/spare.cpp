// Small library routines over field arrays: comparison, radix packing,
// digit runs, validation and a day-and-time record.
#include "datetime/datetime.h"

#include <cstring>

char anumbuf[32];

static bool temporal(i64 type) { return type >= TMONTH && type <= TTIME; }

i64 dtcompare(i64 type, const i64* a, const i64* b) {
    if (!temporal(type)) return -1;
    for (i64 i = 0; i < DSIZE[type - TMONTH]; i++) {
        if (a[i] > b[i]) return 1;
        if (a[i] < b[i]) return 2;
    }
    return -1;
}

// Fields are in the seven-field order; a time starts at the hour (index 3).
// Only fields that have a radix (year to second) are read.
i64 encalc(const i64* fields, i64 n, bool time, double* value) {
    i64 start = time ? 3 : 0;
    i64 count = 0;
    double v = 0;
    for (i64 i = start; i < 6 && count < n; i++, count++)
        v = v * (double)enn[i] + (double)fields[i];
    *value = v;
    return count;
}

// A run longer than the buffer keeps its first digits.
i64 getanum(const char* text, i64 pos) {
    i64 n = 0;
    while (n < (i64)sizeof anumbuf - 1 && text[pos + n] >= '0' && text[pos + n] <= '9') {
        anumbuf[n] = text[pos + n];
        n++;
    }
    anumbuf[n] = 0;
    return n;
}

// Dates as checkDT; the time of a datetime starts at index 3, that of the
// time types at index 0. Seconds and milliseconds are judged as checkDT does.
int chkdatetime(const i64* fields, i64 type) {
    if (!temporal(type)) return 0;
    if (type <= TDATETIME) {
        i64 date = type == TMONTH ? TMONTH : TDATE;
        if (!checkDT(date, fields)) return 0;
        if (type != TDATETIME) return 1;
        return checkDT(TTIME, fields + 3);
    }
    return checkDT(type, fields);
}

void DTime_Init(DayTime* d) {
    memset(d, 0, sizeof *d);
    d->f[1] = 2000;
    d->f[2] = 1;
    d->f[3] = 1;
}

void DTime_Value(DayTime* d, i64 type, i64 value) {
    if (type == TMONTH) {
        d->f[1] = value / 100;
        d->f[2] = value % 100;
    } else if (type == TDATE) {
        d->f[3] = value % 100;
        d->f[1] = value / 100 / 100;
        d->f[2] = value / 100 % 100;
    }
}
