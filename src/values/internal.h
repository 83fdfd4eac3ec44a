// Inside the value store: the mechanics its own files share (arena block
// headers, large and scratch block lists, the temporaries' large blocks,
// the symbol tree). Nothing outside src/values includes this header.
#pragma once
#include "values/values.h"

// ---- large and scratch blocks ---------------------------------------------------

struct heap_node {
    heap_node* self;
    i64 size;
    i64 refcount;
    heap_node* next;
    heap_node* prev;
};
static_assert(sizeof(heap_node) == 40, "large-block header must be 40 bytes");

struct scratch_node {
    void* block;
    scratch_node* next;
};

// The memory of large and scratch blocks: bytes of room at offset bytes
// after a prefix of the allocator's own (offset at least 8); nullptr when
// the system has no memory left. Freed with the same offset.
void* BlockAlloc(i64 bytes, i64 offset);
void BlockFree(void* block, i64 offset);
// Gives back the freed block memory kept for reuse.
void ReleaseKeptBlocks();
// Has the process heap keep freed memory for reuse too (once, at start).
void KeepHeapMemory();
// Prefix of a large block's header: its data then starts 64 bytes after the
// allocation, on a cache line when the allocation is on one.
constexpr i64 LARGE_PREFIX = 24;

extern heap_node* HA0;
extern scratch_node *G0, *Gt;

// A new large block of bytes of data, on the list; nullptr without memory.
heap_node* HeapAloc(i64 bytes);
void HeapAdd(heap_node* head, heap_node* node);
void HeapAlocRemv(heap_node* node);
void HeapDeal(heap_node* node);
void HeapChange(void* data);
// The header of the large block whose data starts at data, or nullptr.
heap_node* LargeNodeOf(const void* data);
// An empty scratch list node from the heap; nullptr and E_WS_FULL when none.
scratch_node* GM_Init();
void GM_head();

// ---- arena ------------------------------------------------------------------

// Header placed right after each named block of the arena.
struct mem_node {
    val_item* owner;
    i64 bytes;
    i64 refcount;
    i64 live;  // bit 0: live; BLOCK_ITEMS: holds descriptors
};
static_assert(sizeof(mem_node) == 32, "arena header must be 32 bytes");

extern char* heap;
extern char* mset;
extern i64 mmcollision;
constexpr i64 M_LARGE = 65536;  // data above this many bytes goes to a large block
// Bytes (headers included) of the named blocks that died since the last
// collection: what the next one reclaims. Counted where a block dies.
extern i64 deadbytes;
// A guard: a word of the temporary area taken after a large block is given
// to an item of a temporary value, so that a mark taken later lies above
// the block's (see TrackItemLarge). Every other placement leaves
// GUARD_ROOM bytes of the arena free for guards, so a value that fills the
// arena still has its items' blocks released with the temporaries.
constexpr i64 GUARD_BYTES = 8;
constexpr i64 GUARD_ROOM = 4096;

i64 Inctp(i64 vx, i64 type, i64 count);
i64 Dectp(i64 vx, i64 type, i64 count);
// A large block for a slot or a descriptor; E_WS_FULL, the item unchanged,
// when memory is exhausted.
i64 AlcExtra(i64 vx, i64 bytes);
i64 AlcExtraV(val_item* item, i64 bytes);
i64 SimFirst();
// Collections run since the process started.
extern i64 collections;
// Calls visit on every descriptor the collector reaches from the slot
// tables, and on the items of every live arena block of items (with the
// block's owner), moving nothing.
void VisitDescriptors(void (*visit)(const val_item*));
// Where an address inside a block moved by the latest collection went (the
// address itself when its block did not move).
void* GCRelocate(void* p);
// Keeps a descriptor address up to date through every collection while it
// lives: a copy's destination may be an item inside a list block that the
// copy's own allocations move. Pins are made and dropped in nested order.
class PinItem {
public:
    explicit PinItem(val_item*& at);
    ~PinItem();
    PinItem(const PinItem&) = delete;
    PinItem& operator=(const PinItem&) = delete;
};
void SetCursors(i64 type, char* data);

// Bit of a named block header's live word: the block holds descriptors.
constexpr i64 BLOCK_ITEMS = 0x100;
i64 ArenaRound(i64 need);
i64 BlockTag(i64 type);
void RetagBlock(val_item* item, i64 type);
mem_node* ArenaHeader(const val_item* item);
bool PlaceNamed(val_item*& item, i64 need, i64 type, bool release);
bool PlaceTemp(val_item*& item, i64 need, i64 type);
// Takes a guard word of the temporary area; false when even the room kept
// for guards is used up.
bool PlaceGuard();
void LoseBlock(val_item* item);
void ReleaseItems(val_item* owner, i64 capacity);
void TrackTempLarge(i64 vx, heap_node* node);
void ReleaseTempLarge(i64 vx);
void UntrackTemp(const val_item* item);
void ForgetTempLarge(heap_node* node);  // nullptr: every temporary
// A large block given to an item of a temporary value: released when the
// temporary area is cut back below the point where it was given.
void TrackItemLarge(heap_node* node);

// ---- the symbol tree ------------------------------------------------------------

int InsertAVL(sym_node** root, int* taller, i64* sidx, i64* id, const estring* e);
void R_Rotate(sym_node** p);
void L_Rotate(sym_node** p);
void LeftBalance(sym_node** p);
void RightBalance(sym_node** p);
void estring_assign_e(sym_node* node, const estring* e);
int estring_euqal(const estring* a, const estring* b);
int estring_less(const estring* a, const estring* b);
int estring_less_than(const estring* a, const estring* b);
int estring_great(const estring* a, const estring* b);
int estring_great_than(const estring* a, const estring* b);
