// Indexed assignment A[i;j;...]<-v: the value's elements go into the
// selected elements of a variable, in its own data block. Every check is
// made before the first element is stored, so a failing assignment leaves
// the variable as it was.
#include <algorithm>
#include <cstring>
#include <vector>

#include "dict/dict.h"
#include "eval/eval.h"
#include "values/operand.h"
#include "values/registers.h"

// The target's type after the store, or -1 (domain error). A list target
// stays a list; a list value has no place among simple elements.
static i64 stored_type(i64 t, i64 u) {
    if (t == TLIST) return TLIST;
    i64 m = std::max(t, u);
    if (m == TCHAR || m == TSYM || isdate(m)) return t == u ? m : -1;
    if (m <= TFLOAT) return m;
    if (m == TCPLX && t != TCHAR && u != TCHAR) return m;
    return -1;
}

// n elements of x converted to type `to` (the same type, or a wider
// numeric one), written at out.
static void convert(const val_item* x, i64 n, i64 to, char* out) {
    const char* in = static_cast<const char*>(getptV(const_cast<val_item*>(x)));
    if (n == 0) return;
    if (x->type == to || (to == TINT && x->type == TBOOL)) {
        std::memcpy(out, in, n * ElemWidth(to));
        return;
    }
    double* d = reinterpret_cast<double*>(out);
    i64 step = to == TCPLX ? 2 : 1;
    for (i64 k = 0; k < n; k++) {
        double re = 0, im = 0;
        if (x->type == TCPLX) {
            re = reinterpret_cast<const double*>(in)[2 * k];
            im = reinterpret_cast<const double*>(in)[2 * k + 1];
        } else if (x->type == TFLOAT) {
            re = reinterpret_cast<const double*>(in)[k];
        } else {
            re = (double)reinterpret_cast<const i64*>(in)[k];
        }
        d[step * k] = re;
        if (to == TCPLX) d[2 * k + 1] = im;
    }
}

// Shape words of a value with every dimension 1 removed.
static std::vector<i64> squeezed(const i64* dims, i64 rank) {
    std::vector<i64> out;
    for (i64 k = 0; k < rank; k++)
        if (dims[k] != 1) out.push_back(dims[k]);
    return out;
}

// The selection's shape against the value's, ones removed: E_RANK for another
// number of dimensions, E_LENGTH for other dimensions.
static i64 conformance(const i64* sdims, i64 srank, i64 vc, i64 vv) {
    const val_item* x = opnd(vc, vv);
    if (srank == 0 || x->count == 1) return 0;
    std::vector<i64> vd(x->rank > 0 ? x->rank : 1);
    CfAbstract(vc, vv, vd.data());
    std::vector<i64> s = squeezed(sdims, srank), v = squeezed(vd.data(), x->rank > 0 ? x->rank : 1);
    if (s.size() != v.size()) return E_RANK;
    return s == v ? E_OK : E_LENGTH;
}

// Count checks of the vector, matrix and higher paths.
static i64 value_fits(const val_item* t, i64 ic, i64 iv, i64 L, const val_item* x) {
    bool one = single(x);
    if (t->rank == 1) {
        if (L == 0) return x->count > 1 ? E_LENGTH : E_OK;
        if (t->count == 1) return one ? E_OK : E_LENGTH;
        if (one) return 0;
        i64 srank = elided(ic, iv) ? 1 : single(opnd(ic, iv)) ? 0 : opnd(ic, iv)->rank;
        if (srank != x->rank) return E_RANK;
        return x->count == L ? E_OK : E_LENGTH;
    }
    if (L == 0) return 0;
    return x->count == 1 || x->count == L ? E_OK : E_LENGTH;
}

// Element offsets of the selection into the target, in scratch; nullptr
// when there are none, or (E_WS_FULL in errchk) without scratch.
static i64* selection_offsets(i64 r, i64 L, const i64* dims, const i64* lens, i64* const* sel) {
    if (L == 0) return nullptr;
    std::vector<i64> strides(r);
    RowMajorStrides(dims, r, strides.data());
    i64* out = static_cast<i64*>(GM_new(TINT, 2 * L));
    if (!out) return nullptr;
    return out + L * PfIdxLineariz(r, L, out, lens, sel, strides.data());
}

// Stores the (converted) value elements at the offsets of buffer `to`.
static void scatter(char* to, const char* from, bool spread, const i64* offs, i64 L, i64 w) {
    for (i64 t = 0; t < L; t++) std::memcpy(to + offs[t] * w, from + (spread ? 0 : t * w), w);
}

// Simple targets: straight into the variable's block, or, when its type
// widens, into a widened copy that then becomes the variable's data.
static i64 store_elements(i64 target, i64 type, const i64* offs, i64 L, i64 vc, i64 vv) {
    val_item* t = &vtable[target];
    const val_item* x = opnd(vc, vv);
    i64 w = ElemWidth(type);
    if (L == 0) return 0;
    // The value is read aside first: it may be the target itself.
    char* vals = static_cast<char*>(GM_new(TCHAR, x->count * w));
    if (!vals) return errchk;
    convert(x, x->count, type, vals);
    bool spread = x->count == 1;
    // Mixed float or complex stores widen both sides and narrow at the end.
    bool widened = (type == TFLOAT || type == TCPLX) && t->type != x->type;
    if (!widened) {
        t->type = type;
        scatter(static_cast<char*>(getptV(t)), vals, spread, offs, L, w);
        return 0;
    }
    char* copy = static_cast<char*>(GM_new(TCHAR, t->count * w));
    if (!copy) return errchk;
    convert(t, t->count, type, copy);
    scatter(copy, vals, spread, offs, L, w);
    i64 old = t->type;
    t->type = type;
    if (Updatead0(target, type, t->rank, t->count)) {
        vtable[target].type = old;
        return errchk;
    }
    std::memcpy(getptV(&vtable[target]), copy, vtable[target].count * w);
    IntV(-1, target);
    return 0;
}

