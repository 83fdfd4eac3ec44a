// Large blocks: value data above M_LARGE bytes, and the data that finds no
// room in a full arena, each a separate allocation with a counted header,
// kept on one list in ascending order of size. Two indexes keep every step
// fast however many blocks there are: the set of the headers finds the block
// of a data address, and the last block of each size is where a new block
// of that size goes.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <unordered_set>

#include "values/internal.h"

heap_node* HA0 = nullptr;

namespace {
std::unordered_set<const heap_node*> nodes;  // every block on the list
std::map<i64, heap_node*> lastofsize;        // size -> last block of that size

void unlink(heap_node* node) {
    node->prev->next = node->next;
    if (node->next) node->next->prev = node->prev;
    nodes.erase(node);
    auto last = lastofsize.find(node->size);
    if (last == lastofsize.end() || last->second != node) return;
    if (node->prev->size == node->size && node->prev != HA0) last->second = node->prev;
    else lastofsize.erase(last);
}
}  // namespace

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

// Inserts node after every block of its size or smaller (the list is the
// one headed by HA0).
void HeapAdd(heap_node* head, heap_node* node) {
    auto above = lastofsize.upper_bound(node->size);
    heap_node* prev = above == lastofsize.begin() ? head : std::prev(above)->second;
    node->next = prev->next;
    node->prev = prev;
    if (node->next) node->next->prev = node;
    prev->next = node;
    nodes.insert(node);
    lastofsize[node->size] = node;
}

void HeapAlocRemv(heap_node* node) {
    ForgetTempLarge(node);
    unlink(node);
    BlockFree(node->self, LARGE_PREFIX);
}

// Frees the blocks from node to the end of the list.
void HeapDeal(heap_node* node) {
    while (node) {
        heap_node* next = node->next;
        unlink(node);
        BlockFree(node->self, LARGE_PREFIX);
        node = next;
    }
}

void HeapClean() {
    if (!HA0) return;
    HeapDeal(HA0->next);
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
    if (!data) return nullptr;
    uintptr_t at = reinterpret_cast<uintptr_t>(data) - sizeof(heap_node);
    heap_node* node = reinterpret_cast<heap_node*>(at);
    return nodes.count(node) ? node : nullptr;
}

bool IsLargeData(const void* data) { return LargeNodeOf(data) != nullptr; }

void HeapChange(void* data) {
    heap_node* node = LargeNodeOf(data);
    if (node) HeapAlocRemv(node);
}
