// Records, cells and cell readers of delimited text.
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "datetime/datetime.h"
#include "system/csv.h"

i64 CsvRecordEnd(const char* text, i64 n, i64 start, char sep, i64* cells) {
    bool quoted = false;
    i64 count = 1;
    for (i64 i = start; i < n; i++) {
        char c = text[i];
        if (c == '"') quoted = !quoted;
        else if (quoted) continue;
        else if (c == sep) count++;
        else if (c == '\n') {
            *cells = count;
            return i;
        }
    }
    *cells = count;
    return quoted ? -1 : n;
}

static bool trimmed(char c, char sep, bool tail) {
    return c != sep && (c == ' ' || c == '\t' || (tail && c == '\r'));
}

void CsvTrim(const char* text, i64* start, i64* end, char sep) {
    while (*end > *start && trimmed(text[*end - 1], sep, true)) (*end)--;
    while (*start < *end && trimmed(text[*start], sep, false)) (*start)++;
}

csv_cells CsvCells(const char* start, const char* end, char sep) {
    return csv_cells{start, end, sep, false};
}

bool CsvNextCell(csv_cells* c, std::string* cell) {
    if (c->done) return false;
    cell->clear();
    bool quoted = false;
    const char* p = c->at;
    for (; p < c->end; p++) {
        if (*p == '"') {
            if (quoted && p + 1 < c->end && p[1] == '"') cell->push_back(*++p);
            else quoted = !quoted;
        } else if (*p == c->sep && !quoted) {
            c->at = p + 1;
            return true;
        } else {
            cell->push_back(*p);
        }
    }
    c->done = true;
    return true;
}

// Past blanks, and a sign: true for minus.
static bool sign_of(const char** s) {
    while (std::isspace(static_cast<unsigned char>(**s))) (*s)++;
    char c = **s;
    if (c == '+' || c == '-' || c == '_') (*s)++;
    return c == '-' || c == '_';
}

// Nothing but blanks from s on.
static bool blanks_only(const char* s) {
    while (std::isspace(static_cast<unsigned char>(*s))) s++;
    return *s == 0;
}

static bool is_digit(char c) { return c >= '0' && c <= '9'; }

csv_number CsvInt(const char* s, i64* value) {
    bool minus = sign_of(&s);
    if (!is_digit(*s)) return CSV_NOT_NUMBER;
    // The largest integer a literal writes, either sign: -2^63 is the null.
    i64 v = 0;
    bool beyond = false;
    for (; is_digit(*s); s++) {
        i64 d = *s - '0';
        if (v > (INT64_MAX - d) / 10) beyond = true;
        else v = v * 10 + d;
    }
    if (!blanks_only(s)) return CSV_NOT_NUMBER;
    if (beyond) return CSV_BEYOND;
    *value = minus ? -v : v;
    return CSV_NUMBER;
}

csv_number CsvFloat(const char* s, double* value) {
    bool minus = sign_of(&s);
    // A second sign is not C's reading of a number.
    if (*s == '+' || *s == '-' || *s == '_') return CSV_NOT_NUMBER;
    std::string text(s);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    // The interpreter's own syntax writes a negative exponent as "e_5".
    for (size_t i = 1; i < text.size(); i++)
        if (text[i] == '_' && (text[i - 1] == 'e' || text[i - 1] == 'E')) text[i] = '-';
    double x = 0;
    const char* end = text.data() + text.size();
    auto r = std::from_chars(text.data(), end, x);
    if (text.empty() || r.ptr != end) return CSV_NOT_NUMBER;
    if (r.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: C's reading gives infinity
        // or the nearest tiny value.
        x = std::strtod(text.c_str(), nullptr);
    } else if (r.ec != std::errc()) {
        return CSV_NOT_NUMBER;
    }
    *value = minus ? -x : x;
    return CSV_NUMBER;
}

i64 CsvTemporal(const char* s, i64 type, i64* word, double* real) {
    while (*s == ' ' || *s == '\t') s++;
    i64 n = static_cast<i64>(std::strlen(s));
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t')) n--;
    if (type == TDATETIME) {
        bool ms = n == 23;
        if ((n != 19 && !ms) || ReadDate2(s, false, n, ms) != 0) return E_DATETIME_VALUE;
        *real = ReadDate2(s, true, n, ms);
        return 0;
    }
    if (ReadDate1(s, type, false, n) == 0) {
        *word = ReadDate1(s, type, true, n);
        return 0;
    }
    if (type == TDATE && std::memchr(s, '/', static_cast<size_t>(n))) {
        std::string cell(s, static_cast<size_t>(n));
        *word = getdate0(cell.c_str());
        if (*word != INT64_MIN) return 0;
    }
    return E_DATETIME_VALUE;
}
