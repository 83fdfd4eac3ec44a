// Spare routines beside the live ones: an older family of key hashes for
// dictionaries (an additive hash with linear probing), a linear search of a
// keyed table's rows, a range check and the null-literal scanner. No
// primitive calls them.
#include <cmath>
#include <cstring>

#include "dict/dictparts.h"

namespace {

constexpr u64 HASHBASE = 2146271213;  // 0x7FED7FED, the first addend and the slot offset
constexpr i64 FARKEY = INT64_MIN;     // the integer part of 1000 x when it has none

// The integer part of 1000 x; a fixed value for NaN, infinities and
// numbers beyond the integers.
i64 milli(double x) {
    double y = std::trunc(1000.0 * x);
    if (!std::isfinite(y) || std::fabs(y) >= 9.2e18) return FARKEY;
    return static_cast<i64>(y);
}

// Element i of keys (of the type) as the integer the hashes add up.
u64 key_word(const char* keys, i64 type, i64 i) {
    switch (type) {
    case TCHAR: return static_cast<unsigned char>(keys[i]);
    case TFLOAT:
    case TDATETIME: return static_cast<u64>(milli(reinterpret_cast<const double*>(keys)[i]));
    case TCPLX: {
        const double* z = reinterpret_cast<const double*>(keys) + 2 * i;
        return static_cast<u64>(milli(z[0])) + static_cast<u64>(milli(z[1]));
    }
    default: return static_cast<u64>(reinterpret_cast<const i64*>(keys)[i]);
    }
}

// Whether key i of a equals key j of b: floats exactly, characters by byte,
// complex numbers by both parts, list items wholly, others by their words.
bool key_same(const char* a, i64 i, const char* b, i64 j, i64 type) {
    switch (type) {
    case TCHAR: return a[i] == b[j];
    case TFLOAT:
    case TDATETIME:
        return reinterpret_cast<const double*>(a)[i] == reinterpret_cast<const double*>(b)[j];
    case TCPLX: {
        const double* x = reinterpret_cast<const double*>(a) + 2 * i;
        const double* y = reinterpret_cast<const double*>(b) + 2 * j;
        return x[0] == y[0] && x[1] == y[1];
    }
    case TLIST:
        return PfMatchSub(reinterpret_cast<const val_item*>(a) + i,
                          reinterpret_cast<const val_item*>(b) + j);
    default: return reinterpret_cast<const i64*>(a)[i] == reinterpret_cast<const i64*>(b)[j];
    }
}

i64 start_slot(const char* keys, i64 type, i64 i, i64 size) {
    u64 h = type == TLIST ? hash_dic_list(reinterpret_cast<const val_item*>(keys) + i)
                          : key_word(keys, type, i) + HASHBASE;
    return static_cast<i64>(h % static_cast<u64>(size));
}

// The slot holding a key equal to key i of `from`, or the empty slot that
// ends the probe.
i64 probe(const i64* slots, i64 size, const char* keys, const char* from, i64 i, i64 type) {
    i64 h = start_slot(from, type, i, size);
    while (slots[h] >= 0 && !key_same(keys, slots[h], from, i, type)) h = h + 1 == size ? 0 : h + 1;
    return h;
}

i64 no_row(i64 e) {
    errchk = e;
    return -1;
}

}  // namespace

u64 hash_dic_list(const val_item* v) {
    u64 sum = 0;
    if (v->type == TLIST) {
        for (i64 k = 0; k < v->count; k++) sum += hash_dic_list(ItemOf(v, k));
        return sum;
    }
    if (v->type > TTIME) return 0;
    u64 c = HASHBASE;
    for (i64 i = 0; i < v->count; i++, c <<= 1) sum += c + key_word(BytesOf(v), v->type, i);
    return sum;
}

void hash_dict(const void* keys, i64 n, i64 type, i64* slots) {
    i64 size = get_prime(n);
    for (i64 h = 0; h < size; h++) slots[h] = -1;
    const char* k = static_cast<const char*>(keys);
    for (i64 i = 0; i < n; i++) {
        i64 h = probe(slots, size, k, k, i, type);
        if (slots[h] < 0) slots[h] = i;
    }
}

i64 dict_hash(const void* wanted, const void* keys, i64 type, i64 m, i64 n, const i64* slots,
              i64* out, i64 origin) {
    i64 size = get_prime(n);
    for (i64 j = 0; j < m; j++) {
        i64 h = probe(slots, size, static_cast<const char*>(keys), static_cast<const char*>(wanted),
                      j, type);
        if (slots[h] < 0) return errchk = E_INDEX;
        out[j] = origin + slots[h];
    }
    return 0;
}

i64 PfTableKIndex(const val_item* cols, const val_item* key) {
    i64 nc = cols->count;
    bool list = key->type == TLIST;
    if (key->count != nc) return no_row(E_LENGTH);
    // Column c is compared with the key's value for it: item c of a list key,
    // element c of a simple one.
    for (i64 c = 0; c < nc; c++) {
        const val_item* col = ItemOf(cols, c);
        const val_item* want = list ? ItemOf(key, c) : key;
        if (list && !single(want)) return no_row(E_LENGTH);
        if (col->type != want->type || col->type == TLIST || col->rank > 1) return no_row(E_TYPE);
    }
    i64 rows = nc > 0 ? ItemOf(cols, 0)->count : 0;
    for (i64 r = 0; r < rows; r++) {
        bool all = true;
        for (i64 c = 0; all && c < nc; c++) {
            const val_item* col = ItemOf(cols, c);
            const val_item* want = list ? ItemOf(key, c) : key;
            all = key_same(BytesOf(col), r, BytesOf(want), list ? 0 : c, col->type);
        }
        if (all) return r;
    }
    return no_row(E_INDEX);
}

i64 isEnumOK(const i64* idx, i64 count, i64 n) { return ChkEnum(idx, count, n); }

i64 isnu0(const char* text, i64* pos) {
    const char* p = text + *pos;
    i64 minus = *p == '_';
    if (p[minus] != '0' || (p[minus + 1] != 'n' && p[minus + 1] != 'w')) return 0;
    *pos += minus + 2;
    return p[minus + 1] == 'n' ? 1 : 2;
}
