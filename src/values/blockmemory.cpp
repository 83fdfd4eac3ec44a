// The memory behind large and scratch blocks. A big block is mapped from the
// system on its own, on a 2 MiB boundary and advised to use huge pages: a
// fresh block faults in by the two megabytes instead of by the four
// kilobytes, and a whole-array kernel walking it misses the address cache
// far less often. A few freed mappings are kept for reuse: a statement that
// makes a result of the size it has just released (y<-x+x in a loop) then
// writes to memory that is already there, instead of having the system fault
// in and clear every page of a new mapping. Smaller blocks come from malloc.
//
// Under AddressSanitizer every block comes from malloc and goes back at
// once, so its checks see every block and every use after release.
#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

#include "values/internal.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool MAPPED = false;
#else
constexpr bool MAPPED = true;  // big blocks mapped on their own, and kept
#endif

constexpr i64 MAP_UNIT = 2 << 20;      // mapping lengths are multiples of it
constexpr i64 MAP_MIN = 1 << 20;       // smaller blocks come from malloc
constexpr i64 KEEP_BLOCKS = 16;        // freed mappings kept for reuse
constexpr i64 KEEP_BYTES = 512 << 20;  // and their total size at most

struct kept_map {
    char* base;
    i64 len;
};
kept_map kept[KEEP_BLOCKS];
i64 nkept = 0, keptbytes = 0;

i64 round_up(i64 n, i64 to) { return (n + to - 1) / to * to; }

void unmap(char* base, i64 len) { munmap(base, static_cast<size_t>(len)); }

// A fresh mapping of len bytes (a multiple of MAP_UNIT) starting on a
// MAP_UNIT boundary, advised to use huge pages; nullptr when the system has
// no room.
char* map_fresh(i64 len) {
    i64 span = len + MAP_UNIT;
    void* p = mmap(nullptr, static_cast<size_t>(span), PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    char* raw = static_cast<char*>(p);
    char* base = reinterpret_cast<char*>(round_up(reinterpret_cast<intptr_t>(raw), MAP_UNIT));
    if (base > raw) unmap(raw, base - raw);
    if (raw + span > base + len) unmap(base + len, raw + span - (base + len));
    madvise(base, static_cast<size_t>(len), MADV_HUGEPAGE);
    return base;
}

// The smallest kept mapping of at least len bytes and not much more, taken
// off the list; nullptr when none fits.
char* take_kept(i64 len, i64* got) {
    i64 best = -1;
    for (i64 k = 0; k < nkept; k++) {
        i64 l = kept[k].len;
        if (l >= len && l <= len + len / 2 + MAP_UNIT && (best < 0 || l < kept[best].len)) best = k;
    }
    if (best < 0) return nullptr;
    char* base = kept[best].base;
    *got = kept[best].len;
    keptbytes -= *got;
    kept[best] = kept[--nkept];
    return base;
}

void drop_kept() {
    for (i64 k = 0; k < nkept; k++) unmap(kept[k].base, kept[k].len);
    nkept = keptbytes = 0;
}

// A mapping of at least bytes, kept or fresh; its length in *len.
char* map_block(i64 bytes, i64* len) {
    i64 need = round_up(bytes, MAP_UNIT);
    if (char* reused = take_kept(need, len)) return reused;
    char* base = map_fresh(need);
    if (!base && nkept > 0) {
        // Memory kept for reuse may be what the system lacks: give it back.
        drop_kept();
        base = map_fresh(need);
    }
    *len = need;
    return base;
}

// A mapping given back: kept for reuse, the oldest kept ones making room.
void unmap_block(char* base, i64 len) {
    if (len > KEEP_BYTES) return unmap(base, len);
    // Make room by giving back the oldest kept mappings.
    while (nkept > 0 && (nkept == KEEP_BLOCKS || keptbytes + len > KEEP_BYTES)) {
        unmap(kept[0].base, kept[0].len);
        keptbytes -= kept[0].len;
        for (i64 k = 1; k < nkept; k++) kept[k - 1] = kept[k];
        nkept--;
    }
    kept[nkept++] = {base, len};
    keptbytes += len;
}

}  // namespace

void ReleaseKeptBlocks() { drop_kept(); }

void KeepHeapMemory() {
    if (!MAPPED) return;
    // The interpreter's own buffers (a file's text, its records) up to 32 MiB
    // come from the heap, and the heap keeps freed memory at its top, as the
    // kept mappings do for blocks: the next statement reuses it instead of
    // faulting in new pages.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

// Every block: a prefix word with its mapping length (0: from malloc) at
// the start, and the block itself at a fixed offset after it.
void* BlockAlloc(i64 bytes, i64 offset) {
    if (bytes < 0 || bytes > INT64_MAX / 2) return nullptr;
    if (MAPPED && bytes + offset >= MAP_MIN) {
        i64 len;
        char* base = map_block(bytes + offset, &len);
        if (!base) return nullptr;
        *reinterpret_cast<i64*>(base) = len;
        return base + offset;
    }
    char* base = static_cast<char*>(std::malloc(static_cast<size_t>(bytes + offset)));
    if (!base) return nullptr;
    *reinterpret_cast<i64*>(base) = 0;
    return base + offset;
}

void BlockFree(void* block, i64 offset) {
    if (!block) return;
    char* base = static_cast<char*>(block) - offset;
    i64 len = *reinterpret_cast<i64*>(base);
    if (len > 0) unmap_block(base, len);
    else std::free(base);
}
