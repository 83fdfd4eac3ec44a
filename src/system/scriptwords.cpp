// The words of a script file's value lines: numbers in the interpreter's
// syntax ("_" for minus, also after an exponent's "e"), the texts of null
// and infinity, complex numbers "ajb", symbols and date and time literals.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "datetime/datetime.h"
#include "system/script.h"

namespace {

constexpr i64 INTNULL = std::numeric_limits<i64>::min();
constexpr i64 INTINF = std::numeric_limits<i64>::max();

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The word at text[*p], up to the next blank, tab or the line's end.
std::string take_word(const char* text, i64* p) {
    i64 q = *p;
    while (text[q] && !IsBlank(text[q])) q++;
    std::string word(text + *p, static_cast<size_t>(q - *p));
    *p = q;
    return word;
}

// A number word in C syntax ("-" for "_"), or "" when the word is none: an
// optional "_", a digit, digits; for a float also one "." and one exponent
// "e" or "E" with an optional sign and digits.
std::string c_number(const std::string& w, bool integer) {
    std::string out;
    size_t i = 0;
    if (i < w.size() && w[i] == '_') out += '-', i++;
    if (i >= w.size() || !is_digit(w[i])) return "";
    bool dot = false, exp = false;
    for (; i < w.size(); i++) {
        char c = w[i];
        if (is_digit(c)) {
            out += c;
        } else if (c == '.' && !integer && !dot && !exp) {
            dot = true;
            out += c;
        } else if ((c == 'e' || c == 'E') && !integer && !exp) {
            exp = true;
            out += 'e';
            if (i + 1 < w.size() && (w[i + 1] == '_' || w[i + 1] == '+'))
                out += w[++i] == '_' ? '-' : '+';
            if (i + 1 >= w.size() || !is_digit(w[i + 1])) return "";
        } else {
            return "";
        }
    }
    return out;
}

bool int_of(const std::string& w, i64* out) {
    if (w == "0n") return *out = INTNULL, true;
    if (w == "0w") return *out = INTINF, true;
    if (w == "_0w") return *out = -INTINF, true;
    std::string c = c_number(w, true);
    if (c.empty()) return false;
    bool minus = c[0] == '-';
    // The magnitude is gathered negative: -2^63 fits, 2^63 does not.
    i64 v = 0;
    for (size_t i = minus; i < c.size(); i++) {
        if (__builtin_mul_overflow(v, 10, &v) || __builtin_sub_overflow(v, c[i] - '0', &v))
            return false;
    }
    if (!minus && v == INTNULL) return false;
    *out = minus ? v : -v;
    return true;
}

bool float_of(const std::string& w, double* out) {
    if (w == "0nf") return *out = std::numeric_limits<double>::quiet_NaN(), true;
    if (w == "0wf") return *out = std::numeric_limits<double>::infinity(), true;
    if (w == "_0wf") return *out = -std::numeric_limits<double>::infinity(), true;
    std::string c = c_number(w, false);
    if (c.empty()) return false;
    // strtod rounds correctly; a magnitude beyond the range reads as infinite.
    *out = std::strtod(c.c_str(), nullptr);
    return true;
}

}  // namespace

bool ReadIntWord(const char* text, i64* p, i64* out) { return int_of(take_word(text, p), out); }

bool ReadFloatWord(const char* text, i64* p, double* out) {
    return float_of(take_word(text, p), out);
}

bool ReadComplexWord(const char* text, i64* p, double* re, double* im) {
    std::string w = take_word(text, p);
    size_t j = w.find('j');
    *im = 0;
    if (j == std::string::npos) return float_of(w, re);
    return float_of(w.substr(0, j), re) && float_of(w.substr(j + 1), im);
}

bool ReadSymbolWord(const char* text, i64* p, std::string* out) {
    i64 q = *p;
    if (text[q++] != '`') return false;
    out->clear();
    if (text[q] == '\'') {
        for (q++;; q++) {
            if (!text[q]) return false;
            if (text[q] == '\'' && text[q + 1] != '\'') break;
            q += text[q] == '\'';
            *out += text[q];
        }
        q++;
    } else if (IsLetter(text[q])) {
        i64 end = q;
        while (IsNameChar(text[end])) end++;
        while (text[end - 1] == '_') end--;
        out->assign(text + q, static_cast<size_t>(end - q));
        q = end;
    } else if (symp[static_cast<unsigned char>(text[q])]) {
        i64 n = GetSsymb(text, q);
        out->assign(namez, static_cast<size_t>(n));
        q += n;
    }
    *p = q;
    return static_cast<i64>(out->size()) <= SYMBOL_MAX;
}

bool IsPlainSymbol(const char* text) {
    // "//" would start a comment and a "\" at a line's end continues it.
    if (std::strstr(text, "//") || std::strchr(text, '\\')) return false;
    std::string word = std::string("`") + text;
    std::string got;
    i64 p = 0;
    return ReadSymbolWord(word.c_str(), &p, &got) && word[p] == 0 && got == text;
}

bool ReadTemporalWords(i64 type, const char* text, i64* p, std::vector<i64>* out) {
    std::string w = take_word(text, p);
    out->clear();
    if (type == TDATETIME) {
        // The null and infinities as a datetime prints them, or as floats.
        if (w == "0n" || w == "0w" || w == "_0w") w += 'f';
        double d;
        bool special = w == "0nf" || w == "0wf" || w == "_0wf";
        if (special && float_of(w, &d)) {
            i64 bits;
            std::memcpy(&bits, &d, sizeof d);
            out->push_back(bits);
            return true;
        }
    } else if (w == "0n") {
        out->push_back(INTNULL);
        return true;
    }
    // Literals of the type and nothing else: counted first, so that out is
    // sized by what the word holds.
    i64 saved = errchk, pos = 0, count = 0, got = -1;
    bool ok = isdatetime(w.c_str(), &pos, false, &count, &got, nullptr) == 0 &&
              pos == static_cast<i64>(w.size()) && got == type;
    if (ok) {
        out->resize(static_cast<size_t>(count));
        pos = count = 0;
        isdatetime(w.c_str(), &pos, true, &count, &got, out->data());
    }
    errchk = saved;
    return ok;
}

bool ReadTemporalWord(i64 type, const char* text, i64* p, i64* out) {
    std::vector<i64> got;
    if (!ReadTemporalWords(type, text, p, &got) || got.size() != 1) return false;
    *out = got[0];
    return true;
}
