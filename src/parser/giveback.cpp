// Giving back the local name entries that no function header uses any more
// (a function defined again enters its header names anew, and the query
// prelude is defined again after a load), with the bytes of the long-name
// pool that only they held. It runs only while nothing runs or waits: no
// parse record, call or binding is left that could refer to an entry, so
// the function rows are the only holders of local names.
#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "parser/parse_state.h"
#include "parser/parser.h"

namespace {

bool at_rest() { return lstndx < 0 && lstfndx < 0 && sidx < 0 && lststkx < 0; }

bool has_header(const func_entry& f) {
    return f.hdrlast >= 0 && f.hdrmark >= -1 && f.hdrmark < f.hdrlast && f.hdrlast <= lstnx;
}

// Marks the entries the rows' headers use; the count of entries marked.
i64 mark_headers(std::vector<bool>& used) {
    for (i64 r = FIRSTFN; r <= lstfx; r++) {
        const func_entry& f = functable[r];
        if (!has_header(f)) continue;
        for (i64 e = f.hdrmark + 1; e <= f.hdrlast; e++) used[static_cast<size_t>(e)] = true;
    }
    i64 n = 0;
    for (bool u : used) n += u;
    return n;
}

// A header word moved with its entry; a word the header does not hold (an
// argument the valence has not) is left as a fresh row has it.
i64 moved(const std::vector<i64>& to, const func_entry& f, i64 e, i64 none) {
    return e > f.hdrmark && e <= f.hdrlast ? to[static_cast<size_t>(e)] : none;
}

void move_row(func_entry* f, const std::vector<i64>& to) {
    if (has_header(*f)) {
        func_entry old = *f;
        f->hdrmark = to[static_cast<size_t>(old.hdrmark + 1)] - 1;
        f->hdrlast = to[static_cast<size_t>(old.hdrlast)];
        f->result = moved(to, old, old.result, -1);
        f->left = moved(to, old, old.left, 0);
        f->right = moved(to, old, old.right, 0);
    }
    // The body's names went with the parse that entered them.
    f->lblmark = f->bodylast = -1;
    f->parsed = 0;
}

// The long-name pool made again from the tails the global names and the
// kept local names hold, in table order; left as it is should they not fit
// (tails shared between entries, from a file).
void pack_tails() {
    std::vector<char> pool;
    std::vector<std::pair<name_entry*, i64>> tails;
    auto take = [&](name_entry* e) {
        if (e->tail < 0) return;
        const char* t = tnam + e->tail;
        tails.push_back({e, static_cast<i64>(pool.size())});
        pool.insert(pool.end(), t, t + std::strlen(t) + 1);
    };
    for (i64 g = 0; g <= lstgx; g++) take(&gnametable[g]);
    for (i64 e = 0; e <= lstnx; e++) take(&nametable[e]);
    if (static_cast<i64>(pool.size()) > TNSIZE) return;
    std::memset(tnam, 0, sizeof tnam);
    if (!pool.empty()) std::memcpy(tnam, pool.data(), pool.size());
    for (auto& [e, at] : tails) e->tail = at;
    lsttnam = static_cast<i64>(pool.size()) - 1;
}

}  // namespace

void GiveBackNames() {
    if (!at_rest() || lstnx < 0) return;
    std::vector<bool> used(static_cast<size_t>(lstnx + 1), false);
    i64 kept = mark_headers(used);
    if (kept == lstnx + 1) return;
    std::vector<i64> to(static_cast<size_t>(lstnx + 1), -1);
    i64 next = 0;
    for (i64 e = 0; e <= lstnx; e++) {
        if (!used[static_cast<size_t>(e)]) continue;
        to[static_cast<size_t>(e)] = next;
        if (next != e) nametable[next] = nametable[e];
        next++;
    }
    for (i64 r = FIRSTFN; r <= lstfx; r++) move_row(&functable[r], to);
    for (i64 e = next; e <= lstnx; e++) ClearName(&nametable[e]);
    lstnx = next - 1;
    row_epoch++;
    pack_tails();
}
