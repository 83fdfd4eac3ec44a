// Match: whether two values are identical in type, shape and every element,
// through lists, dictionaries and tables. No tolerance: floats match when
// equal as doubles, and a NaN matches nothing. An enumeration never matches.
#include <cmath>
#include <cstring>

#include "dict/dictparts.h"

static bool same_shape(const val_item* a, const val_item* b) {
    if (a->rank < 2) return true;
    i64 da[MAXRANK], db[MAXRANK];
    if (a->rank > MAXRANK) return false;
    shape_of(a, da);
    shape_of(b, db);
    return std::memcmp(da, db, a->rank * sizeof(i64)) == 0;
}

static bool same_elements(const val_item* a, const val_item* b) {
    i64 n = a->count;
    const char* x = BytesOf(a);
    const char* y = BytesOf(b);
    switch (a->type) {
    case TFLOAT:
    case TDATETIME:
    case TCPLX: {
        i64 m = a->type == TCPLX ? 2 * n : n;
        const double* p = reinterpret_cast<const double*>(x);
        const double* q = reinterpret_cast<const double*>(y);
        for (i64 k = 0; k < m; k++)
            if (!(p[k] == q[k])) return false;
        return true;
    }
    case TCHAR: return std::memcmp(x, y, n) == 0;
    case TLIST:
    case TDICT:
    case TTABLE:
        for (i64 k = 0; k < n; k++)
            if (!PfMatchSub(ItemOf(a, k), ItemOf(b, k))) return false;
        return true;
    default:
        if (!WordType(a->type) || a->type == TENUM) return false;
        return std::memcmp(x, y, n * sizeof(i64)) == 0;
    }
}

i64 PfMatchSub(const val_item* a, const val_item* b) {
    if (a->type != b->type || a->rank != b->rank || a->count != b->count) return 0;
    if (a->type == TENUM) return 0;
    if (!same_shape(a, b)) return 0;
    return a->count == 0 || same_elements(a, b);
}

i64 PfMatch(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    i64 same = PfMatchSub(opnd(lc, lv), opnd(rc, rv));
    if (NewResult(res, TBOOL, 0, nullptr, 1)) return errchk;
    vtable[res].dim0 = same;
    return errchk = 0;
}
