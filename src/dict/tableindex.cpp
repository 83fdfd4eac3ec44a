// Bracket indexing of a table: rows by number or by a dictionary of column
// values, columns by name, or both.
#include <vector>

#include "dict/dictparts.h"
#include "primitives/primitives.h"

namespace {

i64 all_columns(std::vector<i64>* cols, const val_item* table) {
    for (i64 j = 0; j < TableWidth(table); j++) cols->push_back(j);
    return 0;
}

}  // namespace

i64 PfTableX(i64 res, i64 tv, i64 rc, i64 rv, i64 sc, i64 sv, i64 npos, i64 io) {
    if (IoOrigin(io) < 0) return errchk = E_IO;
    const val_item* t = &vtable[tv];
    bool two = npos == 2;
    const val_item* i = elided(rc, rv) ? nullptr : opnd(rc, rv);
    const val_item* j = two && !elided(sc, sv) ? opnd(sc, sv) : nullptr;
    if (two && !i && !j) return errchk = E_RANK;
    if (two && ((i && !isinttype(i->type)) || (j && j->type != TSYM))) return errchk = E_TYPE;
    if (!two && !i) {
        val_item whole{};
        if (GenStoreV2(&whole, const_cast<val_item*>(t), isnamedslot(res))) return errchk;
        SetSlot(res, &whole);
        return errchk = 0;
    }
    std::vector<i64> rows, cols;
    bool byrows = i != nullptr, onerow = false;
    if (!two && IsPlainDict(i) && rc < 0) {
        if (RowsHolding(&rows, t, i, E_TYPE)) return errchk;
    } else if (!two && i->type == TSYM) {
        j = i;
        byrows = false;
    } else if (!isinttype(i ? i->type : TINT)) {
        return errchk = E_TYPE;
    } else if (i) {
        if (RowNumbers(&rows, i, TableRows(t), io)) return errchk;
        onerow = single(i);
    }
    if (j && ColumnNumbers(&cols, t, j)) return errchk;
    static const i64 none = 0;  // the rows of an empty selection
    const i64* r = !byrows ? nullptr : rows.empty() ? &none : rows.data();
    i64 n = static_cast<i64>(rows.size());
    if (j) return errchk = Picks(res, tv, -1, cols, !single(j), r, n, onerow);
    if (two) {
        all_columns(&cols, t);
        return errchk = Picks(res, tv, -1, cols, !(onerow && cols.size() == 1), r, n, onerow);
    }
    val_item made{};
    if (RowsOf(&made, tv, -1, r, n, true, isnamedslot(res))) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}
