// The two constructors: keys:values (a dictionary, or a keyed table from two
// tables) and the table literal ([keys] columns).
#include <vector>

#include "dict/dictparts.h"
#include "values/registers.h"

// ---- keys:values ---------------------------------------------------------------

// res := a dictionary of the sub-kind from copies of the two operands; the
// values as a list of one-element items unless they are a list (or tables).
static i64 make_dict(i64 res, i64 subkind, i64 lc, i64 lv, i64 rc, i64 rv) {
    bool named = isnamedslot(res);
    bool aslist = subkind == SUB_KEYED || opnd(rc, rv)->type == TLIST;
    val_item keys{}, vals{};
    if (GenStoreV1(&keys, lc, lv, named)) return errchk;
    i64 e = aslist ? GenStoreV1(&vals, rc, rv, named) : GenStorePar1(&vals, rc, rv, named);
    if (e || NewCompound(res, TDICT, subkind)) {
        DropMade(&keys, named);
        DropMade(&vals, named);
        return errchk;
    }
    PutItem(&vtable[res], 0, &keys);
    PutItem(&vtable[res], 1, &vals);
    return errchk = 0;
}

static i64 keyed_from_tables(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    const val_item* l = opnd(lc, lv);
    if (TableRows(l) != TableRows(opnd(rc, rv))) return errchk = E_TABLE_COLUMNS;
    if (i64 e = UniqueError(isValUQ(TableCols(l), TableRows(l), TableWidth(l))))
        return errchk = e;
    return make_dict(res, SUB_KEYED, lc, lv, rc, rv);
}

i64 PfDict(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    SetNames(1, 3, res, lc, lv, rc, rv);
    const val_item* l = opnd(lc, lv);
    const val_item* r = opnd(rc, rv);
    if (l->type == TSYM && single(l)) return GenEnum(res, lc, lv, rc, rv);
    if (l->type == TTABLE && r->type == TTABLE) return keyed_from_tables(res, lc, lv, rc, rv);
    if (l->type > TTIME || r->type > TTIME) return errchk = E_DOMAIN;
    if (l->rank > 1 || r->rank > 1) return errchk = E_RANK;
    if (l->count != r->count || l->count == 0) return errchk = E_LENGTH;
    return make_dict(res, SUB_PLAIN, lc, lv, rc, rv);
}

// ---- the table literal ---------------------------------------------------------------

namespace {

struct Column {
    i64 c, v;  // operand pair of its value
    i64 name;  // symbol id
};

// Rows of a column value; -1 when it cannot be a column.
i64 column_length(const val_item* x) {
    if (x->type == TLIST) {
        if (x->count == 0) return -1;
        for (i64 k = 0; k < x->count; k++)
            if (!IsCharVector(ItemOf(x, k))) return -1;
        return x->count;
    }
    if (x->type > TTIME && x->type != TENUM) return -1;
    if (x->rank > 1) return x->rank == 2 && x->type == TCHAR ? x->dim0 : -1;
    return x->count;
}

// A column's copy: a character matrix as a list of its rows, a single
// element widened to the row count.
i64 copy_column(val_item* t, const Column& col, i64 rows, bool named) {
    val_item* x = opnd(col.c, col.v);
    if (x->rank > 1) return GenStorePar2(t, col.c, col.v, named);
    if (IsScalarItem(x)) return GenStoreX(t, x, rows, named);
    return GenStoreV1(t, col.c, col.v, named);
}

// Builds into t the table of the columns (in source order).
i64 build_table(val_item* t, const std::vector<Column>& cols, i64 rows, bool named) {
    std::vector<i64> names;
    for (const Column& c : cols) names.push_back(c.name);
    auto copy = [&](val_item* c, i64 k) { return copy_column(c, cols[k], rows, named); };
    return TableOf(t, names, rows, copy, named);
}

// The common row count of the items in item order: the first fixes it, a
// count of 1 gives way to the next; single elements are widened.
i64 row_count(const i64* cidx, const i64* vidx, i64 n, i64* rows) {
    i64 fixed = -1;
    for (i64 k = 0; k <= n; k++) {
        if (cidx[k] == -1 && vidx[k] == -1) continue;
        i64 len = column_length(opnd(cidx[k], vidx[k]));
        if (fixed < 0 || fixed == 1) fixed = len;
    }
    for (i64 k = 0; k <= n; k++) {
        if (cidx[k] == -1 && vidx[k] == -1) continue;
        const val_item* x = opnd(cidx[k], vidx[k]);
        if (column_length(x) != fixed && !IsScalarItem(x)) return errchk = E_TABLE_COLUMNS;
    }
    *rows = fixed < 0 ? 0 : fixed;
    return 0;
}

}  // namespace

i64 PfGenTab(i64 res, i64* cidx, i64* vidx, i64 n, i64* tags, i64 lasttag) {
    if (n != lasttag || n < 0) return errchk = E_DOMAIN;
    std::vector<Column> vals, keys;
    bool inkeys = false;
    for (i64 k = 0; k <= n; k++) {
        if (cidx[k] == -1 && vidx[k] == -1) {
            inkeys = true;
            continue;
        }
        const val_item* x = opnd(cidx[k], vidx[k]);
        if (x->rank < 0) return errchk = E_VALUE;
        if (column_length(x) < 0) return errchk = E_DOMAIN;
        for (i64 j = 0; j < k; j++)
            if (tags[k] > 0 && tags[j] == tags[k]) return errchk = E_COLUMN_REPEATED;
        (inkeys ? keys : vals)
            .insert((inkeys ? keys : vals).begin(), Column{cidx[k], vidx[k], tags[k]});
    }
    if (vals.empty()) return errchk = E_DOMAIN;
    i64 rows;
    if (row_count(cidx, vidx, n, &rows)) return errchk;
    bool named = isnamedslot(res);
    val_item vt{}, kt{};
    if (build_table(&vt, vals, rows, named)) return errchk;
    if (keys.empty()) {
        SetSlot(res, &vt);
        return errchk = 0;
    }
    i64 e = build_table(&kt, keys, rows, named);
    if (!e) e = UniqueError(isValUQ(TableCols(&kt), rows, TableWidth(&kt)));
    if (!e) e = NewCompound(res, TDICT, SUB_KEYED);
    if (e) {
        DropMade(&vt, named);
        DropMade(&kt, named);
        return errchk = e;
    }
    PutItem(&vtable[res], 0, &kt);
    PutItem(&vtable[res], 1, &vt);
    return errchk = 0;
}
