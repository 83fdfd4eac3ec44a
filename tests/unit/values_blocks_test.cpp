// Large blocks, scratch blocks and the checked allocators.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "values/internal.h"
#include "values/values.h"
#include "workspace_fixture.h"

class ValuesBlocks : public FreshWorkspace {};

TEST_F(ValuesBlocks, OrderedBySize) {
    heap_node* a = HeapAloc(70000);
    heap_node* b = HeapAloc(100000);
    heap_node* c = HeapAloc(70000);
    heap_node* d = HeapAloc(65537);
    EXPECT_EQ(HA0->next, d);
    EXPECT_EQ(d->next, a);
    EXPECT_EQ(a->next, c);
    EXPECT_EQ(c->next, b);
    EXPECT_EQ(b->next, nullptr);
    EXPECT_EQ(b->prev, c);
    HeapAlocRemv(c);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->prev, a);
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetAloc(), 65537 + 70000 + 100000);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "65537 70000 100000 3 chunks\n");
    EXPECT_TRUE(IsLargeData(reinterpret_cast<char*>(b) + sizeof(heap_node)));
    HeapClean();
    EXPECT_EQ(HA0->next, nullptr);
}

TEST_F(ValuesBlocks, NoLargeBlocks) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetAloc(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0 chunks\n");
}

TEST_F(ValuesBlocks, ScratchList) {
    GM_free();  // empty: nothing happens
    EXPECT_EQ(G0->next, nullptr);
    EXPECT_EQ(GM_new(TINT, 0), nullptr);
    EXPECT_EQ(Gt, G0);
    void* a = GM_new(TINT, 4);
    void* b = GM_new(TCHAR, 9);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(G0->next->block, a);
    EXPECT_EQ(Gt->block, b);
    GM_free();
    EXPECT_EQ(Gt, G0);
    EXPECT_EQ(G0->next, nullptr);
}

TEST_F(ValuesBlocks, CheckedAllocation) {
    EXPECT_EQ(AL2(8, 0), nullptr);
    void* p = AL2(8, 3);
    EXPECT_NE(p, nullptr);
    std::free(p);
    char* z = static_cast<char*>(acalloc(5, 4));
    for (int i = 0; i < 20; i++) EXPECT_EQ(z[i], 0);
    std::free(z);
    std::free(amalloc(0));
}

TEST(ValuesBlocksDeathTest, FailuresEndTheProcess) {
    struct {
        void (*call)();
        const char* line;
    } cases[] = {
        {[] { AL2(8, -1); }, "\\* size <0 in allocate is not allowed \\*"},
        {[] { AL2(8, INT64_MAX / 2); }, "\\* no sufficient memory \\*"},
        {[] { AL1(TINT, 0); }, "size <=0 in allocate is not allowed"},
        {[] { amalloc(-1); }, "\\* size negative in allocate. \\*"},
        {[] { acalloc(-1, 8); }, "\\* size negative in allocate. \\*"},
    };
    for (auto& c : cases) {
        // The message goes to standard output; the child sends that to stderr.
        EXPECT_EXIT(
            {
                dup2(2, 1);
                c.call();
            },
            testing::ExitedWithCode(1), c.line);
    }
}

TEST_F(ValuesBlocks, FreedBigBlocksServeTheNextOfTheirSize) {
    void* a = BlockAlloc(8 << 20, 16);
    ASSERT_NE(a, nullptr);
    static_cast<char*>(a)[(8 << 20) - 1] = 1;
    BlockFree(a, 16);
    void* b = BlockAlloc(8 << 20, 16);
    ASSERT_NE(b, nullptr);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(a, b);  // kept, not given back to the system
#endif
    // A much smaller block does not take a big kept one.
    BlockFree(b, 16);
    void* c = BlockAlloc(2 << 20, 16);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c, b);
    BlockFree(c, 16);
    ReleaseKeptBlocks();
}

TEST_F(ValuesBlocks, ExhaustedMemoryIsReportedNotFatal) {
#if !defined(__SANITIZE_ADDRESS__)  // its allocator ends the process instead
    const i64 huge = (i64)1 << 52;
    EXPECT_EQ(HeapAloc(huge), nullptr);
    errchk = 0;
    EXPECT_EQ(GM_new(TCHAR, huge), nullptr);
    EXPECT_EQ(errchk, E_WS_FULL);
#endif
    errchk = 0;
    vtable[20].type = TINT;
    vtable[20].rank = 0;
    EXPECT_EQ(Updatead0(20, TINT, 1, (i64)1 << 33), E_WS_FULL);  // 64 GiB
    EXPECT_EQ(vtable[20].rank, 0);                               // a named slot keeps what it held
}
