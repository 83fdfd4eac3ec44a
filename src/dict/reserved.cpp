// The reserved functions of every workspace, by their function row: key,
// value, cols, meta, keys and fkeys (monadic), xkey and like (dyadic). What
// a function does not apply to gives the empty integer vector, except key,
// value and a bad left operand of xkey (1).
#include <cstring>
#include <string>
#include <vector>

#include "dict/dictparts.h"
#include "parser/parser.h"
#include "values/registers.h"

namespace {

constexpr i64 MAXKEYS = 100;  // key columns xkey makes at most

i64 empty_result(i64 res) { return errchk = IntResult(res, nullptr, 0, 0); }

// Tables, keyed tables and dictionaries are described when held in a value
// slot: a variable or a temporary.
const val_item* held(i64 rc, i64 rv) { return rc >= 0 ? nullptr : &vtable[rv]; }

// The tables holding the columns of a table (itself) or of a keyed table
// (key table, then value table); none for anything else.
std::vector<const val_item*> tables_of(const val_item* v) {
    if (!v) return {};
    if (v->type == TTABLE) return {v};
    if (IsKeyed(v)) return {&items_of(v)[KEYPART], &items_of(v)[VALPART]};
    return {};
}

std::vector<i64> names_of(const std::vector<const val_item*>& tables) {
    std::vector<i64> names;
    for (const val_item* t : tables)
        names.insert(names.end(), WordsOf(TableNames(t)), WordsOf(TableNames(t)) + TableWidth(t));
    return names;
}

// The compound value made goes to res, or is given up after the error e.
i64 settle(i64 res, val_item* made, bool named, i64 e) {
    if (e) {
        DropMade(made, named);
        return errchk = e;
    }
    SetSlot(res, made);
    return errchk = 0;
}

i64 symbol_result(i64 res, const std::vector<i64>& ids) {
    val_item made;
    if (NewVector(&made, TSYM, static_cast<i64>(ids.size()), isnamedslot(res))) return errchk;
    if (!ids.empty()) std::memcpy(getptV(&made), ids.data(), ids.size() * sizeof(i64));
    SetSlot(res, &made);
    return errchk = 0;
}

// The type letter of a column; an enumeration's is its domain items'.
char type_letter(const val_item* col) {
    if (col->type != TENUM) return gettyp0(col->type);
    EnumDom d = EnumDomainOf(col);
    if (d.slot >= 0) return gettyp0(d.type);
    // A keyed table of several key columns names its keys a list.
    i64 slot = GetSymx(EnumName(col));
    return slot >= 0 && IsKeyed(&vtable[slot]) ? 'L' : gettyp0(TENUM);
}

// Every column of the tables, in order.
std::vector<const val_item*> columns_of(const std::vector<const val_item*>& tables) {
    std::vector<const val_item*> cols;
    for (const val_item* t : tables)
        for (i64 j = 0; j < TableWidth(t); j++) cols.push_back(ItemOf(TableCols(t), j));
    return cols;
}

// A vector over scratch holding the n elements at data; rank -1 without it.
val_item scratch_of(i64 type, const void* data, i64 n) {
    val_item v = ScratchVector(type, n);
    if (v.rank >= 0 && n > 0) std::memcpy(getptV(&v), data, n * ElemWidth(type));
    return v;
}

i64 meta(i64 res, const std::vector<const val_item*>& tables) {
    std::vector<i64> names = names_of(tables), fkeys;
    std::string letters, blanks;
    for (const val_item* col : columns_of(tables)) {
        letters += type_letter(col);
        fkeys.push_back(col->type == TENUM ? EnumName(col) : 0);
        blanks += ' ';
    }
    i64 n = static_cast<i64>(names.size());
    val_item keycol[1] = {scratch_of(TSYM, names.data(), n)};
    val_item valcols[3] = {scratch_of(TCHAR, letters.data(), n), scratch_of(TSYM, fkeys.data(), n),
                           scratch_of(TCHAR, blanks.data(), n)};
    for (const val_item& c : valcols)
        if (c.rank < 0 || keycol[0].rank < 0) return errchk;
    bool named = isnamedslot(res);
    auto from = [named](val_item* cols) {
        return [named, cols](val_item* c, i64 k) { return GenStoreV2(c, &cols[k], named); };
    };
    val_item made{}, kt{}, vt{};
    if (NewCompoundItem(&made, TDICT, SUB_KEYED, named)) return errchk;
    i64 e = TableOf(&kt, {getsymbol("c")}, n, from(keycol), named);
    if (!e) PutItem(&made, KEYPART, &kt);
    std::vector<i64> vnames = {getsymbol("t"), getsymbol("f"), getsymbol("a")};
    if (!e) e = TableOf(&vt, vnames, n, from(valcols), named);
    if (!e) PutItem(&made, VALPART, &vt);
    return settle(res, &made, named, e);
}

// The plain dictionary of the enumeration columns' names to their domains'.
i64 fkeys(i64 res, const std::vector<const val_item*>& tables) {
    std::vector<i64> names = names_of(tables), cols, domains;
    std::vector<const val_item*> all = columns_of(tables);
    for (size_t k = 0; k < all.size(); k++) {
        if (all[k]->type != TENUM) continue;
        cols.push_back(names[k]);
        domains.push_back(EnumName(all[k]));
    }
    if (cols.empty()) return empty_result(res);
    i64 n = static_cast<i64>(cols.size());
    bool named = isnamedslot(res);
    val_item made{}, keys{}, vals{};
    if (NewCompoundItem(&made, TDICT, SUB_PLAIN, named)) return errchk;
    i64 e = NewVector(&keys, TSYM, n, named);
    if (!e) std::memcpy(getptV(&keys), cols.data(), n * sizeof(i64));
    if (!e) PutItem(&made, 0, &keys);
    if (!e) e = NewList(&vals, n, named);
    for (i64 k = 0; !e && k < n; k++) *ItemOf(&vals, k) = scratch_of(TSYM, &domains[k], 1);
    if (!e) PutItem(&made, 1, &vals);
    return settle(res, &made, named, e);
}

// ---- xkey ------------------------------------------------------------------------

// The table made keyed by the named columns (in the names' order); the other
// columns, in table order, form the value table.
i64 keyed_by(i64 res, const val_item* names, const val_item* t) {
    i64 n = names->count;
    if (n == 0) return errchk = E_DOMAIN;
    if (n > MAXKEYS) return errchk = E_LENGTH;
    std::vector<i64> keys(WordsOf(names), WordsOf(names) + n), at(n);
    if (!AllColumns(t, keys.data(), n, at.data())) return errchk = E_DOMAIN;
    std::vector<bool> iskey(TableWidth(t), false);
    for (i64 j : at) {
        if (iskey[j]) return errchk = E_DOMAIN;
        iskey[j] = true;
    }
    std::vector<i64> rest, restat;
    for (i64 j = 0; j < TableWidth(t); j++)
        if (!iskey[j]) {
            rest.push_back(WordsOf(TableNames(t))[j]);
            restat.push_back(j);
        }
    bool named = isnamedslot(res);
    auto copy = [&](const std::vector<i64>& pos) {
        return [&, pos](val_item* c, i64 k) {
            return GenStoreV2(c, ItemOf(TableCols(t), pos[k]), named);
        };
    };
    i64 rows = TableRows(t);
    val_item made{}, kt{}, vt{};
    if (NewCompoundItem(&made, TDICT, SUB_KEYED, named)) return errchk;
    i64 e = TableOf(&kt, keys, rows, copy(at), named);
    if (!e) PutItem(&made, KEYPART, &kt);
    if (!e) e = TableOf(&vt, rest, rows, copy(restat), named);
    if (!e) PutItem(&made, VALPART, &vt);
    if (!e) e = UniqueError(isValUQ(TableCols(&items_of(&made)[KEYPART]), rows, n));
    return settle(res, &made, named, e);
}

// A keyed table made plain again: its key columns, then its value columns.
i64 unkeyed(i64 res, i64 rv) {
    std::vector<const val_item*> tables = tables_of(&vtable[rv]);
    std::vector<i64> names = names_of(tables);
    i64 nk = TableWidth(tables[0]);
    auto copy = [&](val_item* c, i64 k) {
        const val_item* kt = &items_of(&vtable[rv])[k < nk ? KEYPART : VALPART];
        return GenStoreV2(c, ItemOf(TableCols(kt), k < nk ? k : k - nk), isnamedslot(res));
    };
    val_item made{};
    if (TableOf(&made, names, TableRows(tables[0]), copy, isnamedslot(res))) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}

i64 xkey(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    const val_item* l = opnd(lc, lv);
    const val_item* r = opnd(rc, rv);
    if (l->type == TSYM) return r->type == TTABLE ? keyed_by(res, l, r) : empty_result(res);
    if (l->type != TLIST || l->count != 0) return errchk = E_DOMAIN;
    if (rc < 0 && IsKeyed(r)) return unkeyed(res, rv);
    if (rc < 0 && r->type == TTABLE) return GenStore(res, rc, rv);
    return empty_result(res);
}

}  // namespace

