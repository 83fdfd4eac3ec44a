// Scratch blocks: working storage of one primitive application, kept on one
// list and freed together afterwards.
#include <cstdlib>

#include "values/internal.h"

scratch_node* G0 = nullptr;
scratch_node* Gt = nullptr;
bool scratch_held = false;

scratch_node* GM_Init() {
    scratch_node* node = static_cast<scratch_node*>(AL2(sizeof(scratch_node), 1));
    node->block = nullptr;
    node->next = nullptr;
    return node;
}

void GM_head() { G0 = Gt = GM_Init(); }

// Scratch memory comes with an allocator prefix of this many bytes.
constexpr i64 SCRATCH_PREFIX = 16;

// The list node of a scratch block: taken before the block, from the heap
// and not from the checked allocator, so that memory running out at either
// fails the statement with E_WS_FULL and leaves the process running.
static scratch_node* new_node() {
    auto* node = static_cast<scratch_node*>(std::calloc(1, sizeof(scratch_node)));
    if (!node) errchk = E_WS_FULL;
    return node;
}

void* GM_new(i64 type, i64 n) {
    if (n < 1) return nullptr;
    if (!G0 && !(G0 = Gt = new_node())) return nullptr;
    scratch_node* node = new_node();
    void* block = node ? BlockAlloc(typC(type, n), SCRATCH_PREFIX) : nullptr;
    if (!block) {
        std::free(node);
        errchk = E_WS_FULL;
        return nullptr;
    }
    node->block = block;
    scratch_held = true;
    Gt->next = node;
    Gt = node;
    return node->block;
}

void GM_free() {
    if (!G0) return;
    scratch_node* p = G0->next;
    while (p) {
        scratch_node* next = p->next;
        BlockFree(p->block, SCRATCH_PREFIX);
        std::free(p);
        p = next;
    }
    G0->next = nullptr;
    Gt = G0;
    scratch_held = false;
}
