// Line lists: the nodes that hold a function's source lines, script lines
// and names waiting to be printed.
#include <cstdlib>
#include <cstring>

#include "values/linelist.h"

void eLine_Init(zem_line* line) {
    line->text = nullptr;
    line->next = nullptr;
    line->len = -1;
    line->tag = -1;
}

zem_line* eLine_New() {
    zem_line* line = static_cast<zem_line*>(AL2(sizeof(zem_line), 1));
    eLine_Init(line);
    return line;
}

// Makes room for a text of n characters; the old buffer is kept when it is
// strictly longer than needed.
static char* room(zem_line* line, i64 n) {
    if (line->len < n + 1) {
        std::free(line->text);  // a one-byte buffer of an empty text too
        line->text = static_cast<char*>(AL2(1, n + 1));
        line->len = n;
    }
    return line->text;
}

char* eLine_copy1(zem_line* line, const char* text, i64 n) {
    i64 len = static_cast<i64>(strnlen(text, static_cast<size_t>(n < 0 ? 0 : n)));
    char* buf = room(line, len);
    std::memcpy(buf, text, static_cast<size_t>(len));
    buf[len] = 0;
    return buf;
}

char* eLine_copy0(zem_line* line, const char* text) {
    return eLine_copy1(line, text, static_cast<i64>(std::strlen(text)));
}

void eLine_Inits(zem_line* line, const char* text) {
    eLine_Init(line);
    eLine_copy0(line, text);
}

char* eLine_adde(zem_line* line, const char* text) {
    i64 old = line->text ? static_cast<i64>(std::strlen(line->text)) : 0;
    i64 add = static_cast<i64>(std::strlen(text));
    if (line->len < old + add + 1) {
        char* buf = static_cast<char*>(AL2(1, old + add + 1));
        if (old) std::memcpy(buf, line->text, static_cast<size_t>(old));
        std::free(line->text);
        line->text = buf;
        line->len = old + add;
    }
    std::memcpy(line->text + old, text, static_cast<size_t>(add) + 1);
    return line->text;
}

zem_line* eLine_push(zem_line* at, const char* text, i64 tag) {
    zem_line* line = eLine_New();
    eLine_copy0(line, text);
    line->tag = tag;
    line->next = at->next;
    at->next = line;
    return line;
}

void eLine_free(zem_line* line) {
    while (line) {
        zem_line* next = line->next;
        std::free(line->text);
        std::free(line);
        line = next;
    }
}
