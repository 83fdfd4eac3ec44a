// The spare kernel library: typed reverse, rotate and take loops, older
// search, sort and numeric routines, and the packed-boolean kernels. No
// primitive calls them; they work on plain buffers and counts given by the
// caller. A negative or zero count means nothing to do. None of them ends the
// process: a routine that can fail prints its message on standard output and
// returns the failure stated beside it.
#pragma once
#include <cstddef>
#include <cstdio>

#include "values/values.h"

// ---- packed booleans ---------------------------------------------------------
// 32 booleans to a 64-bit word: element p at bit 31 - p % 32 of word p / 32
// (the bit 0x80000000 shifted right by p % 32); the upper 32 bits of every
// word and the bits past the last element are 0.
inline i64 PackedWords(i64 n) { return n > 0 ? (n + 31) / 32 : 0; }
inline i64 PackedMask(i64 p) { return (i64)(0x80000000u >> (p & 31)); }
inline bool PackedBit(const i64* w, i64 p) { return (w[p >> 5] & PackedMask(p)) != 0; }

// ---- reverse, rotate and take loops ------------------------------------------
// Variants by the last letter: i 64-bit integers, d doubles, c characters,
// m 64-bit integers written as doubles. dst and src never overlap.

// Reverses the cells (runs of len elements) of one block starting at base:
// last = len * (cells - 1), half = cells / 2; odd non-zero copies the middle cell.
void reversi(i64* dst, const i64* src, i64 last, i64 base, i64 half, i64 len, i64 odd);
void reversd(double* dst, const double* src, i64 last, i64 base, i64 half, i64 len, i64 odd);
void reversc(char* dst, const char* src, i64 last, i64 base, i64 half, i64 len, i64 odd);
void reversm(double* dst, const i64* src, i64 last, i64 base, i64 half, i64 len, i64 odd);

// Reverse along one axis: blocks of stride = cells * len elements, each
// holding cells cells of len elements.
void areversi(i64* dst, const i64* src, i64 stride, i64 cells, i64 blocks, i64 len);
void areversd(double* dst, const double* src, i64 stride, i64 cells, i64 blocks, i64 len);
void areversc(char* dst, const char* src, i64 stride, i64 cells, i64 blocks, i64 len);
void areversm(double* dst, const i64* src, i64 stride, i64 cells, i64 blocks, i64 len);

// Reverse of a vector of n elements.
void breversi(i64* dst, const i64* src, i64 n);
void breversd(double* dst, const double* src, i64 n);
void breversc(char* dst, const char* src, i64 n);
void breversm(double* dst, const i64* src, i64 n);

// Rotation along the first axis of a len x cols row-major array, column i by
// counts[i] (taken mod len): result row j is source row (k + j) mod len.
// rotatfxi with flag 1 moves 64-bit words; with flag 0 packed booleans
// (len * cols bits, the destination's words cleared first).
void rotatfxi(i64* dst, const i64* counts, const i64* src, i64 flag, i64 len, i64 cols);
void rotatfxd(double* dst, const i64* counts, const double* src, i64 len, i64 cols);
void rotatfxc(char* dst, const i64* counts, const char* src, i64 len, i64 cols);
void rotatfxm(double* dst, const i64* counts, const i64* src, i64 len, i64 cols);

// Vector take of n elements from m: sign >= 0 takes the first ones and pads
// after them, sign < 0 the last ones with the padding first. Fill 0, 0.0 or a
// blank.
void takei(i64* dst, const i64* src, i64 n, i64 m, i64 sign);
void taked(double* dst, const double* src, i64 n, i64 m, i64 sign);
void takec(char* dst, const char* src, i64 n, i64 m, i64 sign);
void takem(double* dst, const i64* src, i64 n, i64 m, i64 sign);

