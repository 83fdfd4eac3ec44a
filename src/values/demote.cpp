// Narrowing of results to the smallest exact type, and the equality tests
// the operators use (exact for integers, relative 1e-13 for doubles).
#include "values/values.h"

#include <cmath>
#include <cstring>

// A double that converts to an integer: a number, whole, within 32 bits.
static bool intlike(double x) {
    return !std::isnan(x) && std::fabs(x) <= 2147483647.0 && x == std::trunc(x);
}

static void float2int(val_item* v) {
    i64 n = v->count;
    double* d = (double*)getptV(v);
    for (i64 i = 0; i < n; i++)
        if (!intlike(d[i])) return;
    for (i64 i = 0; i < n; i++) {
        i64 k = (i64)d[i];
        memcpy(&d[i], &k, sizeof k);
    }
    v->type = TINT;
}

static void complex2float(val_item* v) {
    i64 n = v->count;
    double* d = (double*)getptV(v);
    for (i64 i = 0; i < n; i++)
        if (d[2 * i + 1] != 0.0) return;
    for (i64 i = 1; i < n; i++) d[i] = d[2 * i];
    if (isoneV(v)) v->dim1 = 0;
    v->type = TFLOAT;
    float2int(v);
}

i64 IntV(i64 cidx, i64 vidx) {
    val_item* v = opnd(cidx, vidx);
    if (v->type == TFLOAT) {
        if (v->count == 0) v->type = TINT;
        else float2int(v);
    } else if (v->type == TCPLX && v->count > 0) {
        complex2float(v);
    }
    return 0;
}

i64 IntB(i64 cidx, i64 vidx) {
    val_item* v = opnd(cidx, vidx);
    if (v->type != TINT) return 0;
    const i64* d = (const i64*)getptV(v);
    for (i64 i = 0; i < v->count; i++)
        if (d[i] != 0 && d[i] != 1) return 0;
    v->type = TBOOL;
    return 0;
}

int iequal(i64 a, i64 b) { return a == b; }

int biochk(i64 a, i64 b) {
    __int128 A = a, B = b, k;
    if (A >= 0 && B >= 0) k = A < B - A ? A : B - A;
    else if (A >= 0) k = A < A - B - 1 ? A : A - B - 1;
    else if (B < 0 && B >= A) {
        __int128 s = -B - 1, t = A + 1 < 0 ? -(A + 1) : A + 1;
        k = s < t ? s : t;
    } else return 0;
    return k > 514;
}