i64 PfCols(i64 res, i64 rc, i64 rv) {
    std::vector<const val_item*> tables = tables_of(held(rc, rv));
    return tables.empty() ? empty_result(res) : symbol_result(res, names_of(tables));
}

i64 PfKeys(i64 res, i64 rc, i64 rv) {
    std::vector<const val_item*> tables = tables_of(held(rc, rv));
    if (tables.size() != 2) return empty_result(res);
    return symbol_result(res, names_of({tables[0]}));
}

i64 PfMeta(i64 res, i64 rc, i64 rv) {
    const val_item* v = opnd(rc, rv);
    if (rc >= 0 && (v->type == TTABLE || IsKeyed(v))) return errchk = E_TYPE;
    std::vector<const val_item*> tables = tables_of(held(rc, rv));
    return tables.empty() ? empty_result(res) : meta(res, tables);
}

i64 PfFkey(i64 res, i64 rc, i64 rv) {
    std::vector<const val_item*> tables = tables_of(held(rc, rv));
    return tables.empty() ? empty_result(res) : fkeys(res, tables);
}

i64 PfSystems1(i64 row, i64 res, i64 rc, i64 rv) {
    const val_item* v = opnd(rc, rv);
    if (v->rank < 0) return errchk = E_VALUE;
    switch (row) {
    case ROW_KEY:
    case ROW_VALUE:
        if (v->type == TDICT) return errchk = GenStoreV0(res, &items_of(v)[row == ROW_KEY ? 0 : 1]);
        if (v->type == TENUM && row == ROW_VALUE) return PfVenum(res, rc, rv);
        return errchk = E_DOMAIN;
    case ROW_COLS: return PfCols(res, rc, rv);
    case ROW_META: return PfMeta(res, rc, rv);
    case ROW_KEYS: return PfKeys(res, rc, rv);
    case ROW_FKEYS: return PfFkey(res, rc, rv);
    default: return errchk = E_DOMAIN;
    }
}

i64 PfSystems2(i64 row, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    SetNames(1, 3, res, lc, lv, rc, rv);
    if (opnd(lc, lv)->rank < 0 || opnd(rc, rv)->rank < 0) return errchk = E_VALUE;
    if (row == ROW_LIKE) {
        val_item l = *opnd(lc, lv), r = *opnd(rc, rv);
        return errchk = PfLike(res, &l, &r);
    }
    if (row == ROW_XKEY) return xkey(res, lc, lv, rc, rv);
    return errchk = E_DOMAIN;
}