// Matrix take from a rows x cols source into an R x C result, R and C in
// shape[2] and shape[3]; rows of the result start every dstride elements,
// rows of the source every sstride. counts[0] (counts[1]) negative takes rows
// (columns) from the end: result row r is source row r + row0 (column c is
// column c + col0), so row0 = rows - R and col0 = cols - C. Result places
// whose source lies outside the source get the fill.
void tak2i(i64* dst, const i64* counts, const i64* src, i64 rows, i64 cols, i64 row0, i64 col0,
           const i64* shape, i64 dstride, i64 sstride);
void tak2d(double* dst, const i64* counts, const double* src, i64 rows, i64 cols, i64 row0,
           i64 col0, const i64* shape, i64 dstride, i64 sstride);
void tak2c(char* dst, const i64* counts, const char* src, i64 rows, i64 cols, i64 row0, i64 col0,
           const i64* shape, i64 dstride, i64 sstride);
void tak2m(double* dst, const i64* counts, const i64* src, i64 rows, i64 cols, i64 row0, i64 col0,
           const i64* shape, i64 dstride, i64 sstride);

// Drop and take of a shape: no effect.
void PfDrpRho();
void PfTakRho();

// ---- search and packed bits ----------------------------------------------------
// Membership of doubles in integers (membspm) and of integers in doubles
// (membspn), the integers compared as doubles, exactly: packed answers in
// PackedWords(nL) words, through the paths of membspd.
void membspm(i64* out, const double* L, i64 nL, const i64* R, i64 nR);
void membspn(i64* out, const i64* L, i64 nL, const double* R, i64 nR);
// Over n packed bits: mode 1 whether any is 1, mode 0 whether any is 0;
// other modes 0.
i64 membsp0b(i64 mode, const i64* bits, i64 n);
// The number of 1 bits among n packed elements.
i64 no_of_ones(i64 n, const i64* bits);
// Prints n packed bits as " 1" or " 0", a newline after every 32.
void prntbool(const i64* bits, i64 n);
// Reads n integers 0 or 1 from a text file into PackedWords(n) words.
// Returns 0, or -1 when a value is missing or not 0 or 1 (out then holds the
// bits read before it, the rest 0).
i64 passparmb(FILE* file, i64 n, i64* out);

// ---- grade by heap sort --------------------------------------------------------
// Bytes of n elements of a type: boolean (n + 7) / 8, integer and float 8n,
// character n, other types 0; -1 when the size does not fit in 64 bits.
i64 TotalBytes(i64 type, i64 n);
// Origin-based indices that sort n integers or floats (TINT, TFLOAT) up, or
// down for direction -1; equal keys in no particular order. Returns 0, or -1
// with out in index order for any other type (booleans and characters print
// why) or when the copy of the keys cannot be allocated.
i64 a_grade(const void* data, i64 type, i64* out, i64 origin, i64 n, i64 direction);
// In-place heap sort of n keys ascending, moving idx along. sortD puts NaN
// above every number.
void sortI(i64 n, i64* keys, i64* idx);
void sortD(i64 n, double* keys, i64* idx);
// Whether the keys graded to places i and j of idx (origin-based indices
// into keys) are equal; doubles exactly.
bool compeqI(const i64* keys, const i64* idx, i64 origin, i64 i, i64 j);
bool compeqD(const double* keys, const i64* idx, i64 origin, i64 i, i64 j);
// 1 when keys[j] >= keys[i] (compup) or keys[j] < keys[i] (compdn);
// characters as signed bytes.
i64 compupI(const i64* keys, i64 i, i64 j);
i64 compupD(const double* keys, i64 i, i64 j);
i64 compupC(const char* keys, i64 i, i64 j);
i64 compdnI(const i64* keys, i64 i, i64 j);
i64 compdnD(const double* keys, i64 i, i64 j);
i64 compdnC(const char* keys, i64 i, i64 j);
// qsort comparator of signed 64-bit integers ascending: -1, 0 or 1.
int qcompIndx(const void* a, const void* b);
// The allocator of the routines that report a failed allocation (a_grade,
// a_fmtI, a_fmtD): std::realloc unless replaced.
extern void* (*spare_realloc)(void* block, size_t bytes);