// A list target: every selected item becomes a copy (of the whole value, or
// of one of its items). The copies are all made before any item changes.
static i64 store_items(i64 target, i64 ic, i64 iv, const i64* offs, i64 L, i64 vc, i64 vv) {
    const val_item* x = opnd(vc, vv);
    bool listval = x->type == TLIST;
    bool whole = !listval || (x->count != 1 && !elided(ic, iv) && single(opnd(ic, iv)));
    if (listval && !whole && x->count != 1 && x->count != L) return E_LENGTH;
    if (L == 0) return 0;
    val_item* made = static_cast<val_item*>(GM_new(TCHAR, L * (i64)sizeof(val_item)));
    if (!made) return errchk;
    std::memset(made, 0, (size_t)L * sizeof(val_item));
    for (i64 k = 0; k < L; k++) {
        i64 e;
        if (whole) {
            e = GenStoreV1(&made[k], vc, vv, true);
        } else {
            val_item* items = items_of(opnd(vc, vv));
            e = GenStoreV2(&made[k], &items[x->count == 1 ? 0 : k], true);
        }
        if (e) {
            for (i64 j = 0; j < k; j++) DropRef(&made[j]);
            return e;
        }
    }
    val_item* items = reinterpret_cast<val_item*>(vtable[target].data);
    for (i64 k = 0; k < L; k++) {
        DropRef(&items[offs[k]]);
        MoveItem(&items[offs[k]], &made[k]);
    }
    return 0;
}

// Enumeration target: values of the domain item type, stored as their
// positions in the enumeration's domain.
static i64 store_enum(i64 target, i64 ic, i64 iv, i64 vc, i64 vv, i64 origin) {
    SetNames(1, 3, target, ic, iv, vc, vv);
    const val_item* p = opnd(ic, iv);
    const val_item* x = opnd(vc, vv);
    if (elided(ic, iv) || (p->type != TBOOL && p->type != TINT) || p->rank > 1 || p->count == 0)
        return E_DOMAIN;
    if (!single(x) && (x->rank != p->rank || x->count != p->count)) return E_DOMAIN;
    if (CheckIdexv(ic, iv, vtable[target].count, origin)) return E_INDEX;
    return GenEnud(target, ic, iv, vc, vv, origin);
}

static i64 assign_array(i64 target, i64 ic, i64 iv, i64* idxc, i64* idxv, i64 vc, i64 vv,
                        i64 origin) {
    const val_item* t = &vtable[target];
    const val_item* x = opnd(vc, vv);
    i64 type = stored_type(t->type, x->type);
    if (type < 0) return E_DOMAIN;
    if (type == TLIST && t->rank != 1) return E_DOMAIN;
    i64 r = t->rank;
    std::vector<i64> dims(r), lens(r), sdims;
    std::vector<i64*> sel(r);
    CfAbstract(-1, target, dims.data());
    if (i64 e =
            PfCalcIdxll(r, ic, iv, idxc, idxv, dims.data(), origin, true, lens.data(), sel.data()))
        return e;
    i64 L = ilgth, pos = 0;
    sdims.resize(irnk + 1);
    for (i64 a = 0; a < r; a++) {
        i64 c = a == 0 ? ic : idxc[r - 1 - a], v = a == 0 ? iv : idxv[r - 1 - a];
        IndxStoreDim(c, v, sdims.data(), &pos, dims[a]);
    }
    if (i64 e = conformance(sdims.data(), irnk, vc, vv)) return e;
    if (type == TLIST) {
        if (L == 0 && x->count > 1) return E_LENGTH;
    } else if (i64 e = value_fits(t, ic, iv, L, x)) {
        return e;
    }
    if (CheckSize(TINT, 2 * L)) return errchk;
    i64* offs = selection_offsets(r, L, dims.data(), lens.data(), sel.data());
    if (!offs && L > 0) return errchk;
    if (type == TLIST) return store_items(target, ic, iv, offs, L, vc, vv);
    return store_elements(target, type, offs, L, vc, vv);
}

i64 GenIndexA(i64 target, i64 ic, i64 iv, i64* idxc, i64* idxv, i64 vc, i64 vv, i64 n, i64 io) {
    if (vtable[target].rank == -1 || undefined(vc, vv) || undefined(ic, iv))
        return errchk = E_VALUE;
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    i64 t = vtable[target].type;
    if (t > TTIME) {
        if (n > 0) return errchk = E_RANK;
        if (t == TDICT || t == TTABLE) {
            i64 sc = n >= 0 ? idxc[0] : -1, sv = n >= 0 ? idxv[0] : -1;
            return errchk = DictIndex(target, ic, iv, sc, sv, vc, vv, n, io);
        }
        // An enumeration is a vector: one index only.
        if (t == TENUM) return errchk = n < 0 ? store_enum(target, ic, iv, vc, vv, origin) : E_RANK;
        return errchk = E_DOMAIN;
    }
    if (n + 2 != vtable[target].rank) return errchk = E_RANK;
    return errchk = assign_array(target, ic, iv, idxc, idxv, vc, vv, origin);
}
