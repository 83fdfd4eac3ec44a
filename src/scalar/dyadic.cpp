// Dyadic scalar functions: type promotion, scalar extension, and the routing
// of each pair of operand types to its kernels.
#include "datetime/datetime.h"
#include "scalar/scalar.h"
#include "values/registers.h"

#include <algorithm>
#include <cstring>

// Index of element i of an operand that may be single.
static inline i64 at(const sopnd* o, i64 i) { return o->one ? 0 : i; }

// Count of pairs: the other side's count when one side is single.
static i64 paircount(const sopnd* l, const sopnd* r) { return l->one ? r->d.count : l->d.count; }

// Whether the prechecks may walk the pairs: operands of unequal counts fail
// the shape check later, and walking them would read past the shorter one.
static bool pairs_match(const sopnd* l, const sopnd* r) {
    return l->one || r->one || l->d.count == r->d.count;
}

// Checks of a real pair that may send it to complex arithmetic; 0, or an
// error code. *cplx is set when the result must be complex: a logarithm of a
// negative number, or a negative base to a power below 1 that is not whole.
static i64 real_prechecks(i64 code, const sopnd* l, const sopnd* r, bool* cplx) {
    if (!pairs_match(l, r)) return 0;
    i64 n = paircount(l, r);
    if (code == FC_BINOMIAL) {
        if (l->d.type > TINT || r->d.type > TINT) return E_DOMAIN;
        const i64* x = (const i64*)l->p;
        const i64* y = (const i64*)r->p;
        for (i64 i = 0; i < n; i++)
            if (biochk(x[at(l, i)], y[at(r, i)])) return E_DOMAIN;
        return 0;
    }
    if (code == FC_CIRCLE) {
        if (l->d.type == TFLOAT) return E_DOMAIN;
        const i64* x = (const i64*)l->p;
        for (i64 i = 0; i < l->d.count; i++)
            if (x[i] < -12 || x[i] > 11) return E_DOMAIN;
        *cplx = true;
        return 0;
    }
    if (code != FC_POWER && code != FC_LOG) return 0;
    const double* x = sopnd_doubles(l);
    const double* y = sopnd_doubles(r);
    if ((!x && l->d.count > 0) || (!y && r->d.count > 0)) return errchk;
    for (i64 i = 0; i < n && !*cplx; i++) {
        double a = x[at(l, i)], b = y[at(r, i)];
        if (code == FC_LOG) *cplx = Check_clex_d(code, a, b);
        else *cplx = a < 0 && b < 1 && !whole(b);
    }
    return 0;
}

static i64 real_type(i64 code, i64 lt, i64 rt, bool cplx) {
    if (cplx) return TCPLX;
    if (code == FC_DIVIDE || code == FC_POWER || code == FC_LOG) return TFLOAT;
    if (lt == rt) return std::max<i64>(lt, TINT);
    return std::max(lt, rt);
}

static i64 complex_prechecks(i64 code, const sopnd* l, const sopnd* r) {
    // Characters (and anything else without a complex form) never mix in.
    if (l->d.type == TCHAR || r->d.type == TCHAR) return E_DOMAIN;
    if (code == FC_MAX || code == FC_MIN || code == FC_BINOMIAL) return E_DOMAIN;
    if (code == FC_CIRCLE) {
        if (!isinttype(l->d.type)) return E_DOMAIN;
        const i64* x = (const i64*)l->p;
        for (i64 i = 0; i < l->d.count; i++)
            if (x[i] < -12 || x[i] > 11) return E_DOMAIN;
    }
    if (code == FC_DIVIDE && pairs_match(l, r)) {
        i64 n = paircount(l, r);
        for (i64 i = 0; i < n; i++) {
            complex2 x = xvax(&l->d, at(l, i)), y = xvax(&r->d, at(r, i));
            bool yzero = y.real == 0 && y.imag == 0, xzero = x.real == 0 && x.imag == 0;
            if (yzero && !xzero) return E_DOMAIN;
        }
    }
    return 0;
}

// Date and time pairs: the result type, or an error code as a negative number.
static i64 date_type(i64 code, i64 lt, i64 rt) {
    i64 T = std::max(lt, rt), t = std::min(lt, rt);
    if (t > TINT && lt != rt) return -E_TYPE;
    if (code == FC_ADD) return lt == rt ? -E_TIME_FORMAT : T;
    if (code != FC_SUBTRACT) return -E_TIME_FORMAT;
    if (!isdate(lt)) return -E_DOMAIN;
    if (lt == rt) return lt == TDATETIME ? TFLOAT : TINT;
    return T;
}

