// Building dictionaries and tables: fresh compound values, their parts, and
// copies of chosen rows and cells. Results are built in local descriptors
// (which the collector keeps up to date as owners of their blocks) and moved
// into place once whole; sources are reached again after each allocation.
#include <cstring>
#include <vector>

#include "dict/dictparts.h"

i64 ColumnIndex(const val_item* names, i64 sym) {
    const i64* s = WordsOf(names);
    for (i64 j = 0; j < names->count; j++)
        if (s[j] == sym) return j;
    return -1;
}

bool AllColumns(const val_item* table, const i64* names, i64 n, i64* out) {
    for (i64 k = 0; k < n; k++) {
        i64 j = ColumnIndex(TableNames(table), names[k]);
        if (j < 0) return false;
        if (out) out[k] = j;
    }
    return true;
}

val_item* TableAt(i64 src, i64 part) {
    val_item* v = &vtable[src];
    return part < 0 ? v : &items_of(v)[part];
}

static const val_item* column_at(i64 src, i64 part, i64 j) {
    return ItemOf(TableCols(TableAt(src, part)), j);
}

// ---- compound values -------------------------------------------------------------------

static void mark_kind(val_item* v, i64 type, i64 subkind) {
    v->dim0 = type == TDICT ? subkind : 2;
    v->dim1 = 0;
    std::memset(v->data, 0, 2 * sizeof(val_item));
}

i64 NewCompound(i64 res, i64 type, i64 subkind) {
    vtable[res].type = type;
    if (Updatead0(res, type, 1, 2)) return errchk;
    mark_kind(&vtable[res], type, subkind);
    return 0;
}

i64 NewCompoundItem(val_item* t, i64 type, i64 subkind, bool named) {
    *t = val_item{};
    t->type = type;
    t->rank = 1;
    t->count = 2;
    if (Updatead2(t, named)) return errchk;
    mark_kind(t, type, subkind);
    return 0;
}

void PutItem(val_item* owner, i64 k, val_item* made) { MoveItem(&items_of(owner)[k], made); }

void DropMade(val_item* made, bool named) {
    if (named) DropRef(made);
    *made = val_item{};
}

void SetSlot(i64 res, val_item* made) {
    if (isnamedslot(res)) DropRef(&vtable[res]);
    MoveItem(&vtable[res], made);
}

i64 NewVector(val_item* t, i64 type, i64 n, bool named) {
    *t = val_item{};
    t->type = type;
    t->rank = 1;
    t->count = n;
    if (Updatead2(t, named)) return errchk;
    if (n != 1) t->dim0 = n;
    if (type == TCHAR && !isoneV(t) && n > 0) t->data[n] = 0;
    return 0;
}

i64 TableOf(val_item* t, const std::vector<i64>& names, i64 rows, const ColumnMaker& make,
            bool named) {
    i64 n = static_cast<i64>(names.size());
    if (NewCompoundItem(t, TTABLE, 0, named)) return errchk;
    val_item nv{}, cols{};
    i64 e = NewVector(&nv, TSYM, n, named);
    if (!e && n > 0) std::memcpy(getptV(&nv), names.data(), n * sizeof(i64));
    if (!e) PutItem(t, 0, &nv);
    if (!e) e = NewList(&cols, n, named);
    for (i64 k = 0; !e && k < n; k++) {
        val_item c{};
        e = make(&c, k);
        if (!e) PutItem(&cols, k, &c);
    }
    if (e) {
        DropMade(&cols, named);
        DropMade(t, named);
        return errchk = e;
    }
    cols.dim0 = rows;
    PutItem(t, 1, &cols);
    return 0;
}

i64 NewList(val_item* t, i64 n, bool named) {
    *t = val_item{};
    t->type = TLIST;
    t->rank = 1;
    t->count = n;
    if (Updatead2(t, named)) return errchk;
    t->dim0 = n;
    return 0;
}

// ---- cells and selections ----------------------------------------------------------------

// The chosen rows of a character matrix, as a matrix.
static i64 matrix_rows(val_item* t, i64 src, i64 part, i64 j, const i64* rows, i64 n, bool named) {
    i64 w = column_at(src, part, j)->dim1;
    val_item m{};
    m.type = TCHAR;
    m.rank = 2;
    m.count = n * w;
    if (Updatead2(&m, named)) return errchk;
    m.dim0 = n;
    m.dim1 = w;
    const char* from = BytesOf(column_at(src, part, j));
    for (i64 k = 0; k < n && w > 0; k++) std::memcpy(m.data + k * w, from + rows[k] * w, w);
    if (m.count > 0) m.data[m.count] = 0;
    MoveItem(t, &m);
    return 0;
}

i64 SelectColumn(val_item* t, i64 src, i64 part, i64 j, const i64* rows, i64 n, bool named) {
    const val_item* col = column_at(src, part, j);
    if (col->type == TCHAR && col->rank > 1) return matrix_rows(t, src, part, j, rows, n, named);
    i64* idx = static_cast<i64*>(GM_new(TINT, n + 1));
    if (!idx) return errchk;
    if (col->type == TENUM) {
        // An enumeration's rows are read through its domain.
        const i64* held = EnumIndexes(col);
        for (i64 k = 0; k < n; k++) idx[k] = held[rows[k]];
        return EnumValues(t, EnumDomainOf(col), idx, n, named);
    }
    if (n > 0) std::memcpy(idx, rows, n * sizeof(i64));
    *t = val_item{};
    return Savea(t, const_cast<val_item*>(col), idx, n, named);
}

