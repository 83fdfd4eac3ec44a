// Result allocation: data for value slots, constant entries and descriptors
// held inside other values.
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "values/internal.h"
#include "values/registers.h"

i64 AlcExtraV(val_item* item, i64 bytes) {
    heap_node* node = HeapAloc(bytes);
    if (!node) return errchk = E_WS_FULL;
    if (item->bytes > M_LARGE) LoseBlock(item);
    cad0 = reinterpret_cast<char*>(node) + sizeof(heap_node);
    item->data = cad0;
    item->bytes = bytes;
    return 0;
}

i64 AlcExtra(i64 vx, i64 bytes) { return AlcExtraV(&vtable[vx], bytes); }

// A large block of need bytes for item; lists get cleared items and
// characters their terminator. Returns the block's header, or nullptr (the
// item unchanged, E_WS_FULL in errchk) when memory is exhausted.
static heap_node* GiveLarge(val_item* item, i64 need, i64 type) {
    if (AlcExtraV(item, need)) return nullptr;
    if (HoldsItems(type)) std::memset(cad0, 0, need);
    else if (type == TCHAR) cad0[need - 1] = 0;
    return reinterpret_cast<heap_node*>(cad0 - sizeof(heap_node));
}

// A temporary slot's large block replaces the one it had before, which is
// released first (and only then, or at a workspace clear), so its memory
// can serve the new one. Without memory the slot is left with no value.
static i64 GiveTempLarge(i64 vx, i64 need, i64 type) {
    ReleaseTempLarge(vx);
    val_item* slot = &vtable[vx];
    slot->bytes = 0;
    heap_node* node = GiveLarge(slot, need, type);
    if (!node) {
        *slot = val_item{};
        slot->rank = -1;
        return errchk = E_WS_FULL;
    }
    TrackTempLarge(vx, node);
    return 0;
}

static void Report(const char* what, i64 count, i64 vx) {
    std::fprintf(stderr, "%s,r = %" PRId64 ", vx=%" PRId64, what, count, vx);
}

i64 Inctp(i64 vx, i64 type, i64 count) {
    i64 need = typC(type, count);
    if (need > M_LARGE) return GiveTempLarge(vx, need, type);
    val_item* slot = &vtable[vx];
    if (!PlaceTemp(slot, need, type)) {
        Report("inctp", count, vx);
        return GiveTempLarge(vx, need, type);
    }
    return 0;
}

// Data for a named slot: the block in place when the slot is its sole owner
// and it is big enough, else a fresh one (the old one loses a reference).
// Without room after a collection: a large block when fallback is set, else
// E_WS_FULL. The new large block is made before the old one goes, so a slot
// that cannot get one keeps its value.
static i64 NamedData(i64 vx, i64 type, i64 count, const char* what, bool fallback) {
    val_item* slot = &vtable[vx];
    i64 need = typC(type, count);
    mmcollision = 0;
    if (slot->bytes >= need && !collision && RefChange(slot, 0) == 1) {
        cad0 = slot->data;
        RetagBlock(slot, type);
        return 0;
    }
    if (need <= M_LARGE && PlaceNamed(slot, need, type, true)) return 0;
    if (need <= M_LARGE) {
        Report(what, count, vx);
        if (!fallback) return errchk = E_WS_FULL;
    }
    val_item fresh{};
    if (!GiveLarge(&fresh, need, type)) return errchk;
    LoseBlock(slot);
    slot->data = fresh.data;
    slot->bytes = fresh.bytes;
    return 0;
}

i64 Dectp(i64 vx, i64 type, i64 count) { return NamedData(vx, type, count, "dectp", true); }

i64 Updatead0(i64 vx, i64 type, i64 rank, i64 count) {
    if (vx <= 0 || vx >= VTSIZE) return errchk = E_STACK_FULL;
    val_item* slot = &vtable[vx];
    i64 oldrank = slot->rank, oldcount = slot->count;
    slot->rank = rank;
    slot->count = count;
    if (isoneV(slot)) {
        cad0 = reinterpret_cast<char*>(&slot->dim0);
    } else if (count == 0) {
        cad0 = nullptr;
    } else {
        i64 r = CheckSize(type, count);
        if (!r) r = istempslot(vx) ? Inctp(vx, type, count) : Dectp(vx, type, count);
        if (r) {
            // A named slot keeps its value; a temporary has none left.
            if (isnamedslot(vx)) slot->rank = oldrank, slot->count = oldcount;
            return errchk = r;
        }
        errchk = 0;
    }
    if (cad0) SetCursors(type, cad0);
    return 0;
}

