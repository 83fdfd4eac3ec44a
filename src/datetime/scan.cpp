// Reading a run of blank-separated temporal literals (script-file values).
#include "datetime/datetime.h"

#include <cstring>

static bool isdig(char c) { return c >= '0' && c <= '9'; }

static i64 digitrun(const char* text, i64 p) {
    i64 n = 0;
    while (isdig(text[p + n])) n++;
    return n;
}

// A code of E_TIME_FORMAT or E_DATETIME_VALUE is also the error code of the running line.
static i64 fail(i64 code) {
    errchk = code;
    return code;
}

struct literal {
    i64 type;
    i64 value;  // datetime: the bits of its double
};

// Reads the time form at text[*p] (hour run already known to be 2 digits).
// inDT: part of a datetime, which needs seconds. Sets *type and *ms.
static i64 timeform(const char* text, i64* p, bool inDT, i64* type, i64* ms) {
    i64 q = *p;
    if (text[q + 2] != ':') return inDT ? fail(E_TIME_FORMAT) : 1;
    i64 hour = getval(text, q, 2);
    if (hour > 23) return fail(E_DATETIME_VALUE);
    q += 3;
    if (digitrun(text, q) != 2) return fail(E_TIME_FORMAT);
    i64 minute = getval(text, q, 2);
    if (minute > 59) return fail(E_DATETIME_VALUE);
    q += 2;
    if (text[q] != ':') {
        if (inDT) return fail(E_TIME_FORMAT);
        *type = TMINUTE;
        *ms = (hour * 60 + minute) * 60000;
        *p = q;
        return 0;
    }
    q++;
    if (digitrun(text, q) != 2) return fail(E_TIME_FORMAT);
    i64 second = getval(text, q, 2);
    if (second > 59) return fail(E_DATETIME_VALUE);
    q += 2;
    i64 secs = hour * 3600 + minute * 60 + second;
    *type = TSECOND;
    *ms = secs * 1000;
    if (text[q] == '.') {
        q++;
        if (digitrun(text, q) != 3) return fail(E_TIME_FORMAT);
        i64 milli = getval(text, q, 3);
        q += 3;
        *type = TTIME;
        *ms += milli;
    }
    *p = q;
    return 0;
}

// Reads the date form at text[*p] (a run of 4 digits).
static i64 dateform(const char* text, i64* p, literal* lit) {
    i64 q = *p;
    if (text[q + 4] != '.') return 1;
    i64 year = getval(text, q, 4);
    if (year < DSTA || year > DSED) return fail(E_DATETIME_VALUE);
    q += 5;
    i64 run = digitrun(text, q);
    if (run != 2) return text[q + run] == '.' ? fail(E_TIME_FORMAT) : 1;
    i64 month = getval(text, q, 2);
    if (month < 1 || month > 12) return fail(E_DATETIME_VALUE);
    q += 2;
    if (text[q] == 'm') {
        lit->type = TMONTH;
        lit->value = year * 100 + month;
        *p = q + 1;
        return 0;
    }
    if (text[q] != '.') return 1;
    q++;
    if (digitrun(text, q) != 2) return fail(E_TIME_FORMAT);
    i64 f[3] = {year, month, getval(text, q, 2)};
    if (!checkDT(TDATE, f)) return fail(E_DATETIME_VALUE);
    q += 2;
    i64 date = dtvalue1(TDATE, f);
    if (text[q] != 'T') {
        lit->type = TDATE;
        lit->value = date;
        *p = q;
        return 0;
    }
    q++;
    if (digitrun(text, q) != 2) return fail(E_TIME_FORMAT);
    i64 ttype, ms;
    i64 rc = timeform(text, &q, true, &ttype, &ms);
    if (rc) return rc;
    double v = (double)date * MSDAY + (double)ms;
    lit->type = TDATETIME;
    memcpy(&lit->value, &v, sizeof v);
    *p = q;
    return 0;
}

static i64 oneliteral(const char* text, i64* p, literal* lit) {
    i64 run = digitrun(text, *p);
    if (run == 4) return dateform(text, p, lit);
    if (run != 2) return 1;
    i64 ms;
    i64 rc = timeform(text, p, false, &lit->type, &ms);
    if (rc) return rc;
    lit->value = lit->type == TMINUTE ? ms / 60000 : lit->type == TSECOND ? ms / 1000 : ms;
    return 0;
}

i64 isdatetime(const char* text, i64* pos, bool store, i64* count, i64* type, i64* out) {
    merr = 0;
    bool first = true;
    for (;;) {
        literal lit;
        i64 p = *pos;
        i64 rc = oneliteral(text, &p, &lit);
        if (rc) return rc;
        if (first) *type = lit.type;
        else if (lit.type != *type) return fail(E_TIME_FORMAT);
        first = false;
        if (store) out[*count] = lit.value;
        (*count)++;
        while (text[p] == ' ') p++;
        *pos = p;
        if (!isdig(text[p])) return 0;
    }
}
