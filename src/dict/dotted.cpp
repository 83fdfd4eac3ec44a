// Dotted access: d.year, tm.hour and the like split dates and times into
// their parts; t.price reads a column of a table or keyed table; t.fk.name
// follows the foreign key fk (an enumeration column over a keyed table) to
// that keyed table's column name, one item per row of t.
#include <cstring>

#include "datetime/datetime.h"
#include "dict/dictparts.h"

namespace {

bool symbol_is(i64 id, const char* text) {
    if (id <= 0 || id > sindex || !psym || !psym[id]) return false;
    const estring& e = psym[id]->str;
    return static_cast<size_t>(e.len) == std::strlen(text) && std::memcmp(e.text, text, e.len) == 0;
}

// The part a name stands for, 0 (year) to 6 (ms), by its long or short name.
i64 part_of(i64 name) {
    for (i64 k = 0; k < 7; k++)
        if (symbol_is(name, dtsym0[k]) || symbol_is(name, dtsym1[k])) return k;
    return -1;
}

// The part of every element of a date or time value, as integers of its shape.
i64 date_parts(i64 res, const val_item* v, i64 name) {
    i64 t = v->type - TMONTH, part = part_of(name);
    if (part < dtoff[t] || part >= dtoff[t] + dtmax[t]) return errchk = E_DOMAIN;
    i64 n = v->count;
    i64* out = static_cast<i64*>(GM_new(TINT, n + 1));
    if (!out) return errchk;
    for (i64 k = 0; k < n; k++) {
        i64 fields[7] = {};
        bool valid = v->type == TDATETIME
                         ? ValidInstant(reinterpret_cast<const double*>(BytesOf(v))[k], fields)
                         : ValidTemporal(v->type, WordsOf(v)[k], fields);
        if (!valid) return errchk = E_DATETIME_VALUE;  // a null has no parts
        out[k] = fields[part - dtoff[t]];
    }
    i64 dims[MAXRANK];
    shape_of(v, dims);
    if (NewResult(res, TINT, v->rank, dims, n)) return errchk;
    if (n > 0) std::memcpy(getptV(&vtable[res]), out, n * sizeof(i64));
    return errchk = 0;
}

// The column a name gives in a table or keyed table (key columns first).
const val_item* column_named(const val_item* v, i64 name) {
    const val_item* tables[2] = {v, nullptr};
    if (IsKeyed(v)) {
        tables[0] = &items_of(v)[KEYPART];
        tables[1] = &items_of(v)[VALPART];
    } else if (v->type != TTABLE) {
        return nullptr;
    }
    for (const val_item* t : tables) {
        i64 j = t ? ColumnIndex(TableNames(t), name) : -1;
        if (j >= 0) return ItemOf(TableCols(t), j);
    }
    return nullptr;
}

// The column's rows at the n indexes, each checked (25): an enumeration
// keeps its domain, any other column gives its elements, rows or items.
i64 column_rows(i64 res, val_item* col, const i64* idx, i64 n) {
    for (i64 k = 0; k < n; k++)
        if (idx[k] < 0 || idx[k] >= ColumnRows(col)) return errchk = E_INDEX;
    if (col->type != TENUM) return GenStoreDp(res, col, idx, n, 0);
    i64* held = static_cast<i64*>(GM_new(TINT, n + 1));
    if (!held) return errchk;
    for (i64 k = 0; k < n; k++) held[k] = EnumIndexes(col)[idx[k]];
    const i64* words = EnumWords(col);
    val_item made;
    if (NewEnum(&made, words[0], words[1], held, n, isnamedslot(res))) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}

// A constant holding one symbol.
bool is_name(const val_item* c) { return c->type == TSYM && single(c); }

}  // namespace

i64 PfDotV(i64 res, val_item* value, i64 name, i64* idx, i64 n, bool) {
    if (value->rank < 0) return errchk = E_VALUE;
    if (value->type >= TMONTH && value->type <= TTIME) return date_parts(res, value, name);
    if (value->type != TTABLE && !IsKeyed(value))
        return errchk = ErrSay(E_DOMAIN,
                               "a dot takes a field of a date or time (d.month) or a column of a "
                               "table (t.price)");
    const val_item* col = column_named(value, name);
    if (!col) return errchk = E_DOMAIN;
    if (n < 0) return errchk = GenStoreV0(res, const_cast<val_item*>(col));
    return column_rows(res, const_cast<val_item*>(col), idx, n);
}

bool DotForeignKey(i64 tv, i64 c1) {
    const val_item* t = &vtable[tv];
    if (t->rank < 0) return true;
    const val_item* fk = is_name(&ctable[c1]) ? column_named(t, ctable[c1].dim0) : nullptr;
    return fk && fk->type == TENUM;
}

i64 PfDot2(i64 res, i64 tv, i64 c1, i64 c2) {
    const val_item* t = &vtable[tv];
    if (t->rank < 0) return errchk = E_VALUE;
    const val_item* fk = is_name(&ctable[c1]) ? column_named(t, ctable[c1].dim0) : nullptr;
    if (!fk || fk->type != TENUM) return -1;
    if (!is_name(&ctable[c2])) return errchk = E_DOMAIN;
    EnumDom d = EnumDomainOf(fk);
    i64 n = fk->count;
    i64* idx = ScratchIndexes(fk);
    if (!idx) return errchk;
    if (d.slot < 0 || !ChkEnum(idx, n, d.count)) return errchk = E_INDEX;
    if (!d.keyed) return errchk = E_DOMAIN;
    return PfDotV(res, &vtable[d.slot], ctable[c2].dim0, idx, n, false);
}
