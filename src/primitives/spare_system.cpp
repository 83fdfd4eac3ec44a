// A block allocator of its own, opening a file with a message, and the
// processor clock.
#include <cstdio>
#include <ctime>

#include "primitives/spare.h"

void* alloc(i64 kind, i64* usable) {
    void* block = AL2(1, ALLOC_BYTES);
    std::puts("*** Heap space increased. ***");
    i64 width = TotalBytes(kind, 8);  // bytes of eight elements
    *usable = width > 0 ? ALLOC_BYTES * 8 / width : 0;
    return block;
}

FILE* a_fopen(const char* path, const char* mode) {
    FILE* f = std::fopen(path, mode);
    if (!f) std::printf("Could not open file %s\n", path);
    return f;
}

double apl_sec() { return (double)std::clock() / CLOCKS_PER_SEC; }
