// Key lookup: the positions of wanted keys among a dictionary's keys, and
// the rows of a keyed table that hold given keys. The first occurrence of a
// key wins everywhere; the searches are the hashed kernels of index-of.
#include <cstring>

#include "dict/dictparts.h"
#include "primitives/primitives.h"

bool KeyPositions(const val_item* keys, const val_item* wanted, i64* out) {
    i64 t = keys->type;
    if (t != wanted->type || t == TLIST || t > TTIME || keys->rank > 1) return false;
    i64 n = keys->count, m = wanted->count;
    if (m == 0) return true;
    const char* k = BytesOf(keys);
    const char* w = BytesOf(wanted);
    switch (t) {
    case TCHAR: idxofc(out, k, n, w, m, 0); break;
    case TFLOAT:
    case TDATETIME:
        idxofe(out, reinterpret_cast<const double*>(k), n, reinterpret_cast<const double*>(w), m,
               0);
        break;
    case TCPLX:
        idxofx(out, reinterpret_cast<const double*>(k), n, reinterpret_cast<const double*>(w), m,
               0);
        break;
    default: idxofi(out, WordsOf(keys), n, WordsOf(wanted), m, 0); break;
    }
    return true;
}

i64 dict_indx_sub(const val_item* keys, const val_item* wanted, i64* out, i64 origin, bool strict) {
    if (!KeyPositions(keys, wanted, out)) return -1;
    for (i64 k = 0; k < wanted->count; k++) {
        if (strict && out[k] == keys->count) return errchk = E_INDEX;
        out[k] += origin;
    }
    return 0;
}

val_item ScratchVector(i64 type, i64 n) {
    val_item v{};
    v.type = type;
    v.rank = 1;
    v.count = n;
    if (n > 1) {
        v.dim0 = n;
        v.data = static_cast<char*>(GM_new(type, n));
        if (!v.data) v.rank = -1;
    }
    return v;
}

// Keys that are a list: each wanted element is looked up among the entries
// that hold one element of its type, and answers with that entry's position.
static i64 list_key_positions(const val_item* keys, const val_item* wanted, i64* out, i64 origin,
                              bool strict) {
    i64 n = keys->count, w = ElemWidth(wanted->type), m = 0;
    i64* entry = static_cast<i64*>(GM_new(TINT, n));
    if (!entry && n > 0) return errchk;
    for (i64 k = 0; k < n; k++) {
        const val_item* it = ItemOf(keys, k);
        if (IsScalarItem(it) && it->type == wanted->type) entry[m++] = k;
    }
    val_item alike = ScratchVector(wanted->type, m);
    if (alike.rank < 0) return errchk;
    char* to = static_cast<char*>(getptV(&alike));
    for (i64 j = 0; j < m; j++) std::memcpy(to + j * w, BytesOf(ItemOf(keys, entry[j])), w);
    if (!KeyPositions(&alike, wanted, out)) return errchk = E_DOMAIN;
    for (i64 k = 0; k < wanted->count; k++) {
        if (out[k] == m && strict) return errchk = E_INDEX;
        out[k] = origin + (out[k] == m ? n : entry[out[k]]);
    }
    return 0;
}

i64 dict_indx0(const val_item* keys, const val_item* wanted, i64* out, i64 origin, bool strict) {
    wanted = Unwrap(wanted);
    if (wanted->count == 0) return 0;
    if (keys->count == 0) return errchk = E_INDEX;
    if (wanted->type == TLIST || wanted->type > TTIME) return errchk = E_DOMAIN;
    if (keys->type == TLIST) return list_key_positions(keys, wanted, out, origin, strict);
    i64 e = dict_indx_sub(keys, wanted, out, origin, strict);
    if (e >= 0) return e;
    // No key of the wanted type: every wanted key is missing.
    if (strict) return errchk = E_INDEX;
    for (i64 k = 0; k < wanted->count; k++) out[k] = origin + keys->count;
    return 0;
}

i64 dict_indx(val_item* dict, i64 c, i64 v, i64* out, i64 io) {
    const val_item* w = opnd(c, v);
    if (w->type == TLIST && w->count > 1) return errchk = E_DOMAIN;
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    return errchk = dict_indx0(&items_of(dict)[0], w, out, origin, true);
}

// ---- rows of a keyed table ---------------------------------------------------------

// A key that is a list: one key of a value per column, several keys each
// such a list, or, with one key column, several single values.
static i64 search_list_keys(i64** rows, i64* n, bool* onekey, const val_item* cols, i64 nrows,
                            const val_item* key) {
    i64 c = cols->count;
    bool several = key->count > 0 && ItemOf(key, 0)->type == TLIST;
    bool one = !several && key->count == c;
    if (several) {
        for (i64 k = 0; k < key->count; k++)
            if (ItemOf(key, k)->type != TLIST || ItemOf(key, k)->count != c)
                return errchk = E_LENGTH;
    } else if (!one && c != 1) {
        return errchk = E_LENGTH;
    }
    i64 nk = one ? 1 : key->count;
    RowIndex x;
    if (!RowIndexBuild(&x, cols, c, nrows)) return errchk;
    i64* out = static_cast<i64*>(GM_new(TINT, nk + 1));
    if (!out) return errchk;
    for (i64 k = 0; k < nk; k++) {
        out[k] = RowIndexKey(&x, one ? key : ItemOf(key, k));
        if (out[k] < 0) return errchk = one ? E_VALUE_NOT_FOUND : E_KEY_NOT_FOUND;
    }
    *rows = out;
    *n = nk;
    *onekey = one;
    return 0;
}

i64 SearchKeys(i64** rows, i64* n, bool* onekey, const val_item* cols, i64 nrows,
               const val_item* key) {
    if (key->type == TLIST) return search_list_keys(rows, n, onekey, cols, nrows, key);
    i64 m = key->count;
    *rows = static_cast<i64*>(GM_new(TINT, m + 1));
    if (!*rows) return errchk;
    *n = m;
    *onekey = m == 1;
    // A simple key is searched in the first key column of its type.
    for (i64 j = 0; j < cols->count; j++) {
        const val_item* col = ItemOf(cols, j);
        if (col->type != key->type || col->rank > 1) continue;
        return dict_indx_sub(col, key, *rows, 0, true);
    }
    return m == 0 ? 0 : errchk = E_INDEX;
}

i64 KeyOf(const val_item** key, const val_item* idx, const val_item* keytable, i64 err) {
    *key = idx;
    if (!IsPlainDict(idx)) return 0;
    const val_item* names = Unwrap(&items_of(idx)[0]);
    const val_item* have = TableNames(keytable);
    if (names->type != TSYM || names->count != have->count) return errchk = err;
    for (i64 k = 0; k < have->count; k++)
        if (WordsOf(names)[k] != WordsOf(have)[k]) return errchk = err;
    *key = Unwrap(&items_of(idx)[1]);
    return 0;
}
