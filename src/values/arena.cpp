// The value arena: named blocks (with a counted header) placed downward from
// the top, temporary blocks upward from the bottom, the typed write cursors.
#include <cstring>

#include "values/internal.h"

char* heap = nullptr;
char* mset = nullptr;
i64 stacktop = 0;
i64 r15 = ARENA_SIZE;
i64 R0 = 0;
char* cad0 = nullptr;
val_item* p0 = nullptr;
i64* p1 = nullptr;
double* p2 = nullptr;
char* p3 = nullptr;
i64 collision = 0;
i64 mmcollision = 0;
i64 deadbytes = 0;

// Block sizes are kept multiples of 8 so every header and element is aligned.
i64 ArenaRound(i64 need) { return (need + 7) & ~static_cast<i64>(7); }

void SetCursors(i64 type, char* data) {
    if (WordType(type)) {
        p0 = reinterpret_cast<val_item*>(data);
        p1 = reinterpret_cast<i64*>(data);
    } else if (DoubleView(type)) {
        p2 = reinterpret_cast<double*>(data);
    } else if (type == TCHAR) {
        p3 = data;
    }
}

// Largest single value the workspace accepts, so that a size computed from
// user data (a huge reshape, say) is refused instead of exhausting memory.
static constexpr i64 MAX_VALUE_BYTES = static_cast<i64>(1) << 34;

i64 CheckSize(i64 type, i64 count) {
    i64 width = typC(type, 1);
    if (type == TCHAR || width < 1) width = 1;
    if (type == TENUM) width = 8;
    if (count < 0 || count > (MAX_VALUE_BYTES - 16) / width) return errchk = E_WS_FULL;
    return 0;
}

// Terminator and clearing of freshly placed data.
static void PrepareData(char* data, i64 need, i64 room, i64 type, bool clear) {
    if (type == TCHAR) std::memset(data + need - 1, 0, room - need + 1);
    else if (clear || HoldsItems(type)) std::memset(data, 0, room);
    else if (room > need) std::memset(data + need, 0, room - need);
}

// Whether bytes more fit between the temporaries and the named blocks with
// keep bytes still free. When they do not, a collection runs only if the
// dead named blocks it would reclaim make them fit: one that cannot is not
// run, so a value built while the arena is full (its items then going to
// large blocks) does not collect again for every item. item, when given,
// follows a block the collection moves.
static bool arena_fits(i64 bytes, i64 keep, val_item** item) {
    if (r15 - stacktop - bytes >= keep) return true;
    if (r15 - stacktop + deadbytes - bytes < keep) return false;
    GC();
    if (item) *item = static_cast<val_item*>(GCRelocate(*item));
    return r15 - stacktop - bytes >= keep;
}

// Places a fresh named block of need bytes for item, collecting when the
// free space is short. The item's previous block loses a reference when
// release is set. Returns false, changing nothing, when there is no room.
bool PlaceNamed(val_item*& item, i64 need, i64 type, bool release) {
    i64 room = ArenaRound(need);
    R0 = room;
    if (!arena_fits(room + 32, GUARD_ROOM, &item)) return false;
    if (release) LoseBlock(item);
    r15 -= 32;
    mem_node* h = reinterpret_cast<mem_node*>(heap + r15);
    *h = mem_node{item, room, 1, BlockTag(type)};
    r15 -= room;
    cad0 = heap + r15;
    item->bytes = room;
    item->data = cad0;
    PrepareData(cad0, need, room, type, false);
    return true;
}

// Places need bytes of temporary data for item; false when there is no room
// even after a collection. Temporary blocks carry no header and no count.
bool PlaceTemp(val_item*& item, i64 need, i64 type) {
    i64 room = ArenaRound(need);
    R0 = room;
    if (!arena_fits(room, GUARD_ROOM, &item)) return false;
    cad0 = heap + stacktop;
    stacktop += room;
    item->data = cad0;
    item->bytes = 0;
    PrepareData(cad0, need, room, type, true);
    return true;
}

bool PlaceGuard() {
    if (!arena_fits(GUARD_BYTES, GUARD_BYTES, nullptr)) return false;
    std::memset(heap + stacktop, 0, GUARD_BYTES);
    stacktop += GUARD_BYTES;
    return true;
}

i64 BlockTag(i64 type) { return 1 | (HoldsItems(type) ? BLOCK_ITEMS : 0); }

void RetagBlock(val_item* item, i64 type) {
    mem_node* h = ArenaHeader(item);
    if (h) h->live = BlockTag(type);
}

// The arena header of the counted block a descriptor refers to, or nullptr.
mem_node* ArenaHeader(const val_item* item) {
    if (!heap || item->bytes <= 0 || (item->bytes & 7) || !item->data) return nullptr;
    const char* d = item->data;
    if (d < heap + r15 || d >= heap + ARENA_SIZE) return nullptr;
    if (item->bytes > ARENA_SIZE - (d - heap) - 32) return nullptr;
    mem_node* h = reinterpret_cast<mem_node*>(item->data + item->bytes);
    if (h->bytes != item->bytes) return nullptr;
    return h;
}
