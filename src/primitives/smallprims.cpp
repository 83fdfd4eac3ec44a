// Small routines beside the array primitives: factorial, the matrix-divide
// entry, the end-of-statement hook, the fallback for a monadic code without
// a routine, and the column-major operand copy.
#include <cmath>

#include "primitives/primitives.h"
#include "values/registers.h"

// Matrix divide has no computation yet: it says so instead of reporting a
// success that built no result.
i64 PfDivide(i64, i64, i64, i64, i64) { return errchk = E_NOT_BUILT; }

void PfPurge() {}

// A monadic function code without a routine: the error says so; no text is
// written to the shared output cursor, which need not point anywhere.
void PfErrMsg(i64) { errchk = E_NOT_BUILT; }

void PfGenbScan(i64) {}

// One operand to doubles in a scratch buffer; a matrix goes column by column.
static i64 fortran_copy(i64 c, i64 v, i64 which) {
    val_item* x = opnd(c, v);
    i64 n = x->count;
    if (n == 0) return 0;
    if (x->type > TFLOAT) return errchk = E_DOMAIN;
    if (Incstktpt(n, which, TFLOAT)) return errchk;
    double* out = reinterpret_cast<double*>(cad0);
    const void* in = getptV(x);
    i64 rows = x->rank == 2 ? x->dim0 : n, cols = x->rank == 2 ? x->dim1 : 1;
    for (i64 i = 0; i < rows; i++)
        for (i64 j = 0; j < cols; j++) {
            i64 k = i * cols + j;
            double d = x->type == TFLOAT ? static_cast<const double*>(in)[k]
                                         : (double)static_cast<const i64*>(in)[k];
            out[i + rows * j] = d;
        }
    return 0;
}

i64 GenTempFortran(i64 lc, i64 lv, i64 rc, i64 rv, i64, i64) {
    if ((lc >= 0 || lv >= 0) && fortran_copy(lc, lv, 1)) return errchk;
    if ((rc >= 0 || rv >= 0) && fortran_copy(rc, rv, 2)) return errchk;
    return 0;
}