i64 CellValue(val_item* t, i64 src, i64 part, i64 j, i64 row, bool named) {
    const val_item* col = column_at(src, part, j);
    *t = val_item{};
    if (col->type == TLIST) return GenStoreV2(t, ItemOf(col, row), named);
    return SelectColumn(t, src, part, j, &row, 1, named);
}

// ---- rows of a table ---------------------------------------------------------------

// Part k of t: a copy of the table's names.
static i64 copy_names(val_item* t, i64 k, i64 src, i64 part, bool named) {
    val_item names{};
    if (GenStoreV2(&names, TableNames(TableAt(src, part)), named)) return errchk;
    PutItem(t, k, &names);
    return 0;
}

static i64 row_dict(val_item* t, i64 src, i64 part, i64 row, bool named) {
    i64 width = TableWidth(TableAt(src, part));
    if (NewCompoundItem(t, TDICT, SUB_PLAIN, named)) return errchk;
    val_item vals{};
    i64 e = copy_names(t, 0, src, part, named);
    if (!e) e = NewList(&vals, width, named);
    for (i64 j = 0; !e && j < width; j++) {
        val_item cell;
        e = CellValue(&cell, src, part, j, row, named);
        if (!e) PutItem(&vals, j, &cell);
    }
    if (e) {
        DropMade(&vals, named);
        return e;
    }
    PutItem(t, 1, &vals);
    return 0;
}

static i64 row_table(val_item* t, i64 src, i64 part, const i64* rows, i64 n, bool named) {
    i64 width = TableWidth(TableAt(src, part));
    if (NewCompoundItem(t, TTABLE, 0, named)) return errchk;
    val_item cols{};
    i64 e = copy_names(t, 0, src, part, named);
    if (!e) e = NewList(&cols, width, named);
    for (i64 j = 0; !e && j < width; j++) {
        val_item c;
        e = SelectColumn(&c, src, part, j, rows, n, named);
        if (!e) PutItem(&cols, j, &c);
    }
    if (e) {
        DropMade(&cols, named);
        return e;
    }
    cols.dim0 = n;
    PutItem(t, 1, &cols);
    return 0;
}

i64 RowsOf(val_item* t, i64 src, i64 part, const i64* rows, i64 n, bool asdict, bool named) {
    val_item made{};
    i64 e = asdict && n == 1 ? row_dict(&made, src, part, rows[0], named)
                             : row_table(&made, src, part, rows, n, named);
    if (e) {
        DropMade(&made, named);
        return errchk = e;
    }
    MoveItem(t, &made);
    return 0;
}

i64 IntResult(i64 res, const i64* vals, i64 n, i64 origin) {
    vtable[res].type = TINT;
    if (Updatead0(res, TINT, 1, n)) return errchk;
    if (n != 1) vtable[res].dim0 = n;
    i64* out = static_cast<i64*>(getptV(&vtable[res]));
    for (i64 k = 0; k < n; k++) out[k] = vals[k] + origin;
    return 0;
}

// ---- picks of columns -------------------------------------------------------------

// Column positions of the names, which must all be columns.
i64 ColumnNumbers(std::vector<i64>* cols, const val_item* table, const val_item* names) {
    const val_item* have = TableNames(table);
    i64 in = ChkMemb(WordsOf(have), have->count, WordsOf(names), names->count, TSYM);
    if (in < 0) return errchk;
    if (!in) return errchk = E_DOMAIN;
    cols->resize(names->count);
    AllColumns(table, WordsOf(names), names->count, cols->data());
    return 0;
}

// One column's part of the result: whole (rows null), the cell of a single
// row index, or the chosen rows.
static i64 pick(val_item* t, i64 src, i64 part, i64 j, const i64* rows, i64 n, bool onerow,
                bool named) {
    if (!rows) return GenStoreV2(t, ItemOf(TableCols(TableAt(src, part)), j), named);
    if (onerow) return CellValue(t, src, part, j, rows[0], named);
    return SelectColumn(t, src, part, j, rows, n, named);
}

// The picks of the given columns: the one pick itself, or a list of them.
i64 Picks(i64 res, i64 src, i64 part, const std::vector<i64>& cols, bool aslist, const i64* rows,
          i64 n, bool onerow) {
    bool named = isnamedslot(res);
    val_item made{};
    if (!aslist) {
        if (pick(&made, src, part, cols[0], rows, n, onerow, named)) return errchk;
        SetSlot(res, &made);
        return 0;
    }
    if (NewList(&made, static_cast<i64>(cols.size()), named)) return errchk;
    for (size_t k = 0; k < cols.size(); k++) {
        val_item p{};
        if (pick(&p, src, part, cols[k], rows, n, onerow, named)) {
            DropMade(&made, named);
            return errchk;
        }
        PutItem(&made, static_cast<i64>(k), &p);
    }
    SetSlot(res, &made);
    return 0;
}
