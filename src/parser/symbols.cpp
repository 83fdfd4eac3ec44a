// Primitive symbols: their symbol codes, and the function codes they map to.
#include <cstring>

#include "parser/parser.h"
#include "values/fcodes.h"

// Symbol code of a character and the one that follows it; *two is set when
// the second character belongs to the symbol.
static i64 SymbolOf(char c, char d, i64 dyadic, bool* two) {
    *two = true;
    switch (c) {
    case '<':
        if (d == '-') return 0;
        if (d == '=') return 18;
        if (d == '.') return dyadic ? 12 : 56;
        if (d == '<') return 74;
        *two = false;
        return dyadic ? 17 : 25;
    case '-':
        if (d == '>') return 1;
        *two = false;
        return 37;
    case '[':
        if (d == ']') return 54;
        if (d == ')') return 53;
        *two = false;
        return 2;
    case '>':
        if (d == '.') return dyadic ? 11 : 68;
        if (d == '=') return 19;
        *two = false;
        return dyadic ? 20 : 24;
    case '~':
        if (d == '=') return 21;
        if (d == '.') return 40;
        *two = false;
        return dyadic ? 73 : 26;
    case '|':
        if (d == '.') return 45;
        if (d == '|') return dyadic ? 59 : 60;
        *two = false;
        return 44;
    default: break;
    }
    // Symbols whose only two-character form adds a ".".
    static const struct {
        char c;
        i64 dy, mo, dotdy, dotmo;
    } dotted[] = {
        {'^', 14, 61, 4, 63},  {'!', 30, 30, 5, 23},  {'/', 6, 6, 7, 7},     {'\\', 8, 8, 9, 9},
        {'?', 10, 66, 27, 27}, {'&', 13, 13, 32, 32}, {'#', 28, 28, 35, 35}, {',', 29, 29, 47, 67},
        {'$', 31, 31, 33, 33}, {'+', 36, 36, 34, 34}, {'*', 38, 38, 42, 42}, {'%', 39, 39, 43, 43},
        {'_', -1, -1, 41, 41},
    };
    for (const auto& s : dotted) {
        if (s.c != c) continue;
        if (d == '.') return dyadic ? s.dotdy : s.dotmo;
        *two = false;
        return dyadic ? s.dy : s.mo;
    }
    *two = false;
    switch (c) {
    case ';': return 3;
    case '=': return dyadic ? 22 : 58;
    case '@': return 46;
    case ':': return dyadic ? 69 : 62;
    case '.': return dyadic ? 70 : -1;
    case '"': return 65;
    default: return -1;
    }
}

i64 GetAsymb(char c, i64 dyadic, char* text) {
    bool two = false;
    char d = c ? text[cursor + 1] : 0;
    i64 s = SymbolOf(c, d, dyadic, &two);
    if (s >= 0 && two) cursor++;
    return s;
}

i64 PfnList(i64 symbol) {
    if (symbol == 0) return FC_ASSIGN;
    if (symbol >= 2 && symbol <= 27) return symbol - 1;
    if (symbol == 28) return FC_SHAPE;
    if (symbol >= 29 && symbol <= 47) return 2 * symbol - 28;
    switch (symbol) {
    case 56: return FC_ENCLOSE;
    case 57: return FC_UNPACK;
    case 58: return FC_UNIQUE;
    case 59: return FC_CUT;
    case 60: return FC_PARTCOUNT;
    case 61: return FC_COUNT;
    case 62: return FC_TYPE;
    case 63: return FC_FIRST;
    case 65: return FC_QUOTE;
    case 66: return FC_WHERE;
    case 67: return FC_RAZE;
    case 68: return FC_GROUP;
    case 69: return FC_DICT;
    case 70: return FC_DOT;
    case 71: return FC_CHECK;
    case 72: return FC_LIST711;
    case 73: return FC_MATCH;
    case 74: return FC_APPEND;
    default: return -1;
    }
}

int inSF0(i64 s) { return s >= 36 && s <= 46; }
int inSF2(i64 s) { return s >= 13 && s <= 22; }
int inMF2(i64 s) { return s >= 4 && s <= 12; }

i64 GetSsymb(const char* text, i64 pos) {
    i64 n = 0;
    while (text[pos + n] && symp[(unsigned char)text[pos + n]] && n < NAMESIZE - 1) {
        namez[n] = text[pos + n];
        n++;
    }
    namez[n] = 0;
    return n;
}

i64 Riota(const i64* stack, i64 key, i64 top) {
    for (i64 i = top; i >= 0; i--)
        if (stack[i] == key) return top - i;
    return top + 1;
}
