// Scratch blocks: working storage of one primitive application, kept on one
// list and freed together afterwards.
#include <cstdlib>

#include "values/internal.h"

scratch_node* G0 = nullptr;
scratch_node* Gt = nullptr;
bool scratch_held = false;

// A list node, empty: from the heap and not from the checked allocator, so
// that memory running out fails the statement with E_WS_FULL and leaves the
// process running (nullptr then).
scratch_node* GM_Init() {
    auto* node = static_cast<scratch_node*>(std::calloc(1, sizeof(scratch_node)));
    if (!node) errchk = E_WS_FULL;
    return node;
}

void GM_head() { G0 = Gt = GM_Init(); }

// Scratch memory comes with an allocator prefix of this many bytes.
constexpr i64 SCRATCH_PREFIX = 16;

void* GM_new(i64 type, i64 n) {
    if (n < 1) return nullptr;
    // The node is taken before the block: a block is never left unlisted.
    if (!G0 && !(G0 = Gt = GM_Init())) return nullptr;
    scratch_node* node = GM_Init();
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
