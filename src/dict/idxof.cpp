// Index-of with a table, a keyed table or an enumeration on the left: where
// each right-hand key, row or element stands in the left operand.
#include "dict/dictparts.h"
#include "primitives/primitives.h"

// For each row of the right table, the first equal row of the left one
// (origin added), or the left's row count plus the origin; E_WS_FULL
// without scratch.
static i64 SearchByRow(i64* pos, const val_item* lcols, const val_item* rcols, i64 lrows,
                       i64 rrows) {
    RowIndex x;
    if (!RowIndexBuild(&x, lcols, lcols->count, lrows)) return errchk;
    for (i64 s = 0; s < rrows; s++) {
        i64 r = RowIndexRow(&x, rcols, s);
        pos[s] = r < 0 ? lrows : r;
    }
    return 0;
}

static bool same_names(const val_item* a, const val_item* b) {
    if (TableWidth(a) != TableWidth(b)) return false;
    const i64* x = WordsOf(TableNames(a));
    const i64* y = WordsOf(TableNames(b));
    for (i64 k = 0; k < TableWidth(a); k++)
        if (x[k] != y[k]) return false;
    return true;
}

i64 TabIdxof(i64 res, i64 lv, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    const val_item* l = &vtable[lv];
    const val_item* r = opnd(rc, rv);
    i64* rows;
    i64 n;
    bool onekey;
    if (l->type == TTABLE && r->type == TLIST) {
        if (SearchKeys(&rows, &n, &onekey, TableCols(l), TableRows(l), r)) return errchk;
        return errchk = IntResult(res, rows, n, origin);
    }
    if (IsKeyed(l) && r->type == TLIST) {
        const val_item* v = &items_of(l)[1];
        if (SearchKeys(&rows, &n, &onekey, TableCols(v), TableRows(v), r)) return errchk;
        val_item made{};
        if (RowsOf(&made, lv, 0, rows, n, true, isnamedslot(res))) return errchk;
        SetSlot(res, &made);
        return errchk = 0;
    }
    if (l->type == TTABLE && r->type == TTABLE) {
        if (!same_names(l, r)) return errchk = E_TABLE_COLUMNS;
        n = TableRows(r);
        rows = static_cast<i64*>(GM_new(TINT, n));
        if (!rows && n > 0) return errchk;
        if (SearchByRow(rows, TableCols(l), TableCols(r), TableRows(l), n)) return errchk;
        return errchk = IntResult(res, rows, n, origin);
    }
    return errchk = E_DOMAIN;
}

i64 EnumIdxof(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    const val_item* en = opnd(lc, lv);
    const val_item* r = opnd(rc, rv);
    // Without a domain every item is out of range: nothing is found.
    EnumDom d = EnumDomainOf(en);
    const val_item* dom = DomainItems(d);
    i64 n = en->count, nd = d.count, m = r->count;
    // The first item holding each domain position, in one pass.
    i64* first = static_cast<i64*>(GM_new(TINT, nd));
    if (!first && nd > 0) return errchk;
    for (i64 p = 0; p < nd; p++) first[p] = n;
    const i64* held = WordsOf(en);
    for (i64 j = n - 1; j >= 0; j--)
        if (held[j] >= 0 && held[j] < nd) first[held[j]] = j;
    i64* pos = static_cast<i64*>(GM_new(TINT, m));
    if (!pos && m > 0) return errchk;
    bool comparable = dom && KeyPositions(dom, r, pos);
    for (i64 k = 0; k < m; k++) pos[k] = comparable && pos[k] < nd ? first[pos[k]] : n;
    return errchk = IntResult(res, pos, m, origin);
}