i64 Updatead1(i64 cidx, i64 type, i64 count) {
    val_item* entry = &ctable[cidx];
    if (CheckSize(type, count)) return errchk;
    i64 need = typC(type, count);
    errchk = 0;
    if (need > M_LARGE || !PlaceNamed(entry, need, type, false)) {
        entry->bytes = 0;
        if (!GiveLarge(entry, need, type)) return errchk;
    }
    return 0;
}

i64 Updatead2(val_item* item, bool named) {
    if (isoneV(item)) {
        cad0 = reinterpret_cast<char*>(&item->dim0);
        return 0;
    }
    if (item->count <= 0) {
        cad0 = nullptr;
        return 0;
    }
    if (CheckSize(item->type, item->count)) return errchk;
    i64 type = item->type;
    i64 need = typC(type, item->count);
    bool placed = need <= M_LARGE &&
                  (named ? PlaceNamed(item, need, type, true) : PlaceTemp(item, need, type));
    if (!placed) {
        val_item fresh{};
        heap_node* node = GiveLarge(&fresh, need, type);
        if (!node) return errchk;
        if (named) LoseBlock(item);
        item->data = fresh.data;
        item->bytes = fresh.bytes;
        if (!named) TrackItemLarge(node);
    }
    return 0;
}

void Updateaz(i64 vx, i64 rank, i64 count, i64 dim0, i64 dim1) {
    val_item* slot = &vtable[vx];
    slot->rank = rank;
    slot->count = count;
    if (single(slot)) return;
    slot->dim0 = rank > 1 ? dim0 : count;
    if (rank > 1) slot->dim1 = dim1;
    slot->data = cad0;
}

// Data for the shape of src given to slot vx: an E_WS_FULL instead of a large
// block when the arena has no room left.
static i64 TransFadData(i64 vx, i64 type, i64 count) {
    val_item* slot = &vtable[vx];
    if (CheckSize(type, count)) return errchk;
    i64 need = typC(type, count);
    if (istempslot(vx)) {
        if (need > M_LARGE) return GiveTempLarge(vx, need, type);
        if (stacktop + ArenaRound(need) >= r15) Report("incstktpa", count, vx);
        if (!PlaceTemp(slot, need, type)) return errchk = E_WS_FULL;
        return 0;
    }
    return NamedData(vx, type, count, collision ? "incheapp1a" : "incheapp0", false);
}

static i64 TransShape(i64 vx, i64 type, val_item src) {
    val_item* slot = &vtable[vx];
    slot->rank = src.rank;
    if (src.rank == 0) {
        slot->count = 1;
        return 0;
    }
    slot->count = src.count;
    if (src.rank >= 2) {
        slot->dim0 = src.dim0;
        slot->dim1 = src.dim1;
    }
    slot->type = type;
    if (isoneV(slot)) {
        cad0 = reinterpret_cast<char*>(&slot->dim0);
    } else if (src.count == 0) {
        cad0 = nullptr;
        return 0;
    } else if (i64 r = TransFadData(vx, type, src.count)) {
        return r;
    }
    SetCursors(type, cad0);
    return 0;
}

i64 TransFad(i64 vx, i64 type, i64 src) { return TransShape(vx, type, vtable[src]); }

i64 TransFadc(i64 vx, i64 type, i64 cidx) { return TransShape(vx, type, ctable[cidx]); }

i64 Incstktpt(i64 n, i64 which, i64 type) {
    char* buffer = static_cast<char*>(GM_new(type, n));
    if (!buffer && n > 0) return errchk;
    if (buffer && type == TCHAR) buffer[n] = 0;
    cad0 = buffer;
    double* view = reinterpret_cast<double*>(buffer);
    if (which == 1) ltmp = view;
    else if (which == 2) rtmp = view;
    return 0;
}

i64 SimFirst() { return 0; }
