// A dictionary of columns turned into a table, and a table into a
// dictionary (monadic transpose).
#include "dict/dictparts.h"

i64 Dic2Table(const val_item* values) {
    if (values->type != TLIST || values->count == 0) return errchk = E_DOMAIN, -1;
    i64 rows = -1;
    for (i64 k = 0; k < values->count; k++) {
        const val_item* it = ItemOf(values, k);
        if (it->type == TLIST) {
            for (i64 j = 0; j < it->count; j++)
                if (!IsCharVector(ItemOf(it, j))) return errchk = E_DOMAIN, -1;
        } else if (it->type > TTIME || (it->rank > 1 && !(it->rank == 2 && it->type == TCHAR))) {
            return errchk = E_DOMAIN, -1;
        }
        if (IsScalarItem(it)) continue;
        if (rows >= 0 && ColumnRows(it) != rows) return errchk = E_TABLE_COLUMNS, -1;
        rows = ColumnRows(it);
    }
    return rows < 0 ? 1 : rows;
}

// The names a dictionary's keys give a table: a symbol vector, or the one
// item of a one-item list; nullptr when they give none.
static const val_item* key_names(const val_item* dict) {
    const val_item* names = Unwrap(&items_of(dict)[0]);
    if (names->type != TSYM || names->rank > 1) return nullptr;
    if (names->count != items_of(dict)[1].count) return nullptr;
    return names;
}

static i64 to_table(i64 res, i64 rc, i64 rv) {
    if (!key_names(opnd(rc, rv))) return errchk = E_TABLE_KEYS;
    i64 rows = Dic2Table(&items_of(opnd(rc, rv))[1]);
    if (rows < 0) return errchk;
    bool named = isnamedslot(res);
    val_item t{}, names{}, cols{};
    i64 e = NewCompoundItem(&t, TTABLE, 0, named);
    if (!e) e = GenStoreV2(&names, const_cast<val_item*>(key_names(opnd(rc, rv))), named);
    // One name may come as a scalar; a table's names are a vector, as a
    // table literal makes them (the one element stays in the descriptor).
    if (!e) names.rank = 1;
    if (!e) {
        PutItem(&t, 0, &names);
        e = NewList(&cols, items_of(opnd(rc, rv))[1].count, named);
    }
    for (i64 k = 0; !e && k < cols.count; k++) {
        val_item* it = ItemOf(&items_of(opnd(rc, rv))[1], k);
        val_item made{};
        e = IsScalarItem(it) ? GenStoreX(&made, it, rows, named) : GenStoreV2(&made, it, named);
        if (!e) PutItem(&cols, k, &made);
    }
    if (e) {
        DropMade(&cols, named);
        DropMade(&t, named);
        return errchk = e;
    }
    cols.dim0 = rows;
    PutItem(&t, 1, &cols);
    SetSlot(res, &t);
    return errchk = 0;
}

static i64 to_dict(i64 res, i64 rc, i64 rv) {
    if (rc < 0 && rv == res) {
        val_item* t = &vtable[res];
        TableCols(t)->dim0 = TableCols(t)->count;
        t->type = TDICT;
        t->dim0 = SUB_PLAIN;
        return errchk = 0;
    }
    bool named = isnamedslot(res);
    val_item d{};
    if (GenStoreV2(&d, opnd(rc, rv), named)) return errchk;
    TableCols(&d)->dim0 = TableCols(&d)->count;
    d.type = TDICT;
    d.dim0 = SUB_PLAIN;
    SetSlot(res, &d);
    return errchk = 0;
}

i64 DictTransp(i64 res, i64 rc, i64 rv) {
    const val_item* x = opnd(rc, rv);
    if (x->type == TTABLE) return to_dict(res, rc, rv);
    if (!IsPlainDict(x)) return errchk = E_DOMAIN;
    return to_table(res, rc, rv);
}
