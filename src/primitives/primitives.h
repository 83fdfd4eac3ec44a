// Array primitives: structural, selection, search, order, logic, numeric and
// list primitives. Every routine takes its result slot and operand pairs
// (constant index, value index) and returns an error code, also in errchk.
#pragma once
#include "values/operand.h"

// ---- structural ------------------------------------------------------------
i64 PfTake(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 fromEvaluator);
i64 PfDrop(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfCompre(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfExpand(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 GenReshp(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 GenRho(i64 res, i64 rc, i64 rv);
i64 PfGenRoro(i64 res, i64 rc, i64 rv);
i64 PfRavel(i64 res, i64 rc, i64 rv);
i64 PfCatena(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfLami(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfRevers(i64 code, i64 res, i64 rc, i64 rv);
i64 PfRotate(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfTransp(i64 res, i64 rc, i64 rv);
i64 DpfTransp(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io);

// ---- search, order, numbers ------------------------------------------------
i64 PfMembsp(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 GenIdxof(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io);
i64 PfIota(i64 res, i64 rc, i64 rv, i64 io);
i64 PfGrade(i64 code, i64 res, i64 rc, i64 rv, i64 io);
i64 PfDecode(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfEncode(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfLogic(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfRandom(i64 res, i64 rc, i64 rv, i64 io);
i64 PfDeal(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io);
i64 PfInvert(i64 res, i64 rc, i64 rv);
i64 PfDivide(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);

// ---- cut, dot, check, lists ------------------------------------------------
i64 PfPart1(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfDots(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfCheck0(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
i64 PfUnpack(i64 res, i64 rc, i64 rv);
i64 PfPack(i64 res, i64 rc, i64 rv);
i64 PfType(i64 res, i64 rc, i64 rv);
i64 PfUnique(i64 res, i64 rc, i64 rv);
i64 PfCount(i64 res, i64 rc, i64 rv);
i64 PfFirst(i64 res, i64 rc, i64 rv);
i64 PfRaze(i64 res, i64 rc, i64 rv);
i64 PfWhere(i64 res, i64 rc, i64 rv, i64 io);
i64 PfGroup(i64 res, i64 rc, i64 rv, i64 io);
i64 PfParct(i64 res, i64 rc, i64 rv, i64 io);

// ---- list literal, multiple assignment, time stamp --------------------------
i64 GenAlist(i64 res, i64 c, i64 v, i64* cidx, i64* vidx, i64 n);
i64 PfAsslst(i64 c, i64 v, i64* cidx, i64* vidx, i64 n, i64 rc, i64 rv);
i64 PfQdzeroTS(i64 res);

// ---- small routines and kernels -------------------------------------------
void PfErrMsg(i64 code);
void PfPurge();
void PfGenbScan(i64 n);
i64 GenTempFortran(i64 lc, i64 lv, i64 rc, i64 rv, i64 a, i64 b);
i64 PfRest(i64 res, i64 rc, i64 rv);
// A square row-major matrix a (overwritten) inverted into out; LAPACK's INFO,
// or NO_PIVOTS when its working storage cannot be had.
constexpr i64 NO_PIVOTS = INT64_MIN;
i64 matrix_inv_square(i64 n, double* a, double* out);
// Grades n elements (a_grade_new) or n rows of len elements (a_grade_new1)
// into origin-based indices; direction 1 up, -1 down. E_WS_FULL when their
// working storage cannot be had.
i64 a_grade_new(const void* data, i64 type, i64* out, i64 origin, i64 n, i64 direction);
i64 a_grade_new1(const void* data, i64 type, i64* out, i64 origin, i64 n, i64 direction, i64 len);
void idxofi(i64* out, const i64* R, i64 nR, const i64* V, i64 nV, i64 origin);
void membspc(i64* out, const char* L, i64 nL, const char* R, i64 nR);
void membspi(i64* out, const i64* L, i64 nL, const i64* R, i64 nR);
void membspd(i64* out, const double* L, i64 nL, const double* R, i64 nR);
// Complex kernels take (real, imaginary) pairs.
void membspx(i64* out, const double* L, i64 nL, const double* R, i64 nR);
void idxofc(i64* out, const char* S, i64 nS, const char* V, i64 nV, i64 origin);
void idxofd(i64* out, const double* S, i64 nS, const double* V, i64 nV, i64 origin);
void idxofm(i64* out, const double* S, i64 nS, const i64* V, i64 nV, i64 origin);
void idxofn(i64* out, const i64* S, i64 nS, const double* V, i64 nV, i64 origin);
void idxofx(i64* out, const double* S, i64 nS, const double* V, i64 nV, i64 origin);
// Exact float index-of (0.0 and -0.0 alike, NaN found nowhere).
void idxofe(i64* out, const double* S, i64 nS, const double* V, i64 nV, i64 origin);

// ---- structural helpers ------------------------------------------------------
// The result of compress and expand with an empty left: an empty integer
// vector; E_LENGTH when the right has more than one element.
i64 EmptySelection(i64 res, const sopnd* r);
// Element map of a selection made axis by axis: along axis i, result
// position p takes source position pos[i][p] (-1: fill); rdims are the
// result's dimensions, sdims the source's. A scratch array of count words;
// nullptr when count is 0, and (E_WS_FULL in errchk) when a position list is
// missing or the scratch cannot be had.
i64* AxisMap(i64 rank, const i64* rdims, const i64* sdims, i64* const* pos, i64 count);
// Positions 0 to n-1 in a scratch array: an axis kept as it is; nullptr
// without scratch.
i64* AxisWhole(i64 n);
// An operand's elements as the type of a promoted result (boolean and
// integer to float or complex, float to complex), re-read after allocation;
// nullptr (E_WS_FULL in errchk) when a widening cannot be had.
const char* OperandAs(sopnd* o, i64 type);
// Writes n elements of width w at to: the single element n times, or the n
// elements from element off of src. Returns the end of what it wrote.
char* PutRun(char* to, const char* src, bool single, i64 off, i64 n, i64 w);
// The last-axis form (lastcode) of an axis code of compress or expand;
// E_AXIS past the rank, E_NOT_BUILT for a middle axis.
i64 AxisForm(i64 code, i64 lastcode, i64 rank, i64* form);
// The start of compress and expand: *code made the form it is served by (an
// axis form base + d by AxisForm; last and first as they are; any other code
// E_NOT_BUILT), the right operand loaded into *r, the operand registers set
// and *l the left operand.
i64 SelectionStart(i64* code, i64 base, i64 last, i64 first, i64 res, i64 lc, i64 lv, i64 rc,
                   i64 rv, sopnd* r, const val_item** l);
// Decode and encode take numbers only: both operands loaded, *type the
// larger of their types; E_DOMAIN for anything else.
i64 NumericPair(sopnd* l, sopnd* r, i64* type, i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// A boolean result whose count elements from x include one that is not 0
// or 1 (a sum of booleans) becomes an integer result.
void BooleanOrInteger(i64 res, const i64* x, i64 count);
// Take by counts already in 64-bit words (take and drop share it).
i64 TakeCounts(i64 res, const i64* counts, i64 ncounts, i64 lrank, i64 rc, i64 rv);
// Deep equality of two values: type, rank, count and every element alike.
bool PfCheck1(const val_item* a, const val_item* b);
