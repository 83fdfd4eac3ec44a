// Kernels over booleans packed 32 to a word (layout in spare.h). Runs of bits
// move a word-sized chunk at a time: a chunk holds up to 32 bits aligned at
// bit 31, the way a word holds its elements.
#include <bit>
#include <cstdint>

#include "primitives/spare.h"

typedef uint32_t chunk;

// The first k bits (1..32) of a chunk.
static chunk top_bits(i64 k) { return k >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> k); }

// Bits pos .. pos + k - 1 of in (k 1..32), reading no word past the last.
static chunk read_chunk(const i64* in, i64 pos, i64 k) {
    i64 w = pos >> 5, s = pos & 31;
    chunk c = (chunk)in[w] << s;
    if (s > 0 && s + k > 32) c |= (chunk)in[w + 1] >> (32 - s);
    return c & top_bits(k);
}

// ORs the first k bits of c into out from bit pos.
static void or_chunk(i64* out, i64 pos, chunk c, i64 k) {
    i64 w = pos >> 5, s = pos & 31;
    c &= top_bits(k);
    out[w] |= (i64)(c >> s);
    if (s > 0 && s + k > 32) out[w + 1] |= (i64)(chunk)(c << (32 - s));
}

// Writes the first k bits of c at bit pos, replacing what was there.
static void put_chunk(i64* out, i64 pos, chunk c, i64 k) {
    i64 w = pos >> 5, s = pos & 31;
    chunk keep = top_bits(k);
    out[w] &= ~(i64)(keep >> s);
    if (s > 0 && s + k > 32) out[w + 1] &= ~(i64)(chunk)(keep << (32 - s));
    or_chunk(out, pos, c, k);
}

static i64 chunk_len(i64 n, i64 i) { return n - i < 32 ? n - i : 32; }

// A bit position word * 32 + offset; -1 when the word or the offset is invalid.
static i64 bit_position(i64 word, i64 offset) {
    return word >= 0 && offset >= 0 && offset < 32 ? word * 32 + offset : -1;
}

static void clear_words(i64* out, i64 n) {
    for (i64 w = 0; w < PackedWords(n); w++) out[w] = 0;
}

static i64 ones_in(const i64* in, i64 pos, i64 n) {
    i64 count = 0;
    for (i64 i = 0; i < n; i += 32)
        count += std::popcount(read_chunk(in, pos + i, chunk_len(n, i)));
    return count;
}

// ---- conversion and copying --------------------------------------------------------

template <class T>
static void unpack(T* out, const i64* in, i64 from, i64 n) {
    for (i64 i = 0; i < n; i++) out[i] = PackedBit(in, from + i) ? 1 : 0;
}

void boolcvi(i64* out, const i64* in, i64 start, i64 n) {
    if (start >= 0 && n > 0) unpack(out + start, in, 0, n);
}
void boolcvd(double* out, const i64* in, i64 start, i64 n) {
    if (start >= 0 && n > 0) unpack(out + start, in, 0, n);
}
void boolcv1i(i64* out, const i64* in, i64 offset, i64 n) {
    if (offset >= 0) unpack(out, in, offset, n);
}
void boolcv1d(double* out, const i64* in, i64 offset, i64 n) {
    if (offset >= 0) unpack(out, in, offset, n);
}

// Each output word is built whole before it is stored, and reads only bits
// at or after its own, so out may be in itself.
void bitsmove(i64* out, const i64* in, i64 n, i64 offset) {
    i64 from = offset < 0 ? 0 : offset;
    for (i64 i = 0; i < n; i += 32) out[i >> 5] = (i64)read_chunk(in, from + i, chunk_len(n, i));
}

// ORs n bits into out from bit pos; source(i, k) gives the chunk of bits i...
template <class Source>
static void or_run(i64* out, i64 pos, i64 n, Source source) {
    if (pos < 0) return;
    for (i64 i = 0; i < n; i += 32) {
        i64 k = chunk_len(n, i);
        or_chunk(out, pos + i, source(i, k), k);
    }
}

void bitsmovc(i64* out, const i64* in, i64 word, i64 n, i64 shift) {
    or_run(out, bit_position(word, shift), n, [in](i64 i, i64 k) { return ~read_chunk(in, i, k); });
}
void bitsmov0(i64* out, const i64* in, i64 word, i64 n, i64 shift) {
    or_run(out, bit_position(word, shift), n, [in](i64 i, i64 k) { return read_chunk(in, i, k); });
}
void bitsmovs(i64* out, i64 pattern, i64 word, i64 n, i64 shift) {
    or_run(out, bit_position(word, shift), n, [pattern](i64, i64) { return (chunk)pattern; });
}
void copybits1(i64* bits, i64 offset, i64 word, i64 n) {
    or_run(bits, bit_position(word, offset), n, [](i64, i64) { return 0xFFFFFFFFu; });
}

i64 qw = 0, qi = 0;

void bitsmov1_reset() { qw = qi = 0; }

