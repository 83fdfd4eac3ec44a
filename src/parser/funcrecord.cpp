// The defined-function record: creating it and filling its source, trimmed
// and executable line lists.
#include <cstdlib>
#include <cstring>

#include "parser/parser.h"

zem_func* FunInit(zem_func* f, const char* name) {
    std::snprintf(f->name, sizeof f->name, "%s", name);
    f->word = 0;
    f->src = eLine_New();
    f->trim = eLine_New();
    f->exec = eLine_New();
    f->append = f->src;
    f->nsrc = f->ntrim = f->nexec = 0;
    return f;
}

void FunInit0() {}

void FunFree(zem_func* f) {
    if (!f) return;
    eLine_free(f->src);
    eLine_free(f->trim);
    eLine_free(f->exec);
    std::free(f);
}

const char* FunGetName(zem_func* f) { return f->name; }

zem_line* FunNthLine(zem_line* head, i64 n) {
    if (n < 0 || !head) return nullptr;
    zem_line* l = head->next;
    for (; l && n > 0; n--) l = l->next;
    return l;
}

// The node after `at`, made when the list ends there.
static zem_line* next_node(zem_line* at) {
    if (!at->next) at->next = eLine_New();
    return at->next;
}

zem_line* FunGetLn0(zem_func* f) { return next_node(f->src); }

void FunSetLine0(zem_func* f, const char* header) {
    zem_line* l0 = FunGetLn0(f);
    eLine_copy0(l0, header);
    l0->tag = 0;
    if (f->nsrc < 1) f->nsrc = 1;
}

i64 FunNameUpd(zem_func* f, const char* header) {
    zem_line* l0 = FunGetLn0(f);
    if (l0->text && std::strcmp(l0->text, header) == 0) return 0;
    return FnLine0(header) < 0 ? -1 : 0;
}

zem_line* FunInitLine(zem_func* f) {
    f->nsrc = 1;
    f->ntrim = f->nexec = 0;
    f->append = FunGetLn0(f);
    return f->append;
}

void FunAddLine(zem_func* f, const char* text) {
    zem_line* l = next_node(f->append);
    eLine_copy0(l, text);
    l->tag = f->nsrc;
    f->append = l;
    f->nsrc++;
}

i64 FunTrimLines(zem_line* dst, zem_line* src, i64 n) {
    static char small[5120];
    zem_line* out = dst;
    i64 kept = 0;
    zem_line* in = src->next;
    for (i64 i = 0; i < n && in; i++, in = in->next) {
        const char* text = in->text ? in->text : "";
        size_t len = std::strlen(text);
        // A line longer than the buffer is cleaned in a block of its own size.
        char* buf = len < sizeof small ? small : static_cast<char*>(AL2(1, (i64)len + 1));
        std::memcpy(buf, text, len + 1);
        char* p = buf;
        i64 clean = CleanB(&p);
        if (clean > 0 || i == 0) {
            out = next_node(out);
            eLine_copy0(out, p);
            out->tag = i;
            kept++;
        }
        if (buf != small) std::free(buf);
    }
    return kept;
}

i64 FunTrimLine(zem_func* f) {
    f->ntrim = FunTrimLines(f->trim, f->src, f->nsrc);
    return f->ntrim;
}

i64 FunCopyLines(zem_line* dst, zem_line* src, i64 n) {
    zem_line* in = src->next;
    for (i64 i = 0; i < n && in; i++, in = in->next) {
        dst = next_node(dst);
        eLine_copy0(dst, in->text ? in->text : "");
        dst->tag = in->tag;
    }
    return n;
}

void FunSetLines(zem_func* f, zem_line* lines, i64 n) {
    FunCopyLines(f->src, lines, n);
    f->nsrc = n;
    f->append = FunNthLine(f->src, n - 1);
    FunTrimLine(f);
    f->nexec = 0;
}
