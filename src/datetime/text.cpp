// Text forms of temporal elements, as printed and as written to scripts.
#include "datetime/datetime.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

// Integer null (empty CSV cells) prints as the null's own text; any other
// value prints by its fields. The widest text of any 64-bit value fits TIMEBUF.
i64 optime1(i64 value, i64 type, char* buf) {
    i64 f[4] = {0, 0, 0, 0};
    int n = 0;
    if (value == INT64_MIN) return snprintf(buf, TIMEBUF, "0n");
    dtconvt1(type, value, f);
    switch (type) {
    case TMONTH: n = snprintf(buf, TIMEBUF, "%" PRId64 ".%02" PRId64 "m", f[0], f[1]); break;
    case TDATE:
        n = snprintf(buf, TIMEBUF, "%" PRId64 ".%02" PRId64 ".%02" PRId64, f[0], f[1], f[2]);
        break;
    case TMINUTE: n = snprintf(buf, TIMEBUF, "%02" PRId64 ":%02" PRId64, f[0], f[1]); break;
    case TSECOND:
        n = snprintf(buf, TIMEBUF, "%02" PRId64 ":%02" PRId64 ":%02" PRId64, f[0], f[1], f[2]);
        break;
    case TTIME:
        n = snprintf(buf, TIMEBUF, "%02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%03" PRId64, f[0],
                     f[1], f[2], f[3]);
        break;
    default: buf[0] = 0; break;
    }
    return n;
}

// Float null (empty CSV cells) and infinities print as the float texts.
i64 optime2(char* buf, double v) {
    // The null and the infinities print as those of the other temporal types.
    if (std::isnan(v)) return snprintf(buf, TIMEBUF, "0n");
    if (std::isinf(v)) return snprintf(buf, TIMEBUF, v > 0 ? "0w" : "_0w");
    i64 f[7];
    dtconvt2(f, v);
    return snprintf(buf, TIMEBUF,
                    "%" PRId64 ".%02" PRId64 ".%02" PRId64 "T%02" PRId64 ":%02" PRId64 ":%02" PRId64
                    ".%03" PRId64,
                    f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
}
