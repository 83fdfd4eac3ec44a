// The store's blocks as the workspace file sees them: listed, copied,
// created and settled without their headers leaving the store.
#include "values/blocks.h"

#include <cstring>

#include "values/internal.h"

char* ArenaByte(i64 offset) { return heap + offset; }

bool NamedBlocks(std::vector<data_block>& out) {
    i64 b = ARENA_SIZE;
    const i64 header = sizeof(mem_node);
    while (b > r15) {
        if (b - r15 < header) return false;
        mem_node* h = reinterpret_cast<mem_node*>(heap + b - header);
        i64 n = h->bytes;
        if (n <= 0 || (n & 7) || n > b - r15 - header) return false;
        b -= n + header;
        out.push_back(data_block{heap + b, n, h, false});
    }
    return true;
}

void LargeBlocks(std::vector<data_block>& out) {
    for (heap_node* n = HA0 ? HA0->next : nullptr; n; n = n->next)
        out.push_back(data_block{reinterpret_cast<char*>(n) + sizeof(heap_node), n->size, n, true});
}

void NamedImage(std::vector<char>& out) {
    out.assign(heap + r15, heap + ARENA_SIZE);
    std::vector<data_block> blocks;
    NamedBlocks(blocks);
    for (const data_block& b : blocks) {
        char* owner = out.data() + (b.data + b.size - (heap + r15));
        std::memset(owner, 0, sizeof(val_item*));
    }
}

data_block NewLargeBlock(i64 size) {
    heap_node* n = HeapAloc(size);
    if (!n) {
        errchk = E_WS_FULL;
        return data_block{nullptr, size, nullptr, true};
    }
    return data_block{reinterpret_cast<char*>(n) + sizeof(heap_node), size, n, true};
}

bool HoldsBlock(const val_item* d, const data_block& b) {
    return d->data == b.data && d->bytes == b.size;
}

void SettleBlock(const data_block& b, bool used, val_item* owner, i64 count, bool items) {
    if (b.large) {
        heap_node* n = static_cast<heap_node*>(b.handle);
        if (used) n->refcount = count;
        else HeapAlocRemv(n);
        return;
    }
    mem_node* h = static_cast<mem_node*>(b.handle);
    h->owner = owner;
    h->refcount = count;
    h->live = used ? BlockTag(items ? TLIST : TINT) : 0;
    if (!used) deadbytes += h->bytes + static_cast<i64>(sizeof(mem_node));
}
