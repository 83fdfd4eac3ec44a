// Catenation of tables, keyed tables and dictionaries: rows appended (from a
// table, a dictionary of a row or rows, or a list of column parts), keys
// checked to stay unique, plain dictionaries merged, tables joined side by
// side, and columns picked by name. The operands are never changed: the
// result is built aside and moved into its slot once whole.
#include <algorithm>
#include <cstring>
#include <vector>

#include "dict/dictparts.h"
#include "primitives/primitives.h"
#include "values/room.h"

namespace {

// A value reached again after every allocation: a descriptor of the slot
// tables, which never moves, and the path of items below it.
struct Ref {
    const val_item* root;
    i64 path[4] = {};
    i64 depth = 0;

    const val_item* get() const {
        const val_item* v = root;
        for (i64 k = 0; k < depth; k++) v = ItemOf(v, path[k]);
        return v;
    }
    Ref at(i64 k) const {
        Ref r = *this;
        r.path[r.depth++] = k;
        return r;
    }
};

// Column parts appended to a table: n items of a list, from item first on.
struct Parts {
    Ref list;
    i64 first, n;

    Ref at(i64 k) const { return list.at(first + k); }
    // The parts as a list of their own, for checks that allocate nothing.
    val_item view() const {
        val_item v = *list.get();
        v.data += first * static_cast<i64>(sizeof(val_item));
        v.count = n;
        return v;
    }
};

// Whether two symbol values hold the same names in the same order, whatever
// their ranks.
bool same_names(const val_item* a, const val_item* b) {
    if (a->type != TSYM || b->type != TSYM || a->count != b->count) return false;
    return a->count == 0 || std::memcmp(WordsOf(a), WordsOf(b), a->count * sizeof(i64)) == 0;
}

i64 fail(val_item* t, bool named, i64 e) {
    DropMade(t, named);
    return errchk = e;
}

// ---- columns --------------------------------------------------------------------

// A column of texts and the texts appended to it.
i64 join_texts(val_item* t, const Ref& a, const Ref& b, bool named) {
    i64 na = a.get()->count, nb = b.get()->count;
    for (i64 k = 0; k < nb; k++)
        if (!IsCharVector(ItemOf(b.get(), k))) return errchk = E_TYPE;
    if (NewList(t, na + nb, named)) return errchk;
    for (i64 k = 0; k < na + nb; k++) {
        val_item text{};
        val_item* from = k < na ? ItemOf(a.get(), k) : ItemOf(b.get(), k - na);
        if (GenStoreV2(&text, from, named)) return errchk;
        PutItem(t, k, &text);
    }
    return 0;
}

i64 join_column(val_item* t, const Ref& a, const Ref& b, bool named) {
    const val_item* x = a.get();
    const val_item* y = b.get();
    if (x->type == TENUM || y->type == TENUM) return JoinEnum(t, x, y, named);
    if (x->type == TLIST) return join_texts(t, a, b, named);
    return GenStoreG(t, const_cast<val_item*>(x), const_cast<val_item*>(y), named);
}

// t := the table at tab with the parts appended as `rows` more rows; with
// the key check the joined rows must all differ (201).
i64 append_parts(val_item* t, const Ref& tab, const Parts& p, i64 rows, bool named, bool keycheck) {
    i64 width = TableWidth(tab.get());
    val_item parts = p.view();
    if (chk_ftab_val(TableCols(tab.get()), &parts, width)) return errchk;
    if (keycheck && width != 1) return errchk = E_DOMAIN;
    if (NewCompoundItem(t, TTABLE, 0, named)) return errchk;
    val_item names{}, cols{};
    if (GenStoreV2(&names, TableNames(tab.get()), named)) return fail(t, named, errchk);
    PutItem(t, 0, &names);
    if (NewList(&cols, width, named)) return fail(t, named, errchk);
    for (i64 j = 0; j < width; j++) {
        val_item c{};
        if (join_column(&c, tab.at(1).at(j), p.at(j), named)) {
            DropMade(&c, named);
            DropMade(&cols, named);
            return fail(t, named, errchk);
        }
        PutItem(&cols, j, &c);
    }
    i64 old = TableRows(tab.get()), total = old + rows;
    cols.dim0 = total;
    PutItem(t, 1, &cols);
    // Keys are checked once joined, when both sides have the column's type.
    if (keycheck)
        if (i64 e = UniqueError(NewRowsUnique(TableCols(t), width, old, total)))
            return fail(t, named, e);
    return 0;
}

// ---- plain dictionaries -------------------------------------------------------------

// Position among the keys of one wanted key (a list item), or the key count.
i64 list_item_position(const val_item* keys, const val_item* want) {
    if (IsScalarItem(want)) {
        i64 at;
        if (dict_indx0(keys, want, &at, 0, false) == 0) return at;
        errchk = 0;
        return keys->count;
    }
    if (keys->type == TLIST)
        for (i64 k = 0; k < keys->count; k++)
            if (PfCheck1(ItemOf(keys, k), want)) return k;
    return keys->count;
}

// Positions of the right keys among the left ones (the left count when absent).
void merge_positions(const val_item* lk, const val_item* rk, i64* pos) {
    for (i64 k = 0; k < rk->count; k++) pos[k] = lk->count;
    if (lk->count == 0) return;
    if (rk->type == TLIST) {
        for (i64 k = 0; k < rk->count; k++) pos[k] = list_item_position(lk, ItemOf(rk, k));
    } else if (dict_indx0(lk, rk, pos, 0, false)) {
        errchk = 0;
        for (i64 k = 0; k < rk->count; k++) pos[k] = lk->count;
    }
}

// Key k of keys as an item of a list of keys.
i64 key_item(val_item* t, const val_item* keys, i64 k, bool named) {
    if (keys->type == TLIST) return GenStoreV2(t, ItemOf(keys, k), named);
    *t = val_item{};
    t->type = keys->type;
    t->rank = 1;
    t->count = 1;
    i64 w = ElemWidth(keys->type);
    std::memcpy(&t->dim0, BytesOf(keys) + k * w, w);
    return 0;
}

// The merged keys: the left's, then the right's keys at the positions of
// extra; a vector when both are of one simple type, else a list.
i64 merged_keys(val_item* t, const Ref& lk, const Ref& rk, const std::vector<i64>& extra,
                bool named) {
    i64 d = lk.get()->count, n = d + static_cast<i64>(extra.size());
    i64 type = lk.get()->type;
    if (type == rk.get()->type && type != TLIST) {
        if (NewVector(t, type, n, named)) return errchk;
        i64 w = ElemWidth(type);
        char* to = static_cast<char*>(getptV(t));
        if (d > 0) std::memcpy(to, BytesOf(lk.get()), d * w);
        for (size_t k = 0; k < extra.size(); k++)
            std::memcpy(to + (d + k) * w, BytesOf(rk.get()) + extra[k] * w, w);
        return 0;
    }
    if (NewList(t, n, named)) return errchk;
    for (i64 k = 0; k < n; k++) {
        val_item item{};
        bool left = k < d;
        if (key_item(&item, left ? lk.get() : rk.get(), left ? k : extra[k - d], named))
            return errchk;
        PutItem(t, k, &item);
    }
    return 0;
}

i64 merge(val_item* t, const Ref& l, const Ref& r, bool named) {
    const val_item* lk = ItemOf(l.get(), 0);
    const val_item* rk = ItemOf(r.get(), 0);
    i64 d = lk->count, m = rk->count;
    std::vector<i64> pos, from, extra;
    if (!Room(&pos, m + 1) || !Room(&from, d) || !Room(&extra, m)) return errchk;
    pos.resize(m + 1);
    from.resize(d);
    merge_positions(lk, rk, pos.data());
    // Entry p takes its value from the right key found there (the last one).
    for (i64 p = 0; p < d; p++) from[p] = -1;
    for (i64 k = 0; k < m; k++) {
        if (pos[k] < d) from[pos[k]] = k;
        else extra.push_back(k);
    }
    if (NewCompoundItem(t, TDICT, SUB_PLAIN, named)) return errchk;
    val_item keys{}, vals{};
    if (merged_keys(&keys, l.at(0), r.at(0), extra, named)) {
        DropMade(&keys, named);
        return fail(t, named, errchk);
    }
    PutItem(t, 0, &keys);
    i64 n = d + static_cast<i64>(extra.size());
    if (NewList(&vals, n, named)) return fail(t, named, errchk);
    for (i64 k = 0; k < n; k++) {
        bool right = k >= d || from[k] >= 0;
        i64 at = k >= d ? extra[k - d] : right ? from[k] : k;
        val_item item{};
        if (GenStoreV2(&item, ItemOf(ItemOf((right ? r : l).get(), 1), at), named)) {
            DropMade(&vals, named);
            return fail(t, named, errchk);
        }
        PutItem(&vals, k, &item);
    }
    PutItem(t, 1, &vals);
    return 0;
}

i64 TableCateV(val_item* t, const Ref& l, const Ref& r, bool named, bool keycheck);

// A keyed table and the key and value parts appended to it: the key table
// with the key check, the value table without.
i64 keyed_append(val_item* t, const Ref& l, const Ref& r, bool named) {
    const val_item* a = l.get();
    const val_item* b = r.get();
    bool parts = b->type == TLIST;
    i64 nk = TableWidth(&items_of(a)[KEYPART]), nv = TableWidth(&items_of(a)[VALPART]);
    i64 rows = parts ? judgelist(b) : 0;
    if (parts && b->count != nk + nv) return errchk = E_TABLE_COLUMNS;
    if (rows < 0) return errchk = E_LENGTH;
    if (NewCompoundItem(t, TDICT, SUB_KEYED, named)) return errchk;
    val_item kt{}, vt{};
    i64 e;
    if (parts) {
        e = append_parts(&kt, l.at(KEYPART), Parts{r, 0, nk}, rows, named, true);
        if (!e) e = append_parts(&vt, l.at(VALPART), Parts{r, nk, nv}, rows, named, false);
    } else {
        e = TableCateV(&kt, l.at(KEYPART), r.at(KEYPART), named, true);
        if (!e) e = TableCateV(&vt, l.at(VALPART), r.at(VALPART), named, false);
    }
    if (e) {
        DropMade(&kt, named);
        DropMade(&vt, named);
        return fail(t, named, e);
    }
    PutItem(t, KEYPART, &kt);
    PutItem(t, VALPART, &vt);
    return 0;
}

// A table and what is appended to it: a table, a dictionary or a list.
i64 table_append(val_item* t, const Ref& l, const Ref& r, bool named, bool keycheck) {
    const val_item* a = l.get();
    const val_item* b = r.get();
    if (b->type == TTABLE) {
        if (!same_names(TableNames(a), TableNames(b))) return errchk = E_TABLE_COLUMNS;
        return append_parts(t, l, Parts{r.at(1), 0, TableWidth(b)}, TableRows(b), named, keycheck);
    }
    if (IsPlainDict(b)) {
        const val_item* vals = &items_of(b)[1];
        if (!same_names(TableNames(a), &items_of(b)[0]) || !chk_dict_val(vals))
            return errchk = E_TABLE_COLUMNS;
        i64 rows = vals->count > 0 ? ItemOf(vals, 0)->count : 0;
        return append_parts(t, l, Parts{r.at(1), 0, vals->count}, rows, named, keycheck);
    }
    if (b->type == TLIST) {
        if (b->count != TableWidth(a)) return errchk = E_TABLE_COLUMNS;
        i64 rows = judgelist(b);
        if (rows < 0) return errchk = E_LENGTH;
        return append_parts(t, l, Parts{r, 0, b->count}, rows, named, keycheck);
    }
    return errchk = E_TYPE;
}

i64 TableCateV(val_item* t, const Ref& l, const Ref& r, bool named, bool keycheck) {
    const val_item* a = l.get();
    const val_item* b = r.get();
    i64 T = std::max(a->type, b->type);
    if (T == TTABLE) {
        if (a->type != TTABLE) return errchk = E_DOMAIN;
        return table_append(t, l, r, named, keycheck);
    }
    if (T == TDICT) {
        if (IsPlainDict(a) && IsPlainDict(b)) return merge(t, l, r, named);
        if (IsKeyed(a) && (IsKeyed(b) || b->type == TLIST)) return keyed_append(t, l, r, named);
    }
    return errchk = E_DOMAIN;
}

}  // namespace

