// The reader's side of the value walk: the reference words of the loaded
// slots, constants and blocks become addresses again, each value is checked
// before anything can use it, and the blocks' owners, reference counts and
// kinds are worked out from the values that use them.
#include <cstring>

#include "system/wsfile.h"

namespace {

struct Decoder {
    WsBlocks blocks;
    std::vector<char*> large;  // data of the large blocks, in file order
    std::vector<std::pair<i64, i64>> runs;
    std::vector<const val_item*> compounds;

    // The block a data reference word names, or nullptr when it names none.
    WsBlock* Resolve(uint64_t word) {
        uint64_t where = RefWhere(word);
        switch (RefTag(word)) {
        case REF_ARENA:
            if (where < 1 || where > static_cast<uint64_t>(ARENA_SIZE - r15)) return nullptr;
            return blocks.At(ArenaByte(ARENA_SIZE - where));
        case REF_LARGE: return where < large.size() ? blocks.At(large[where]) : nullptr;
        default: return nullptr;
        }
    }

    bool Visit(val_item* d, val_item*, WsBlock** bp) {
        d->reserved = 0;
        if (d->rank < -1) return false;
        if (d->rank == -1) d->count = 0;
        else if (!ShapeSound(d)) return false;
        i64 need = DataNeed(d);
        WsBlock* b = nullptr;
        if (need > 0 || d->bytes > 0) {
            uint64_t word = DataWord(d);
            if (word != REF_NONE && !(b = Resolve(word))) return false;
        }
        *bp = b;
        d->data = b ? b->data : nullptr;
        if (d->bytes > 0 && !(b && HoldsBlock(d, *b))) d->bytes = 0;
        if (b) {
            b->refs++;
            if (d->bytes > 0 && b->holders++ == 0) b->owner = d;
            if (!b->owner) b->owner = d;
        }
        if (d->rank < 0) return true;
        if (need > 0 && (!b || need > b->size)) return false;
        bool first;
        if (need > 0 && !ClaimKind(b, d->type, &first)) return false;
        if (!SymbolsSound(d, need > 0 ? b->data : nullptr)) return false;
        if (d->rank > 2) runs.emplace_back(d->dim1, d->rank);
        if (d->type == TDICT || d->type == TTABLE) compounds.push_back(d);
        return true;
    }

    val_item* Item(WsBlock* b, i64 i, val_item** out) {
        *out = nullptr;
        return reinterpret_cast<val_item*>(b->data) + i;
    }
};

// Headers and counts from what the walk found. A block no value uses is
// dropped; the descriptor room of an items block past its items is emptied.
void Settle(Decoder& dec) {
    for (WsBlock& b : dec.blocks.list) {
        if (b.kind == KIND_ITEMS) {
            i64 used = b.walked * static_cast<i64>(sizeof(val_item));
            std::memset(b.data + used, 0, b.size - used);
        }
        SettleBlock(b, b.refs > 0, b.owner, b.holders > 0 ? b.holders : 1, b.kind == KIND_ITEMS);
    }
    // Strides cached beside a shape are worked out again when needed.
    for (auto [start, rank] : dec.runs) glist[start + rank - 1] = -1;
}

}  // namespace

i64 WsDecode(const std::vector<data_block>& large) {
    Decoder dec;
    if (!dec.blocks.Collect()) return E_FILE_READ;
    for (const data_block& b : large) dec.large.push_back(b.data);
    dec.blocks.Sort();
    if (!WsWalk(dec) || !RunsSound(dec.runs)) return E_FILE_READ;
    for (const val_item* c : dec.compounds)
        if (!CompoundSound(c)) return E_FILE_READ;
    Settle(dec);
    return 0;
}
