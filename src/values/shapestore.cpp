// The room of the shape-list store. Runs are appended while the store has
// room; once half of it has been taken, the next statement's start finds the
// words every value still uses (marked from the descriptors the collector
// walks), and new runs go to the words left unmarked. A statement's start is
// the one place where no routine holds a run it has not yet given to a value.
// Runs never move: a descriptor, or a routine's copy of one, always reads its
// own run.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "values/internal.h"

namespace {

constexpr i64 MAPWORDS = (GLIST_SIZE + 63) / 64;
// Words taken between two collections at least, so that a store nearly full
// of live runs is not searched at every statement.
constexpr i64 MIN_STEP = GLIST_SIZE / 64;

std::vector<uint64_t> used;  // a bit per word in use; empty: runs are appended
i64 cursor = 0;              // where the search for room goes on
i64 taken = 0;               // words taken since the last collection
i64 budget = GLIST_SIZE / 2;  // words to take before the next one
bool refused = false;         // a run found no room since the last collection
i64 kept_start = -1, kept_words = 0;  // the saved index list

bool is_used(i64 k) { return (used[k >> 6] >> (k & 63)) & 1; }

void set_used(i64 from, i64 words) {
    for (i64 k = from; k < from + words; k++) used[k >> 6] |= uint64_t{1} << (k & 63);
}

// The words a descriptor's run may occupy: its axes after the first, the end
// mark and the room for the strides beside them (2r-2 words in all).
void mark_run(const val_item* d) {
    if (d->rank <= 2 || d->dim1 < 0 || d->dim1 >= GLIST_SIZE) return;
    i64 words = d->rank < GLIST_SIZE ? 2 * d->rank - 2 : GLIST_SIZE;
    words = std::min(words, GLIST_SIZE - d->dim1);
    set_used(d->dim1, words);
}

// The first word of words free ones from k on, searching up to end; -1.
i64 find_room(i64 k, i64 end, i64 words) {
    while (k + words <= end) {
        if (used[k >> 6] == ~uint64_t{0}) {
            k = (k | 63) + 1;
            continue;
        }
        i64 run = 0;
        while (run < words && !is_used(k + run)) run++;
        if (run == words) return k;
        k += run + 1;
    }
    return -1;
}

void collect() {
    used.assign(MAPWORDS, 0);
    VisitDescriptors(mark_run);
    if (kept_start >= 0) set_used(kept_start, kept_words);
    i64 inuse = 0;
    for (uint64_t w : used) inuse += __builtin_popcountll(w);
    budget = std::max((GLIST_SIZE - inuse) / 2, MIN_STEP);
    taken = 0;
    refused = false;
    cursor = 0;
}

}  // namespace

i64 TakeShapeWords(i64 words, i64* start) {
    i64 at = -1;
    if (used.empty()) {
        if (words >= 1 && nxtglx + words < GLIST_SIZE) at = nxtglx + 1;
    } else if (words >= 1 && words <= GLIST_SIZE) {
        at = find_room(cursor, GLIST_SIZE, words);
        if (at < 0) at = find_room(0, std::min(cursor + words - 1, GLIST_SIZE), words);
    }
    if (at < 0) {
        refused = true;
        return errchk = E_GLIST_FULL;
    }
    if (!used.empty()) {
        set_used(at, words);
        cursor = at + words;
    }
    nxtglx = std::max(nxtglx, at + words - 1);
    taken += words;
    *start = at;
    return 0;
}

i64 ExtendShapeWords(i64 last) {
    if (last <= nxtglx) return 0;
    if (last >= GLIST_SIZE) return errchk = E_GLIST_FULL;
    if (!used.empty()) set_used(nxtglx + 1, last - nxtglx);
    taken += last - nxtglx;
    nxtglx = last;
    return 0;
}

void KeepShapeWords(i64 start, i64 words) {
    kept_start = start;
    kept_words = words;
}

void CollectShapes() {
    bool due = used.empty() ? nxtglx + 1 >= GLIST_SIZE / 2 : taken >= budget;
    if (due || refused) collect();
}

void ResetShapeStore() {
    used.clear();
    used.shrink_to_fit();
    cursor = taken = 0;
    budget = GLIST_SIZE / 2;
    refused = false;
    kept_start = -1;
    kept_words = 0;
}