// ---- factorial and binomial ----------------------------------------------------
// n! for 0 <= n <= 12; 0 with a message for n < 0, -1 with a message above 12.
i64 ifac(i64 n);
// n! as a double (infinity beyond 170); 0 with a message for n < 0.
double efac(i64 n);
// n over k as a double; 0 when n < k; 0 with a message for a negative argument.
double ebin(i64 k, i64 n);

// ---- text of number vectors -----------------------------------------------------
// Heap strings (freed with std::free) of n numbers; null after a message
// when memory runs out. a_fmtI separates the integers by one blank; a_fmtD
// writes each double in a field of width p, shortened by a_pack.
char* a_fmtI(const i64* x, i64 ignored, i64 n);
char* a_fmtD(const double* x, i64 p, i64 n);
// Shortens a number text in place and appends one blank; size is the
// buffer's capacity. Returns the new length, or -1 (text unchanged) when the
// blank does not fit.
i64 a_pack(char* text, i64 size);
// Prints one double in at most 7 significant digits, then a blank.
void a_prtD0(double x);

// ---- numeric and system routines --------------------------------------------------
// One step of the generator seed := seed * 16807 mod (2^31 - 1); returns n
// times seed / (2^31 - 1). The seed starts at 16807.
extern i64 randomn_seed;
double randomn(i64 n);
// Inverse of an n x n row-major matrix a (left unchanged) into out, n at most
// 100. Returns 0; -1 with a message when n is above 100; 1 when a is singular.
constexpr i64 MAT_INVERSE_MAX = 100;
i64 mat_inverse(const double* a, double* out, i64 n);
// LU decomposition in place with implicit partial pivoting: pivots gets the
// row exchanged with each row, parity +1 or -1. Returns 0, or 1 with a
// message when a row is all zeros.
i64 ludcmp(double* a, i64 n, i64* pivots, double* parity);
// Solves LU x = b in place after ludcmp. Returns 0, or -1 when a pivot lies
// outside 0..n-1 (b then unchanged).
i64 lubksb(const double* lu, i64 n, const i64* pivots, double* b);
// LAPACK wrappers on column-major matrices; each returns LAPACK's INFO
// (0 success), or -1 when a size is not positive or too large for LAPACK.
// a is overwritten. matrix_div_square solves a x = b, n x n by n x nrhs.
i64 matrix_div_square(i64 n, i64 nrhs, double* a, double* b);
// Least squares of an m x n a against b of max(m, n) x nrhs (leading
// dimension max(m, n)); the solution in the first n rows of b.
i64 matrix_div_non_square(i64 m, i64 n, i64 nrhs, double* a, double* b);
// Pseudo-inverse of an m x n a: out (max(m, n) x m, leading dimension
// max(m, n)) holds it in its first n rows, and it is printed row by row.
// Returns -1 when it succeeded, else LAPACK's INFO.
i64 matrix_inv_non_square(i64 m, i64 n, double* a, double* out);
// No effect; 0.
i64 matrix_div(i64 m, i64 n, const double* a, i64 nrhs, const double* b, i64 k);
// Prints a rows x columns row-major matrix: kind above 1 doubles (" %g"),
// else 64-bit integers (" %lld"); a newline after each row.
void cprint(i64 rows, i64 columns, const void* data, i64 kind);
// A block of at least ALLOC_BYTES bytes of its own from the checked
// allocator (the caller frees it); *usable gets the number of elements of
// type kind it holds (0 for types TotalBytes sizes as 0).
constexpr i64 ALLOC_BYTES = 100000;
void* alloc(i64 kind, i64* usable);
// fopen; null with a message when the file will not open.
FILE* a_fopen(const char* path, const char* mode);
// The processor time used, in seconds.
double apl_sec();

// ---- packed-boolean kernels ---------------------------------------------------------
// Results that are whole packed vectors fill PackedWords(n) words with 0
// past the last element; the routines that OR into a destination touch only
// the bits they are given. A bit position wordIndex * 32 + bitOffset needs
// a word index >= 0 and an offset 0..31.

