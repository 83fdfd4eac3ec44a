// Bracket indexing of a table: rows by number or by a dictionary of column
// values, columns by name, or both.
#include <vector>

#include "dict/dictparts.h"
#include "primitives/primitives.h"

namespace {

i64 AllColumnNumbers(std::vector<i64>* cols, const val_item* table) {
    for (i64 j = 0; j < TableWidth(table); j++) cols->push_back(j);
    return 0;
}

}  // namespace

i64 PfTableX(i64 res, i64 tv, i64 rc, i64 rv, i64 sc, i64 sv, i64 npos, i64 io) {
    if (IoOrigin(io) < 0) return errchk = 24;
    const val_item* t = &vtable[tv];
    bool two = npos == 2;
    const val_item* i = Elided(rc, rv) ? nullptr : opnd(rc, rv);
    const val_item* j = two && !Elided(sc, sv) ? opnd(sc, sv) : nullptr;
    if (two && !i && !j) return errchk = 2;
    if (two && ((i && !IsIndexType(i->type)) || (j && j->type != TSYM))) return errchk = 7;
    if (!two && !i) {
        val_item whole{};
        if (GenStoreV2(&whole, const_cast<val_item*>(t), isnamedslot(res))) return errchk;
        SetSlot(res, &whole);
        return errchk = 0;
    }
    std::vector<i64> rows, cols;
    bool byrows = i != nullptr, single = false;
    if (!two && IsPlainDict(i) && rc < 0) {
        if (RowsHolding(&rows, t, i, 7)) return errchk;
    } else if (!two && i->type == TSYM) {
        j = i;
        byrows = false;
    } else if (!IsIndexType(i ? i->type : TINT)) {
        return errchk = 7;
    } else if (i) {
        if (RowNumbers(&rows, i, TableRows(t), io)) return errchk;
        single = IsSingle(i);
    }
    if (j && ColumnNumbers(&cols, t, j)) return errchk;
    static const i64 none = 0;   // the rows of an empty selection
    const i64* r = !byrows ? nullptr : rows.empty() ? &none : rows.data();
    i64 n = static_cast<i64>(rows.size());
    if (j) return errchk = Picks(res, tv, -1, cols, !IsSingle(j), r, n, single);
    if (two) {
        AllColumnNumbers(&cols, t);
        return errchk = Picks(res, tv, -1, cols, !(single && cols.size() == 1), r, n, single);
    }
    val_item made{};
    if (RowsOf(&made, tv, -1, r, n, true, isnamedslot(res))) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}
