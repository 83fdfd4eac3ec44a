// Decode: the numbers that digit runs stand for in a mixed radix. Every radix
// row along the left operand's last axis meets every digit column along the
// right operand's first axis, as in an inner product.
#include <algorithm>
#include <cstdint>

#include "primitives/primitives.h"

// One operand seen as a grid of runs: run r, position k is element
// r * across + k * along. A one-element operand gives its element everywhere;
// an empty one gives 0 (it has no element to give).
struct runs {
    const sopnd* o;
    i64 across, along;
    template <class T>
    T at(i64 run, i64 k) const {
        if (o->d.count == 0) return 0;
        i64 i = o->one ? 0 : run * across + k * along;
        if (o->d.type == TFLOAT) return (T)((const double*)o->p)[i];
        return (T)((const i64*)o->p)[i];
    }
};

// Integers wrap modulo 2^64 (unsigned arithmetic), never overflow.
template <class T>
static void decode_all(T* out, const runs& a, const runs& b, i64 rows, i64 cols, i64 N) {
    for (i64 i = 0; i < rows; i++)
        for (i64 j = 0; j < cols; j++) {
            if (N == 0) {
                out[i * cols + j] = b.at<T>(j, 0);
                continue;
            }
            T value = b.at<T>(j, N - 1), weight = 1;
            for (i64 k = 0; k < N - 1; k++) {
                weight = weight * a.at<T>(i, N - 1 - k);
                value = value + b.at<T>(j, N - 2 - k) * weight;
            }
            out[i * cols + j] = value;
        }
}

// The digit count of every result element.
static i64 digit_count(i64 lr, i64 rr, i64 rank, i64 llast, i64 rfirst, i64 lcount, i64 rcount) {
    if (rank == 0) return std::max(lr == 0 ? 0 : lcount, rr == 0 ? 0 : rcount);
    if (rank == 1) return lr == 2 ? llast : rfirst;
    if (rank == 2) return lr == 3 ? llast : rfirst;
    return lr == 0 ? rfirst : llast;
}

static i64 product(const i64* d, i64 from, i64 to) {
    i64 p = 1;
    for (i64 k = from; k < to; k++) p *= d[k];
    return p;
}

i64 PfDecode(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    sopnd L, R;
    i64 type;
    if (NumericPair(&L, &R, &type, res, lc, lv, rc, rv)) return errchk;
    i64 lr = L.d.rank, rr = R.d.rank;
    i64* ld = static_cast<i64*>(GM_new(TINT, lr + 1));
    i64* rd = static_cast<i64*>(GM_new(TINT, rr + 1));
    if (!ld || !rd) return errchk;
    shape_of(&L.d, ld);
    shape_of(&R.d, rd);
    i64 llast = lr ? ld[lr - 1] : 0, rfirst = rr ? rd[0] : 0;
    if (lr >= 1 && rr >= 1 && L.d.count > 1 && R.d.count > 1 && llast != rfirst)
        return errchk = E_LENGTH;
    i64 rank = std::max<i64>(lr - 1, 0) + std::max<i64>(rr - 1, 0);
    i64* dims = static_cast<i64*>(GM_new(TINT, rank + 1));
    if (!dims) return errchk;
    i64 nd = 0;
    for (i64 k = 0; k + 1 < lr; k++) dims[nd++] = ld[k];
    for (i64 k = 1; k < rr; k++) dims[nd++] = rd[k];
    // An empty result computes nothing; the products of its other axes
    // need not fit in 64 bits.
    i64 count;
    if (ShapeCount(dims, rank, type, &count)) return errchk;
    i64 rows = count ? product(ld, 0, lr - 1) : 0, cols = count ? product(rd, 1, rr) : 0;
    i64 N = digit_count(lr, rr, rank, llast, rfirst, L.d.count, R.d.count);
    if (NewResult(res, type, rank, dims, count)) return errchk;
    sopnd_refresh(&L);
    sopnd_refresh(&R);
    runs a{&L, llast, 1}, b{&R, 1, cols};
    void* out = getptV(&vtable[res]);
    if (type == TFLOAT) {
        decode_all<double>((double*)out, a, b, rows, cols, N);
        return errchk = 0;
    }
    decode_all<uint64_t>((uint64_t*)out, a, b, rows, cols, N);
    // Sums of boolean digits can pass 1: such a result is integer.
    if (type == TBOOL) BooleanOrInteger(res, (const i64*)out, count);
    return errchk = 0;
}
