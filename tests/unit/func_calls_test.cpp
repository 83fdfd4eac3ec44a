// Call frames of defined functions: capacity checks of the binding stack,
// the local slots and the state indicator, and unwinding exactly what each
// suspended level bound.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "func_support.h"
#include "parser/parser.h"
#include "system/workspace.h"
#include "values/values.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Bytes the process holds from the C allocator.
i64 HeldBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<i64>(__sanitizer_get_current_allocated_bytes());
#else
    return static_cast<i64>(mallinfo2().uordblks);
#endif
}

class FuncCalls : public ::testing::Test {
protected:
    void SetUp() override {
        ZemInit();
        CleanET();
        lststkx = -1;
        lstvxend = SYSTART;
    }
    void TearDown() override {
        CleanET();
        lststkx = -1;
        lstvxend = SYSTART;
    }
    static void Define(const char* header, std::vector<const char*> body) {
        i64 row = FnLine0(header);
        ASSERT_GE(row, FIRSTFN);
        zem_func* f = functable[row].func;
        FunInitLine(f);
        for (const char* l : body) FunAddLine(f, l);
        FunTrimLine(f);
    }
    // Runs a line quietly; its error code.
    static i64 Run(const char* text) {
        static char buf[256];
        std::snprintf(buf, sizeof buf, "%s", text);
        testing::internal::CaptureStdout();
        ParseLine(buf, (i64)std::strlen(buf) + 1);
        testing::internal::GetCapturedStdout();
        return errchk;
    }
};

TEST_F(FuncCalls, LocalsKeepTheScratchSlotsAboveTheLastGlobalFree) {
    Define("z<-f x;a", {"a<-x", "z<-a"});
    i64 saved = lstvx;
    lstvx = SYSTART - 6;  // three locals would reach lstvx + 3
    EXPECT_EQ(Run("f 1"), 84);
    EXPECT_EQ(lstvxend, SYSTART);
    EXPECT_EQ(lststkx, -1);
    lstvx = SYSTART - 7;
    EXPECT_EQ(Run("f 1"), 0);
    EXPECT_EQ(lstvxend, SYSTART);
    lstvx = saved;
}

TEST_F(FuncCalls, ACallThatWouldOverflowTheBindingStackFailsWithStackFull) {
    Define("z<-f x", {"z<-x"});
    for (i64 k = 0; k < DFXSIZE - 2; k++) dfxstack[k] = {-1, SYSTART};
    lststkx = DFXSIZE - 3;
    EXPECT_EQ(Run("f 1"), 5);
    EXPECT_EQ(lststkx, DFXSIZE - 3);  // nothing half bound stays behind
    EXPECT_EQ(lstvxend, SYSTART);
}

TEST_F(FuncCalls, AFullStateIndicatorDropsItsOldestLevels) {
    for (i64 i = 0; i < SITSIZE; i++) sitable[i] = {-1, i};
    sidx = SITSIZE - 1;
    EXPECT_EQ(SiMakeRoom(2), 0);
    EXPECT_EQ(sidx, SITSIZE - 3);
    EXPECT_EQ(sitable[0].line, 2);
    EXPECT_EQ(sitable[sidx].line, SITSIZE - 1);
    sidx = -1;
    EXPECT_EQ(SiMakeRoom(SITSIZE + 1), 5);
    EXPECT_EQ(SiMakeRoom(SITSIZE), 0);
}

TEST_F(FuncCalls, UnwindingPopsExactlyTheFrameASuspendedCallBound) {
    Define("z<-f x;a;b", {"a<-x", "b<-a+'q'"});
    EXPECT_EQ(Run("f 1"), 1);
    ASSERT_EQ(sidx, 1);
    EXPECT_TRUE(siframe[1].bound);
    EXPECT_EQ(lstvxend, SYSTART - 4);
    EXPECT_GE(lststkx, 4);
    SiUnwind(fdsi());
    EXPECT_EQ(sidx, 0);
    EXPECT_EQ(lststkx, -1);
    EXPECT_EQ(lstvxend, SYSTART);
    SiUnwind(fdsi());
    EXPECT_EQ(sidx, -1);
}

TEST_F(FuncCalls, AParseErrorAtTheFirstCallBindsNothingToUnwind) {
    Define("bad;a;b;c;d;e;g", {"a<-1 2)"});
    EXPECT_EQ(Run("bad"), 21);
    ASSERT_EQ(sidx, 1);
    EXPECT_FALSE(siframe[1].bound);
    EXPECT_EQ(lststkx, -1);
    SiUnwind(fdsi());
    EXPECT_EQ(lstvxend, SYSTART);
    EXPECT_EQ(lststkx, -1);
}

TEST_F(FuncCalls, ArgumentAndResultFailuresGiveTheFrameBack) {
    Define("z<-three (a;b;c)", {"z<-c"});
    Define("z<-none x;v", {"v<-x"});
    EXPECT_EQ(Run("three 5"), 36);
    EXPECT_EQ(Run("none 1"), 47);
    EXPECT_EQ(sidx, 1);  // two immediate lines, no function level
    EXPECT_EQ(sitable[1].row, -1);
    EXPECT_EQ(lststkx, -1);
    EXPECT_EQ(lstvxend, SYSTART);
}

