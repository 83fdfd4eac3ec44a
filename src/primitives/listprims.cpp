// Monadic list primitives: enclose, type, count, first, raze, where and rest.
#include <algorithm>
#include <cstring>

#include "primitives/primitives.h"
#include "values/registers.h"

static i64 int_scalar(i64 res, i64 x) {
    ttyp = TINT;
    vtable[res].type = TINT;
    if (Updatead0(res, TINT, 0, 1)) return errchk;
    vtable[res].dim0 = x;
    return errchk = 0;
}

static i64 empty_int_vector(i64 res) {
    ttyp = TINT;
    vtable[res].type = TINT;
    if (Updatead0(res, TINT, 1, 0)) return errchk;
    vtable[res].dim0 = 0;
    return errchk = 0;
}

// A vector result of n elements; its data.
static void* vector_result(i64 res, i64 type, i64 n) {
    ttyp = type;
    vtable[res].type = type;
    if (Updatead0(res, type, 1, n)) return nullptr;
    if (n != 1) vtable[res].dim0 = n;
    errchk = 0;
    return getptV(&vtable[res]);
}

// The operand, readable after the result is allocated: an operand that is
// the result slot itself is first copied to the temporary area.
static val_item* stable_operand(i64 res, i64 rc, i64 rv, val_item* stage) {
    val_item* v = opnd(rc, rv);
    if (!(rc < 0 && rv == res)) return v;
    *stage = val_item{};
    if (GenStoreV2(stage, v, false)) return nullptr;
    return stage;
}

i64 PfUnpack(i64, i64, i64) { return errchk = E_NOT_BUILT; }

i64 PfPack(i64 res, i64 rc, i64 rv) {
    if (opnd(rc, rv)->rank < 0) return errchk = E_VALUE;
    bool named = isnamedslot(res);
    val_item item{};
    if (GenStoreV1(&item, rc, rv, named)) return errchk;
    ttyp = TLIST;
    vtable[res].type = TLIST;
    if (Updatead0(res, TLIST, 1, 1)) return errchk;
    MoveItem(&items_of(&vtable[res])[0], &item);
    return errchk = 0;
}

i64 PfType(i64 res, i64 rc, i64 rv) {
    const val_item* v = opnd(rc, rv);
    if (v->rank < 0) return errchk = E_VALUE;
    return int_scalar(res, v->type);
}

// Columns of a table: the length of its name vector.
static i64 table_columns(const val_item* t) { return items_of(t)[0].count; }

i64 PfCount(i64 res, i64 rc, i64 rv) {
    const val_item* v = opnd(rc, rv);
    if (v->rank < 0) return errchk = E_VALUE;
    i64 n = v->count;
    if (v->type == TTABLE) {
        n = table_columns(v);
    } else if (v->type == TDICT) {
        const val_item* parts = items_of(v);
        if (v->dim0 == 1) n = parts[0].count;
        else if (v->dim0 == 2) n = table_columns(&parts[0]) + table_columns(&parts[1]);
        else return errchk = E_DOMAIN;
    }
    return int_scalar(res, n);
}

i64 PfFirst(i64 res, i64 rc, i64 rv) {
    val_item* v = opnd(rc, rv);
    if (v->rank < 0) return errchk = E_VALUE;
    if (v->type == TENUM || v->type == TDICT || v->type == TTABLE) return errchk = E_DOMAIN;
    if (v->count == 0) return empty_int_vector(res);
    if (v->type == TLIST) return GenStoreV0(res, &items_of(v)[0]);
    char first[16] = {};
    std::memcpy(first, getptV(v), (size_t)ElemWidth(v->type));
    i64 type = v->type;
    ttyp = type;
    vtable[res].type = type;
    if (Updatead0(res, type, 0, 1)) return errchk;
    vtable[res].dim0 = vtable[res].dim1 = 0;
    std::memcpy(&vtable[res].dim0, first, sizeof first);
    return errchk = 0;
}

// ---- raze ---------------------------------------------------------------------

static bool simple_type(i64 t) { return t >= TBOOL && t <= TTIME && t != TLIST; }

