// Search kernels behind membership and index-of: for each sought element,
// the position of its first equal element in the searched array.
//
// Small work scans linearly. Larger work uses an open-addressing table
// private to the call, sized past twice the searched length so it is never
// more than half full, and filled lazily: the searched array is entered only
// as far as the answers need. Both paths give the same answers. The table
// lives in scratch memory; when that cannot be had, errchk is E_WS_FULL and
// the search finds nothing (the caller reports the error).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "primitives/primitives.h"

typedef uint64_t u64;

// Products below these take the linear path.
constexpr i64 LINEAR_WORD = 1024;
constexpr i64 LINEAR_SMALL = 512;  // characters and doubles

// Smallest 2^k - 1 (at least 31) above twice n.
static i64 table_mask(i64 n) {
    i64 mask = 31;
    while (mask <= 2 * n) mask = mask * 2 + 1;
    return mask;
}

static u64 mix(u64 k) {
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdULL;
    k ^= k >> 33;
    return k;
}

static u64 dbits(double x) {
    u64 b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// The open-addressing table of a search over n elements: each slot holds a
// key beside its position in the searched array (-1: empty), so a probe
// reads one place; collisions go on to the next slot. None for a linear
// search, and none (no slots) when scratch memory is exhausted.
template <class T>
struct SlotTable {
    struct entry {
        T key;
        i64 at;
    };
    i64 mask = 0;
    entry* slot = nullptr;

    SlotTable(i64 n, bool linear) {
        if (linear) return;
        i64 m = table_mask(n);
        slot = static_cast<entry*>(GM_new(TCHAR, (m + 1) * (i64)sizeof(entry)));
        if (!slot) return;
        mask = m;
        for (i64 s = 0; s <= mask; s++) slot[s].at = -1;
    }
    i64 next(i64 s) const { return (s + 1) & mask; }
};

// ---- element classes -----------------------------------------------------------
// valid: can equal something; eq: the comparison; hash: equal keys hash alike.

struct WordKey {
    static bool valid(i64) { return true; }
    static bool eq(i64 a, i64 b) { return a == b; }
    static u64 hash(i64 k) { return mix((u64)k); }
};

// Exact numeric equality: 0.0 and -0.0 are one key, NaN equals nothing.
struct DoubleKey {
    static bool valid(double x) { return !std::isnan(x); }
    static bool eq(double a, double b) { return a == b; }
    static u64 hash(double x) { return mix(x == 0.0 ? 0 : dbits(x)); }
};

struct Pair {
    double re, im;
};
struct PairKey {
    static bool valid(Pair z) { return !std::isnan(z.re) && !std::isnan(z.im); }
    static bool eq(Pair a, Pair b) { return a.re == b.re && a.im == b.im; }
    static u64 hash(Pair z) { return mix(DoubleKey::hash(z.re) ^ (DoubleKey::hash(z.im) * 31)); }
};

// ---- exact search ----------------------------------------------------------------

// First positions of keys in S (n elements); n when absent.
template <class T, class K>
struct Finder : SlotTable<T> {
    using SlotTable<T>::slot;
    using SlotTable<T>::mask;
    using SlotTable<T>::next;
    const T* S;
    i64 n;
    bool linear;
    i64 cursor = 0;  // next element of S to enter

    Finder(const T* s, i64 count, bool lin)
        : SlotTable<T>(count, lin), S(s), n(count), linear(lin) {}

    // Enters S[j] unless an equal key is there already; true when entered.
    bool place(i64 j) {
        i64 s = (i64)(K::hash(S[j]) & (u64)mask);
        for (; slot[s].at >= 0; s = next(s))
            if (K::eq(slot[s].key, S[j])) return false;
        slot[s] = {S[j], j};
        return true;
    }

    i64 find(T k) {
        if (!K::valid(k)) return n;
        if (linear) {
            for (i64 j = 0; j < n; j++)
                if (K::eq(S[j], k)) return j;
            return n;
        }
        if (!slot) return n;
        for (i64 s = (i64)(K::hash(k) & (u64)mask); slot[s].at >= 0; s = next(s))
            if (K::eq(slot[s].key, k)) return slot[s].at;
        while (cursor < n) {
            i64 j = cursor++;
            if (K::valid(S[j]) && place(j) && K::eq(S[j], k)) return j;
        }
        return n;
    }
};

static bool go_linear(i64 nS, i64 nV, i64 threshold) {
    return nS == 1 || nV == 1 || (__int128)nS * nV < threshold;
}

template <class T, class K>
static void index_of(i64* out, const T* S, i64 nS, const T* V, i64 nV, i64 origin, i64 threshold) {
    if (nS == 0) {
        for (i64 i = 0; i < nV; i++) out[i] = origin;
        return;
    }
    Finder<T, K> f(S, nS, go_linear(nS, nV, threshold));
    for (i64 i = 0; i < nV; i++) out[i] = origin + f.find(V[i]);
}

// Packed answers: element i at bit 31 - i mod 32 of word i / 32.
template <class T, class K>
static void member_of(i64* out, const T* L, i64 nL, const T* R, i64 nR, i64 threshold) {
    i64 words = (nL + 31) / 32;
    std::memset(out, 0, (size_t)words * sizeof(i64));
    if (nR == 0) return;
    Finder<T, K> f(R, nR, go_linear(nR, nL, threshold));
    for (i64 i = 0; i < nL; i++)
        if (f.find(L[i]) < nR) out[i / 32] |= (i64)(0x80000000u >> (i % 32));
}

// ---- characters: a 256-entry table, filled lazily ------------------------------

struct CharFinder {
    const unsigned char* S;
    i64 n;
    i64 first[256];
    i64 cursor = 0;
    CharFinder(const char* s, i64 count) : S((const unsigned char*)s), n(count) {
        for (i64& f : first) f = -1;
    }
    i64 find(unsigned char k) {
        if (first[k] >= 0) return first[k];
        while (cursor < n) {
            unsigned char c = S[cursor];
            if (first[c] < 0) first[c] = cursor;
            cursor++;
            if (c == k) return first[c];
        }
        return n;
    }
};

void membspc(i64* out, const char* L, i64 nL, const char* R, i64 nR) {
    i64 words = (nL + 31) / 32;
    std::memset(out, 0, (size_t)words * sizeof(i64));
    if (nR == 0) return;
    CharFinder f(R, nR);
    for (i64 i = 0; i < nL; i++)
        if (f.find((unsigned char)L[i]) < nR) out[i / 32] |= (i64)(0x80000000u >> (i % 32));
}

void idxofc(i64* out, const char* S, i64 nS, const char* V, i64 nV, i64 origin) {
    CharFinder f(S, nS);
    for (i64 i = 0; i < nV; i++) out[i] = origin + f.find((unsigned char)V[i]);
}

// ---- words in a narrow range: a table indexed by the word -----------------------

// Integers whose range (largest less smallest) is within a few times the
// element counts are looked up directly, in a table with one entry per
// value of the range: no hashing, no probing.
struct WordRange {
    i64 lo = 0;
    u64 span = 0;  // largest - smallest
    bool dense = false;
    WordRange(const i64* S, i64 nS, i64 nV) {
        if (nS == 0 || nS + nV < LINEAR_WORD) return;
        i64 hi = S[0];
        lo = S[0];
        for (i64 j = 1; j < nS; j++) {
            lo = S[j] < lo ? S[j] : lo;
            hi = S[j] > hi ? S[j] : hi;
        }
        span = (u64)hi - (u64)lo;
        dense = span < (u64)(4 * (nS + nV));
    }
    // The entry of k, or -1 when k is outside the range.
    i64 entry(i64 k) const {
        u64 d = (u64)k - (u64)lo;
        return d <= span ? (i64)d : -1;
    }
};

// Membership through a table of present values; false when it does not
// apply (or its scratch cannot be had).
static bool member_dense(i64* out, const i64* L, i64 nL, const i64* R, i64 nR) {
    WordRange r(R, nR, nL);
    if (!r.dense) return false;
    unsigned char* present = static_cast<unsigned char*>(GM_new(TCHAR, (i64)r.span + 1));
    if (!present) return false;
    std::memset(present, 0, r.span + 1);
    for (i64 j = 0; j < nR; j++) present[r.entry(R[j])] = 1;
    i64 words = (nL + 31) / 32;
    std::memset(out, 0, (size_t)words * sizeof(i64));
    for (i64 i = 0; i < nL; i++) {
        i64 e = r.entry(L[i]);
        if (e >= 0 && present[e]) out[i / 32] |= (i64)(0x80000000u >> (i % 32));
    }
    return true;
}

// Index-of through a table of first positions; false when it does not apply.
static bool index_dense(i64* out, const i64* S, i64 nS, const i64* V, i64 nV, i64 origin) {
    WordRange r(S, nS, nV);
    if (!r.dense) return false;
    i64* first = static_cast<i64*>(GM_new(TINT, (i64)r.span + 1));
    if (!first) return false;
    for (u64 e = 0; e <= r.span; e++) first[e] = nS;
    for (i64 j = nS - 1; j >= 0; j--) first[r.entry(S[j])] = j;
    for (i64 i = 0; i < nV; i++) {
        i64 e = r.entry(V[i]);
        out[i] = origin + (e >= 0 ? first[e] : nS);
    }
    return true;
}

// ---- words, doubles, complex pairs ----------------------------------------------

void membspi(i64* out, const i64* L, i64 nL, const i64* R, i64 nR) {
    if (member_dense(out, L, nL, R, nR)) return;
    errchk = 0;  // a table that could not be had leaves the hash search
    member_of<i64, WordKey>(out, L, nL, R, nR, LINEAR_WORD);
}

void membspd(i64* out, const double* L, i64 nL, const double* R, i64 nR) {
    member_of<double, DoubleKey>(out, L, nL, R, nR, LINEAR_WORD);
}

void membspx(i64* out, const double* L, i64 nL, const double* R, i64 nR) {
    member_of<Pair, PairKey>(out, (const Pair*)L, nL, (const Pair*)R, nR, LINEAR_WORD);
}

void idxofi(i64* out, const i64* S, i64 nS, const i64* V, i64 nV, i64 origin) {
    if (index_dense(out, S, nS, V, nV, origin)) return;
    errchk = 0;  // a table that could not be had leaves the hash search
    index_of<i64, WordKey>(out, S, nS, V, nV, origin, LINEAR_WORD);
}

void idxofx(i64* out, const double* S, i64 nS, const double* V, i64 nV, i64 origin) {
    index_of<Pair, PairKey>(out, (const Pair*)S, nS, (const Pair*)V, nV, origin, LINEAR_WORD);
}

void idxofe(i64* out, const double* S, i64 nS, const double* V, i64 nV, i64 origin) {
    index_of<double, DoubleKey>(out, S, nS, V, nV, origin, LINEAR_SMALL);
}

// Integers as doubles in scratch; nullptr (E_WS_FULL in errchk) without it.
static double* as_doubles(const i64* x, i64 n) {
    double* d = static_cast<double*>(GM_new(TFLOAT, n));
    if (d)
        for (i64 i = 0; i < n; i++) d[i] = (double)x[i];
    return d;
}

void idxofm(i64* out, const double* S, i64 nS, const i64* V, i64 nV, i64 origin) {
    const double* v = nV > 0 ? as_doubles(V, nV) : nullptr;
    if (nV > 0 && !v) return;
    index_of<double, DoubleKey>(out, S, nS, v, nV, origin, LINEAR_SMALL);
}

void idxofn(i64* out, const i64* S, i64 nS, const double* V, i64 nV, i64 origin) {
    const double* s = nS > 0 ? as_doubles(S, nS) : nullptr;
    if (nS > 0 && !s) return;
    index_of<double, DoubleKey>(out, s, nS, V, nV, origin, LINEAR_SMALL);
}

// ---- tolerant doubles ------------------------------------------------------------

// Tolerantly equal numbers are fewer than 1000 doubles apart (1e-13 * 2^53),
// so they fall in the same or an adjacent bucket of 2048 consecutive doubles.
// A lookup examines the key's bucket and its two neighbours.
static i64 bucket(double x) {
    if (x == 0.0) return 0;
    return (i64)dbits(x) >> 11;
}

struct TolFinder : SlotTable<double> {
    const double* S;
    i64 n;
    bool linear;
    i64 cursor = 0;

    TolFinder(const double* s, i64 count, bool lin)
        : SlotTable<double>(count, lin), S(s), n(count), linear(lin) {}

    i64 start(i64 b) const { return (i64)(mix((u64)b) & (u64)mask); }

    // Enters S[j] in its bucket's chain unless the very same number is there.
    void place(i64 j) {
        i64 b = bucket(S[j]);
        i64 s = start(b);
        for (; slot[s].at >= 0; s = next(s))
            if (slot[s].key == S[j]) return;
        slot[s] = {S[j], j};
    }

    // Smallest entered position tolerantly equal to k; n when none.
    i64 best_entered(double k) const {
        i64 best = n, b = bucket(k);
        for (i64 d = -1; d <= 1; d++)
            for (i64 s = start(b + d); slot[s].at >= 0; s = next(s)) {
                i64 j = slot[s].at;
                if (j < best && gequal(slot[s].key, k)) best = j;
            }
        return best;
    }

    i64 find(double k) {
        if (std::isnan(k)) return n;
        if (linear) {
            for (i64 j = 0; j < n; j++)
                if (gequal(S[j], k)) return j;
            return n;
        }
        if (!slot) return n;
        // Every entered position lies below the cursor, so an entered match
        // is the first match.
        i64 best = best_entered(k);
        if (best < n) return best;
        while (cursor < n) {
            i64 j = cursor++;
            if (std::isnan(S[j])) continue;
            place(j);
            if (gequal(S[j], k)) return j;
        }
        return n;
    }
};

void idxofd(i64* out, const double* S, i64 nS, const double* V, i64 nV, i64 origin) {
    if (nS == 0) {
        for (i64 i = 0; i < nV; i++) out[i] = origin;
        return;
    }
    TolFinder f(S, nS, go_linear(nS, nV, LINEAR_SMALL));
    for (i64 i = 0; i < nV; i++) out[i] = origin + f.find(V[i]);
}