TEST_F(FuncCalls, SuspendedCallsLeaveATraceOfTheirLastLines) {
    Define("z<-f x;i", {"i<-0", "L: i<-i+1", "->(i<3)/L", "z<-i+'a'"});
    EXPECT_EQ(Run("f 0"), 1);
    ASSERT_GE(tracenum, 3);
    EXPECT_EQ(traces[0], gnametable[FnFindName("f", 'G')].index);
    std::vector<i64> lines(traces + 3, traces + tracenum);
    // Line numbers are executable lines: "L:" stands on a line of its own.
    EXPECT_EQ(lines, (std::vector<i64>{1, 2, 3, 4, 2, 3, 4, 2, 3, 4, 5}));
    EXPECT_EQ(traces[2], 11);
}

TEST_F(FuncCalls, AClearFreesTheFunctionRecordsAndTheirStatementIndexes) {
    // Functions defined and run (so their statement indexes exist), then a
    // clear; after a first round, further rounds hold no more memory.
    auto round = [] {
        const char* headers[] = {"z<-f0 x;a", "z<-f1 x;a", "z<-a f2 b", "f3 x"};
        for (const char* h : headers) Define(h, {"a<-x", "L: a<-a+1", "z<-a"});
        Run("f0 1;f1 2;1 f2 2;f3 1");
        CleanEX(false);
        EXPECT_EQ(lstfx, FIRSTFN - 1);
    };
    round();
    i64 before = HeldBytes();
    for (int k = 0; k < 20; k++) round();
    EXPECT_LT(HeldBytes() - before, static_cast<i64>(sizeof(zem_func)));
}

TEST_F(FuncCalls, GlobalsKeepTheScratchSlotsBelowTheLocalsFree) {
    // Each row: the lowest local slot, the last global slot before, whether
    // one more global fits (its slot then leaves three slots free above it).
    struct Case {
        i64 vxend, last;
        bool fits;
    };
    const Case cases[] = {
        {SYSTART, SYSTART - 5, true},        {SYSTART, SYSTART - 4, false},
        {SYSTART - 20, SYSTART - 25, true},  {SYSTART - 20, SYSTART - 24, false},
        {SYSTART - 20, SYSTART - 21, false},
    };
    i64 saved = lstvx;
    for (const Case& c : cases) {
        lstvxend = c.vxend;
        lstvx = c.last;
        errchk = 0;
        i64 x = Incx('V');
        if (c.fits) {
            EXPECT_EQ(x, c.last + 1) << c.vxend << " " << c.last;
            EXPECT_EQ(errchk, 0);
            EXPECT_EQ(x + SCRATCHGAP, c.vxend - 1);
        } else {
            EXPECT_EQ(x, -1) << c.vxend << " " << c.last;
            EXPECT_EQ(errchk, 84);
            EXPECT_EQ(lstvx, c.last);
        }
    }
    lstvx = saved;
    lstvxend = SYSTART;
}

// ---- each with a defined function ------------------------------------------------------

// The items of a list variable as integers (single-element items).
std::vector<i64> IntItems(const char* name) {
    i64 g = FnFindName(name, 'G');
    if (g < 0) return {};
    const val_item& v = vtable[gnametable[g].index];
    if (v.type != TLIST) return {};
    std::vector<i64> out;
    const val_item* items = reinterpret_cast<const val_item*>(v.data);
    for (i64 k = 0; k < v.count; k++) out.push_back(items[k].count == 1 ? items[k].dim0 : -999);
    return out;
}

TEST_F(FuncCalls, EachBindsOnceSoLocalsCarryOverAndUnbindsOnceAfter) {
    Define("z<-run x;s", {"->(x>1)/L", "s<-0", "L: s<-s+x", "z<-s"});
    EXPECT_EQ(Run("r<-run\" (1;2;3;4)"), 0);
    EXPECT_EQ(IntItems("r"), (std::vector<i64>{1, 3, 6, 10}));
    EXPECT_EQ(lststkx, -1);
    EXPECT_EQ(lstvxend, SYSTART);
    // A plain call binds afresh: s has no value.
    EXPECT_EQ(Run("run 2"), 4);
    SiUnwind(fdsi());
    SiUnwind(fdsi());
    EXPECT_EQ(lststkx, -1);
    EXPECT_EQ(lstvxend, SYSTART);
}

TEST_F(FuncCalls, EachFailuresBeforeAndInsideTheBody) {
    Define("z<-a pl b", {"z<-a+b"});
    Define("z<-sq x", {"z<-x*x"});
    // Lists of different lengths: nothing is bound.
    EXPECT_EQ(Run("(1;2) pl\" (1;2;3)"), 3);
    EXPECT_EQ(lststkx, -1);
    EXPECT_EQ(lstvxend, SYSTART);
    // A failing item suspends the call with its frame bound.
    EXPECT_EQ(Run("sq\" (2;'a';3)"), 1);  // domain error at the second item
    i64 level = fdsi();
    ASSERT_GE(level, 0);
    EXPECT_TRUE(siframe[level].bound);
    EXPECT_GE(lststkx, 1);
    SiUnwind(level);
    SiUnwind(fdsi());
    EXPECT_EQ(lststkx, -1);
    EXPECT_EQ(lstvxend, SYSTART);
    // A result never assigned.
    Define("z<-none x", {"x<-x"});
    EXPECT_EQ(Run("none\" (1;2)"), 47);
    EXPECT_EQ(lststkx, -1);
    EXPECT_EQ(lstvxend, SYSTART);
}

}  // namespace
