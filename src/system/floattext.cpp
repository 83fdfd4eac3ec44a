// Exact float text: the shortest text that reads back to the same double,
// in C's number syntax and in the interpreter's. Script files, and the CSV,
// XML and JSON files other programs read, carry floats this way so that a
// value written out and read in again is the same to the last bit, whatever
// print precision is in force.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "system/system.h"

// The C text at raw in the interpreter's syntax: "-" becomes "_", and the
// exponent loses its plus sign and leading zeros.
static i64 our_syntax(const char* raw, char* buf) {
    i64 n = 0;
    for (const char* p = raw; *p; p++) {
        if (*p == '-') {
            buf[n++] = '_';
        } else if (*p == 'e') {
            buf[n++] = 'e';
            if (p[1] == '-') buf[n++] = '_';
            p += p[1] == '-' || p[1] == '+';
            while (p[1] == '0' && p[2]) p++;
        } else {
            buf[n++] = *p;
        }
    }
    buf[n] = 0;
    return n;
}

i64 FloatCText(double x, char* buf) {
    if (std::isnan(x)) return std::snprintf(buf, FLOATTEXT, "nan");
    if (std::isinf(x)) return std::snprintf(buf, FLOATTEXT, x < 0 ? "-inf" : "inf");
    char* end = std::to_chars(buf, buf + FLOATTEXT - 1, x).ptr;  // 24 characters at most
    *end = 0;
    return end - buf;
}

i64 GenFloatExact(double x, char* buf) {
    if (std::isnan(x)) return std::snprintf(buf, FLOATTEXT, "0nf");
    if (std::isinf(x)) return std::snprintf(buf, FLOATTEXT, x < 0 ? "_0wf" : "0wf");
    // The shorter of the plain and the exponent form (ties plain), counted
    // once the exponent has lost its plus sign.
    char raw[FLOATTEXT], sci[FLOATTEXT];
    FloatCText(x, raw);
    i64 n = our_syntax(raw, buf);
    if (std::strchr(raw, 'e')) return n;
    *std::to_chars(raw, raw + sizeof raw - 1, x, std::chars_format::scientific).ptr = 0;
    if (our_syntax(raw, sci) >= n) return n;
    std::strcpy(buf, sci);
    return static_cast<i64>(std::strlen(buf));
}
