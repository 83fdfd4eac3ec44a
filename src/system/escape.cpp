// Quoting of texts for the CSV, XML and JSON files the table writer makes,
// so that other programs read back exactly the texts that were written.
#include <cstdio>

#include "system/filetext.h"

i64 Utf8Sequence(const unsigned char* s, i64 n, i64* cp) {
    unsigned c = s[0];
    if (c < 0x80) {
        *cp = c;
        return 1;
    }
    i64 len;
    i64 min;
    if (c >= 0xC2 && c <= 0xDF) len = 2, min = 0x80, *cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) len = 3, min = 0x800, *cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) len = 4, min = 0x10000, *cp = c & 0x07;
    else return 0;
    if (n < len) return 0;
    for (i64 i = 1; i < len; i++) {
        if ((s[i] & 0xC0) != 0x80) return 0;
        *cp = (*cp << 6) | (s[i] & 0x3F);
    }
    if (*cp < min || *cp > 0x10FFFF || (*cp >= 0xD800 && *cp <= 0xDFFF)) return 0;
    return len;
}

static bool blank_or_tab(char c) { return c == ' ' || c == '\t'; }

void CsvCell(std::string& out, const char* s, i64 n, char sep) {
    bool quote = n > 0 && (blank_or_tab(s[0]) || blank_or_tab(s[n - 1]));
    for (i64 i = 0; i < n && !quote; i++)
        quote = s[i] == sep || s[i] == '"' || s[i] == '\r' || s[i] == '\n';
    if (!quote) {
        out.append(s, static_cast<size_t>(n));
        return;
    }
    out.push_back('"');
    for (i64 i = 0; i < n; i++) {
        if (s[i] == '"') out.push_back('"');
        out.push_back(s[i]);
    }
    out.push_back('"');
}

// Appends a numeric character reference or an escape of byte c, formatted.
static void append_code(std::string& out, const char* form, unsigned c) {
    char buf[16];
    out.append(buf, static_cast<size_t>(std::snprintf(buf, sizeof buf, form, c)));
}

// Walks a text by characters: valid(cp, s, len) for each valid UTF-8
// sequence, invalid(byte) for each byte that is none.
template <class Valid, class Invalid>
static void each_character(const char* s, i64 n, Valid valid, Invalid invalid) {
    const unsigned char* u = reinterpret_cast<const unsigned char*>(s);
    for (i64 i = 0; i < n;) {
        i64 cp;
        i64 len = Utf8Sequence(u + i, n - i, &cp);
        if (len == 0) {
            invalid(u[i]);
            i++;
        } else {
            valid(cp, s + i, len);
            i += len;
        }
    }
}

void XmlText(std::string& out, const char* s, i64 n) {
    auto valid = [&out](i64 cp, const char* at, i64 len) {
        switch (cp) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\r': out += "&#xD;"; break;
        case '\t':
        case '\n': out.push_back(static_cast<char>(cp)); break;
        default:
            if (cp < 0x20 || cp == 0xFFFE || cp == 0xFFFF) out += "&#xFFFD;";
            else out.append(at, static_cast<size_t>(len));
        }
    };
    each_character(s, n, valid, [&out](unsigned c) { append_code(out, "&#x%X;", c); });
}

static bool ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

void XmlName(std::string& out, const char* s, i64 n) {
    if (n == 0 || !(ascii_letter(s[0]) || s[0] == '_')) out.push_back('_');
    for (i64 i = 0; i < n; i++) {
        char c = s[i];
        bool keep = ascii_letter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
        out.push_back(keep ? c : '_');
    }
}

void JsonString(std::string& out, const char* s, i64 n) {
    auto valid = [&out](i64 cp, const char* at, i64 len) {
        switch (cp) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (cp < 0x20) append_code(out, "\\u%04X", static_cast<unsigned>(cp));
            else out.append(at, static_cast<size_t>(len));
        }
    };
    out.push_back('"');
    each_character(s, n, valid, [&out](unsigned c) { append_code(out, "\\u%04X", c); });
    out.push_back('"');
}
