// Scratch blocks when memory runs out: the block and its list node both
// fail the request with E_WS_FULL, and the process goes on.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "values/internal.h"
#include "values/values.h"
#include "workspace_fixture.h"

class ValuesScratch : public FreshWorkspace {};

namespace {

// The process's address-space size in bytes, from /proc/self/statm.
long long AddressSpace() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    long long pages = 0;
    if (!f) return -1;
    if (std::fscanf(f, "%lld", &pages) != 1) pages = -1;
    std::fclose(f);
    return pages < 0 ? -1 : pages * sysconf(_SC_PAGESIZE);
}

// Run in a child: a big scratch block is taken and given back (its mapping
// is kept for reuse), the address space is capped where it stands and the
// heap filled to the last byte, then the same block is asked for again. The
// mapping is there, the heap has no room for a list node: the request must
// fail with E_WS_FULL. Exit status 0 when it does.
[[noreturn]] void ask_with_full_heap() {
    constexpr i64 WORDS = (16 << 20) / 8;
    if (!GM_new(TINT, WORDS)) _exit(3);
    GM_free();
    long long used = AddressSpace();
    if (used < 0) _exit(4);
    struct rlimit cap = {static_cast<rlim_t>(used + (1 << 20)),
                         static_cast<rlim_t>(used + (1 << 20))};
    if (setrlimit(RLIMIT_AS, &cap) != 0) _exit(5);
    // Kept in a volatile, so that the compiler cannot drop the calls.
    void* volatile taken = nullptr;
    for (size_t size = 1 << 16; size >= 16; size /= 2)
        do taken = std::malloc(size);
        while (taken);
    errchk = 0;
    void* block = GM_new(TINT, WORDS);
    _exit(block ? 6 : errchk == E_WS_FULL ? 0 : 7);
}

}  // namespace

TEST_F(ValuesScratch, FullHeapFailsTheRequestNotTheProcess) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves more address space than the cap allows";
#endif
    std::fflush(nullptr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) ask_with_full_heap();
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
