// Selection of table rows by values (the rows of one column that equal any
// of the given values, found in one pass over the column) and by number.
#include <cstring>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "dict/dictparts.h"
#include "primitives/primitives.h"
#include "values/room.h"

namespace {

std::string_view text_of(const val_item* v) { return {BytesOf(v), static_cast<size_t>(v->count)}; }

// A column of texts (strings or character-matrix rows) against texts: a
// character vector is one text, a list gives one text per character item.
void mark_texts(i64* flags, i64 rows, const val_item* col, const val_item* keys) {
    std::unordered_set<std::string_view> wanted;
    if (IsCharVector(keys)) wanted.insert(text_of(keys));
    else if (keys->type == TLIST)
        for (i64 k = 0; k < keys->count; k++)
            if (IsCharVector(ItemOf(keys, k))) wanted.insert(text_of(ItemOf(keys, k)));
    if (wanted.empty()) return;
    for (i64 r = 0; r < rows; r++) {
        if (col->type == TLIST && !IsCharVector(ItemOf(col, r))) continue;
        std::string_view cell = col->type == TLIST
                                    ? text_of(ItemOf(col, r))
                                    : std::string_view(BytesOf(col) + r * col->dim1, col->dim1);
        if (wanted.count(cell)) flags[r] = 1;
    }
}

// The one-element items of a list that have the given type, gathered into
// a vector of that type in scratch; rank -1 (E_WS_FULL in errchk) without it.
val_item gather_alike(const val_item* keys, i64 type) {
    i64 w = ElemWidth(type), m = 0;
    char* buf = static_cast<char*>(GM_new(TCHAR, keys->count * w + 16));
    if (!buf) {
        val_item none{};
        none.rank = -1;
        return none;
    }
    for (i64 k = 0; k < keys->count; k++) {
        const val_item* it = ItemOf(keys, k);
        if (IsScalarItem(it) && it->type == type) std::memcpy(buf + w * m++, BytesOf(it), w);
    }
    val_item v{};
    v.type = type;
    v.rank = 1;
    v.count = m;
    if (m == 1) std::memcpy(&v.dim0, buf, w);
    else v.data = buf, v.dim0 = m;
    return v;
}

}  // namespace

i64 findsameitem(i64* flags, i64 rows, const val_item* col, const val_item* keys) {
    keys = Unwrap(keys);
    if (col->type == TLIST || (col->type == TCHAR && col->rank > 1)) {
        // The set of wanted texts grows with the keys: guarded.
        return Guarded([&] {
            mark_texts(flags, rows, col, keys);
            return i64{0};
        });
    }
    val_item alike = keys->type == TLIST ? gather_alike(keys, col->type) : *keys;
    if (alike.rank < 0) return errchk;
    if (alike.type != col->type || alike.count == 0 || rows == 0) return 0;
    // Dates and times are not compared here.
    if (col->type > TMONTH) return errchk = E_DOMAIN;
    const i64* bits = MemberBits(col->type, BytesOf(col), rows, BytesOf(&alike), alike.count);
    if (!bits) return errchk;
    for (i64 r = 0; r < rows; r++)
        if (MemberBit(bits, r)) flags[r] = 1;
    return 0;
}

i64 RowsHolding(std::vector<i64>* rows, const val_item* table, const val_item* dict, i64 typeerr) {
    const val_item* names = Unwrap(&items_of(dict)[0]);
    const val_item* vals = &items_of(dict)[1];
    if (names->type != TSYM) return errchk = typeerr;
    std::vector<i64> cols(names->count);
    if (!AllColumns(table, WordsOf(names), names->count, cols.data())) return errchk = E_INDEX;
    i64 n = TableRows(table);
    i64* flags = static_cast<i64*>(GM_new(TINT, n));
    if (!flags && n > 0) return errchk;
    for (i64 r = 0; r < n; r++) flags[r] = 0;
    for (i64 k = 0; k < names->count; k++) {
        const val_item* want = ItemOf(vals, vals->count == names->count ? k : 0);
        if (findsameitem(flags, n, ItemOf(TableCols(table), cols[k]), want)) return errchk;
    }
    if (!Room(rows, n)) return errchk;
    for (i64 r = 0; r < n; r++)
        if (flags[r]) rows->push_back(r);
    return rows->empty() ? errchk = E_INDEX : 0;
}

i64 AllRows(std::vector<i64>* rows, i64 nrows) {
    if (!Room(rows, nrows)) return errchk;
    for (i64 r = 0; r < nrows; r++) rows->push_back(r);
    return 0;
}

i64 RowNumbers(std::vector<i64>* rows, const val_item* idx, i64 nrows, i64 io) {
    const i64* x = WordsOf(idx);
    if (!ChkIndx(x, idx->count, nrows, io)) return errchk = E_INDEX;
    i64 origin = IoOrigin(io);
    if (!Room(rows, static_cast<i64>(rows->size()) + idx->count)) return errchk;
    for (i64 k = 0; k < idx->count; k++) rows->push_back(x[k] - origin);
    return 0;
}
