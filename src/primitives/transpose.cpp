// Transpose: monadic reverses the order of the axes; dyadic moves axis k of
// the operand to axis left[k] of the result (origin []IO), and a left of two
// equal origins takes the main diagonal of a matrix.
#include <cstring>

#include "dict/dict.h"
#include "primitives/primitives.h"
#include "values/registers.h"

// Copies operand elements into the result: result axis k has extent dims[k];
// moving one step along it moves src_stride[k] elements in the operand. idx
// is room for rank counters.
static void permute(char* out, const char* in, i64 w, const i64* dims, const i64* src_stride,
                    i64 rank, i64 count, i64* idx) {
    std::memset(idx, 0, (size_t)rank * sizeof(i64));
    i64 from = 0;
    for (i64 t = 0; t < count; t++) {
        std::memcpy(out + t * w, in + from * w, (size_t)w);
        for (i64 k = rank - 1; k >= 0; k--) {  // odometer, last axis fastest
            from += src_stride[k];
            if (++idx[k] < dims[k]) break;
            from -= src_stride[k] * dims[k];
            idx[k] = 0;
        }
    }
}

// Gives res the operand's type with shape dims and fills it: operand axis k
// becomes result axis perm[k]; null copies the elements unchanged.
static i64 transposed(i64 res, sopnd* R, const i64* dims, const i64* perm) {
    i64 type = R->d.type, rank = R->d.rank, count = R->d.count;
    i64* odims = static_cast<i64*>(GM_new(TINT, rank + 1));
    i64* ostride = static_cast<i64*>(GM_new(TINT, rank + 1));
    i64* src = static_cast<i64*>(GM_new(TINT, rank + 1));
    i64* idx = static_cast<i64*>(GM_new(TINT, rank + 1));
    if (!odims || !ostride || !src || !idx) return errchk;
    shape_of(&R->d, odims);
    // An empty operand moves nothing, and the strides of its shape need not
    // fit in 64 bits; those of a non-empty one stay below its count.
    if (perm && count > 0) {
        RowMajorStrides(odims, rank, ostride);
        for (i64 k = 0; k < rank; k++) src[perm[k]] = ostride[k];
    }
    if (NewResult(res, type, rank, dims, count)) return errchk;
    sopnd_refresh(R);
    if (count == 0) return errchk = 0;
    char* out = static_cast<char*>(getptV(&vtable[res]));
    const char* in = static_cast<const char*>(R->p);
    i64 w = ElemWidth(type);
    if (!perm || rank < 2) std::memcpy(out, in, (size_t)(count * w));
    else permute(out, in, w, dims, src, rank, count, idx);
    return errchk = 0;
}

i64 PfTransp(i64 res, i64 rc, i64 rv) {
    sopnd R;
    if (sopnd_load(&R, rc, rv, res)) return errchk;
    if (R.d.rank < 0) return errchk = E_VALUE;
    SetNames(1, 5, res, -1, -1, rc, rv);
    i64 t = R.d.type;
    if (t == TDICT || t == TTABLE) return errchk = DictTransp(res, rc, rv);
    if (t > TMONTH || t == TLIST) return errchk = E_DOMAIN;
    i64 rank = R.d.rank;
    i64* odims = static_cast<i64*>(GM_new(TINT, rank + 1));
    i64* dims = static_cast<i64*>(GM_new(TINT, rank + 1));
    i64* perm = static_cast<i64*>(GM_new(TINT, rank + 1));
    if (!odims || !dims || !perm) return errchk;
    shape_of(&R.d, odims);
    for (i64 k = 0; k < rank; k++) {
        perm[k] = rank - 1 - k;
        dims[k] = odims[rank - 1 - k];
    }
    return transposed(res, &R, dims, perm);
}

// The main diagonal of a matrix: elements 0, c+1, 2(c+1), ...
static i64 diagonal(i64 res, sopnd* R) {
    if (R->d.rank != 2) return errchk = E_DOMAIN;
    if (R->d.count == 0) return errchk = E_LENGTH;
    i64 rows = R->d.dim0, cols = R->d.dim1, n = rows < cols ? rows : cols;
    i64 type = R->d.type, w = ElemWidth(type);
    ttyp = type;
    vtable[res].type = type;
    if (Updatead0(res, type, 1, n)) return errchk;
    if (n != 1) vtable[res].dim0 = n;
    sopnd_refresh(R);
    char* out = static_cast<char*>(getptV(&vtable[res]));
    const char* in = static_cast<const char*>(R->p);
    for (i64 i = 0; i < n; i++) std::memcpy(out + i * w, in + i * (cols + 1) * w, (size_t)w);
    return errchk = 0;
}

i64 DpfTransp(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io) {
    i64 o = IoOrigin(io);
    if (o < 0) return errchk = E_IO;
    sopnd L, R;
    if (sopnd_load_pair(&L, &R, res, lc, lv, rc, rv)) return errchk;
    if (!isinttype(L.d.type)) return errchk = E_DOMAIN;
    if (L.d.rank >= 2) return errchk = E_NOT_BUILT;
    // Only simple elements are moved; lists and compound values are refused.
    if (R.d.type == TLIST || R.d.type > TTIME) return errchk = E_DOMAIN;
    const i64* a = static_cast<const i64*>(L.p);
    i64 n = L.d.count, rank = R.d.rank;
    if (n == 2 && a[0] == o && a[1] == o) return diagonal(res, &R);
    if (n != rank) return errchk = E_LENGTH;
    i64* odims = static_cast<i64*>(GM_new(TINT, rank + 1));
    i64* dims = static_cast<i64*>(GM_new(TINT, rank + 1));
    i64* perm = static_cast<i64*>(GM_new(TINT, rank + 1));
    char* seen = static_cast<char*>(GM_new(TCHAR, rank + 1));
    if (!odims || !dims || !perm || !seen) return errchk;
    std::memset(seen, 0, (size_t)rank + 1);
    for (i64 k = 0; k < rank; k++) {
        if (a[k] < o || a[k] - o >= rank || seen[a[k] - o]) return errchk = E_DOMAIN;
        i64 p = a[k] - o;
        seen[p] = 1;
        perm[k] = p;
    }
    shape_of(&R.d, odims);
    for (i64 k = 0; k < rank; k++) dims[perm[k]] = odims[k];
    return transposed(res, &R, dims, rank < 2 ? nullptr : perm);
}
