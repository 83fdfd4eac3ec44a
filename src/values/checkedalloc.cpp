// The checked allocators: they never return a failure; they print one line
// and end the process instead.
#include <cstdio>
#include <cstdlib>

#include "values/values.h"

[[noreturn]] static void die(const char* message) {
    std::fputs(message, stdout);
    std::fflush(stdout);
    std::exit(1);
}

void* AL2(i64 size, i64 n) {
    if (n < 0) die("* size <0 in allocate is not allowed *\n");
    if (n == 0) return nullptr;
    if (size <= 0 || n > INT64_MAX / size) die("* no sufficient memory *\n");
    void* p = std::malloc(static_cast<size_t>(size * n));
    if (!p) die("* no sufficient memory *\n");
    return p;
}

void* AL1(i64 type, i64 n) {
    if (n <= 0) die("size <=0 in allocate is not allowed\n");
    return AL2(type == TINT || type == TFLOAT ? 8 : 1, n);
}

void* amalloc(i64 n) {
    if (n < 0) die("* size negative in allocate. *\n");
    void* p = std::malloc(n > 0 ? static_cast<size_t>(n) : 1);
    if (!p) die("* insufficient memery to allocate. *\n");
    return p;
}

void* acalloc(i64 count, i64 size) {
    if (count < 0 || size < 0) die("* size negative in allocate. *\n");
    if (count == 0 || size == 0) count = size = 1;
    void* p = std::calloc(static_cast<size_t>(count), static_cast<size_t>(size));
    if (!p) die("* insufficient memery to allocate. *\n");
    return p;
}
