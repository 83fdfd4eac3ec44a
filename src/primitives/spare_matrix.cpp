// A small LU inverse, LAPACK wrappers for square and least-squares systems,
// and the printing of a matrix.
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "primitives/lapack.h"
#include "primitives/spare.h"

// ---- LU decomposition ------------------------------------------------------------

constexpr double TINY_PIVOT = 1e-20;

// Crout's method, row i scaled by 1 / its largest magnitude when choosing
// the pivot of a column.
i64 ludcmp(double* a, i64 n, i64* pivots, double* parity) {
    *parity = 1;
    if (n <= 0) return 0;
    double* scale = static_cast<double*>(AL2(sizeof(double), n));
    for (i64 i = 0; i < n; i++) {
        double big = 0;
        for (i64 j = 0; j < n; j++) big = std::fmax(big, std::fabs(a[i * n + j]));
        if (big == 0) {
            std::puts("Singular matrix");
            std::free(scale);
            return 1;
        }
        scale[i] = 1 / big;
    }
    for (i64 j = 0; j < n; j++) {
        for (i64 i = 0; i < j; i++) {
            double sum = a[i * n + j];
            for (i64 k = 0; k < i; k++) sum -= a[i * n + k] * a[k * n + j];
            a[i * n + j] = sum;
        }
        double big = 0;
        i64 imax = j;
        for (i64 i = j; i < n; i++) {
            double sum = a[i * n + j];
            for (i64 k = 0; k < j; k++) sum -= a[i * n + k] * a[k * n + j];
            a[i * n + j] = sum;
            double merit = scale[i] * std::fabs(sum);
            if (merit >= big) {
                big = merit;
                imax = i;
            }
        }
        if (imax != j) {
            for (i64 k = 0; k < n; k++) {
                double t = a[imax * n + k];
                a[imax * n + k] = a[j * n + k];
                a[j * n + k] = t;
            }
            *parity = -*parity;
            scale[imax] = scale[j];
        }
        pivots[j] = imax;
        if (a[j * n + j] == 0) a[j * n + j] = TINY_PIVOT;
        for (i64 i = j + 1; i < n; i++) a[i * n + j] /= a[j * n + j];
    }
    std::free(scale);
    return 0;
}

i64 lubksb(const double* lu, i64 n, const i64* pivots, double* b) {
    for (i64 i = 0; i < n; i++)
        if (pivots[i] < 0 || pivots[i] >= n) return -1;
    i64 first = -1;  // the first non-zero of b: the sums start there
    for (i64 i = 0; i < n; i++) {
        i64 p = pivots[i];
        double sum = b[p];
        b[p] = b[i];
        if (first >= 0)
            for (i64 j = first; j < i; j++) sum -= lu[i * n + j] * b[j];
        else if (sum != 0) first = i;
        b[i] = sum;
    }
    for (i64 i = n - 1; i >= 0; i--) {
        double sum = b[i];
        for (i64 j = i + 1; j < n; j++) sum -= lu[i * n + j] * b[j];
        b[i] = sum / lu[i * n + i];
    }
    return 0;
}

i64 mat_inverse(const double* a, double* out, i64 n) {
    if (n <= 0) return 0;
    if (n > MAT_INVERSE_MAX) {
        std::printf("The dimension is larger than %d\n", (int)MAT_INVERSE_MAX);
        std::puts("Increase NMAX in the library");
        return -1;
    }
    double* lu = static_cast<double*>(AL2(sizeof(double), n * n));
    std::memcpy(lu, a, (size_t)(n * n) * sizeof(double));
    i64* pivots = static_cast<i64*>(AL2(sizeof(i64), n));
    double* column = static_cast<double*>(AL2(sizeof(double), n));
    double parity;
    i64 status = ludcmp(lu, n, pivots, &parity);
    for (i64 i = 0; i < n && status == 0; i++) {
        for (i64 j = 0; j < n; j++) column[j] = j == i ? 1 : 0;
        lubksb(lu, n, pivots, column);
        for (i64 j = 0; j < n; j++) out[j * n + i] = column[j];
    }
    std::free(column);
    std::free(pivots);
    std::free(lu);
    return status;
}

// ---- LAPACK ------------------------------------------------------------------------

static bool lapack_size(i64 x) { return x > 0 && x <= INT_MAX; }

// The larger of LAPACK's answer to a workspace query and the size its
// documentation asks for, or -1 when that is beyond its integers.
static lapack_int work_size(double queried, i64 documented) {
    double w = std::fmax(queried, (double)documented);
    return w <= INT_MAX ? (lapack_int)w : -1;
}

