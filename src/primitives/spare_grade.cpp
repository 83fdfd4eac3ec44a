// Grade by heap sort of a copy of the keys, with its comparators.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "primitives/spare.h"

void* (*spare_realloc)(void* block, size_t bytes) = std::realloc;

i64 TotalBytes(i64 type, i64 n) {
    if (n <= 0) return 0;
    switch (type) {
    case TBOOL: return n / 8 + (n % 8 != 0);
    case TINT:
    case TFLOAT: return n > INT64_MAX / 8 ? -1 : 8 * n;
    case TCHAR: return n;
    default: return 0;
    }
}

// ---- heap sort ----------------------------------------------------------------------

// Doubles ascending with NaN above every number; integers as they are.
static bool below(i64 a, i64 b) { return a < b; }
static bool below(double a, double b) {
    if (std::isnan(a)) return false;
    return std::isnan(b) || a < b;
}

template <class T>
static void swap_pair(T* keys, i64* idx, i64 a, i64 b) {
    T k = keys[a];
    keys[a] = keys[b];
    keys[b] = k;
    i64 t = idx[a];
    idx[a] = idx[b];
    idx[b] = t;
}

// Moves the element at root down the max-heap of the first n elements.
template <class T>
static void sift_down(T* keys, i64* idx, i64 root, i64 n) {
    for (;;) {
        i64 child = 2 * root + 1;
        if (child >= n) return;
        if (child + 1 < n && below(keys[child], keys[child + 1])) child++;
        if (!below(keys[root], keys[child])) return;
        swap_pair(keys, idx, root, child);
        root = child;
    }
}

template <class T>
static void heap_sort(i64 n, T* keys, i64* idx) {
    for (i64 root = n / 2 - 1; root >= 0; root--) sift_down(keys, idx, root, n);
    for (i64 end = n - 1; end > 0; end--) {
        swap_pair(keys, idx, 0, end);
        sift_down(keys, idx, 0, end);
    }
}

void sortI(i64 n, i64* keys, i64* idx) { heap_sort(n, keys, idx); }
void sortD(i64 n, double* keys, i64* idx) { heap_sort(n, keys, idx); }

// ---- grade --------------------------------------------------------------------------

static void reverse_indices(i64* out, i64 n) {
    for (i64 i = 0, j = n - 1; i < j; i++, j--) {
        i64 t = out[i];
        out[i] = out[j];
        out[j] = t;
    }
}

i64 a_grade(const void* data, i64 type, i64* out, i64 origin, i64 n, i64 direction) {
    if (n <= 0) return 0;
    for (i64 i = 0; i < n; i++) out[i] = origin + i;
    if (n == 1) return 0;
    if (type == TBOOL) std::puts("Boolean grade not implemented yet");
    if (type == TCHAR) std::puts("Character type grade not defined");
    if (type != TINT && type != TFLOAT) return -1;
    i64 bytes = TotalBytes(type, n);
    void* keys = bytes > 0 ? spare_realloc(nullptr, (size_t)bytes) : nullptr;
    if (!keys) {
        std::puts("malloc failed in grade");
        return -1;
    }
    std::memcpy(keys, data, (size_t)bytes);
    if (type == TINT) sortI(n, static_cast<i64*>(keys), out);
    else sortD(n, static_cast<double*>(keys), out);
    std::free(keys);
    if (direction == -1) reverse_indices(out, n);
    return 0;
}

// ---- comparators ----------------------------------------------------------------------

bool compeqI(const i64* keys, const i64* idx, i64 origin, i64 i, i64 j) {
    return keys[idx[i] - origin] == keys[idx[j] - origin];
}
bool compeqD(const double* keys, const i64* idx, i64 origin, i64 i, i64 j) {
    return keys[idx[i] - origin] == keys[idx[j] - origin];
}

i64 compupI(const i64* keys, i64 i, i64 j) { return keys[j] >= keys[i]; }
i64 compupD(const double* keys, i64 i, i64 j) { return keys[j] >= keys[i]; }
i64 compupC(const char* keys, i64 i, i64 j) { return (signed char)keys[j] >= (signed char)keys[i]; }
i64 compdnI(const i64* keys, i64 i, i64 j) { return keys[j] < keys[i]; }
i64 compdnD(const double* keys, i64 i, i64 j) { return keys[j] < keys[i]; }
i64 compdnC(const char* keys, i64 i, i64 j) { return (signed char)keys[j] < (signed char)keys[i]; }

int qcompIndx(const void* a, const void* b) {
    i64 x = *static_cast<const i64*>(a), y = *static_cast<const i64*>(b);
    return (x > y) - (x < y);
}