i64 TableCate(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, bool keycheck) {
    bool named = isnamedslot(res);
    val_item made{};
    if (TableCateV(&made, Ref{opnd(lc, lv)}, Ref{opnd(rc, rv)}, named, keycheck)) {
        DropMade(&made, named);
        return errchk;
    }
    SetSlot(res, &made);
    return errchk = 0;
}

i64 TableCateCol(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    const val_item* a = opnd(lc, lv);
    const val_item* b = opnd(rc, rv);
    if (a->type != TTABLE || b->type != TTABLE) return errchk = E_DOMAIN;
    if (TableRows(a) != TableRows(b)) return errchk = E_LENGTH;
    // Each column of the result: (from the right, position).
    i64 na = TableWidth(a), nb = TableWidth(b);
    std::vector<i64> names(WordsOf(TableNames(a)), WordsOf(TableNames(a)) + na);
    std::vector<std::pair<bool, i64>> from;
    for (i64 k = 0; k < na; k++) from.emplace_back(false, k);
    for (i64 j = 0; j < nb; j++) {
        i64 sym = WordsOf(TableNames(b))[j];
        i64 k = ColumnIndex(TableNames(a), sym);
        if (k < 0) {
            names.push_back(sym);
            from.emplace_back(true, j);
        } else if (!from[k].first) {
            from[k] = {true, j};
        }
    }
    bool named = isnamedslot(res);
    val_item made{};
    auto copy = [&](val_item* c, i64 k) {
        return GenStoreV2(c, ItemOf(TableCols(from[k].first ? b : a), from[k].second), named);
    };
    if (TableOf(&made, names, TableRows(a), copy, named)) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}

i64 GenReshpTabl(i64 res, const val_item* names, const val_item* table) {
    std::vector<i64> want(WordsOf(names), WordsOf(names) + names->count), at(names->count);
    if (!AllColumns(table, want.data(), names->count, at.data()))
        return errchk = E_TABLE_COLUMN_MISSING;
    bool named = isnamedslot(res);
    val_item made{};
    auto copy = [&](val_item* c, i64 k) {
        return GenStoreV2(c, ItemOf(TableCols(table), at[k]), named);
    };
    if (TableOf(&made, want, TableRows(table), copy, named)) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}
