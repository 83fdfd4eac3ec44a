// Large blocks: value data above M_LARGE bytes, each a separate allocation
// with a counted header, kept on one list in ascending order of size.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "values/internal.h"

heap_node* HA0 = nullptr;

void HeapInit() {
    KeepHeapMemory();
    HA0 = static_cast<heap_node*>(AL2(sizeof(heap_node), 1));
    *HA0 = heap_node{HA0, 0, 1, nullptr, nullptr};
}

heap_node* HeapAloc(i64 bytes) {
    if (bytes < 0) return nullptr;
    void* room = BlockAlloc(static_cast<i64>(sizeof(heap_node)) + bytes, LARGE_PREFIX);
    if (!room) return nullptr;
    heap_node* node = static_cast<heap_node*>(room);
    *node = heap_node{node, bytes, 1, nullptr, nullptr};
    if (!HA0) HeapInit();
    HeapAdd(HA0, node);
    return node;
}

// Inserts node after every block of its size or smaller.
void HeapAdd(heap_node* head, heap_node* node) {
    heap_node* prev = head;
    while (prev->next && prev->next->size <= node->size) prev = prev->next;
    node->next = prev->next;
    node->prev = prev;
    if (node->next) node->next->prev = node;
    prev->next = node;
}

void HeapAlocRemv(heap_node* node) {
    ForgetTempLarge(node);
    node->prev->next = node->next;
    if (node->next) node->next->prev = node->prev;
    BlockFree(node->self, LARGE_PREFIX);
}

void HeapDeal(heap_node* node) {
    while (node) {
        heap_node* next = node->next;
        BlockFree(node->self, LARGE_PREFIX);
        node = next;
    }
}

void HeapClean() {
    if (!HA0) return;
    HeapDeal(HA0->next);
    HA0->next = nullptr;
    ForgetTempLarge(nullptr);
    ReleaseKeptBlocks();
}

void HeapExit() {
    HeapClean();
    std::free(HA0);
    HA0 = nullptr;
}

i64 GetAloc() {
    i64 total = 0, n = 0;
    for (heap_node* p = HA0 ? HA0->next : nullptr; p; p = p->next) {
        std::printf("%" PRId64 " ", p->size);
        total += p->size;
        n++;
    }
    std::printf("%" PRId64 " chunks\n", n);
    return total;
}

// The header of the large block whose data starts at data, or nullptr.
heap_node* LargeNodeOf(const void* data) {
    for (heap_node* p = HA0 ? HA0->next : nullptr; p; p = p->next)
        if (reinterpret_cast<const char*>(p) + sizeof(heap_node) == data) return p;
    return nullptr;
}

bool IsLargeData(const void* data) { return LargeNodeOf(data) != nullptr; }

void HeapChange(void* data) {
    heap_node* node = LargeNodeOf(data);
    if (node) HeapAlocRemv(node);
}
