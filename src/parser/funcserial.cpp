// A defined function's part of the binary workspace file: a text line with
// its name and counts, then its three line lists, each line as a 4-byte tag,
// a 4-byte length (machine byte order) and the text bytes.
#include <cinttypes>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "parser/records.h"

static void put32(FILE* fp, i64 v) {
    int32_t w = static_cast<int32_t>(v);
    std::fwrite(&w, sizeof w, 1, fp);
}

static bool get32(FILE* fp, i64* v) {
    int32_t w;
    if (std::fread(&w, sizeof w, 1, fp) != 1) return false;
    *v = w;
    return true;
}

// Longest line text a workspace file may hold for one line.
constexpr i64 MAXLINE = 1 << 24;

void FunSerLine(FILE* fp, zem_line* list, i64 n, bool write) {
    zem_line* at = list;
    for (i64 i = 0; i < n; i++) {
        if (!at->next) at->next = eLine_New();
        at = at->next;
        if (write) {
            const char* t = at->text ? at->text : "";
            i64 len = static_cast<i64>(std::strlen(t));
            put32(fp, at->tag);
            put32(fp, len);
            std::fwrite(t, 1, static_cast<size_t>(len), fp);
            continue;
        }
        i64 tag = 0, len = 0;
        if (!get32(fp, &tag) || !get32(fp, &len) || len < 0 || len > MAXLINE) len = 0;
        char* buf = static_cast<char*>(AL2(1, len + 1));
        size_t got = len ? std::fread(buf, 1, static_cast<size_t>(len), fp) : 0;
        buf[got] = 0;
        eLine_copy0(at, buf);
        at->tag = tag;
        std::free(buf);
    }
}

void FunSerialize(zem_func* f, FILE* fp, bool write) {
    if (write) {
        std::fprintf(fp, "%s %lld %lld %lld %lld ", f->name, static_cast<long long>(f->word),
                     static_cast<long long>(f->nsrc), static_cast<long long>(f->ntrim),
                     static_cast<long long>(f->nexec));
    } else {
        char name[FNAMESIZE] = "";
        long long w = 0, a = 0, b = 0, c = 0;
        if (std::fscanf(fp, "%119s %lld %lld %lld %lld ", name, &w, &a, &b, &c) != 5)
            w = a = b = c = 0;
        FunInit(f, name);
        f->word = w;
        f->nsrc = a < 0 ? 0 : a;
        f->ntrim = b < 0 ? 0 : b;
        f->nexec = c < 0 ? 0 : c;
    }
    FunSerLine(fp, f->src, f->nsrc, write);
    FunSerLine(fp, f->trim, f->ntrim, write);
    FunSerLine(fp, f->exec, f->nexec, write);
    if (!write)
        f->append = FunNthLine(f->src, f->nsrc - 1) ? FunNthLine(f->src, f->nsrc - 1) : f->src;
}
