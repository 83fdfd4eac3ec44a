// The collector: slides the live named blocks of the arena up to its top and
// re-points every descriptor that refers to a moved block, not only the one
// recorded as owner, since assignment shares a block between names.
#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "values/internal.h"
#include "values/registers.h"

namespace {

// One block that moved: its old span (data and header) and the shift.
struct Move {
    char* from;
    char* end;
    i64 shift;
};

// One live block after compaction.
struct Live {
    char* data;     // new data address
    char* olddata;  // data address before compaction
    mem_node* header;
    val_item* sharer;  // a descriptor found referring to it, if any
};

std::vector<Move> moves;  // of the latest collection, ascending by from
std::vector<Live> lives;  // ascending by data
std::vector<val_item**> pins;  // addresses kept up to date, innermost last

char* Relocate(char* p) {
    auto it = std::upper_bound(moves.begin(), moves.end(), p,
                               [](char* x, const Move& m) { return x < m.from; });
    if (it == moves.begin()) return p;
    --it;
    return p < it->end ? p + it->shift : p;
}

// Walks the named blocks from the top of the arena and fills lives; with
// slide, the live ones are moved up against each other first (filling moves).
void ScanBlocks(bool slide) {
    i64 a = ARENA_SIZE, b = ARENA_SIZE;
    while (b - r15 >= 32) {
        mem_node* h = reinterpret_cast<mem_node*>(heap + b - 32);
        i64 len = h->bytes + 32;
        if (h->bytes <= 0 || (h->bytes & 7) || len > b - r15) break;  // not a header
        if (h->live & 1) {
            char* from = heap + b - len;
            char* to = slide ? heap + a - len : from;
            if (to != from) {
                std::memmove(to, from, len);
                moves.push_back(Move{from, heap + b, a - b});
            }
            lives.push_back(Live{to, from, reinterpret_cast<mem_node*>(to + len - 32), nullptr});
            a -= len;
        }
        b -= len;
    }
    if (slide) {
        r15 = a;
        deadbytes = 0;
    }
    std::reverse(moves.begin(), moves.end());
    std::reverse(lives.begin(), lives.end());
}

Live* LiveAt(const char* data) {
    auto it = std::lower_bound(lives.begin(), lives.end(), data,
                               [](const Live& l, const char* x) { return l.data < x; });
    return it != lives.end() && it->data == data ? &*it : nullptr;
}

void NoteSharer(val_item* d) {
    Live* l = LiveAt(d->data);
    if (l && !l->sharer && d->bytes == l->header->bytes) l->sharer = d;
}

// Whether the memory at data can hold bytes of the items of a list,
// dictionary or table.
bool HoldsItemsAt(const char* data, i64 bytes) {
    if (data >= heap && data < heap + ARENA_SIZE) {
        if (data + bytes <= heap + stacktop) return true;
        const Live* l = LiveAt(data);
        return l && (l->header->live & BLOCK_ITEMS) && l->header->bytes >= bytes;
    }
    const heap_node* node = LargeNodeOf(data);
    return node && node->size >= bytes;
}

bool InTables(const void* p) {
    auto* d = static_cast<const val_item*>(p);
    return (d >= vtable && d < vtable + VTSIZE) || (d >= ctable && d < ctable + CTSIZE);
}

// Calls visit once on every descriptor reachable from the slot tables (seen
// holds the ones outside the tables already visited); the items of a list,
// dictionary or table are reached through its data after visit has seen it.
template <class Visit>
void WalkAll(std::unordered_set<const void*>& seen, Visit visit) {
    std::vector<val_item*> work;
    for (i64 i = VTSIZE - 1; i >= 1; i--) work.push_back(&vtable[i]);
    for (i64 i = CTSIZE - 1; i >= 0; i--) work.push_back(&ctable[i]);
    while (!work.empty()) {
        val_item* d = work.back();
        work.pop_back();
        if (!InTables(d) && !seen.insert(d).second) continue;
        visit(d);
        if (isoneV(d) || d->count <= 0 || !d->data) continue;
        if (!HoldsItems(d->type) || d->rank < 0 || !HoldsItemsAt(d->data, 64 * d->count)) continue;
        val_item* items = items_of(d);
        for (i64 i = d->count - 1; i >= 0; i--) work.push_back(&items[i]);
    }
}

// Re-points every descriptor reachable from the slot tables.
void RepointAll(std::unordered_set<const void*>& seen) {
    WalkAll(seen, [](val_item* d) {
        if (isoneV(d) || d->count <= 0 || !d->data) return;
        d->data = Relocate(d->data);
        NoteSharer(d);
    });
}

// A recorded owner outside the slot tables (a descriptor a routine is
// building, say) is re-pointed when it still refers to its block.
bool Writable(const val_item* o) {
    const char* p = reinterpret_cast<const char*>(o);
    if (p >= heap && p < heap + ARENA_SIZE) {
        if (p + sizeof(val_item) <= heap + stacktop) return true;
        if (p < heap + r15) return false;
        auto it = std::upper_bound(lives.begin(), lives.end(), p,
                                   [](const char* x, const Live& l) { return x < l.data; });
        if (it == lives.begin()) return false;
        --it;
        return p + sizeof(val_item) <= reinterpret_cast<const char*>(it->header);
    }
    return true;
}

// An owner that no longer refers to its block (its value was replaced while
// another name shares the block) hands the block over to a sharer.
void RepointOwners(std::unordered_set<const void*>& seen) {
    for (Live& l : lives) {
        val_item* o =
            reinterpret_cast<val_item*>(Relocate(reinterpret_cast<char*>(l.header->owner)));
        l.header->owner = o;
        bool done = o && (InTables(o) || seen.count(o));
        if (o && l.data != l.olddata && !done && Writable(o) && o->data == l.olddata)
            o->data = l.data;
        if (l.sharer && (!done || o->data != l.data)) l.header->owner = l.sharer;
    }
}

void RefreshOperand(i64 which, val_item*& v0, i64*& v1, double*& v2, char*& v3) {
    if (which == 0) return;
    val_item* d = which > 0 ? &vtable[which] : &ctable[-which];
    if (DoubleView(d->type)) {
        v2 = reinterpret_cast<double*>(d->data);
    } else if (d->type == TCHAR) {
        v3 = d->data;
    } else if (WordType(d->type) || d->type == TLIST) {
        v0 = reinterpret_cast<val_item*>(d->data);
        v1 = reinterpret_cast<i64*>(d->data);
    }
}

}  // namespace

