// The writer's side of the value walk: every block a saved value uses is
// found and numbered, the arena image is made with reference words in place
// of the addresses inside it, and each value is checked as the reader will
// check it, so that a file that is written also loads.
#include <cstring>

#include "system/wsfile.h"

namespace {

// Where the bytes of a block are written from: its place in the arena image,
// or a copy of a large block (made on first use).
char* Written(WsEncoder& e, WsBlock* b) {
    if (!b->large) return e.image.data() + (b->data - ArenaByte(r15));
    if (b->copy.empty()) b->copy.assign(b->data, b->data + b->size);
    return b->copy.data();
}

// The descriptor as written, before its data word: a vector's length is its
// count (some results leave the length word unset), and so is a list's, even
// of one item, but for a table's column list, whose length word holds the
// row count. A single element of a simple vector is held in the length word.
val_item Shaped(const val_item* d, bool column_list) {
    val_item e = *d;
    e.reserved = 0;
    bool list = e.type == TLIST && !column_list;
    if (e.rank == 1 && (list || (isbasic(e.type) && e.count != 1))) e.dim0 = e.count;
    // Below rank 2 the second dimension word holds nothing but the imaginary
    // part of a single complex number: otherwise it is written as 0, not as
    // whatever an earlier value left in the slot.
    bool one_complex = e.type == TCPLX && e.count == 1;
    if (e.rank >= 0 && e.rank < 2 && !one_complex) e.dim1 = 0;
    return e;
}

// The first value to use a block decides what is written of it: items
// blocks start empty (each item is written as the walk reaches it). An
// enumeration is written as it is: it finds its domain by name.
void FirstUse(WsEncoder& e, WsBlock* b) {
    if (b->kind != KIND_ITEMS) return;
    if (!b->large) std::memset(Written(e, b), 0, b->size);
    else b->copy.assign(b->size, 0);
}

}  // namespace

val_item WsEncoder::Encode(const val_item* d) {
    val_item e = Shaped(d, column_list);
    WsBlock* b = DataNeed(d) > 0 || d->bytes > 0 ? blocks.At(d->data) : nullptr;
    uint64_t word = REF_NONE;
    if (b && !b->large) word = RefWord(REF_ARENA, ArenaByte(ARENA_SIZE) - b->data);
    else if (b && b->index >= 0) word = RefWord(REF_LARGE, b->index);
    else e.bytes = 0;
    e.data = reinterpret_cast<char*>(static_cast<uintptr_t>(word));
    return e;
}

bool WsEncoder::Visit(val_item* d, val_item* out, WsBlock** bp) {
    val_item shaped = Shaped(d, column_list);
    if (d->rank < -1 || (d->rank >= 0 && !ShapeSound(&shaped))) return false;
    i64 need = DataNeed(d);
    WsBlock* b = need > 0 || d->bytes > 0 ? blocks.At(d->data) : nullptr;
    *bp = b;
    if (need > 0 && (!b || need > b->size)) return false;
    if (b) {
        b->refs++;
        if (b->large && b->index < 0) {
            b->index = static_cast<i64>(large.size());
            large.push_back(b);
        }
    }
    val_item e = Encode(d);
    column_list = false;
    if (out) *out = e;
    if (d->rank < 0) return true;
    if (!SymbolsSound(d, need > 0 ? b->data : nullptr)) return false;
    bool first = false;
    if (need > 0 && !ClaimKind(b, d->type, &first)) return false;
    if (first) FirstUse(*this, b);
    if (d->rank > 2) runs.emplace_back(d->dim1, d->rank);
    if (d->type == TDICT || d->type == TTABLE) compounds.push_back(d);
    if (d->type == TTABLE && b) tables.insert(b);
    return true;
}

val_item* WsEncoder::Item(WsBlock* b, i64 i, val_item** out) {
    column_list = i == 1 && tables.count(b) > 0;
    *out = reinterpret_cast<val_item*>(Written(*this, b)) + i;
    return reinterpret_cast<val_item*>(b->data) + i;
}

i64 WsEncoder::Prepare() {
    GC();
    if (!blocks.Collect()) return E_SAVE_FAILED;
    blocks.Sort();
    NamedImage(image);
    if (!WsWalk(*this) || !RunsSound(runs)) return E_SAVE_FAILED;
    for (const val_item* c : compounds)
        if (!CompoundSound(c)) return E_SAVE_FAILED;
    // A block no saved value uses, or none reads, is written empty: the
    // reader drops it or leaves it unread.
    for (WsBlock& b : blocks.list) {
        if (b.refs > 0 && b.kind != KIND_NONE) continue;
        if (!b.large) std::memset(Written(*this, &b), 0, b.size);
        else if (b.refs > 0) b.copy.assign(b.size, 0);
    }
    return 0;
}
