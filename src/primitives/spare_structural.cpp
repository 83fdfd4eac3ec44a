// Typed reverse, rotate and take loops over raw buffers. Each routine is one
// template written for a destination type D and a source type S; the named
// variants only pick the types (m: integers written as doubles).
#include "primitives/spare.h"

template <class D>
static D fill_of() {
    return D(0);
}
template <>
char fill_of<char>() {
    return ' ';
}

// ---- reverse ---------------------------------------------------------------

template <class D, class S>
static void reverse_cells(D* dst, const S* src, i64 last, i64 base, i64 half, i64 len, i64 odd) {
    for (i64 i = 0; i < half; i++)
        for (i64 j = 0; j < len; j++) {
            i64 front = base + j + len * i, back = base + j + last - len * i;
            dst[front] = (D)src[back];
            dst[back] = (D)src[front];
        }
    if (odd)
        for (i64 j = 0; j < len; j++) dst[base + half * len + j] = (D)src[base + half * len + j];
}

template <class D, class S>
static void reverse_axis(D* dst, const S* src, i64 stride, i64 cells, i64 blocks, i64 len) {
    if (cells <= 0 || len <= 0) return;
    for (i64 b = 0; b < blocks; b++)
        reverse_cells(dst, src, len * (cells - 1), stride * b, cells / 2, len, cells % 2);
}

template <class D, class S>
static void reverse_vector(D* dst, const S* src, i64 n) {
    reverse_axis(dst, src, n, n, 1, 1);
}

void reversi(i64* dst, const i64* src, i64 last, i64 base, i64 half, i64 len, i64 odd) {
    reverse_cells(dst, src, last, base, half, len, odd);
}
void reversd(double* dst, const double* src, i64 last, i64 base, i64 half, i64 len, i64 odd) {
    reverse_cells(dst, src, last, base, half, len, odd);
}
void reversc(char* dst, const char* src, i64 last, i64 base, i64 half, i64 len, i64 odd) {
    reverse_cells(dst, src, last, base, half, len, odd);
}
void reversm(double* dst, const i64* src, i64 last, i64 base, i64 half, i64 len, i64 odd) {
    reverse_cells(dst, src, last, base, half, len, odd);
}

void areversi(i64* dst, const i64* src, i64 stride, i64 cells, i64 blocks, i64 len) {
    reverse_axis(dst, src, stride, cells, blocks, len);
}
void areversd(double* dst, const double* src, i64 stride, i64 cells, i64 blocks, i64 len) {
    reverse_axis(dst, src, stride, cells, blocks, len);
}
void areversc(char* dst, const char* src, i64 stride, i64 cells, i64 blocks, i64 len) {
    reverse_axis(dst, src, stride, cells, blocks, len);
}
void areversm(double* dst, const i64* src, i64 stride, i64 cells, i64 blocks, i64 len) {
    reverse_axis(dst, src, stride, cells, blocks, len);
}

void breversi(i64* dst, const i64* src, i64 n) { reverse_vector(dst, src, n); }
void breversd(double* dst, const double* src, i64 n) { reverse_vector(dst, src, n); }
void breversc(char* dst, const char* src, i64 n) { reverse_vector(dst, src, n); }
void breversm(double* dst, const i64* src, i64 n) { reverse_vector(dst, src, n); }

// ---- rotate along the first axis ------------------------------------------------

// A count reduced to 0..len-1 (len > 0); no overflow for any count.
static i64 rotation(i64 k, i64 len) {
    i64 r = k % len;
    return r < 0 ? r + len : r;
}

template <class D, class S>
static void rotate_columns(D* dst, const i64* counts, const S* src, i64 len, i64 cols) {
    if (len <= 0 || cols <= 0) return;
    for (i64 i = 0; i < cols; i++) {
        i64 k = rotation(counts[i], len);
        for (i64 j = 0; j < len; j++) dst[j * cols + i] = (D)src[((k + j) % len) * cols + i];
    }
}

static void rotate_bit_columns(i64* dst, const i64* counts, const i64* src, i64 len, i64 cols) {
    if (len <= 0 || cols <= 0) return;
    for (i64 w = 0; w < PackedWords(len * cols); w++) dst[w] = 0;
    for (i64 i = 0; i < cols; i++) {
        i64 k = rotation(counts[i], len);
        for (i64 j = 0; j < len; j++)
            if (PackedBit(src, ((k + j) % len) * cols + i)) {
                i64 p = j * cols + i;
                dst[p >> 5] |= PackedMask(p);
            }
    }
}

