// Drop: turns each drop count into the take count that keeps the remaining
// positions and takes those. The counts are converted in a private buffer, so
// the left operand (perhaps a variable) is never changed.
#include <cstring>

#include "primitives/primitives.h"
#include "values/registers.h"

// The take count that keeps what dropping d positions of an axis of length k
// leaves: the last k - d for d >= 0, the first k + d for d < 0, none when
// |d| passes k.
static i64 keep_count(i64 d, i64 k) {
    if (d > k || d < -k) return 0;
    return d >= 0 ? d - k : d + k;
}

// Drop counts as 64-bit words: boolean and integer as they are, floats when
// every one is a whole number; false for anything else.
static bool read_counts(const val_item* l, i64* out) {
    const void* data = getptV(const_cast<val_item*>(l));
    if (l->type == TBOOL || l->type == TINT) {
        if (l->count > 0) std::memcpy(out, data, l->count * sizeof(i64));
        return true;
    }
    if (l->type != TFLOAT) return false;
    const double* f = static_cast<const double*>(data);
    for (i64 k = 0; k < l->count; k++) {
        if (!(f[k] >= -2147483647.0 && f[k] <= 2147483647.0) || f[k] != (double)(i64)f[k])
            return false;
        out[k] = (i64)f[k];
    }
    return true;
}

i64 PfDrop(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    const val_item* l = opnd(lc, lv);
    const val_item* r = opnd(rc, rv);
    i64 nc = l->count;
    i64* counts = static_cast<i64*>(GM_new(TINT, nc > 0 ? nc : 1));
    if (!counts) return errchk;
    if (!read_counts(l, counts)) return errchk = E_DOMAIN;
    if (l->rank > 1) return errchk = E_RANK;
    SetNames(1, 0, res, lc, lv, rc, rv);
    if (nc >= 2) {
        if (nc != r->rank) return errchk = E_LENGTH;
        i64* dims = static_cast<i64*>(GM_new(TINT, nc));
        if (!dims) return errchk;
        shape_of(r, dims);
        for (i64 i = 0; i < nc; i++) counts[i] = keep_count(counts[i], dims[i]);
    } else if (nc == 1) {
        // One count: a vector keeps the rest of its elements; a scalar is
        // kept by 0 alone; a higher rank then fails in take.
        counts[0] = r->rank == 1 ? keep_count(counts[0], r->count) : counts[0] == 0;
    }
    return TakeCounts(res, counts, nc, l->rank, rc, rv);
}
