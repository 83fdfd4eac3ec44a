// Matrix inverse: a square matrix through LAPACK's dgesv_ (A X = I), and the
// generalised inverse of a scalar (its reciprocal) or a vector (v divided by
// the sum of its squares). Integral results become integers.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "primitives/lapack.h"
#include "primitives/primitives.h"
#include "values/registers.h"

static void transpose_square(double* m, i64 n) {
    for (i64 i = 0; i < n; i++)
        for (i64 j = 0; j < i; j++) {
            double t = m[i * n + j];
            m[i * n + j] = m[j * n + i];
            m[j * n + i] = t;
        }
}

i64 matrix_inv_square(i64 n, double* a, double* out) {
    if (n < 1 || n > INT_MAX) return -1;
    lapack_int* pivots = static_cast<lapack_int*>(GM_new(TINT, n));
    if (!pivots) return NO_PIVOTS;
    transpose_square(a, n);  // LAPACK reads columns
    std::memset(out, 0, (size_t)(n * n) * sizeof(double));
    for (i64 i = 0; i < n; i++) out[i * n + i] = 1.0;
    lapack_int N = (lapack_int)n, info = 0;
    dgesv_(&N, &N, a, &N, pivots, out, &N, &info);
    transpose_square(out, n);
    return info;
}

i64 PfInvert(i64 res, i64 rc, i64 rv) {
    sopnd R;
    if (sopnd_load(&R, rc, rv, res)) return errchk;
    if (R.d.rank < 0) return errchk = E_VALUE;
    SetNames(1, 5, res, -1, -1, rc, rv);
    i64 rank = R.d.rank, n = R.d.count;
    if (!isnumtype(R.d.type) || rank > 2 || n == 0) return errchk = E_DOMAIN;
    if (rank == 2 && R.d.dim0 != R.d.dim1) return errchk = E_DOMAIN;
    // A working copy: the solver overwrites its matrix.
    double* a = static_cast<double*>(GM_new(TFLOAT, n));
    const double* x = sopnd_doubles(&R);
    double* inv = static_cast<double*>(GM_new(TFLOAT, n));
    if (!a || !x || !inv) return errchk;
    std::memcpy(a, x, (size_t)n * sizeof(double));
    if (rank == 2) {
        i64 info = matrix_inv_square(R.d.dim0, a, inv);
        if (info == NO_PIVOTS) return errchk = E_WS_FULL;
        if (info != 0) return errchk = E_DOMAIN;
    } else {
        double s = 0;
        for (i64 j = 0; j < n; j++) {
            if (a[j] == 0) return errchk = E_DOMAIN;
            s += a[j] * a[j];
        }
        for (i64 j = 0; j < n; j++) inv[j] = n == 1 ? 1 / a[j] : a[j] / s;
    }
    ttyp = TFLOAT;
    vtable[res].type = TFLOAT;
    if (rank == 2) {
        vtable[res].dim0 = R.d.dim0;
        vtable[res].dim1 = R.d.dim1;
    }
    if (Updatead0(res, TFLOAT, rank, n)) return errchk;
    if (rank == 1 && n != 1) vtable[res].dim0 = n;
    std::memcpy(getptV(&vtable[res]), inv, (size_t)n * sizeof(double));
    IntV(-1, res);
    return errchk = 0;
}