// Finds the result type and element count of the simple items of a list,
// depth first. Empty items add nothing and decide nothing. 1 on a mismatch.
static i64 raze_scan(const val_item* list, i64* type, i64* total) {
    for (i64 k = 0; k < list->count; k++) {
        const val_item* it = &items_of(list)[k];
        if (it->type == TLIST) {
            if (raze_scan(it, type, total)) return E_DOMAIN;
            continue;
        }
        if (!simple_type(it->type)) return E_DOMAIN;
        if (it->count == 0) continue;
        if (*type < 0 || *type == it->type) *type = it->type;
        else if (isnumtype(*type) && isnumtype(it->type)) *type = std::max(*type, it->type);
        else return E_DOMAIN;
        *total += it->count;
    }
    return 0;
}

static char* raze_fill(const val_item* list, i64 type, char* out) {
    for (i64 k = 0; k < list->count; k++) {
        val_item* it = &items_of(list)[k];
        if (it->type == TLIST) {
            out = raze_fill(it, type, out);
            continue;
        }
        if (it->count == 0) continue;
        const char* in = static_cast<const char*>(getptV(it));
        if (type == TFLOAT && it->type != TFLOAT) {
            for (i64 i = 0; i < it->count; i++) {
                double d = (double)reinterpret_cast<const i64*>(in)[i];
                std::memcpy(out + 8 * i, &d, 8);
            }
            out += 8 * it->count;
        } else {
            i64 bytes = it->count * ElemWidth(type);
            std::memcpy(out, in, (size_t)bytes);
            out += bytes;
        }
    }
    return out;
}

i64 PfRaze(i64 res, i64 rc, i64 rv) {
    const val_item* v = opnd(rc, rv);
    if (v->rank < 0) return errchk = E_VALUE;
    if (v->type != TLIST) return GenStore(res, rc, rv);
    i64 type = -1, total = 0;
    if (raze_scan(v, &type, &total)) return errchk = E_DOMAIN;
    if (total == 0) return empty_int_vector(res);
    val_item stage;
    val_item* src = stable_operand(res, rc, rv, &stage);
    if (!src) return errchk;
    char* out = static_cast<char*>(vector_result(res, type, total));
    if (!out) return errchk;
    raze_fill(src, type, out);
    return errchk = 0;
}

// ---- where and rest ------------------------------------------------------------

i64 PfWhere(i64 res, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    const val_item* v = opnd(rc, rv);
    if (v->rank < 0) return errchk = E_VALUE;
    // Only truth values: booleans, or integers holding 0s and 1s.
    if (v->rank > 1 || !isinttype(v->type)) return errchk = E_DOMAIN;
    i64 n = v->count, ones = 0;
    i64* bits = static_cast<i64*>(GM_new(TINT, n));
    if (!bits && n > 0) return errchk;
    if (n > 0) std::memcpy(bits, getptV(const_cast<val_item*>(v)), (size_t)n * 8);
    for (i64 i = 0; i < n; i++) {
        if (bits[i] != 0 && bits[i] != 1) return errchk = E_DOMAIN;
        ones += bits[i];
    }
    i64* out = static_cast<i64*>(vector_result(res, TINT, ones));
    if (ones && !out) return errchk;
    for (i64 i = 0, j = 0; i < n; i++)
        if (bits[i]) out[j++] = origin + i;
    return errchk = 0;
}

i64 PfRest(i64 res, i64 rc, i64 rv) {
    const val_item* v = opnd(rc, rv);
    if (v->rank < 0) return errchk = E_VALUE;
    if (!simple_type(v->type)) return errchk = E_DOMAIN;
    if (v->rank > 1) return errchk = E_RANK;
    if (v->count <= 1) return empty_int_vector(res);
    i64 n = v->count - 1, w = ElemWidth(v->type), type = v->type;
    char* copy = static_cast<char*>(GM_new(TCHAR, n * w));
    if (!copy) return errchk;
    std::memcpy(copy, static_cast<const char*>(getptV(const_cast<val_item*>(v))) + w,
                (size_t)(n * w));
    char* out = static_cast<char*>(vector_result(res, type, n));
    if (!out) return errchk;
    std::memcpy(out, copy, (size_t)(n * w));
    return errchk = 0;
}
