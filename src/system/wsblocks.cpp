// The workspace file's byte streams, its map of the blocks values live in,
// and the checks a value must pass to be written or read back: the same
// rules on both sides, so that whatever is saved loads again.
#include <algorithm>
#include <cstring>

#include "system/wsfile.h"
#include "values/wordio.h"

// ---- byte streams ----------------------------------------------------------------

void WsWriter::Word(i64 v) { ok = ok && PutWord(fp, v); }

void WsWriter::Bytes(const void* p, i64 n) {
    ok = ok && (n == 0 || std::fwrite(p, 1, static_cast<size_t>(n), fp) == static_cast<size_t>(n));
}

bool WsIn::Word(i64* v) {
    if (Left() < 4 || !GetWord(fp, v)) return false;
    pos += 4;
    return true;
}

bool WsIn::Word(i64* v, i64 lo, i64 hi) {
    i64 w;
    if (!Word(&w) || w < lo || w > hi) return false;
    *v = w;
    return true;
}

bool WsIn::Bytes(void* p, i64 n) {
    if (n < 0 || n > Left()) return false;
    if (n > 0 && std::fread(p, 1, static_cast<size_t>(n), fp) != static_cast<size_t>(n))
        return false;
    pos += n;
    return true;
}

bool WsIn::Skip(i64 n) {
    if (n < 0 || n > Left() || std::fseek(fp, static_cast<long>(n), SEEK_CUR) != 0) return false;
    pos += n;
    return true;
}

void WsIn::Sync() {
    long at = std::ftell(fp);
    pos = at < 0 ? size : static_cast<i64>(at);
}

// ---- blocks -----------------------------------------------------------------------

int DataKind(i64 type) {
    if (HoldsItems(type)) return KIND_ITEMS;
    return type == TENUM ? KIND_ENUM : KIND_PLAIN;
}

bool ClaimKind(WsBlock* b, i64 type, bool* first) {
    int kind = DataKind(type);
    *first = b->kind == KIND_NONE;
    if (!*first && b->kind != kind) return false;
    b->kind = kind;
    return true;
}

bool WsBlocks::Collect() {
    std::vector<data_block> found;
    if (!NamedBlocks(found)) return false;
    LargeBlocks(found);
    for (const data_block& d : found) {
        WsBlock b;
        static_cast<data_block&>(b) = d;
        b.index = -1;
        b.kind = KIND_NONE;
        b.walk = 0;
        b.walked = b.refs = b.holders = 0;
        b.owner = nullptr;
        list.push_back(std::move(b));
    }
    return true;
}

void WsBlocks::Sort() {
    std::sort(list.begin(), list.end(),
              [](const WsBlock& a, const WsBlock& b) { return a.data < b.data; });
}

WsBlock* WsBlocks::At(const char* p) {
    auto it = std::lower_bound(list.begin(), list.end(), p,
                               [](const WsBlock& b, const char* x) { return b.data < x; });
    return it != list.end() && it->data == p ? &*it : nullptr;
}

// ---- checks -----------------------------------------------------------------------

i64 DataNeed(const val_item* d) {
    if (d->rank < 0 || isoneV(d) || d->count <= 0) return 0;
    return typC(d->type, d->count);
}

static bool KnownType(i64 t) {
    return (t >= TBOOL && t <= TTIME) || t == TENUM || t == TDICT || t == TTABLE;
}

// The trailing axes of a value of rank > 2 from glist, times first: its
// element count, or -1 when the run is not there or not sound.
static i64 RunCount(i64 first, i64 start, i64 rank) {
    if (start < 0 || rank - 1 > nxtglx - start) return -1;  // end mark within the store
    i64 n = first;
    for (i64 k = 0; k < rank - 1; k++) {
        i64 axis = glist[start + k];
        if (axis < 0 || __builtin_mul_overflow(n, axis, &n)) return -1;
    }
    return n;
}

bool ShapeSound(const val_item* d) {
    if (!KnownType(d->type) || d->count < 0) return false;
    i64 saved = errchk;
    bool fits = CheckSize(d->type, d->count) == 0;
    errchk = saved;
    if (!fits) return false;
    if (d->rank == 0) return d->count == 1;  // a scalar holds exactly one element
    if (d->rank == 1) return !isbasic(d->type) || d->count == 1 || d->dim0 == d->count;
    if (d->dim0 < 0) return false;
    if (d->rank == 2) {
        i64 n;
        return d->dim1 >= 0 && !__builtin_mul_overflow(d->dim0, d->dim1, &n) && n == d->count;
    }
    return RunCount(d->dim0, d->dim1, d->rank) == d->count;
}

static bool KnownSymbol(i64 id) { return id >= 0 && id <= sindex; }

bool SymbolsSound(const val_item* d, const char* data) {
    if (d->type == TSYM) {
        if (isoneV(d)) return KnownSymbol(d->dim0);
        const i64* ids = reinterpret_cast<const i64*>(data);
        for (i64 i = 0; i < d->count; i++)
            if (!KnownSymbol(ids[i])) return false;
        return true;
    }
    if (d->type == TENUM && data) return KnownSymbol(reinterpret_cast<const i64*>(data)[0]);
    return true;
}

static const val_item* Parts(const val_item* d) {
    return reinterpret_cast<const val_item*>(d->data);
}

// A column of a table of the given row count: a vector of that count, or a
// character matrix of that many rows.
static bool ColumnSound(const val_item& col, i64 rows) {
    if (col.rank == 2) return col.type == TCHAR && col.dim0 == rows;
    return col.rank == 1 && col.count == rows;
}

// A table: names (a symbol vector) and as many columns, each of the row
// count the column list's first dimension holds.
static bool TableSound(const val_item* t) {
    if (t->type != TTABLE || t->rank != 1 || t->count != 2) return false;
    const val_item& names = Parts(t)[0];
    const val_item& cols = Parts(t)[1];
    if (names.type != TSYM || names.rank != 1 || cols.type != TLIST || cols.rank != 1 ||
        cols.count != names.count)
        return false;
    for (i64 c = 0; c < cols.count; c++)
        if (!ColumnSound(Parts(&cols)[c], cols.dim0)) return false;
    return true;
}

bool CompoundSound(const val_item* d) {
    if (d->type == TTABLE) return TableSound(d);
    if (d->type != TDICT) return true;
    if (d->rank != 1 || d->count != 2) return false;
    const val_item& keys = Parts(d)[0];
    const val_item& values = Parts(d)[1];
    if (d->dim0 == 2) {
        return TableSound(&keys) && TableSound(&values) &&
               Parts(&keys)[1].dim0 == Parts(&values)[1].dim0;
    }
    return d->dim0 == 1 && keys.rank <= 1 && keys.type <= TTIME && values.type == TLIST &&
           values.rank == 1 && keys.count == values.count;
}

bool RunsSound(std::vector<std::pair<i64, i64>>& runs) {
    std::sort(runs.begin(), runs.end());
    runs.erase(std::unique(runs.begin(), runs.end()), runs.end());
    for (size_t i = 0; i + 1 < runs.size(); i++) {
        auto [start, rank] = runs[i];
        // axes 2..r, the end mark and the room the strides are cached in
        if (runs[i + 1].first < start + 2 * rank - 2) return false;
    }
    return true;
}
