// Reshape: an array of the shape on the left, filled from the elements of the
// right in row-major order, repeated cyclically as needed.
#include <cstring>

#include "dict/dict.h"
#include "primitives/primitives.h"
#include "values/registers.h"

// The result's scalar when the left is empty: the right's first element, or
// a copy of a list's first item.
static i64 first_element(i64 res, const sopnd* r) {
    if (r->d.type == TLIST) return GenStoreV0(res, const_cast<val_item*>(OperandItem(r, 0)));
    i64 none = 0;
    if (NewResult(res, r->d.type, 0, &none, 1)) return errchk;
    sopnd_refresh(const_cast<sopnd*>(r));
    std::memcpy(getptV(&vtable[res]), r->p, ElemWidth(r->d.type));
    return errchk = 0;
}

// Fills count elements of width w at to from the n elements at from: the
// source once in order, then the filled part doubled until it is complete.
static void fill_cyclic(char* to, const char* from, i64 n, i64 count, i64 w) {
    i64 done = n < count ? n : count;
    std::memcpy(to, from, done * w);
    while (done < count) {
        i64 step = done < count - done ? done : count - done;
        std::memcpy(to + done * w, to, step * w);
        done += step;
    }
}

static i64 reshape_list(i64 res, const sopnd* r, const i64* dims, i64 rank, i64 count) {
    i64* map = static_cast<i64*>(GM_new(TINT, count));
    if (map)
        for (i64 k = 0; k < count; k++) map[k] = k % r->d.count;
    return GatherResult(res, TLIST, rank, dims, count, r, map);
}

i64 GenReshp(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    sopnd r;
    if (sopnd_load(&r, rc, rv, res)) return errchk;
    SetNames(1, 3, res, lc, lv, rc, rv);
    const val_item* l = opnd(lc, lv);
    if (l->type == TSYM && r.d.type == TTABLE) return errchk = GenReshpTabl(res, l, opnd(rc, rv));
    i64 nl = l->count;
    if (nl > 0 && l->type != TBOOL && l->type != TINT) return errchk = E_DOMAIN;
    const i64* shape = static_cast<const i64*>(getptV(const_cast<val_item*>(l)));
    for (i64 k = 0; k < nl; k++)
        if (shape[k] < 0) return errchk = E_DOMAIN;
    if (l->rank > 1 || r.d.rank > 12) return errchk = E_RANK;
    // Enumerations, dictionaries and tables have no element order to reshape.
    if (r.d.type > TTIME) return errchk = E_DOMAIN;
    if (nl == 0) {
        if (r.d.count == 0) return errchk = E_DOMAIN;
        return first_element(res, &r);
    }
    if (r.d.type == TLIST && nl > 1) return errchk = E_RANK;
    i64 rank = l->rank == 0 ? 1 : nl;
    i64* dims = static_cast<i64*>(GM_new(TINT, rank));
    if (!dims) return errchk;
    std::memcpy(dims, shape, rank * sizeof(i64));
    i64 count;
    if (ShapeCount(dims, rank, r.d.type, &count)) return errchk;
    if (count > 0 && r.d.count == 0) return errchk = E_DOMAIN;
    if (r.d.type == TLIST) return reshape_list(res, &r, dims, rank, count);
    if (NewResult(res, r.d.type, rank, dims, count)) return errchk;
    if (count == 0) return 0;
    sopnd_refresh(&r);
    fill_cyclic(static_cast<char*>(getptV(&vtable[res])), static_cast<const char*>(r.p), r.d.count,
                count, ElemWidth(r.d.type));
    return errchk = 0;
}
