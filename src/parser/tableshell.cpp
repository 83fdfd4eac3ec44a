// The table shell of CSV import: an empty table whose column names and
// columns have their final sizes, for the CSV reader to fill.
#include "parser/parser.h"

// A column holds simple elements or list items.
static bool ColumnType(i64 type) { return type >= TBOOL && type <= TTIME; }

// Gives part k of the table in slot (names or columns) its type and length
// and allocates its data. The table's data is re-read after every
// allocation, which may move it.
static i64 Part(i64 slot, i64 k, i64 type, i64 count, bool named) {
    val_item* part = (val_item*)vtable[slot].data + k;
    *part = val_item{type, 1, count == 1 ? 0 : count, 0, 0, count, 0, nullptr};
    return Updatead2(part, named);
}

// Column i of the columns list of the table in slot.
static i64 Column(i64 slot, i64 i, i64 type, i64 nrows, bool named) {
    val_item* cols = (val_item*)vtable[slot].data + 1;
    val_item* col = (val_item*)cols->data + i;
    *col = val_item{type, 1, nrows == 1 ? 0 : nrows, 0, 0, nrows, 0, nullptr};
    return Updatead2(col, named);
}

i64 CSVEnter(i64 slot, char* /*name*/, i64 type, i64 nrows, i64 ncols, i64* coltypes) {
    if (slot < 1 || slot >= VTSIZE || nrows < 0 || ncols < 0) return errchk = E_DOMAIN;
    if (ncols > 0 && coltypes == nullptr) return errchk = E_DOMAIN;
    for (i64 i = 0; i < ncols; i++)
        if (!ColumnType(coltypes[i])) return errchk = E_DOMAIN;
    errchk = 0;
    // Whatever the slot held goes first: its blocks would else stay
    // allocated under the new descriptors.
    ReleaseValue(&vtable[slot]);
    vtable[slot].type = type;
    if (Updatead0(slot, type, 1, 2)) return errchk;
    vtable[slot].dim0 = 2;
    bool named = isnamedslot(slot);
    if (Part(slot, 0, TSYM, ncols, named)) return errchk;
    if (Part(slot, 1, TLIST, ncols, named)) return errchk;
    for (i64 i = 0; i < ncols; i++)
        if (Column(slot, i, coltypes[i], nrows, named)) return errchk;
    val_item* cols = (val_item*)vtable[slot].data + 1;
    cols->dim0 = nrows;
    return slot;
}
