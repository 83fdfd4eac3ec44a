// Scratch value slots for item-by-item work (indexing by lists, each): a
// nested evaluation borrows the slots just above the last variable. lstvx
// steps over them while they are lent, so a nested borrower takes the next
// ones; they are emptied again when given back.
#include "values/operand.h"

void EmptySlot(i64 vx) {
    val_item* s = &vtable[vx];
    if (s->bytes > 0) DropRef(s);
    *s = val_item{};
    s->rank = -1;
}

i64 TakeSlots(i64 n, i64* base) {
    i64 limit = lstvxend < SYSTART ? lstvxend : SYSTART;
    if (lstvx + n >= limit) return errchk = E_TABLE_FULL;
    *base = lstvx + 1;
    for (i64 k = 0; k < n; k++) EmptySlot(*base + k);
    lstvx += n;
    return 0;
}

void LendSlot(i64 vx, const val_item* item) {
    vtable[vx] = *item;
    vtable[vx].bytes = 0;
}

void GiveSlots(i64 base, i64 n) {
    for (i64 k = 0; k < n; k++) EmptySlot(base + k);
    lstvx -= n;
}

// A list in the temporary area takes a temporary copy, so that no named
// block outlives the statement's temporaries.
i64 SettleItem(i64 res, i64 k, i64 vx) {
    if (isnamedslot(res)) return GenStoreB(reinterpret_cast<val_item*>(vtable[res].data) + k, vx);
    val_item t{};
    i64 e = GenStoreV2(&t, &vtable[vx], false);
    EmptySlot(vx);
    if (e) return e;
    MoveItem(reinterpret_cast<val_item*>(vtable[res].data) + k, &t);
    return 0;
}
