// Giving back the local name entries that no function header uses any more
// (a function defined again enters its header names anew, and the query
// prelude is defined again after a load), with the bytes of the long-name
// pool that only they held. It runs only while nothing runs or waits: no
// parse record, call or binding is left that could refer to an entry, so
// the function rows are the only holders of local names.
#include <cstring>

#include "eval/eval.h"
#include "parser/parse_state.h"
#include "parser/parser.h"

namespace {

bool used[NTSIZE];   // entries a header uses
i64 to[NTSIZE];      // where each used entry goes
char fresh[TNSIZE];  // the long-name pool being made again

bool at_rest() { return lstndx < 0 && lstfndx < 0 && sidx < 0 && lststkx < 0; }

bool has_header(const func_entry& f) {
    return f.hdrlast >= 0 && f.hdrmark >= -1 && f.hdrmark < f.hdrlast && f.hdrlast <= lstnx;
}

// Marks the entries the rows' headers use; the count of entries marked.
i64 mark_headers() {
    std::memset(used, 0, sizeof used);
    for (i64 r = FIRSTFN; r <= lstfx; r++) {
        const func_entry& f = functable[r];
        if (!has_header(f)) continue;
        for (i64 e = f.hdrmark + 1; e <= f.hdrlast; e++) used[e] = true;
    }
    i64 n = 0;
    for (i64 e = 0; e <= lstnx; e++) n += used[e];
    return n;
}

// A header word moved with its entry; a word the header does not hold (an
// argument the valence has not) is left as a fresh row has it.
i64 moved(const func_entry& f, i64 e, i64 none) {
    return e > f.hdrmark && e <= f.hdrlast ? to[e] : none;
}

void move_row(func_entry* f) {
    if (has_header(*f)) {
        func_entry old = *f;
        f->hdrmark = to[old.hdrmark + 1] - 1;
        f->hdrlast = to[old.hdrlast];
        f->result = moved(old, old.result, -1);
        f->left = moved(old, old.left, 0);
        f->right = moved(old, old.right, 0);
    }
    // The body's names went with the parse that entered them.
    f->lblmark = f->bodylast = -1;
    f->parsed = 0;
}

// Appends the tail of entry e to the pool being made (*n bytes so far), or
// only counts its bytes when moving is false.
void pack_tail(name_entry* e, i64* n, bool moving) {
    if (e->tail < 0) return;
    i64 len = static_cast<i64>(std::strlen(tnam + e->tail)) + 1;
    if (moving) {
        std::memcpy(fresh + *n, tnam + e->tail, static_cast<size_t>(len));
        e->tail = *n;
    }
    *n += len;
}

// The long-name pool made again from the tails the global names and the
// kept local names hold, in table order; left as it is should they not fit
// (tails shared between entries, from a file).
void pack_tails() {
    for (bool moving : {false, true}) {
        i64 n = 0;
        for (i64 g = 0; g <= lstgx; g++) pack_tail(&gnametable[g], &n, moving);
        for (i64 e = 0; e <= lstnx; e++) pack_tail(&nametable[e], &n, moving);
        if (n > TNSIZE) return;
        if (!moving) continue;
        std::memset(fresh + n, 0, static_cast<size_t>(TNSIZE - n));
        std::memcpy(tnam, fresh, sizeof tnam);
        lsttnam = n - 1;
    }
}

}  // namespace

void GiveBackNames() {
    if (!at_rest() || lstnx < 0) return;
    if (mark_headers() == lstnx + 1) return;
    i64 next = 0;
    for (i64 e = 0; e <= lstnx; e++) {
        if (!used[e]) continue;
        to[e] = next;
        if (next != e) nametable[next] = nametable[e];
        next++;
    }
    for (i64 r = FIRSTFN; r <= lstfx; r++) move_row(&functable[r]);
    for (i64 e = next; e <= lstnx; e++) ClearName(&nametable[e]);
    lstnx = next - 1;
    row_epoch++;
    pack_tails();
}
