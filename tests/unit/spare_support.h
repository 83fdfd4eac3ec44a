// Helpers of the spare-kernel tests: a plain packing of 0/1 vectors written
// out independently of the kernels, captured standard output, and a
// replacement of the fallible allocator that grants a number of calls.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "primitives/spare.h"

namespace spare_test {

using V = std::vector<i64>;

// Element p at 0x80000000 >> p % 32 of word p / 32.
inline V Pack(const V& bits) {
    V w((bits.size() + 31) / 32, 0);
    for (size_t p = 0; p < bits.size(); p++)
        if (bits[p]) w[p / 32] |= (i64)(0x80000000u >> (p % 32));
    return w;
}

inline V Unpack(const V& words, i64 n) {
    V b(n);
    for (i64 p = 0; p < n; p++) b[p] = (words[p / 32] >> (31 - p % 32)) & 1;
    return b;
}

// What f writes on standard output.
template <class F>
std::string Printed(F f) {
    testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// For one scope the fallible allocator grants the first `grant` calls and
// refuses the rest; calls counts them all.
inline int granted = 0, calls = 0;
inline void* Limited(void* p, size_t n) {
    if (calls++ >= granted) return nullptr;
    return std::realloc(p, n);
}
struct Allocator {
    void* (*saved)(void*, size_t) = spare_realloc;
    explicit Allocator(int grant) {
        granted = grant;
        calls = 0;
        spare_realloc = Limited;
    }
    ~Allocator() { spare_realloc = saved; }
};

}  // namespace spare_test
