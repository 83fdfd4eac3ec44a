// Line cleaning and string routines that know the language's quoting: a
// quoted string runs to the next single quote ("''" inside stands for one),
// and "//" outside quotes starts a comment.
#include <cstring>

#include "parser/parser.h"

i64 CleanN(const char* s) {
    i64 n = (i64)strlen(s);
    while (n > 0 && (s[n - 1] == '\r' || s[n - 1] == '\n')) n--;
    return n;
}

// Position of the quote that closes the string opened at p (or of the end).
static i64 SkipQuoted(const char* s, i64 p) {
    p++;
    while (s[p]) {
        if (s[p] == '\'') {
            if (s[p + 1] != '\'') return p;
            p++;
        }
        p++;
    }
    return p;
}

// Length up to the first "//" outside quotes.
static i64 CommentAt(const char* s) {
    i64 p = 0;
    while (s[p]) {
        if (s[p] == '\'') {
            p = SkipQuoted(s, p);
            if (!s[p]) break;
        } else if (s[p] == '/' && s[p + 1] == '/') {
            return p;
        }
        p++;
    }
    return p;
}

i64 CleanX(const char* s) {
    i64 n = CommentAt(s);
    while (n > 0 && IsBlank(s[n - 1])) n--;
    return n;
}

i64 CleanA(char* s) {
    i64 start = 0, n = (i64)strlen(s);
    while (s[start] == ' ') start++;
    while (n > start && s[n - 1] == ' ') n--;
    memmove(s, s + start, n - start);
    n -= start;
    s[n] = 0;
    i64 x = CleanX(s);
    if (x < n) {
        s[x] = 0;
        n = x;
    }
    return n;
}

i64 CleanB(char** p) {
    char* s = *p;
    s += PastBlanks(s, 0);
    *p = s;
    i64 n = CommentAt(s);
    while (n > 0 && strchr(" \t\r\n", s[n - 1])) n--;
    s[n] = 0;
    return n;
}

void preproc(char* s) {
    i64 p = 0, crlf = -1;
    while (s[p]) {
        if (s[p] == '\'') {
            p = SkipQuoted(s, p);
            if (!s[p]) break;
        } else if (s[p] == '/' && s[p + 1] == '/') {
            s[p] = 0;
            break;
        } else if (s[p] == '\r' && s[p + 1] == '\n') {
            crlf = p;
        }
        p++;
    }
    if (crlf >= 0 && crlf < (i64)strlen(s)) s[crlf] = 0;
}

void parse_new_skip(const char* s, i64* pos) {
    i64 p = *pos;
    char open = s[p];
    if (open == '\'') {
        *pos = SkipQuoted(s, p);
        return;
    }
    if (open != '(' && open != '[') return;
    char close = open == '(' ? ')' : ']';
    i64 depth = 0;
    while (s[p]) {
        if (s[p] == '\'') {
            p = SkipQuoted(s, p);
            if (!s[p]) break;
        } else if (s[p] == open) {
            depth++;
        } else if (s[p] == close && --depth == 0) {
            break;
        }
        p++;
    }
    *pos = p;
}

i64 csfind(const char* s, int c) {
    for (i64 p = 0; s[p]; p++) {
        if (s[p] == '\'' || s[p] == '(' || s[p] == '[') {
            parse_new_skip(s, &p);
            if (!s[p]) break;
            continue;
        }
        if (s[p] == c) return p;
    }
    return -1;
}

i64 CSFind(const char* s, int c) { return csfind(s, c); }

int istrq(const char* s, const char* word, i64* pos) {
    i64 n = (i64)strlen(word);
    if (strncmp(s, word, n) != 0) {
        *pos = n;
        return 0;
    }
    n = PastBlanks(s, n);
    *pos = n;
    return 1;
}

i64 strq(const char* s, const char* word) {
    i64 pos = 0;
    return istrq(s, word, &pos) ? pos : 0;
}

int cmp_i64(const void* a, const void* b) {
    i64 x = *(const i64*)a, y = *(const i64*)b;
    return (x > y) - (x < y);
}

int cmp_char(const void* a, const void* b) { return *(const char*)a - *(const char*)b; }

int cmp_double(const void* a, const void* b) {
    double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}