// Every pair goes through the temporal arithmetic; any failing pair fails the call.
static i64 date_loop(i64 code, i64 n, const sopnd* l, const sopnd* r, void* out) {
    i64 lt = l->d.type, rt = r->d.type, bad = 0;
    const i64* xi = (const i64*)l->p;
    const i64* yi = (const i64*)r->p;
    const double* xf = (const double*)l->p;
    const double* yf = (const double*)r->p;
    i64* oi = (i64*)out;
    double* of = (double*)out;
    for (i64 i = 0; i < n; i++) {
        i64 a = at(l, i), b = at(r, i);
        if (lt == TDATETIME && rt == TDATETIME) amtime1E(&of[i], xf[a], yf[b]);
        else if (lt == TDATETIME) amtime0E(code, yi[b], &of[i], xf[a]);
        else if (rt == TDATETIME) amtime0E(code, xi[a], &of[i], yf[b]);
        else if (isdate(lt) && isdate(rt)) amtime1(lt, xi[a], yi[b], &oi[i]);
        else if (isdate(lt)) amtime0(code, lt, xi[a], yi[b], &oi[i]);
        else amtime0(code, rt, yi[b], xi[a], &oi[i]);
        if (merr != 0) bad = merr;
    }
    return bad ? E_DATETIME_VALUE : E_OK;
}

static i64 complex_loop(i64 code, i64 n, const sopnd* l, const sopnd* r, complex2* out) {
    const complex2* x = sopnd_complex(l);
    const complex2* y = sopnd_complex(r);
    if (!x || !y) return errchk;
    for (i64 i = 0; i < n; i++)
        if (clex_dyadic_process(code, &out[i], x[at(l, i)], y[at(r, i)])) return E_DOMAIN;
    return 0;
}

static bool arith_singles(i64 code, val_item* out, const val_item* l, const val_item* r) {
    if (!ArithSinglesCode(code) || !SingleNumber(l) || !SingleNumber(r)) return false;
    i64 type = real_type(code, l->type, r->type, false);
    i64 word;
    if (type == TINT) {
        word = ari2fn_i(code, l->dim0, r->dim0);
    } else {
        double z = ari2fn_f(code, SingleValue(l), SingleValue(r));
        memcpy(&word, &z, sizeof word);
    }
    SingleInto(out, type, std::max(l->rank, r->rank), word);
    return true;
}

bool SinglesInto(i64 code, val_item* out, const val_item* l, const val_item* r) {
    return WordSingles(code, out, l, r) || arith_singles(code, out, l, r) ||
           CompareSingles(code, out, l, r);
}

bool ScalarSingles(i64 code, i64 res, const val_item* l, const val_item* r) {
    if (!SinglesInto(code, &vtable[res], l, r)) return false;
    errchk = 0;
    return true;
}

i64 PfScalar(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (arith_singles(code, &vtable[res], opnd(lc, lv), opnd(rc, rv))) return errchk = 0;
    sopnd L, R;
    if (sopnd_load(&L, lc, lv, res) || sopnd_load(&R, rc, rv, res)) return errchk;
    SetNames(1, 3, res, lc, lv, rc, rv);
    i64 lt = L.d.type, rt = R.d.type;
    i64 T = std::max(lt, rt);
    i64 type, err = 0;
    bool cplx = false;

    if (T <= TFLOAT) {
        if ((err = real_prechecks(code, &L, &R, &cplx))) return errchk = err;
        type = real_type(code, lt, rt, cplx);
    } else if (T == TCPLX) {
        if ((err = complex_prechecks(code, &L, &R))) return errchk = err;
        type = TCPLX;
    } else if (isdate(T)) {
        type = date_type(code, lt, rt);
        if (type < 0) return errchk = -type;
    } else if (T == TDICT) {
        return errchk = scalar_up.dict_scalar(code, res, lc, lv, rc, rv);
    } else {
        return errchk = E_DOMAIN;
    }

    ttyp = type;
    if ((err = Sfshapeck0(res, lc, lv, rc, rv))) return errchk = err;
    i64 n = vtable[res].count;
    if (n == 0) return errchk = 0;
    sopnd_refresh(&L);
    sopnd_refresh(&R);
    void* out = getptV(&vtable[res]);

    if (isdate(T)) {
        err = date_loop(code, n, &L, &R, out);
    } else if (type == TCPLX) {
        err = complex_loop(code, n, &L, &R, (complex2*)out);
        if (!err) IntV(-1, res);
    } else if (type == TINT) {
        ari_loop_i(code, n, (const i64*)L.p, L.one, (const i64*)R.p, R.one, (i64*)out);
    } else {
        ari_loop_f(code, n, L.p, isinttype(lt), L.one, R.p, isinttype(rt), R.one, (double*)out);
    }
    return errchk = err;
}