void rotatfxi(i64* dst, const i64* counts, const i64* src, i64 flag, i64 len, i64 cols) {
    if (flag == 0) rotate_bit_columns(dst, counts, src, len, cols);
    else rotate_columns(dst, counts, src, len, cols);
}
void rotatfxd(double* dst, const i64* counts, const double* src, i64 len, i64 cols) {
    rotate_columns(dst, counts, src, len, cols);
}
void rotatfxc(char* dst, const i64* counts, const char* src, i64 len, i64 cols) {
    rotate_columns(dst, counts, src, len, cols);
}
void rotatfxm(double* dst, const i64* counts, const i64* src, i64 len, i64 cols) {
    rotate_columns(dst, counts, src, len, cols);
}

// ---- take -----------------------------------------------------------------------

template <class D, class S>
static void take_vector(D* dst, const S* src, i64 n, i64 m, i64 sign) {
    if (n <= 0) return;
    if (m < 0) m = 0;
    i64 kept = m < n ? m : n;
    i64 pad = n - kept;
    D* to = dst;
    if (sign < 0)
        for (i64 i = 0; i < pad; i++) *to++ = fill_of<D>();
    const S* from = sign < 0 ? src + (m - kept) : src;
    for (i64 i = 0; i < kept; i++) *to++ = (D)from[i];
    if (sign >= 0)
        for (i64 i = 0; i < pad; i++) *to++ = fill_of<D>();
}

// Result place r of an axis of the result reads source place r + origin when
// taking from the end, else r; -1 when that lies outside the source.
static i64 source_place(i64 r, bool from_end, i64 origin, i64 extent) {
    i64 s = from_end ? r + origin : r;
    return s >= 0 && s < extent ? s : -1;
}

template <class D, class S>
static void take_matrix(D* dst, const i64* counts, const S* src, i64 rows, i64 cols, i64 row0,
                        i64 col0, const i64* shape, i64 dstride, i64 sstride) {
    i64 R = shape[2], C = shape[3];
    bool rows_from_end = counts[0] < 0, cols_from_end = counts[1] < 0;
    for (i64 r = 0; r < R; r++) {
        i64 sr = source_place(r, rows_from_end, row0, rows);
        D* to = dst + r * dstride;
        for (i64 c = 0; c < C; c++) {
            i64 sc = sr < 0 ? -1 : source_place(c, cols_from_end, col0, cols);
            to[c] = sc < 0 ? fill_of<D>() : (D)src[sr * sstride + sc];
        }
    }
}

void takei(i64* dst, const i64* src, i64 n, i64 m, i64 sign) { take_vector(dst, src, n, m, sign); }
void taked(double* dst, const double* src, i64 n, i64 m, i64 sign) {
    take_vector(dst, src, n, m, sign);
}
void takec(char* dst, const char* src, i64 n, i64 m, i64 sign) {
    take_vector(dst, src, n, m, sign);
}
void takem(double* dst, const i64* src, i64 n, i64 m, i64 sign) {
    take_vector(dst, src, n, m, sign);
}

void tak2i(i64* dst, const i64* counts, const i64* src, i64 rows, i64 cols, i64 row0, i64 col0,
           const i64* shape, i64 dstride, i64 sstride) {
    take_matrix(dst, counts, src, rows, cols, row0, col0, shape, dstride, sstride);
}
void tak2d(double* dst, const i64* counts, const double* src, i64 rows, i64 cols, i64 row0,
           i64 col0, const i64* shape, i64 dstride, i64 sstride) {
    take_matrix(dst, counts, src, rows, cols, row0, col0, shape, dstride, sstride);
}
void tak2c(char* dst, const i64* counts, const char* src, i64 rows, i64 cols, i64 row0, i64 col0,
           const i64* shape, i64 dstride, i64 sstride) {
    take_matrix(dst, counts, src, rows, cols, row0, col0, shape, dstride, sstride);
}
void tak2m(double* dst, const i64* counts, const i64* src, i64 rows, i64 cols, i64 row0, i64 col0,
           const i64* shape, i64 dstride, i64 sstride) {
    take_matrix(dst, counts, src, rows, cols, row0, col0, shape, dstride, sstride);
}

void PfDrpRho() {}
void PfTakRho() {}
