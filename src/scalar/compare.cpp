// Comparisons: exact, element by element with scalar extension, giving a
// boolean array. Enumerations compare through their domains' values.
#include "dict/dict.h"
#include "scalar/scalar.h"
#include "values/registers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

// naneq: two NaNs are equal (both sides floats); an integer compared with a
// double is read as a double.
template <class X, class Y>
static inline bool same(X a, Y b, bool naneq) {
    if constexpr (std::is_same_v<X, double> && std::is_same_v<Y, double>)
        return a == b || (naneq && std::isnan(a) && std::isnan(b));
    else return a == b;
}

template <class X, class Y>
static void cmp_run(i64 code, i64 n, const X* x, bool xs, const Y* y, bool ys, i64* out,
                    bool naneq) {
    if constexpr (!std::is_same_v<X, complex2>) {  // complex numbers have no order
        switch (code) {
        case FC_LT: zipwith(n, x, xs, y, ys, out, [](X a, Y b) { return (i64)(b > a); }); return;
        case FC_LE: zipwith(n, x, xs, y, ys, out, [](X a, Y b) { return (i64) !(a > b); }); return;
        case FC_GE: zipwith(n, x, xs, y, ys, out, [](X a, Y b) { return (i64) !(b > a); }); return;
        case FC_GT: zipwith(n, x, xs, y, ys, out, [](X a, Y b) { return (i64)(a > b); }); return;
        default: break;
        }
    }
    if (code == FC_NE)
        zipwith(n, x, xs, y, ys, out, [naneq](X a, Y b) { return (i64)!same(a, b, naneq); });
    else zipwith(n, x, xs, y, ys, out, [naneq](X a, Y b) { return (i64)same(a, b, naneq); });
}

// A complex view of a numeric or character operand (a character by its code).
static const complex2* as_complex(const sopnd* o) {
    if (o->d.type != TCHAR) return sopnd_complex(o);
    i64 n = o->d.count;
    complex2* z = (complex2*)GM_new(TCPLX, n);
    if (!z) return nullptr;
    const signed char* c = (const signed char*)o->p;
    for (i64 i = 0; i < n; i++) z[i] = complex2((double)c[i], 0.0);
    return z;
}

// Elements of two loaded operands compared by their class pair; E_WS_FULL
// when a complex widening cannot be had.
static i64 compare_elements(i64 code, i64 n, const sopnd* l, const sopnd* r, i64* out) {
    i64 lt = l->d.type, rt = r->d.type;
    if (lt == TCPLX || rt == TCPLX) {
        const complex2* x = as_complex(l);
        const complex2* y = as_complex(r);
        if (!x || !y) return errchk;
        cmp_run(code, n, x, l->one, y, r->one, out, false);
    } else if (lt == TCHAR) {
        cmp_run(code, n, (const signed char*)l->p, l->one, (const signed char*)r->p, r->one, out,
                false);
    } else if (WordType(lt) && WordType(rt)) {
        cmp_run(code, n, (const i64*)l->p, l->one, (const i64*)r->p, r->one, out, false);
    } else if (WordType(lt)) {
        cmp_run(code, n, (const i64*)l->p, l->one, (const double*)r->p, r->one, out, false);
    } else if (WordType(rt)) {
        cmp_run(code, n, (const double*)l->p, l->one, (const i64*)r->p, r->one, out, false);
    } else {
        bool naneq = lt == TFLOAT && rt == TFLOAT;
        cmp_run(code, n, (const double*)l->p, l->one, (const double*)r->p, r->one, out, naneq);
    }
    return 0;
}

// 0 when the codes are allowed for the types, -1 when every element is 0
// (different types under = and ~=), else the error code.
static i64 compare_types(i64 code, i64 lt, i64 rt) {
    i64 T = std::max(lt, rt);
    bool eq = code == FC_NE || code == FC_EQ;
    if (T <= TFLOAT) return 0;
    if (T == TCPLX) return eq ? E_OK : E_DOMAIN;
    if (T == TLIST) return E_DOMAIN;
    if (lt == rt) return 0;
    if (eq) return -1;
    return E_DOMAIN;
}

static i64 compare_enum(i64 code, i64 res, sopnd* l, sopnd* r);

bool CompareSingles(i64 code, val_item* res, const val_item* l, const val_item* r) {
    if (!CompareCode(code) || !SingleNumber(l) || !SingleNumber(r)) return false;
    i64 out;
    if (l->type != TFLOAT && r->type != TFLOAT) {
        cmp_run(code, 1, &l->dim0, true, &r->dim0, true, &out, false);
    } else {
        double x = SingleValue(l), y = SingleValue(r);
        cmp_run(code, 1, &x, true, &y, true, &out, l->type == TFLOAT && r->type == TFLOAT);
    }
    SingleInto(res, TBOOL, std::max(l->rank, r->rank), out);
    return true;
}

