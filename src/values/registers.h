// The operand registers: every primitive describes its operands through
// these globals (SetNames) before it runs its kernels, and may widen them
// into scratch doubles or complex numbers. They are global and not
// re-entrant: one primitive application loads them at a time. They live
// with the value store because the collector refreshes their data views.
#pragma once
#include "values/values.h"

// ---- operand registers ------------------------------------------------------

// Left operand.
extern i64 ltyp, lrnk, llgth, llgth1;
extern i64 lop0, lop1;  // single integer-like element (both the same)
extern double lop2;     // single float-like element
extern char lop3;       // single character element
extern val_item* lo0;   // data of a non-single operand, by view
extern i64* lo1;
extern double* lo2;
extern char* lo3;
extern i64 ldim0, ldim1, ld1;
extern void* lcad;  // element address (inline word for one element)

// Right operand.
extern i64 rtyp, rrnk, rlgth, rlgth1;
extern i64 rop0, rop1;
extern double rop2;
extern char rop3;
extern val_item* ro0;
extern i64* ro1;
extern double* ro2;
extern char* ro3;
extern i64 rdim0, rdim1, rd1;
extern void* rcad;

// Operands whose cached data pointers the collector refreshes:
// value slot, negated constant index, 0 = none.
extern i64 gclx, gcrx;

// Result (target) registers.
extern i64 ttyp, trnk, tlgth, tlgth1;

// Mixed arithmetic: the larger operand type is float and the types differ.
extern char dtyp;

// Second right operand (SetNames1), used by indexed assignment.
extern i64 rlgth_1, rop_0, rop_1;
extern i64* ro_0;
extern i64* ro_1;
extern i64 rdim_0, rdim_1, rd_1;

// Loads the registers of the operand pairs and the target slot that kind
// names: 1 right and target, 2 target, 3 left and right, 4 left and target,
// 5 right; any other kind all three. With flag 0 the target's data cursors
// (p0..p3) are set as well.
void SetNames(i64 flag, i64 kind, i64 target, i64 lc, i64 lv, i64 rc, i64 rv);
// Loads the second right operand; E_RANK unless it is boolean or integer.
void SetNames1(i64 c, i64 v);

// ---- operand widening -------------------------------------------------------
// Scratch copies of the loaded operands as doubles or complex numbers; they
// live until the end of the primitive application.

extern double ltm, rtm;  // a single left or right element as a double
extern double* ltmp;     // left elements widened (complex: pairs)
extern double* rtmp;     // right elements widened (complex: pairs)

i64 GenTemp(i64 lc, i64 lv, i64 rc, i64 rv);
i64 GenTempComplex(i64 lc, i64 lv, i64 rc, i64 rv);
// Scratch of n elements of type for the widened left (which 1) or right
// (which 2) operand, left in ltmp or rtmp and in cad0.
i64 Incstktpt(i64 n, i64 which, i64 type);
