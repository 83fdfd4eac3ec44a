// Reference counts of named and large blocks, and their release.
#include "values/internal.h"

// A dead container gives up the blocks of its items: they are reachable only
// through it.
void ReleaseItems(val_item* owner, i64 capacity) {
    if (!HoldsItems(owner->type) || !owner->data) return;
    i64 n = owner->count < capacity ? owner->count : capacity;
    val_item* items = items_of(owner);
    for (i64 i = 0; i < n; i++) LoseBlock(&items[i]);
}

i64 RefChange(val_item* item, i64 delta) {
    if (item->bytes <= 0 || !item->data) return -1;
    const char* d = item->data;
    if (heap && d >= heap && d < heap + ARENA_SIZE) {
        mem_node* h = ArenaHeader(item);
        if (!h || !(h->live & 1)) return -1;
        h->refcount += delta;
        if (h->refcount <= 0) {
            h->live &= ~static_cast<i64>(1);
            deadbytes += h->bytes + static_cast<i64>(sizeof(mem_node));
            ReleaseItems(item, item->bytes / 64);
        }
        return h->refcount;
    }
    heap_node* node = LargeNodeOf(d);
    if (!node) return -1;
    node->refcount += delta;
    i64 count = node->refcount;
    if (count <= 0) {
        ReleaseItems(item, node->size / 64);
        HeapAlocRemv(node);
    }
    return count;
}

// The descriptor stops owning its block; the block loses one reference.
void LoseBlock(val_item* item) {
    UntrackTemp(item);
    if (item->bytes > 0) RefChange(item, -1);
    item->bytes = 0;
}

void ReleaseValue(val_item* item) {
    LoseBlock(item);
    *item = val_item{};
}