i64 PfCompb(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (CompareSingles(code, &vtable[res], opnd(lc, lv), opnd(rc, rv))) return errchk = 0;
    sopnd L, R;
    if (sopnd_load(&L, lc, lv, res) || sopnd_load(&R, rc, rv, res)) return errchk;
    SetNames(1, 3, res, lc, lv, rc, rv);
    ttyp = TBOOL;
    vtable[res].type = TBOOL;
    i64 T = std::max(L.d.type, R.d.type);
    if (T == TENUM) return errchk = compare_enum(code, res, &L, &R);
    if (T > TTIME) return errchk = E_DOMAIN;
    i64 kind = compare_types(code, L.d.type, R.d.type);
    if (kind > 0) return errchk = kind;
    i64 err = Sfshapeck0(res, lc, lv, rc, rv);
    if (err) return errchk = err;
    vtable[res].type = TBOOL;  // an empty result stays boolean
    i64 n = vtable[res].count;
    if (n == 0) return errchk = 0;
    sopnd_refresh(&L);
    sopnd_refresh(&R);
    i64* out = (i64*)getptV(&vtable[res]);
    if (kind < 0) memset(out, 0, n * sizeof(i64));
    else if (compare_elements(code, n, &L, &R, out)) return errchk;
    return errchk = 0;
}

// ---- enumerations ---------------------------------------------------------------

// The values an operand is read from: an enumeration's domain items with
// its indexes, any other operand itself. An enumeration without a domain
// reads an empty vector, so none of its items equals anything.
struct enumview {
    const val_item* vals;
    const i64* idx;  // null: position k reads vals at k (0 when single)
    bool one;
};

static const val_item no_items{TINT, 1, 0, 0, 0, 0, 0, nullptr};

static enumview enum_resolve(const sopnd* o) {
    enumview e{&o->d, nullptr, o->one};
    if (o->d.type != TENUM) return e;
    // An enumeration of no items holds no words: it has no domain.
    const i64* w = (const i64*)o->p;
    const val_item* dom = w ? DomainItems(EnumResolve(w[0])) : nullptr;
    e.vals = dom ? dom : &no_items;
    e.idx = w ? w + 2 : nullptr;
    return e;
}

static i64 enum_type(i64 t) { return t == TBOOL ? TINT : t; }

// Exact equality of element a of x and element b of y, both of type t.
static bool enum_same(i64 t, const val_item* x, i64 a, const val_item* y, i64 b) {
    if (a < 0 || a >= x->count || b < 0 || b >= y->count) return false;
    const char* px = (const char*)getptV(const_cast<val_item*>(x));
    const char* py = (const char*)getptV(const_cast<val_item*>(y));
    switch (t) {
    case TFLOAT:
    case TDATETIME: return ((const double*)px)[a] == ((const double*)py)[b];
    case TCPLX: return ((const complex2*)px)[a] == ((const complex2*)py)[b];
    case TCHAR: return px[a] == py[b];
    case TLIST: return false;
    default: return ((const i64*)px)[a] == ((const i64*)py)[b];
    }
}

static i64 enum_pos(const enumview* e, i64 k) {
    i64 p = e->one ? 0 : k;
    return e->idx ? e->idx[p] : p;
}

static i64 compare_enum(i64 code, i64 res, sopnd* l, sopnd* r) {
    if (code != FC_NE && code != FC_EQ) return E_DOMAIN;
    if (l->d.rank > 1 || r->d.rank > 1) return E_RANK;
    if (!l->one && !r->one && l->d.count != r->d.count) return E_LENGTH;
    i64 n = std::max(l->d.count, r->d.count);
    if (l->one || r->one) n = l->one ? r->d.count : l->d.count;
    if (Updatead0(res, TBOOL, 1, n)) return errchk;
    if (n != 1) vtable[res].dim0 = n;
    // The operands and the domains are read where they are after the allocation.
    for (sopnd* o : {l, r}) {
        sopnd_refresh(o);
        if (!o->one && o->p) o->d.data = (char*)o->p;
    }
    enumview x = enum_resolve(l), y = enum_resolve(r);
    i64 t = enum_type(x.vals->type);
    bool comparable = t == enum_type(y.vals->type) && x.vals != &no_items && y.vals != &no_items;
    i64* out = (i64*)getptV(&vtable[res]);
    for (i64 k = 0; k < n; k++) {
        bool eq = comparable && enum_same(t, x.vals, enum_pos(&x, k), y.vals, enum_pos(&y, k));
        out[k] = code == FC_EQ ? eq : !eq;
    }
    return 0;
}
