// A defined function's part of the binary workspace file: a text line with
// its name and counts, then its three line lists, each line as a 4-byte tag,
// a 4-byte length (both little-endian) and the text bytes.
//
// Reading trusts nothing: a short read, a negative count or a length beyond
// what the rest of the file holds is error 301, never an empty line.
#include <sys/stat.h>

#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "parser/records.h"
#include "values/wordio.h"

namespace {

// Bytes of the file after the current position.
i64 bytes_left(FILE* fp) {
    struct stat st;
    long at = std::ftell(fp);
    if (at < 0 || fstat(fileno(fp), &st) != 0) return 0;
    return st.st_size > at ? static_cast<i64>(st.st_size - at) : 0;
}

bool write_lines(FILE* fp, zem_line* list, i64 n) {
    bool ok = true;
    zem_line* at = list->next;
    for (i64 i = 0; i < n; i++) {
        const char* t = at && at->text ? at->text : "";
        i64 len = static_cast<i64>(std::strlen(t));
        ok &= PutWord(fp, at ? at->tag : 0) && PutWord(fp, len);
        ok &= std::fwrite(t, 1, static_cast<size_t>(len), fp) == static_cast<size_t>(len);
        if (at) at = at->next;
    }
    return ok;
}

// Reads n lines into list; *left is what the file still holds.
bool read_lines(FILE* fp, zem_line* list, i64 n, i64* left) {
    if (n > *left / 8) return false;  // every line takes 8 bytes at least
    zem_line* at = list;
    for (i64 i = 0; i < n; i++) {
        i64 tag = 0, len = 0;
        if (!GetWord(fp, &tag) || !GetWord(fp, &len)) return false;
        *left -= 8;
        if (len < 0 || len > *left) return false;
        char* buf = static_cast<char*>(AL2(1, len + 1));
        bool got = std::fread(buf, 1, static_cast<size_t>(len), fp) == static_cast<size_t>(len);
        buf[len] = 0;
        *left -= len;
        if (got) {
            if (!at->next) at->next = eLine_New();
            at = at->next;
            eLine_copy0(at, buf);
            at->tag = tag;
        }
        std::free(buf);
        if (!got) return false;
    }
    return true;
}

}  // namespace

i64 FunSerialize(zem_func* f, FILE* fp, bool write) {
    if (write) {
        bool ok =
            std::fprintf(fp, "%s %lld %lld %lld %lld ", f->name, static_cast<long long>(f->word),
                         static_cast<long long>(f->nsrc), static_cast<long long>(f->ntrim),
                         static_cast<long long>(f->nexec)) > 0;
        ok = ok && write_lines(fp, f->src, f->nsrc) && write_lines(fp, f->trim, f->ntrim) &&
             write_lines(fp, f->exec, f->nexec);
        return ok ? E_OK : E_FILE_WRITE;
    }
    char name[FNAMESIZE] = "";
    long long word = 0, nsrc = -1, ntrim = -1, nexec = -1;
    int fields = std::fscanf(fp, "%119s %lld %lld %lld %lld", name, &word, &nsrc, &ntrim, &nexec);
    FunInit(f, name);
    // Exactly the one blank the writer puts after the counts: the first tag
    // word's bytes may themselves look like white space.
    if (fields != 5 || std::fgetc(fp) != ' ' || nsrc < 0 || ntrim < 0 || nexec < 0)
        return E_FILE_READ;
    f->word = word;
    i64 left = bytes_left(fp);
    if (!read_lines(fp, f->src, nsrc, &left) || !read_lines(fp, f->trim, ntrim, &left) ||
        !read_lines(fp, f->exec, nexec, &left))
        return E_FILE_READ;
    f->nsrc = nsrc;
    f->ntrim = ntrim;
    f->nexec = nexec;
    zem_line* last = FunNthLine(f->src, f->nsrc - 1);
    f->append = last ? last : f->src;
    return 0;
}
