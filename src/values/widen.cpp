// Operand widening: the loaded operands converted to doubles or to complex
// numbers in scratch storage, so mixed-type kernels run over one element type.
#include "values/registers.h"

double ltm, rtm;
double* ltmp;
double* rtmp;

static bool present(i64 c, i64 v) { return c >= 0 || v >= 0; }

// One side to doubles: a single element into *one, several into a new
// scratch array left in *many. E_DOMAIN for a non-numeric type, E_WS_FULL
// without scratch.
static i64 widen_real(i64 type, i64 n, i64 single, i64 op1, double op2, const i64* o1,
                      const double* o2, double* one, double** many) {
    if (type != TBOOL && type != TINT && type != TFLOAT) return E_DOMAIN;
    if (single) {
        *one = type == TFLOAT ? op2 : (double)op1;
        return 0;
    }
    double* d = (double*)GM_new(TFLOAT, n);
    if (!d) return E_WS_FULL;
    cad0 = (char*)d;
    *many = d;
    if (type == TFLOAT)
        for (i64 i = 0; i < n; i++) d[i] = o2[i];
    else
        for (i64 i = 0; i < n; i++) d[i] = (double)o1[i];
    return 0;
}

i64 GenTemp(i64 lc, i64 lv, i64 rc, i64 rv) {
    if (present(lc, lv) && llgth != 0)
        if (i64 e = widen_real(ltyp, llgth, llgth1, lop1, lop2, lo1, lo2, &ltm, &ltmp))
            return errchk = e;
    if (!present(rc, rv) || rlgth == 0) return 0;
    if (i64 e = widen_real(rtyp, rlgth, rlgth1, rop1, rop2, ro1, ro2, &rtm, &rtmp))
        return errchk = e;
    return 0;
}

// One side to complex pairs, always into a new scratch array; E_DOMAIN or
// E_WS_FULL as widen_real.
static i64 widen_complex(const val_item* v, double** many) {
    i64 n = v->count;
    if (v->type != TBOOL && v->type != TINT && v->type != TFLOAT && v->type != TCPLX)
        return E_DOMAIN;
    double* d = (double*)GM_new(TCPLX, n);
    if (!d) return E_WS_FULL;
    const void* src = getptV(const_cast<val_item*>(v));
    cad0 = (char*)d;
    *many = d;
    for (i64 i = 0; i < n; i++) {
        switch (v->type) {
        case TFLOAT:
            d[2 * i] = ((const double*)src)[i];
            d[2 * i + 1] = 0.0;
            break;
        case TCPLX:
            d[2 * i] = ((const double*)src)[2 * i];
            d[2 * i + 1] = ((const double*)src)[2 * i + 1];
            break;
        default:
            d[2 * i] = (double)((const i64*)src)[i];
            d[2 * i + 1] = 0.0;
            break;
        }
    }
    return 0;
}

i64 GenTempComplex(i64 lc, i64 lv, i64 rc, i64 rv) {
    if (present(lc, lv)) {
        const val_item* l = opnd(lc, lv);
        if (l->count != 0)
            if (i64 e = widen_complex(l, &ltmp)) return errchk = e;
    }
    if (!present(rc, rv)) return 0;
    const val_item* r = opnd(rc, rv);
    if (r->count != 0)
        if (i64 e = widen_complex(r, &rtmp)) return errchk = e;
    return 0;
}
