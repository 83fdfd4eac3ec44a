// Readers of fixed-width temporal literals (source text) and of CSV dates.
#include "datetime/datetime.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Reads the fields of a fixed-width form: 'd' marks a digit, any other
// character must stand in the text as it is. Consecutive digits make one
// field. Returns the number of fields, or -1 when the text does not fit.
static int readform(const char* text, i64 len, const char* form, i64* f) {
    if ((i64)strlen(form) != len) return -1;
    int n = 0;
    for (i64 i = 0; i < len;) {
        if (form[i] != 'd') {
            if (text[i] != form[i]) return -1;
            i++;
            continue;
        }
        i64 v = 0;
        for (; i < len && form[i] == 'd'; i++) {
            if (!isdigit((unsigned char)text[i])) return -1;
            v = v * 10 + (text[i] - '0');
        }
        f[n++] = v;
    }
    return n;
}

static const char* formof(i64 type) {
    switch (type) {
    case TMONTH: return "dddd.ddm";
    case TDATE: return "dddd.dd.dd";
    case TMINUTE: return "dd:dd";
    case TSECOND: return "dd:dd:dd";
    case TTIME: return "dd:dd:dd.ddd";
    default: return nullptr;
    }
}

i64 ReadDate1(const char* text, i64 type, bool compute, i64 len) {
    const char* form = formof(type);
    i64 f[4];
    if (!form || len != timesize[type - TMONTH] || readform(text, len, form, f) < 0) return -1;
    if (compute) return dtvalue1(type, f);
    return checkDT(type, f) ? 0 : -1;
}

double ReadDate2(const char* text, bool compute, i64 len, bool withMilliseconds) {
    const char* form = withMilliseconds ? "dddd.dd.ddTdd:dd:dd.ddd" : "dddd.dd.ddTdd:dd:dd";
    i64 f[7] = {0, 0, 0, 0, 0, 0, 0};
    if (readform(text, len, form, f) < 0) return -1;
    if (compute) return dtvalue2(f);
    return checkDT(TDATETIME, f) ? 0 : -1;
}

i64 getval(const char* text, i64 pos, i64 n) {
    i64 v = 0;
    for (i64 i = 0; i < n; i++) v = v * 10 + (text[pos + i] - '0');
    return v;
}

// One number of a CSV date followed by the character stop; advances *p.
static bool csvfield(const char** p, char stop, i64* out) {
    char* end;
    errno = 0;
    long long v = strtoll(*p, &end, 10);
    if (end == *p || errno == ERANGE || *end != stop) return false;
    *out = v;
    *p = stop ? end + 1 : end;
    return true;
}

// "month/day/yy": two-digit years are 2000 to 2099. A cell of another form,
// or a date that does not exist, gives the integer null, as an empty cell does.
i64 getdate0(const char* text) {
    i64 month, day, year;
    const char* p = text;
    size_t n = strlen(text);
    while (n > 0 && isspace((unsigned char)text[n - 1])) n--;
    char cell[128];
    if (n >= sizeof cell) return INT64_MIN;
    memcpy(cell, text, n);
    cell[n] = 0;
    p = cell;
    if (!csvfield(&p, '/', &month) || !csvfield(&p, '/', &day) || !csvfield(&p, 0, &year))
        return INT64_MIN;
    if (year < 0 || year > 99) return INT64_MIN;
    i64 f[3] = {2000 + year, month, day};
    if (!checkDT(TDATE, f)) return INT64_MIN;
    return dtvalue1(TDATE, f);
}
