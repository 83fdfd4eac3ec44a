// Roll and deal: pseudo-random integers from the generator whose state is the
// single integer element of []RL, read and advanced in place at every draw.
#include <cstdlib>
#include <cstring>

#include "primitives/primitives.h"
#include "scalar/scalar.h"
#include "values/registers.h"

// The seed word of []RL; null when []RL holds no usable seed. A negative
// seed would draw below the origin, so it is refused.
static i64* seed_word() {
    val_item* rl = &vtable[SLOT_RL];
    if (!isoneV(rl) || !isinttype(rl->type) || rl->dim0 < 0) return nullptr;
    return &rl->dim0;
}

i64 PfRandom(i64 res, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    sopnd R;
    if (sopnd_load(&R, rc, rv, res)) return errchk;
    if (R.d.rank < 0) return errchk = E_VALUE;
    SetNames(1, 5, res, -1, -1, rc, rv);
    if (!isinttype(R.d.type)) return errchk = E_DOMAIN;
    const i64* x = static_cast<const i64*>(R.p);
    for (i64 i = 0; i < R.d.count; i++)
        if (x[i] < 1) return errchk = E_DOMAIN;
    i64* seed = seed_word();
    if (R.d.count > 0 && !seed) return errchk = E_DOMAIN;
    ttyp = TINT;
    vtable[res].type = TINT;
    if (!(rc < 0 && rv == res) && GenStoreDims(res, rc, rv)) return errchk;
    if (Updatead0(res, TINT, R.d.rank, R.d.count)) return errchk;
    if (R.d.rank == 1 && R.d.count != 1) vtable[res].dim0 = R.d.count;
    sopnd_refresh(&R);
    x = static_cast<const i64*>(R.p);
    i64* out = static_cast<i64*>(getptV(&vtable[res]));
    for (i64 i = 0; i < R.d.count; i++) out[i] = APL2_rand(x[i], origin, seed);
    return errchk = 0;
}

// Values already dealt, for the repeat test: an open-addressing set sized
// past twice the count, so a test costs constant time on average.
struct dealt_set {
    i64 mask;
    i64* slot;   // the values
    char* used;  // which slots hold one
};

// In scratch; false when that cannot be had.
static bool dealt_init(dealt_set* s, i64 n) {
    s->mask = 31;
    while (s->mask <= 2 * n) s->mask = s->mask * 2 + 1;
    s->slot = static_cast<i64*>(GM_new(TINT, s->mask + 1));
    s->used = static_cast<char*>(GM_new(TCHAR, s->mask + 1));
    if (!s->slot || !s->used) return false;
    std::memset(s->used, 0, (size_t)s->mask + 1);
    return true;
}

// Enters x; false when it was there already.
static bool dealt_add(dealt_set* s, i64 x) {
    i64 h = (i64)(((uint64_t)x * 0x9E3779B97F4A7C15ULL) >> 20) & s->mask;
    for (; s->used[h]; h = (h + 1) & s->mask)
        if (s->slot[h] == x) return false;
    s->used[h] = 1;
    s->slot[h] = x;
    return true;
}

i64 PfDeal(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    val_item* L = opnd(lc, lv);
    val_item* R = opnd(rc, rv);
    if (L->rank < 0 || R->rank < 0) return errchk = E_VALUE;
    SetNames(1, 3, res, lc, lv, rc, rv);
    if (!isinttype(L->type) || !isinttype(R->type)) return errchk = E_DOMAIN;
    if (!single(L)) return errchk = E_LENGTH;
    i64 n = L->dim0;
    if (n < 0) return errchk = E_DOMAIN;
    if (!single(R)) return errchk = E_LENGTH;
    i64 m = R->dim0;
    if (n > 0 && m == 0) return errchk = E_DOMAIN;
    if (m < 0 || m < n) return errchk = E_DOMAIN;
    i64* seed = seed_word();
    if (n > 0 && !seed) return errchk = E_DOMAIN;
    // The generator has 2147483646 states: no more distinct values exist.
    if (n > 2147483646) return errchk = E_DOMAIN;
    if (NewResult(res, TINT, 1, &n, n)) return errchk;
    i64* out = static_cast<i64*>(getptV(&vtable[res]));
    if (n == 0) return errchk = 0;
    dealt_set s;
    if (!dealt_init(&s, n)) return errchk;
    for (i64 i = 0; i < n; i++) {
        i64 x;
        do x = APL2_rand(m, origin, seed);
        while (!dealt_add(&s, x));
        out[i] = x;
    }
    return errchk = 0;
}