// Unpacks n bits into out[start...] (boolcv) or from bit offset of in into
// out[0...] (boolcv1).
void boolcvi(i64* out, const i64* in, i64 start, i64 n);
void boolcvd(double* out, const i64* in, i64 start, i64 n);
void boolcv1i(i64* out, const i64* in, i64 offset, i64 n);
void boolcv1d(double* out, const i64* in, i64 offset, i64 n);
// Copies n bits to bit 0 of out: from bit 0 when offset < 0, else from bit offset.
void bitsmove(i64* out, const i64* in, i64 n, i64 offset);
// ORs the complement of n bits of in (bitsmovc), the n bits themselves
// (bitsmov0), or a 32-bit pattern repeated (bitsmovs) into out from bit
// word * 32 + shift.
void bitsmovc(i64* out, const i64* in, i64 word, i64 n, i64 shift);
void bitsmov0(i64* out, const i64* in, i64 word, i64 n, i64 shift);
void bitsmovs(i64* out, i64 pattern, i64 word, i64 n, i64 shift);
// Writes n bits of in from bit word * 32 + offset at the cursor (qw, qi) of
// out and advances the cursor; bitsmov1_reset puts it at bit 0.
extern i64 qw, qi;
void bitsmov1_reset();
void bitsmov1(i64* out, const i64* in, i64 word, i64 offset, i64 n);
// origin + the index of the first 0 (1) bit among n; origin + n when none.
i64 findfst0(const i64* bits, i64 n, i64 origin);
i64 findfst1(const i64* bits, i64 n, i64 origin);
// Index-of for booleans: for each of nI items, the first equal bit among nS.
void boolidxof(i64* out, const i64* searched, const i64* items, i64 nS, i64 nI, i64 origin);
// Index-of in one boolean: origin for each equal item, origin + 1 otherwise.
void bol1idxof(i64* out, i64 searched, const i64* items, i64 n, i64 origin);
// Fills nOut bits by repeating the nIn bits of in (zeros when nIn <= 0).
void wrapmove(i64* out, const i64* in, i64 nOut, i64 nIn);
// start + the number of 1 bits among the first n (all 32) elements of a word.
i64 count3b0(i64 word, i64 n, i64 start);
i64 count32b(i64 word, i64 start);
// The count of 1 bits in each of groups runs of len bits.
void breductv(i64* out, const i64* in, i64 groups, i64 len);
// The number of 1 bits among n.
i64 breduct0(const i64* bits, i64 n);
// out[i]: the number of 1 bits among the first i + 1.
void bscan0(i64* out, const i64* in, i64 n);
// One step of the not-equal scan: for each of n bits of in from bit
// word * 32 + offset, *state ^= the bit, and result bit base + i is set
// when *state is 1.
void bscan20(i64* out, const i64* in, i64* state, i64 word, i64 n, i64 offset, i64 base);
// Not-equal scan over each row of len bits (gscan20m), or over n bits (gscan20v).
void gscan20m(i64* out, const i64* in, i64 n, i64 len);
void gscan20v(i64* out, const i64* in, i64 n);
// Sets n bits to 1 from bit word * 32 + offset.
void copybits1(i64* bits, i64 offset, i64 word, i64 n);
// Row reductions of groups runs of len bits: or (aplbit0; flag unused) and
// and (aplbit1). Column reductions of a rows x cols bit matrix: or (aplbit2)
// and and (aplbit3). An empty run gives 0 for or, 1 for and.
void aplbit0(i64* out, i64 flag, i64 groups, i64 len, const i64* in);
void aplbit1(i64 groups, i64 len, i64* out, const i64* in);
void aplbit2(i64 cols, i64 rows, i64* out, const i64* in);
void aplbit3(i64 cols, i64 rows, i64* out, const i64* in);
// Sets the first n bits to 1.
void all1s(i64* bits, i64 n);
