// Line output of the display: a fixed format buffer in front of standard
// output, with the width of the current line kept as text is added.
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "display/display.h"

display_handovers display_up{};

void OutStart(outline* o, i64 col) {
    o->used = 0;
    o->col = col;
}

void OutFlush(outline* o) {
    if (o->used > 0) fwrite(o->text, 1, (size_t)o->used, stdout);
    o->used = 0;
    display_up.check_output();
}

// Appends without counting columns.
static void OutRaw(outline* o, const char* s, i64 n) {
    while (n > 0) {
        if (o->used == OUTBUF) OutFlush(o);
        i64 k = OUTBUF - o->used < n ? OUTBUF - o->used : n;
        memcpy(o->text + o->used, s, (size_t)k);
        o->used += k;
        s += k;
        n -= k;
    }
}

void OutText(outline* o, const char* s, i64 n) {
    OutRaw(o, s, n);
    o->col += n;
}

void OutBlanks(outline* o, i64 n) {
    static const char blanks[] = "                                ";
    const i64 chunk = (i64)sizeof blanks - 1;
    for (; n > chunk; n -= chunk) OutText(o, blanks, chunk);
    if (n > 0) OutText(o, blanks, n);
}

void OutNewline(outline* o) {
    OutRaw(o, "\n", 1);
    o->col = 0;
}

void OutCutNotice(outline* o, i64 more) {
    char notice[96];
    int n = snprintf(notice, sizeof notice, "\n%s <%" PRId64 " more>, TRY []<-v to output all %s",
                     "...", more, "...");
    OutRaw(o, notice, n);
    o->col = n - 1;
}

void OutContinue(outline* o, i64 indent) {
    if (o->col > 0) OutNewline(o);
    OutBlanks(o, indent + CONTINDENT);
}

i64 AxisLength(const val_item* v, i64 k) {
    if (v->rank <= 1) return v->count;
    if (k == 0) return v->dim0;
    if (v->rank == 2) return v->dim1;
    if (glist == nullptr || v->dim1 < 0 || v->dim1 + k - 1 >= GLIST_SIZE) return 0;
    return glist[v->dim1 + k - 1];
}

i64 ShownText(val_item* v, i64 k, char* buf) {
    if (v->type != TSYM) return FillTemp(v, k, buf, -1);
    buf[0] = '`';
    return 1 + FillTemp(v, k, buf + 1, -1, ELEMTEXT - 1);
}
