// Shape, rank, ravel and the index generator: small monadic primitives that
// describe or flatten an operand, or count from the index origin.
#include <cstring>

#include "primitives/primitives.h"
#include "values/registers.h"

// Rows of a table: the dimension word of its column list.
static i64 table_rows(const val_item* t) { return items_of(t)[1].dim0; }

// The one length a compound value reports as its shape.
static i64 compound_length(const val_item* v) {
    if (v->type == TTABLE) return table_rows(v);
    if (v->type == TDICT) {
        const val_item* parts = items_of(v);
        return v->dim0 == 2 ? table_rows(&parts[0]) : parts[0].count;
    }
    return v->count;
}

i64 GenRho(i64 res, i64 rc, i64 rv) {
    SetNames(1, 5, res, -1, -1, rc, rv);
    const val_item* v = opnd(rc, rv);
    i64 rank = v->rank;
    i64* dims = static_cast<i64*>(GM_new(TINT, rank > 0 ? rank : 1));
    if (!dims) return errchk;
    if (v->type < TENUM) shape_of(v, dims);
    else dims[0] = compound_length(v);
    i64 one = rank;
    if (NewResult(res, TINT, 1, &one, rank)) return errchk;
    if (rank > 0) std::memcpy(getptV(&vtable[res]), dims, rank * sizeof(i64));
    return errchk = 0;
}

i64 PfGenRoro(i64 res, i64 rc, i64 rv) {
    i64 rank = opnd(rc, rv)->rank;
    if (rank == -1) return errchk = E_VALUE;
    i64 one = 1;
    if (NewResult(res, TINT, 1, &one, 1)) return errchk;
    vtable[res].dim0 = rank;
    return errchk = 0;
}

i64 PfRavel(i64 res, i64 rc, i64 rv) {
    SetNames(1, 5, res, -1, -1, rc, rv);
    const val_item* v = opnd(rc, rv);
    // Lists and the compound values are vectors already: ravel copies them.
    if (v->type == TLIST || v->type > TTIME) return GenStore(res, rc, rv);
    sopnd r;
    if (sopnd_load(&r, rc, rv, res)) return errchk;
    i64 n = r.d.count;
    if (NewResult(res, r.d.type, 1, &n, n)) return errchk;
    if (n == 0) return 0;
    sopnd_refresh(&r);
    std::memcpy(getptV(&vtable[res]), r.p, n * ElemWidth(r.d.type));
    return errchk = 0;
}

i64 PfIota(i64 res, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    SetNames(1, 3, res, 0, 0, rc, rv);
    const val_item* v = opnd(rc, rv);
    if (v->type != TBOOL && v->type != TINT) return errchk = E_DOMAIN;
    if (!isoneV(v)) return errchk = E_DOMAIN;
    i64 n = v->dim0;
    if (n < 0) return errchk = E_DOMAIN;
    if (NewResult(res, TINT, 1, &n, n)) return errchk;
    i64* out = static_cast<i64*>(getptV(&vtable[res]));
    for (i64 i = 0; i < n; i++) out[i] = origin + i;
    return errchk = 0;
}
