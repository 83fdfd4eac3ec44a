// The operand and result conventions of the primitives. A routine reads its
// operands as pairs (constant index c >= 0, else value slot v), loads them
// (sopnd_load, or SetNames of values/registers.h), writes its result into
// the slot res it was given (NewResult and its kin), and returns 0 or an
// error code, the same code left in errchk. The element rules (typC,
// ElemWidth, single) are in values/values.h.
//
// Staging rule: an allocation may move or free the data of any operand,
// even the result slot's own. Read operand data only through addresses
// taken after the last allocation (sopnd_refresh), or from a snapshot.
#pragma once
#include "values/values.h"

// ---- operand snapshots --------------------------------------------------------

// An operand held for the length of one routine: its descriptor copied, and
// a data address that stays valid across the result's allocation.
struct sopnd {
    val_item d;     // descriptor copy (a single element lives in d.dim0)
    const void* p;  // element data; null when empty
    bool one;       // single element: rank 0, or rank 1 with count 1
    bool priv;      // p is a private scratch copy
    i64 c, v;       // operand pair
};

// Takes the snapshot; data of an operand that is also the result slot is
// copied to scratch, since the result's allocation may replace it. E_WS_FULL
// when that scratch cannot be had.
i64 sopnd_load(sopnd* o, i64 c, i64 v, i64 res);
// Both operands of a dyadic primitive: loads them and their names (SetNames,
// kind 3); E_VALUE when either has no value, E_WS_FULL as sopnd_load.
i64 sopnd_load_pair(sopnd* l, sopnd* r, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Re-reads the data address after an allocation (the collector may move it).
void sopnd_refresh(sopnd* o);
// The operand's elements as doubles (booleans and integers converted into
// scratch); its own data for a float operand. nullptr, with E_WS_FULL in
// errchk, when the scratch cannot be had.
const double* sopnd_doubles(const sopnd* o);
// The operand's elements as complex numbers, converted into scratch as
// needed; nullptr as sopnd_doubles.
const complex2* sopnd_complex(const sopnd* o);

// ---- numbers ------------------------------------------------------------------

// A double as a 64-bit integer, truncated; NaN and values outside the
// 64-bit range give the integer null.
inline i64 dbl2int(double x) {
    // 2^63 itself is out of range; -2^63 is the null anyway.
    if (!(x > -9223372036854775808.0 && x < 9223372036854775808.0)) return INULL;
    return (i64)x;
}

// ---- shapes -------------------------------------------------------------------

// Shape of a result of the given rank and dimensions: appends the trailing
// dimensions of a rank above 2 to glist (with stride room) and leaves the
// run's index in *run; E_GLIST_FULL when glist is full. Call before allocating.
i64 shape_run(const i64* dims, i64 rank, i64* run);
// Writes the dimension words of an allocated result slot.
void shape_set(i64 res, const i64* dims, i64 rank, i64 run);
// The dimensions of an operand: one word per axis (none for a scalar).
i64 shape_of(const val_item* v, i64* dims);
constexpr i64 MAXRANK = 64;  // room of the dimension lists of the operators
// Row-major strides of a shape: stride[k] is the product of the dimensions
// after axis k.
void RowMajorStrides(const i64* dims, i64 rank, i64* stride);
// The dimensions of the operand pair (c, v): one word per axis, one for a
// scalar (its count). Always 0.
i64 CfAbstract(i64 c, i64 v, i64* dims);
// Element count of a shape; E_WS_FULL when the workspace cannot hold such a value.
i64 ShapeCount(const i64* dims, i64 rank, i64 type, i64* count);

// ---- results --------------------------------------------------------------------

// Gives res its type, rank and shape and allocates its data (E_GLIST_FULL,
// E_WS_FULL on failure).
i64 NewResult(i64 res, i64 type, i64 rank, const i64* dims, i64 count);
// A one-element result of an inline type held in slot res's descriptor:
// its type, rank (0 or 1), count 1 and the element's word; the rest of the
// slot stays as the result allocator leaves it for such a value.
inline void SingleInto(val_item* t, i64 type, i64 rank, i64 word) {
    t->type = type;
    t->rank = rank;
    t->count = 1;
    t->dim0 = word;
}
inline void SingleResult(i64 res, i64 type, i64 rank, i64 word) {
    SingleInto(&vtable[res], type, rank, word);
}
// Builds res from src: element k is src element map[k], or the type's fill
// element where map[k] < 0 (an empty integer vector for a list item). A null
// map for a non-empty result (its scratch could not be had) is E_WS_FULL.
i64 GatherResult(i64 res, i64 type, i64 rank, const i64* dims, i64 count, const sopnd* src,
                 const i64* map);
// A list result of n items: item k is a deep copy of get(ctx, k), or the
// fill item when that gives none. Every item is copied before res changes.
typedef const val_item* (*item_source)(void* ctx, i64 k);
i64 ListResult(i64 res, i64 rank, const i64* dims, i64 n, item_source get, void* ctx);
// The result slot res as a list of n items, each an empty descriptor until
// it is filled (the allocator zeroes item blocks).
i64 NewList(i64 res, i64 n);
// Item k of a list operand, read afresh (a collection may have moved it).
const val_item* OperandItem(const sopnd* o, i64 k);

// ---- conformability and []IO ------------------------------------------------------

// Conformability check and result allocation of a dyadic scalar call, on
// operand registers already loaded by SetNames (kind 3), ttyp set.
i64 Sfshapeck0(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// The same for the result type of mode (1 boolean, 2 float, else the larger
// operand type), loading nothing: target gets the shape of the non-single
// operand.
i64 Sfshapeck(i64 mode, i64 target, i64 lc, i64 lv, i64 rc, i64 rv);
// The []IO slot must hold a 0/1 boolean or integer scalar: its value, or -1.
i64 IoOrigin(i64 io);

// ---- scratch slots for item-by-item work ------------------------------------------
// Slots just above the last variable, lent to nested per-item evaluations.

// Drops the slot's data reference and leaves it without a value.
void EmptySlot(i64 vx);
// Lends n emptied slots from *base on; E_TABLE_FULL when the value table is full.
i64 TakeSlots(i64 n, i64* base);
// Puts a descriptor in a lent slot for reading: the data stay with their
// owner, and the collector keeps the slot's address up to date.
void LendSlot(i64 vx, const val_item* item);
// Empties and gives back the n slots lent from base on.
void GiveSlots(i64 base, i64 n);
// Moves the value made in slot vx into item k of list res, emptying vx.
i64 SettleItem(i64 res, i64 k, i64 vx);
