// Indexed assignment into dictionaries, tables and keyed tables:
//   x[i] <- dict or table   rows (by number, by values, by key) take the
//                           named values
//   x[i; names] <- v        cells of the named columns
//   d[keys] <- v, t[names] <- columns
// Every name, index, count and type is checked before the first write, so a
// failing assignment leaves x as it was. No assignment adds a key.
#include <vector>

#include "dict/colwrite.h"
#include "primitives/primitives.h"
#include "values/room.h"

namespace {

// The names an assigned dictionary or table gives, and where each name's
// value is: item k (or the only item) of its values or columns.
i64 value_names(const val_item** names, std::vector<WriteSource>* src, i64 vc, i64 vv) {
    const val_item* v = opnd(vc, vv);
    *names = v->type == TTABLE ? TableNames(v) : Unwrap(&items_of(v)[0]);
    if ((*names)->type != TSYM) return errchk = E_DOMAIN;
    i64 items = items_of(v)[1].count;
    if (!Room(src, static_cast<i64>(src->size()) + (*names)->count)) return errchk;
    for (i64 k = 0; k < (*names)->count; k++) src->push_back({vc, vv, 1, items == 1 ? 0 : k});
    return 0;
}

// Row numbers of a table, checked against its rows; all rows when elided.
i64 numbered_rows(std::vector<i64>* rows, i64 ic, i64 iv, i64 nrows, i64 io, i64 typeerr) {
    if (elided(ic, iv)) return AllRows(rows, nrows);
    const val_item* i = opnd(ic, iv);
    if (!isinttype(i->type)) return errchk = typeerr;
    return RowNumbers(rows, i, nrows, io);
}

// Rows of a keyed table's key table that hold the keys the index gives (a
// dictionary must name exactly the key columns, in order: else 204).
i64 keyed_rows(std::vector<i64>* rows, i64 target, i64 ic, i64 iv) {
    const val_item* keys = TableAt(target, KEYPART);
    i64 nrows = TableRows(keys);
    if (elided(ic, iv)) return AllRows(rows, nrows);
    const val_item* key;
    if (KeyOf(&key, opnd(ic, iv), keys, E_KEY_COLUMNS)) return errchk;
    i64* found;
    i64 n;
    bool onekey;
    if (SearchKeys(&found, &n, &onekey, TableCols(keys), nrows, key)) return errchk;
    if (!Room(rows, n)) return errchk;
    rows->assign(found, found + n);
    return 0;
}

// The column of each name (names of symbols), else 25.
i64 named_columns(ColumnWrites* w, const val_item* names, const std::vector<WriteSource>& src) {
    std::vector<i64> cols(names->count);
    if (!AllColumns(TableAt(w->slot, w->part), WordsOf(names), names->count, cols.data()))
        return errchk = E_INDEX;
    for (size_t k = 0; k < cols.size(); k++) w->writes.push_back({cols[k], src[k]});
    return 0;
}

i64 check_and_write(ColumnWrites* w) {
    if (CheckWrites(w)) return errchk;
    return ApplyWrites(w);
}

// x[i] <- dictionary or table.
i64 row_update(i64 target, i64 ic, i64 iv, i64 vc, i64 vv, i64 io) {
    const val_item* names;
    std::vector<WriteSource> src;
    if (value_names(&names, &src, vc, vv)) return errchk;
    const val_item* x = &vtable[target];
    const val_item* i = opnd(ic, iv);
    if (x->type == TTABLE) {
        ColumnWrites w{target, -1, {}, {}, {}};
        if (IsPlainDict(i)) {
            const val_item* inames = Unwrap(&items_of(i)[0]);
            if (inames->type != TSYM) return errchk = E_DOMAIN;
            if (!AllColumns(x, WordsOf(inames), inames->count, nullptr)) return errchk = E_INDEX;
            if (named_columns(&w, names, src) || RowsHolding(&w.rows, x, i, E_DOMAIN))
                return errchk;
        } else if (numbered_rows(&w.rows, ic, iv, TableRows(x), io, E_DOMAIN) ||
                   named_columns(&w, names, src)) {
            return errchk;
        }
        return check_and_write(&w);
    }
    if (!IsKeyed(x)) return errchk = E_DOMAIN;
    ColumnWrites w{target, VALPART, {}, {}, {}};
    if (named_columns(&w, names, src) || keyed_rows(&w.rows, target, ic, iv)) return errchk;
    return check_and_write(&w);
}

// x[i; names] <- v.
i64 cell_update(i64 target, i64 ic, i64 iv, i64 sc, i64 sv, i64 vc, i64 vv, i64 io) {
    const val_item* names = opnd(sc, sv);
    if (elided(sc, sv) || names->type != TSYM) return errchk = E_DOMAIN;
    const val_item* x = &vtable[target];
    ColumnWrites w{target, x->type == TTABLE ? -1 : VALPART, {}, {}, {}};
    if (x->type == TTABLE) {
        if (numbered_rows(&w.rows, ic, iv, TableRows(x), io, E_TYPE)) return errchk;
    } else if (!IsKeyed(x)) {
        return errchk = E_DOMAIN;
    } else if (keyed_rows(&w.rows, target, ic, iv)) {
        return errchk;
    }
    // The value: one name takes it whole (one per row, or one for all);
    // several names take one element or item each, or the one for all.
    const val_item* v = opnd(vc, vv);
    WriteSource whole{vc, vv};
    if (v->type == TLIST && v->count == 1) whole.item = 0, v = ItemOf(v, 0);
    bool one = single(names);
    if (!one && v->count != names->count && v->count != 1) return errchk = E_LENGTH;
    // A dictionary, table or enumeration has no elements that stand alone.
    if (!one && v->count != 1 && v->type != TLIST && !InlineType(v->type))
        return errchk = E_DOMAIN;
    std::vector<WriteSource> src;
    for (i64 k = 0; k < names->count; k++) {
        WriteSource s = whole;
        if (!one && v->count != 1) {
            if (v->type == TLIST && whole.item < 0) s.item = k;
            else s.elem = k;
        }
        src.push_back(s);
    }
    if (named_columns(&w, names, src)) return errchk;
    return check_and_write(&w);
}

// ---- d[keys] <- v ---------------------------------------------------------------------

// The positions (origin added) in a working integer slot shaped like the index.
void position_slot(i64 vx, const val_item* index, i64* pos) {
    val_item* p = &vtable[vx];
    p->type = TINT;
    p->rank = single(index) ? index->rank : 1;
    p->count = index->count;
    if (single(index)) p->dim0 = pos[0];
    else p->dim0 = index->count, p->data = reinterpret_cast<char*>(pos);
}

// The dictionary's values take v at the keys' positions, by the ordinary
// indexed assignment of a list, lent to a working slot.
i64 values_update(i64 target, i64 ic, i64 iv, i64 vc, i64 vv, i64 io) {
    const val_item* keys = &items_of(&vtable[target])[0];
    const val_item* i = opnd(ic, iv);
    if (i->count == 0 || i->type > TTIME) return errchk = E_DOMAIN;
    if (keys->type != TLIST && i->type != keys->type) return errchk = E_DOMAIN;
    if (keys->type == TLIST && i->type == TLIST) return errchk = E_DOMAIN;
    i64* pos = static_cast<i64*>(GM_new(TINT, i->count + 1));
    if (!pos) return errchk;
    if (dict_indx0(keys, i, pos, IoOrigin(io), true)) return errchk;
    i64 base;
    if (TakeSlots(2, &base)) return errchk;
    LendSlot(base, &items_of(&vtable[target])[1]);
    vtable[base].dim0 = vtable[base].count;
    position_slot(base + 1, opnd(ic, iv), pos);
    i64 e = dict_up.index_assign(base, -1, base + 1, nullptr, nullptr, vc, vv, -1, io);
    GiveSlots(base, 2);
    return errchk = e;
}

// A replacing column: one item of v, or v whole. Returns 1 when it cannot
// be a column, 3 when its length is not the row count (a single element or
// a single text is widened).
i64 check_column(const val_item* c, i64 rows) {
    if (c->type == TLIST) {
        for (i64 k = 0; k < c->count; k++)
            if (!IsCharVector(ItemOf(c, k))) return E_DOMAIN;
    } else if (c->type > TTIME && c->type != TENUM) {
        return E_DOMAIN;
    } else if (c->rank > 1 && !(c->rank == 2 && c->type == TCHAR)) {
        return E_DOMAIN;
    }
    if (ColumnRows(c) == rows || (c->count == 1 && c->rank <= 1)) return 0;
    return E_LENGTH;
}

// A copy of a replacing column, widened to the row count.
i64 new_column(val_item* t, const WriteSource& s, i64 rows) {
    auto at = [&]() {
        val_item* v = opnd(s.c, s.v);
        return s.item >= 0 ? ItemOf(v, s.item) : v;
    };
    const val_item* c = at();
    if (IsScalarItem(c)) return GenStoreX(t, at(), rows, true);
    if (c->type == TENUM && c->count == 1 && rows != 1) {
        // One item of an enumeration stands for every row, under its domain.
        i64 name = EnumName(c), slot = EnumWords(c)[1], x = EnumIndexes(c)[0];
        i64* idx = static_cast<i64*>(GM_new(TINT, rows + 1));
        if (!idx) return errchk;
        for (i64 r = 0; r < rows; r++) idx[r] = x;
        return NewEnum(t, name, slot, idx, rows, true);
    }
    if (c->type != TLIST || c->count == rows) return GenStoreV2(t, at(), true);
    if (NewList(t, rows, true)) return errchk;
    for (i64 r = 0; r < rows; r++) {
        val_item text{};
        if (GenStoreV2(&text, ItemOf(at(), 0), true)) return errchk;
        PutItem(t, r, &text);
    }
    return 0;
}

// t[names] <- columns: each named column is replaced whole.
i64 columns_update(i64 target, i64 ic, i64 iv, i64 vc, i64 vv) {
    const val_item* names = opnd(ic, iv);
    if (names->type != TSYM || names->count == 0) return errchk = E_DOMAIN;
    const val_item* t = &vtable[target];
    std::vector<i64> cols(names->count);
    if (!AllColumns(t, WordsOf(names), names->count, cols.data())) return errchk = E_INDEX;
    const val_item* v = opnd(vc, vv);
    bool whole = v->type != TLIST || single(names);
    if (!whole && v->count != names->count && v->count != 1) return errchk = E_LENGTH;
    std::vector<WriteSource> src;
    for (i64 k = 0; k < names->count; k++)
        src.push_back({vc, vv, -1, whole ? -1 : v->count == 1 ? 0 : k});
    i64 rows = TableRows(t);
    for (const WriteSource& s : src) {
        const val_item* c = s.item >= 0 ? ItemOf(v, s.item) : v;
        if (i64 e = check_column(c, rows)) return errchk = e;
    }
    std::vector<val_item> made(src.size());
    for (size_t k = 0; k < src.size(); k++) {
        if (new_column(&made[k], src[k], rows)) {
            for (val_item& m : made) DropRef(&m);
            return errchk;
        }
    }
    // Where a name repeats, its first value stays.
    for (size_t k = src.size(); k-- > 0;) {
        val_item* col = ItemOf(TableCols(&vtable[target]), cols[k]);
        DropRef(col);
        MoveItem(col, &made[k]);
    }
    return 0;
}

}  // namespace

i64 DictIndex(i64 target, i64 ic, i64 iv, i64 sc, i64 sv, i64 vc, i64 vv, i64 n, i64 io) {
    if (IoOrigin(io) < 0) return errchk = E_IO;
    const val_item* i = opnd(ic, iv);
    const val_item* v = opnd(vc, vv);
    bool rowindex = !elided(ic, iv) && (i->type < TDATE || IsPlainDict(i));
    bool rowvalue = IsPlainDict(v) || v->type == TTABLE;
    if (rowvalue && n == 0) return errchk = E_RANK;
    if (rowvalue && rowindex) return errchk = row_update(target, ic, iv, vc, vv, io);
    if (n == 0 && (rowindex || elided(ic, iv)))
        return errchk = cell_update(target, ic, iv, sc, sv, vc, vv, io);
    if (n == 0 || elided(ic, iv)) return errchk = E_DOMAIN;
    const val_item* x = &vtable[target];
    if (IsPlainDict(x)) return errchk = values_update(target, ic, iv, vc, vv, io);
    if (x->type == TTABLE) return errchk = columns_update(target, ic, iv, vc, vv);
    return errchk = E_DOMAIN;
}
