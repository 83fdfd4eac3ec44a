// Showing a defined function's text: the "{name}" listing, the script-file
// form, the lines of the state-indicator and trace listings, and the source
// text behind a failing line with the error column moved into it.
#include <cinttypes>
#include <cstring>

#include "dict/dict.h"
#include "parser/parser.h"

static const char* text_of(const zem_line* l) { return l && l->text ? l->text : ""; }

const char* FunLineIndex(zem_func* f, i64 n) {
    if (n >= f->nexec) return "";
    return text_of(FunNthLine(f->exec, n < 0 ? 0 : n));
}

char* FunErrLineStr(zem_func* f, i64 n) {
    zem_line* l = n < 0 || n >= f->nsrc ? nullptr : FunNthLine(f->src, n);
    if (!l || !l->text) return f->name;
    return l->text + PastBlanks(l->text, 0);
}

// The ")/" or ")!." that closes a generated condition.
static bool condition_end(const char* s) {
    return s[0] == ')' && (s[1] == '/' || (s[1] == '!' && s[2] == '.'));
}

// Offset in t at which s matches up to its end, or up to the end of a
// generated condition; -1 when it matches nowhere.
static i64 match_at(const char* t, const char* s) {
    for (i64 i = 0; t[i]; i++) {
        i64 j = 0;
        while (s[j] && !condition_end(s + j) && t[i + j] == s[j]) j++;
        if (!s[j] || condition_end(s + j)) return i;
    }
    return -1;
}

// Where the condition of a generated test starts in its text: after "->(~"
// (if, for) or after the "<-~~" that keeps a while's condition; -1 none.
static i64 condition_start(const char* text) {
    i64 dash = csfind(text, '-');
    if (dash >= 0 && std::strncmp(text + dash, "->(~", 4) == 0) return dash + 4;
    const char* kept = std::strstr(text, "<-~~");
    return kept ? kept - text + 4 : -1;
}

char* FunErrLineOld(zem_func* f, i64 n, i64* col) {
    if (n < 0) return const_cast<char*>(text_of(FunNthLine(f->trim, 0)));
    bool exec = f->nexec > 0;
    zem_line* list = exec ? f->exec : f->trim;
    i64 count = exec ? f->nexec : f->ntrim;
    if (n >= count) return const_cast<char*>(text_of(FunNthLine(list, 0)));
    zem_line* l = FunNthLine(list, n);
    if (!l) return f->name;
    i64 source = l->tag;
    if (exec) {
        zem_line* t = FunNthLine(f->trim, l->tag);
        source = t ? t->tag : -1;
    }
    zem_line* s = FunNthLine(f->src, source);
    if (!s || !s->text) return const_cast<char*>(text_of(l));
    char* T = s->text + PastBlanks(s->text, 0);
    const char* text = text_of(l);
    i64 start = condition_start(text);
    if (start >= 0) {
        *col -= start;
        text += start;
    }
    if (std::strcmp(T, text) == 0) return T;
    // A generated line that does not stand in the source (the parts of a for
    // loop), or an error in the generated part of a test, maps to no column
    // of it: the caret goes to the line's start.
    i64 at = match_at(T, text);
    *col = at >= 0 && *col >= 0 ? *col + at : 0;
    return T;
}

void FunOutput(zem_func* f, FILE* out) {
    zem_line* l = FunNthLine(f->src, 0);
    std::fprintf(out, "@.%s\n", text_of(l));
    for (i64 i = 1; i < f->nsrc && l; i++) {
        l = l->next;
        std::fprintf(out, "%s\n", text_of(l));
    }
    std::fprintf(out, "@.\n\n");
}

static void dashes(i64 n) {
    for (; n > 0; n--) std::fputc('-', stdout);
}

void FunDisplay(zem_func* f, const char* name) {
    if (DBListN(name)) {
        std::printf("`%s is a reserved function.\n", name);
        return;
    }
    char digits[32];
    int w = std::snprintf(digits, sizeof digits, "%" PRId64, f->nsrc);
    i64 len = static_cast<i64>(std::strlen(name));
    i64 left = 10 - len / 2;
    dashes(left);
    std::fputs(name, stdout);
    dashes(20 - left - len);
    std::fputc('\n', stdout);
    zem_line* l = f->src->next;
    for (i64 i = 0; i < f->nsrc && l; i++, l = l->next)
        std::printf("[%*" PRId64 "]%*c%s\n", w, i, 4 - w, ' ', text_of(l));
    dashes(20);
    std::fputc('\n', stdout);
}

i64 FunDisp(zem_func* f, i64 which) {
    static const char* const kinds[3] = {"old", "new", "work"};
    if (which < 0 || which > 2) return 0;
    zem_line* lists[3] = {f->src, f->trim, f->exec};
    i64 counts[3] = {f->nsrc, f->ntrim, f->nexec};
    std::printf("[%s] %sline:\n", f->name, kinds[which]);
    zem_line* l = lists[which]->next;
    i64 i = 0;
    for (; i < counts[which] && l; i++, l = l->next)
        std::printf("[%02" PRId64 "] %s\n", i, text_of(l));
    return i;
}
