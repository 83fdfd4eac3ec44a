// Logic functions or, and, nor, nand and not: truth values (0 and 1 held as
// boolean, integer or float) in, boolean out.
#include "primitives/primitives.h"
#include "scalar/scalar.h"
#include "values/registers.h"

// An integer or float value holding only exact 0s and 1s (empty passes).
static bool PfLogicSub(const val_item* v) {
    const void* d = getptV(const_cast<val_item*>(v));
    if (v->type == TINT) {
        for (i64 i = 0; i < v->count; i++) {
            i64 x = ((const i64*)d)[i];
            if (x != 0 && x != 1) return false;
        }
        return true;
    }
    if (v->type == TFLOAT) {
        for (i64 i = 0; i < v->count; i++) {
            double x = ((const double*)d)[i];
            if (x != 0.0 && x != 1.0) return false;
        }
        return true;
    }
    return false;
}

static bool truthvalue(const val_item* v) { return v->type == TBOOL || PfLogicSub(v); }

static i64 logic_not(i64 res, i64 rc, i64 rv) {
    const val_item* v = opnd(rc, rv);
    if (SingleNumber(v)) {
        // One truth value in its descriptor: the result is written at once.
        i64 zero = v->type == TFLOAT ? SingleValue(v) == 0.0 : v->dim0 == 0;
        SingleResult(res, TBOOL, v->rank, zero);
        return errchk = 0;
    }
    sopnd R;
    if (sopnd_load(&R, rc, rv, res)) return errchk;
    SetNames(1, 5, res, -1, -1, rc, rv);
    ttyp = TBOOL;
    vtable[res].type = TBOOL;
    if (!(rc < 0 && rv == res) && GenStoreDims(res, rc, rv)) return errchk;
    if (Updatead0(res, TBOOL, R.d.rank, R.d.count)) return errchk;
    sopnd_refresh(&R);
    i64 n = R.d.count;
    i64* out = (i64*)getptV(&vtable[res]);
    if (R.d.type == TFLOAT) {
        const double* x = (const double*)R.p;
        for (i64 i = 0; i < n; i++) out[i] = x[i] == 0.0;
    } else {
        const i64* x = (const i64*)R.p;
        for (i64 i = 0; i < n; i++) out[i] = x[i] == 0;
    }
    return errchk = 0;
}

template <i64 C>
static inline i64 logic_k(i64 a, i64 b) {
    return logic1_i(C, a, b);
}
template <i64 C>
static inline i64 logic_kf(double a, double b) {
    return logic1_f(C, a, b);
}

template <class V, class F12, class F13, class F14, class F15>
static void logic_run(i64 code, i64 n, const V* x, bool xs, const V* y, bool ys, i64* out, F12 f12,
                      F13 f13, F14 f14, F15 f15) {
    switch (code) {
    case FC_OR: zipwith(n, x, xs, y, ys, out, f12); break;
    case FC_AND: zipwith(n, x, xs, y, ys, out, f13); break;
    case FC_NOR: zipwith(n, x, xs, y, ys, out, f14); break;
    default: zipwith(n, x, xs, y, ys, out, f15); break;
    }
}

i64 PfLogic(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (!truthvalue(opnd(rc, rv))) return errchk = E_DOMAIN;
    if (code == FC_NOT) return logic_not(res, rc, rv);
    if (!truthvalue(opnd(lc, lv))) return errchk = E_DOMAIN;
    sopnd L, R;
    if (sopnd_load(&L, lc, lv, res) || sopnd_load(&R, rc, rv, res)) return errchk;
    SetNames(1, 3, res, lc, lv, rc, rv);
    ttyp = TBOOL;
    i64 err = Sfshapeck0(res, lc, lv, rc, rv);
    if (err) return errchk = err;
    i64 n = vtable[res].count;
    if (n == 0) return errchk = 0;
    sopnd_refresh(&L);
    sopnd_refresh(&R);
    i64* out = (i64*)getptV(&vtable[res]);
    if (L.d.type != TFLOAT && R.d.type != TFLOAT)
        logic_run(code, n, (const i64*)L.p, L.one, (const i64*)R.p, R.one, out, logic_k<FC_OR>,
                  logic_k<FC_AND>, logic_k<FC_NOR>, logic_k<FC_NAND>);
    else {
        const double* x = sopnd_doubles(&L);
        const double* y = sopnd_doubles(&R);
        if (!x || !y) return errchk;
        logic_run(code, n, x, L.one, y, R.one, out, logic_kf<FC_OR>, logic_kf<FC_AND>,
                  logic_kf<FC_NOR>, logic_kf<FC_NAND>);
    }
    return errchk = 0;
}
