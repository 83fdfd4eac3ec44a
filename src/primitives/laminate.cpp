// Laminate: joins two values of one shape along a new axis of length 2,
// inserted at position code-82; a scalar extends to the other's shape.
#include <algorithm>

#include "primitives/primitives.h"
#include "values/fcodes.h"
#include "values/registers.h"

// The result type, or -1 (type error). Lists are refused: a list has items,
// not elements, and stays a vector.
static i64 lami_type(i64 lt, i64 rt) {
    i64 t = std::max(lt, rt);
    if (t > TTIME || t == TLIST) return -1;
    if (t <= TFLOAT) return t;
    if (t == TCPLX) return lt == TCHAR || rt == TCHAR ? -1 : t;
    return lt == rt ? t : -1;
}

// 0 when a and b have the same shape, else E_LENGTH (E_WS_FULL without
// scratch).
static i64 same_shape(const val_item* a, const val_item* b, i64 rank) {
    if (a->count != b->count) return E_LENGTH;
    i64* da = static_cast<i64*>(GM_new(TINT, rank));
    i64* db = static_cast<i64*>(GM_new(TINT, rank));
    if (!da || !db) return errchk;
    shape_of(a, da);
    shape_of(b, db);
    return std::equal(da, da + rank, db) ? E_OK : E_LENGTH;
}

i64 PfLami(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (code < FC_LAMINATE || code > FC_LAMINATE_LAST) return errchk = E_NOT_BUILT;
    sopnd L, R;
    if (sopnd_load(&L, lc, lv, res) || sopnd_load(&R, rc, rv, res)) return errchk;
    SetNames(1, 3, res, lc, lv, rc, rv);
    i64 type = lami_type(L.d.type, R.d.type);
    if (type < 0) return errchk = E_TYPE;
    i64 a = code - FC_LAMINATE, top = std::max(L.d.rank, R.d.rank);
    if (a > top) return errchk = E_AXIS;
    if (L.d.rank > 0 && R.d.rank > 0) {
        if (L.d.rank != R.d.rank) return errchk = E_RANK;
        if (i64 e = same_shape(&L.d, &R.d, top)) return errchk = e;
    }
    const val_item* S = L.d.rank > R.d.rank ? &L.d : &R.d;
    i64* dims = static_cast<i64*>(GM_new(TINT, top + 1));
    if (!dims) return errchk;
    shape_of(S, dims);
    std::copy_backward(dims + a, dims + top, dims + top + 1);
    dims[a] = 2;
    i64 count;
    if (ShapeCount(dims, top + 1, type, &count)) return errchk;
    if (NewResult(res, type, top + 1, dims, count)) return errchk;
    if (count == 0) return 0;
    errchk = 0;
    const char* lp = OperandAs(&L, type);
    const char* rp = OperandAs(&R, type);
    if (errchk) return errchk;
    i64 w = ElemWidth(type), P = 1, Q = 1;
    for (i64 i = 0; i < a; i++) P *= dims[i];
    for (i64 i = a + 1; i <= top; i++) Q *= dims[i];
    char* to = static_cast<char*>(getptV(&vtable[res]));
    for (i64 p = 0; p < P; p++) {
        to = PutRun(to, lp, L.d.rank == 0, p * Q, Q, w);
        to = PutRun(to, rp, R.d.rank == 0, p * Q, Q, w);
    }
    return errchk = 0;
}