void bitsmov1(i64* out, const i64* in, i64 word, i64 offset, i64 n) {
    i64 from = bit_position(word, offset), to = bit_position(qw, qi);
    if (from < 0 || to < 0 || n <= 0) return;
    for (i64 i = 0; i < n; i += 32) {
        i64 k = chunk_len(n, i);
        put_chunk(out, to + i, read_chunk(in, from + i, k), k);
    }
    qw = (to + n) >> 5;
    qi = (to + n) & 31;
}

void all1s(i64* bits, i64 n) {
    for (i64 i = 0; i < n; i += 32) bits[i >> 5] = (i64)top_bits(chunk_len(n, i));
}

void wrapmove(i64* out, const i64* in, i64 nOut, i64 nIn) {
    clear_words(out, nOut);
    if (nIn <= 0) return;
    for (i64 i = 0, j = 0; i < nOut; i++, j = j + 1 == nIn ? 0 : j + 1)
        if (PackedBit(in, j)) out[i >> 5] |= PackedMask(i);
}

// ---- search --------------------------------------------------------------------------

// The index of the first bit among n equal to want; n when none.
static i64 first_bit(const i64* bits, i64 n, bool want) {
    for (i64 i = 0; i < n; i += 32) {
        i64 k = chunk_len(n, i);
        chunk c = read_chunk(bits, i, k);
        if (!want) c = ~c & top_bits(k);
        if (c) return i + std::countl_zero(c);
    }
    return n > 0 ? n : 0;
}

i64 findfst0(const i64* bits, i64 n, i64 origin) { return origin + first_bit(bits, n, false); }
i64 findfst1(const i64* bits, i64 n, i64 origin) { return origin + first_bit(bits, n, true); }

void boolidxof(i64* out, const i64* searched, const i64* items, i64 nS, i64 nI, i64 origin) {
    i64 at0 = findfst0(searched, nS, origin), at1 = findfst1(searched, nS, origin);
    for (i64 i = 0; i < nI; i++) out[i] = PackedBit(items, i) ? at1 : at0;
}

void bol1idxof(i64* out, i64 searched, const i64* items, i64 n, i64 origin) {
    for (i64 i = 0; i < n; i++)
        out[i] = PackedBit(items, i) == (searched != 0) ? origin : origin + 1;
}

// ---- counts and scans -------------------------------------------------------------------

i64 count3b0(i64 word, i64 n, i64 start) {
    if (n <= 0) return start;
    return start + std::popcount((chunk)word & top_bits(n));
}

i64 count32b(i64 word, i64 start) { return start + std::popcount((chunk)word); }

i64 breduct0(const i64* bits, i64 n) { return ones_in(bits, 0, n); }

void breductv(i64* out, const i64* in, i64 groups, i64 len) {
    for (i64 g = 0; g < groups; g++) out[g] = ones_in(in, g * (len > 0 ? len : 0), len);
}

void bscan0(i64* out, const i64* in, i64 n) {
    i64 count = 0;
    for (i64 i = 0; i < n; i++) out[i] = count += PackedBit(in, i);
}

void bscan20(i64* out, const i64* in, i64* state, i64 word, i64 n, i64 offset, i64 base) {
    i64 from = bit_position(word, offset);
    if (from < 0 || base < 0) return;
    for (i64 i = 0; i < n; i++) {
        *state ^= PackedBit(in, from + i);
        if (*state) out[(base + i) >> 5] |= PackedMask(base + i);
    }
}

void gscan20m(i64* out, const i64* in, i64 n, i64 len) {
    clear_words(out, n);
    if (len <= 0) return;
    for (i64 r = 0; r < n; r += len) {
        i64 state = 0;
        bscan20(out, in, &state, r >> 5, n - r < len ? n - r : len, r & 31, r);
    }
}

void gscan20v(i64* out, const i64* in, i64 n) { gscan20m(out, in, n, n); }

// ---- reductions -----------------------------------------------------------------------

// Bit g of out: whether group g of len bits holds any 1 (all) or only 1s (!all).
static void reduce_rows(i64* out, i64 groups, i64 len, const i64* in, bool all) {
    clear_words(out, groups);
    if (len < 0) len = 0;
    for (i64 g = 0; g < groups; g++) {
        i64 ones = ones_in(in, g * len, len);
        if (all ? ones == len : ones > 0) out[g >> 5] |= PackedMask(g);
    }
}

// Bit i of out: column i of a rows x cols bit matrix, or-reduced or and-reduced.
static void reduce_columns(i64* out, i64 cols, i64 rows, const i64* in, bool all) {
    clear_words(out, cols);
    for (i64 i = 0; i < cols; i++) {
        bool v = all;
        for (i64 r = 0; r < rows && v == all; r++) v = PackedBit(in, r * cols + i);
        if (v) out[i >> 5] |= PackedMask(i);
    }
}

void aplbit0(i64* out, i64 flag, i64 groups, i64 len, const i64* in) {
    (void)flag;
    reduce_rows(out, groups, len, in, false);
}
void aplbit1(i64 groups, i64 len, i64* out, const i64* in) {
    reduce_rows(out, groups, len, in, true);
}
void aplbit2(i64 cols, i64 rows, i64* out, const i64* in) {
    reduce_columns(out, cols, rows, in, false);
}
void aplbit3(i64 cols, i64 rows, i64* out, const i64* in) {
    reduce_columns(out, cols, rows, in, true);
}
