// Temporary slots: the statement's slot counter, the collision test, and the
// large blocks handed to temporaries, each released exactly once.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <unordered_map>
#include <vector>

#include "values/internal.h"

// The furthest temporary slot handed out since the area was last emptied.
static i64 temphigh = 3;

// Exhausted temporaries give slot 0 (never used) with E_STACK_FULL, so a caller
// that missed the error still cannot overwrite []IO in slot 1.
i64 Incstkv(i64* counter) {
    i64 next = *counter == 17 ? 15384 : *counter + 1;
    bool fits = (next >= 4 && next <= 17) || (next > LASTNAMED && next < VTSIZE);
    if (!fits) {
        errchk = E_STACK_FULL;
        return 0;
    }
    *counter = next;
    if (TempOrdinal(next) > temphigh) temphigh = TempOrdinal(next);
    return next;
}

int CkCollision(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (res <= 17) return 0;
    return (lc < 0 && res == lv) || (rc < 0 && res == rv);
}

// Large block owned by each temporary slot (the temporary path does not
// keep the bytes word of a temporary, so ownership is recorded here), and
// the slot of each such block.
static heap_node* templarge[VTSIZE];
static std::unordered_map<const heap_node*, i64> templarge_slot;

static void set_templarge(i64 vx, heap_node* node) {
    if (templarge[vx]) templarge_slot.erase(templarge[vx]);
    templarge[vx] = node;
    if (node) templarge_slot[node] = vx;
}

static const char* NodeData(const heap_node* node) {
    return reinterpret_cast<const char*>(node) + sizeof(heap_node);
}

static i64 TempIndex(const val_item* item) {
    if (item < vtable || item >= vtable + VTSIZE) return -1;
    i64 vx = item - vtable;
    return istempslot(vx) ? vx : -1;
}

void TrackTempLarge(i64 vx, heap_node* node) { set_templarge(vx, node); }

void ReleaseTempLarge(i64 vx) {
    heap_node* node = templarge[vx];
    if (!node) return;
    set_templarge(vx, nullptr);
    val_item* slot = &vtable[vx];
    bool owns = slot->data == NodeData(node);
    // The items' own large blocks are released with the temporary area.
    if (--node->refcount <= 0) HeapAlocRemv(node);
    if (owns) slot->bytes = 0;
}

// Large blocks of the items of temporary values, each with the top of the
// temporary area when it was given. Every mark the area is later cut back
// to is taken above a block given before it (each block takes a guard word
// of the area), so a block at or above a mark was given for a value built
// after the mark, which is dead once the area is cut back there. A block
// released otherwise is forgotten at once; its entry, told apart by its
// number, is dropped when the area is cut back past it.
namespace {
struct ItemLarge {
    heap_node* node;
    i64 mark;
    uint64_t id;
};
std::vector<ItemLarge> itemlarge;
std::unordered_map<const heap_node*, uint64_t> itemlive;  // tracked block -> its entry's id
uint64_t lastid = 0;
}  // namespace

void TrackItemLarge(heap_node* node) {
    // Without room even for a guard (the room kept for guards used up), the
    // block takes the mark of the word below the top: a mark taken since is
    // not above it, so the block may outlive its value until the area is cut
    // back further, but it is never released while in use. With no word
    // below, it is left to the workspace clear.
    if (!PlaceGuard() && stacktop < GUARD_BYTES) return;
    itemlarge.push_back({node, stacktop - GUARD_BYTES, ++lastid});
    itemlive[node] = lastid;
}

// A temporary slot left by an earlier statement still describes data in the
// part of the area being cut back, which later statements write over: it is
// emptied, so that no collection reads that data as descriptors of items.
static void EmptyDeadTemps(i64 mark) {
    if (mark < stacktop && heap) {
        const char* from = heap + mark;
        const char* to = heap + stacktop;
        for (i64 k = 4; k <= temphigh; k++) {
            val_item* s = &vtable[TempSlotAt(k)];
            if (s->data >= from && s->data < to && s->count > 0 && !isoneV(s)) *s = val_item{};
        }
    }
    if (mark == 0) temphigh = 3;
}

void ResetTemps(i64 mark) {
    EmptyDeadTemps(mark);
    CollectShapes();
    stacktop = mark;
    while (!itemlarge.empty() && itemlarge.back().mark >= mark) {
        ItemLarge entry = itemlarge.back();
        itemlarge.pop_back();
        auto live = itemlive.find(entry.node);
        if (live == itemlive.end() || live->second != entry.id) continue;
        itemlive.erase(live);
        HeapAlocRemv(entry.node);
    }
}

void UntrackTemp(const val_item* item) {
    i64 vx = TempIndex(item);
    if (vx >= 0 && templarge[vx] && NodeData(templarge[vx]) == item->data) set_templarge(vx, nullptr);
}

void ForgetTempLarge(heap_node* node) {
    if (!node) {
        std::fill(std::begin(templarge), std::end(templarge), nullptr);
        templarge_slot.clear();
        itemlarge.clear();
        itemlive.clear();
        return;
    }
    auto slot = templarge_slot.find(node);
    if (slot != templarge_slot.end()) {
        templarge[slot->second] = nullptr;
        templarge_slot.erase(slot);
    }
    itemlive.erase(node);
}

void ReleaseTemp(i64 vx) {
    if (vx <= 3 || vx >= VTSIZE || !istempslot(vx) || !templarge[vx]) return;
    bool owns = vtable[vx].data == NodeData(templarge[vx]);
    ReleaseTempLarge(vx);
    // A read of a released value is a value error, never a read of freed memory.
    if (owns) {
        vtable[vx] = val_item{};
        vtable[vx].rank = -1;
    }
}

bool TakeTemp(i64 dest, i64 vx) {
    if (!isnamedslot(dest) || vx <= 3 || vx >= VTSIZE || !istempslot(vx)) return false;
    val_item* src = &vtable[vx];
    heap_node* node = templarge[vx];
    if (!node || node->refcount != 1 || src->data != NodeData(node) || src->bytes <= M_LARGE)
        return false;
    // Items of a list live among the temporaries: such a value is copied.
    if (src->rank < 0 || HoldsItems(src->type)) return false;
    val_item moved = *src;
    if (moved.rank > 2 && GenStoreDimv0(&moved, src)) return false;
    val_item* dst = &vtable[dest];
    DropRef(dst);
    *dst = moved;
    set_templarge(vx, nullptr);
    src->bytes = 0;  // the temporary still reads the value, but no longer owns it
    return true;
}

void ReturnTemp(i64 dest, i64 vx) {
    if (!isnamedslot(dest) || vx <= 3 || vx >= VTSIZE || !istempslot(vx) || templarge[vx]) return;
    val_item* dst = &vtable[dest];
    val_item* src = &vtable[vx];
    if (dst->bytes <= M_LARGE || src->data != dst->data || src->bytes != 0) return;
    heap_node* node = LargeNodeOf(dst->data);
    if (!node || node->refcount != 1) return;
    set_templarge(vx, node);
    src->bytes = dst->bytes;
    dst->bytes = 0;
}
