// Bracket indexing of a keyed table: rows found by their keys, columns of
// the value table chosen by name.
#include <vector>

#include "dict/dictparts.h"

namespace {

// kt[; j]: the key table with a value table of the named columns.
i64 keep_columns(i64 res, i64 tv, i64 sc, i64 sv, const std::vector<i64>& cols) {
    bool named = isnamedslot(res);
    val_item keys{}, vals{}, names{}, list{};
    i64 e = GenStoreV2(&keys, TableAt(tv, KEYPART), named);
    if (!e) e = NewCompoundItem(&vals, TTABLE, 0, named);
    if (!e) e = GenStoreV1(&names, sc, sv, named);
    if (!e) {
        names.rank = 1;
        PutItem(&vals, 0, &names);
        e = NewList(&list, static_cast<i64>(cols.size()), named);
    }
    for (size_t k = 0; !e && k < cols.size(); k++) {
        val_item col{};
        e = GenStoreV2(&col, ItemOf(TableCols(TableAt(tv, VALPART)), cols[k]), named);
        if (!e) PutItem(&list, static_cast<i64>(k), &col);
    }
    if (!e) {
        list.dim0 = TableRows(TableAt(tv, VALPART));
        PutItem(&vals, 1, &list);
        e = NewCompound(res, TDICT, SUB_KEYED);
    }
    if (e) {
        DropMade(&list, named);
        DropMade(&vals, named);
        DropMade(&keys, named);
        return errchk = e;
    }
    PutItem(&vtable[res], 0, &keys);
    PutItem(&vtable[res], 1, &vals);
    return 0;
}

}  // namespace

i64 PfTableK(i64 res, i64 tv, i64 rc, i64 rv, i64 sc, i64 sv, i64 npos, i64) {
    const val_item* kt = &vtable[tv];
    const val_item* i = elided(rc, rv) ? nullptr : opnd(rc, rv);
    const val_item* j = npos == 2 && !elided(sc, sv) ? opnd(sc, sv) : nullptr;
    if (!i && !j) {
        val_item whole{};
        if (GenStoreV2(&whole, const_cast<val_item*>(kt), isnamedslot(res))) return errchk;
        SetSlot(res, &whole);
        return errchk = 0;
    }
    std::vector<i64> cols;
    if (j && (j->type != TSYM || ColumnNumbers(&cols, TableAt(tv, VALPART), j)))
        return errchk = E_DOMAIN;
    if (!i) return errchk = keep_columns(res, tv, sc, sv, cols);
    const val_item* key;
    if (KeyOf(&key, i, TableAt(tv, KEYPART), E_KEY_NOT_FOUND)) return errchk;
    const val_item* keys = TableAt(tv, KEYPART);
    i64* rows;
    i64 n;
    bool onekey;
    if (SearchKeys(&rows, &n, &onekey, TableCols(keys), TableRows(keys), key)) return errchk;
    if (j) return errchk = Picks(res, tv, VALPART, cols, !single(j), rows, n, onekey);
    val_item made{};
    if (RowsOf(&made, tv, VALPART, rows, n, onekey, isnamedslot(res))) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}