i64 matrix_div_square(i64 n, i64 nrhs, double* a, double* b) {
    if (!lapack_size(n) || !lapack_size(nrhs)) return -1;
    lapack_int N = (lapack_int)n, NRHS = (lapack_int)nrhs, info = 0;
    lapack_int* pivots = static_cast<lapack_int*>(AL2(sizeof(lapack_int), n));
    dgesv_(&N, &NRHS, a, &N, pivots, b, &N, &info);
    std::free(pivots);
    return info;
}

static i64 imax(i64 a, i64 b) { return a > b ? a : b; }
static i64 imin(i64 a, i64 b) { return a < b ? a : b; }

i64 matrix_div_non_square(i64 m, i64 n, i64 nrhs, double* a, double* b) {
    if (!lapack_size(m) || !lapack_size(n) || !lapack_size(nrhs)) return -1;
    lapack_int M = (lapack_int)m, N = (lapack_int)n, NRHS = (lapack_int)nrhs;
    lapack_int ldb = (lapack_int)imax(m, n), rank = 0, info = 0, query = -1;
    i64 minmn = imin(m, n);
    double rcond = -1, asked = 0;
    double* s = static_cast<double*>(AL2(sizeof(double), minmn));
    dgelss_(&M, &N, &NRHS, a, &M, b, &ldb, s, &rcond, &rank, &asked, &query, &info);
    lapack_int lwork = work_size(asked, 3 * minmn + imax(2 * minmn, imax(ldb, nrhs)) + 100);
    if (info == 0 && lwork < 0) info = -1;
    if (info == 0) {
        double* work = static_cast<double*>(AL2(sizeof(double), lwork));
        dgelss_(&M, &N, &NRHS, a, &M, b, &ldb, s, &rcond, &rank, work, &lwork, &info);
        std::free(work);
    }
    std::free(s);
    return info;
}

// dgelsd's documented levels: max(0, int(log2(min(m, n) / (smlsiz + 1))) + 1).
constexpr i64 SMLSIZ = 25;
static i64 gelsd_levels(i64 minmn) {
    return imax(0, (i64)std::log2((double)minmn / (SMLSIZ + 1)) + 1);
}

i64 matrix_inv_non_square(i64 m, i64 n, double* a, double* out) {
    if (!lapack_size(m) || !lapack_size(n)) return -1;
    i64 ld = imax(m, n), minmn = imin(m, n), nlvl = gelsd_levels(minmn);
    std::memset(out, 0, (size_t)(ld * m) * sizeof(double));
    for (i64 i = 0; i < m; i++) out[i * ld + i] = 1;
    lapack_int M = (lapack_int)m, N = (lapack_int)n, LD = (lapack_int)ld;
    lapack_int rank = 0, info = 0, query = -1, iasked = 0;
    double rcond = -1, asked = 0;
    double* s = static_cast<double*>(AL2(sizeof(double), minmn));
    dgelsd_(&M, &N, &M, a, &M, out, &LD, s, &rcond, &rank, &asked, &query, &iasked, &info);
    lapack_int lwork = work_size(asked, 12 * minmn + 2 * minmn * SMLSIZ + 8 * minmn * nlvl +
                                            minmn * m + (SMLSIZ + 1) * (SMLSIZ + 1));
    lapack_int liwork = work_size(iasked, imax(1, 3 * minmn * nlvl + 11 * minmn));
    if (info == 0 && (lwork < 0 || liwork < 0)) info = -1;
    if (info == 0) {
        double* work = static_cast<double*>(AL2(sizeof(double), lwork));
        lapack_int* iwork = static_cast<lapack_int*>(AL2(sizeof(lapack_int), liwork));
        dgelsd_(&M, &N, &M, a, &M, out, &LD, s, &rcond, &rank, work, &lwork, iwork, &info);
        std::free(iwork);
        std::free(work);
    }
    std::free(s);
    if (info != 0) return info;
    // The n x m result, row by row.
    double* rows = static_cast<double*>(AL2(sizeof(double), n * m));
    for (i64 i = 0; i < n; i++)
        for (i64 j = 0; j < m; j++) rows[i * m + j] = out[j * ld + i];
    cprint(n, m, rows, 2);
    std::free(rows);
    return -1;
}

i64 matrix_div(i64 m, i64 n, const double* a, i64 nrhs, const double* b, i64 k) {
    (void)m, (void)n, (void)a, (void)nrhs, (void)b, (void)k;
    return 0;
}

void cprint(i64 rows, i64 columns, const void* data, i64 kind) {
    if (rows <= 0 || columns <= 0) return;
    for (i64 r = 0; r < rows; r++) {
        for (i64 c = 0; c < columns; c++) {
            i64 k = r * columns + c;
            if (kind > 1) std::printf(" %g", static_cast<const double*>(data)[k]);
            else std::printf(" %lld", (long long)static_cast<const i64*>(data)[k]);
        }
        std::putchar('\n');
    }
}