i64 collections = 0;

i64 GC() {
    collections++;
    moves.clear();
    lives.clear();
    if (!heap) return 0;
    ScanBlocks(true);
    std::unordered_set<const void*> seen;
    if (!moves.empty()) {  // nothing moved: every address is still right
        RepointAll(seen);
        RepointOwners(seen);
        for (val_item** p : pins) *p = static_cast<val_item*>(GCRelocate(*p));
    }
    RefreshOperand(gclx, lo0, lo1, lo2, lo3);
    RefreshOperand(gcrx, ro0, ro1, ro2, ro3);
    gclx = gcrx = 0;
    return 0;
}

void VisitDescriptors(void (*visit)(const val_item*)) {
    if (!heap) return;
    // The latest collection's record stays for GCRelocate.
    std::vector<Move> kept_moves;
    std::vector<Live> kept_lives;
    kept_moves.swap(moves);
    kept_lives.swap(lives);
    ScanBlocks(false);
    std::unordered_set<const void*> seen;
    WalkAll(seen, [visit](val_item* d) { visit(d); });
    // A list a routine is building aside: its block's items, and the
    // descriptor that owns the block when it still refers to it.
    for (const Live& l : lives) {
        if (!(l.header->live & BLOCK_ITEMS)) continue;
        const val_item* o = l.header->owner;
        if (o && !InTables(o) && Writable(o) && o->data == l.data && seen.insert(o).second) visit(o);
        const val_item* items = reinterpret_cast<const val_item*>(l.data);
        for (i64 k = 0; k < l.header->bytes / 64; k++) visit(&items[k]);
    }
    moves.swap(kept_moves);
    lives.swap(kept_lives);
}

void* GCRelocate(void* p) { return Relocate(static_cast<char*>(p)); }

PinItem::PinItem(val_item*& at) { pins.push_back(&at); }

PinItem::~PinItem() { pins.pop_back(); }
