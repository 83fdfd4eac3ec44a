// The LAPACK routines the primitives call, in the Fortran convention: every
// argument by address, matrices in column order.
#pragma once

// The Fortran INTEGER of the linked LAPACK: Debian's reference library is
// built with 32-bit integers. Every integer argument is this type, never a
// 64-bit word.
typedef int lapack_int;
static_assert(sizeof(lapack_int) == 4, "the linked LAPACK takes 32-bit INTEGER arguments");

extern "C" {
// Solves A X = B by LU factorisation with partial pivoting.
void dgesv_(const lapack_int* n, const lapack_int* nrhs, double* a, const lapack_int* lda,
            lapack_int* ipiv, double* b, const lapack_int* ldb, lapack_int* info);
// Least squares by the singular value decomposition.
void dgelss_(const lapack_int* m, const lapack_int* n, const lapack_int* nrhs, double* a,
             const lapack_int* lda, double* b, const lapack_int* ldb, double* s,
             const double* rcond, lapack_int* rank, double* work, const lapack_int* lwork,
             lapack_int* info);
// Least squares by the divide-and-conquer singular value decomposition.
void dgelsd_(const lapack_int* m, const lapack_int* n, const lapack_int* nrhs, double* a,
             const lapack_int* lda, double* b, const lapack_int* ldb, double* s,
             const double* rcond, lapack_int* rank, double* work, const lapack_int* lwork,
             lapack_int* iwork, lapack_int* info);
}
