// Helpers shared by the structural primitives: the empty selection, axis
// maps, promoted operand elements and element runs.
#include <cstdlib>
#include <cstring>
#include <utility>

#include "primitives/primitives.h"

i64 NumericPair(sopnd* l, sopnd* r, i64* type, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (sopnd_load_pair(l, r, res, lc, lv, rc, rv)) return errchk;
    if (l->d.type > TFLOAT || r->d.type > TFLOAT) return errchk = E_DOMAIN;
    *type = l->d.type > r->d.type ? l->d.type : r->d.type;
    return 0;
}

void BooleanOrInteger(i64 res, const i64* x, i64 count) {
    for (i64 i = 0; i < count; i++)
        if (x[i] != 0 && x[i] != 1) vtable[res].type = TINT;
}

i64 EmptySelection(i64 res, const sopnd* r) {
    if (r->d.count > 1) return errchk = E_LENGTH;
    i64 none = 0;
    return NewResult(res, TINT, 1, &none, 0);
}

i64* AxisMap(i64 rank, const i64* rdims, const i64* sdims, i64* const* pos, i64 count) {
    if (count == 0) return nullptr;
    for (i64 i = 0; i < rank; i++)
        if (!pos[i]) return nullptr;  // its scratch could not be had
    i64* map = static_cast<i64*>(GM_new(TINT, count));
    i64* other = static_cast<i64*>(GM_new(TINT, count));
    if (!map || !other) return nullptr;
    // Offsets grow one axis at a time; the last axis runs fastest.
    i64* cur = map;
    i64* next = other;
    if (rank % 2 == 1) std::swap(cur, next);  // so the last pass ends in map
    cur[0] = 0;
    i64 n = 1;
    for (i64 i = 0; i < rank; i++) {
        i64 rd = rdims[i], sd = sdims[i];
        const i64* p = pos[i];
        for (i64 j = 0; j < n; j++) {
            i64 o = cur[j];
            i64* to = next + j * rd;
            for (i64 q = 0; q < rd; q++) to[q] = (o < 0 || p[q] < 0) ? -1 : o * sd + p[q];
        }
        n *= rd;
        std::swap(cur, next);
    }
    return map;
}

i64* AxisWhole(i64 n) {
    i64* p = static_cast<i64*>(GM_new(TINT, n > 0 ? n : 1));
    if (p)
        for (i64 k = 0; k < n; k++) p[k] = k;
    return p;
}

const char* OperandAs(sopnd* o, i64 type) {
    sopnd_refresh(o);
    if (o->d.count == 0 || o->d.type == type) return static_cast<const char*>(o->p);
    if (type == TCPLX) return reinterpret_cast<const char*>(sopnd_complex(o));
    if (type == TFLOAT && o->d.type != TDATETIME)
        return reinterpret_cast<const char*>(sopnd_doubles(o));
    return static_cast<const char*>(o->p);  // boolean words in an integer result
}

char* PutRun(char* to, const char* src, bool single, i64 off, i64 n, i64 w) {
    if (single)
        for (i64 k = 0; k < n; k++) std::memcpy(to + k * w, src, w);
    else if (n > 0) std::memcpy(to, src + off * w, n * w);
    return to + n * w;
}
