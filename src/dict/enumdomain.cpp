// The domain of an enumeration, found by the name the enumeration holds. An
// address kept inside the enumeration would dangle once a local domain goes
// out of scope, and would be read with the wrong layout once the variable is
// given another kind of value; the name is looked up afresh instead, and what
// it is bound to is checked before any item is read through it.
#include "dict/dictparts.h"
#include "parser/parser.h"

// The key column of a keyed table that can serve as a domain: its key table
// has exactly one column, a simple vector.
static const val_item* key_column(const val_item* v) {
    if (!IsKeyed(v)) return nullptr;
    const val_item* keys = &items_of(v)[KEYPART];
    if (keys->type != TTABLE || TableWidth(keys) != 1) return nullptr;
    const val_item* col = ItemOf(TableCols(keys), 0);
    if (col->type > TTIME || col->type == TLIST || col->rank != 1) return nullptr;
    return col;
}

EnumDom EnumResolve(i64 name) {
    EnumDom d{-1, false, 0, -1};
    i64 slot = GetSymx(name);
    if (slot < 0 || slot >= VTSIZE || vtable[slot].rank < 0) return d;
    const val_item* v = &vtable[slot];
    const val_item* items = v;
    if (v->type != TSYM || v->rank != 1) {
        items = key_column(v);
        if (!items) return d;
        d.keyed = true;
    }
    d.slot = slot;
    d.count = items->count;
    d.type = items->type;
    return d;
}

const i64* EnumWords(const val_item* en) {
    static const i64 none[2] = {0, -1};
    return en->count > 0 && en->data ? reinterpret_cast<const i64*>(en->data) : none;
}

EnumDom EnumDomainOf(const val_item* en) { return EnumResolve(EnumName(en)); }

val_item* DomainItems(const EnumDom& d) {
    if (d.slot < 0) return nullptr;
    val_item* v = &vtable[d.slot];
    return d.keyed ? ItemOf(TableCols(&items_of(v)[KEYPART]), 0) : v;
}

i64 ChkEnum(const i64* indexes, i64 count, i64 n) {
    for (i64 k = 0; k < count; k++)
        if (indexes[k] < 0 || indexes[k] >= n) return 0;
    return 1;
}
