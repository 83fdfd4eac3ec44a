// Call frames of defined functions: capacity checks of the binding stack,
// the local slots and the state indicator, and unwinding exactly what each
// suspended level bound.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "func_support.h"
#include "parser/parser.h"
#include "values/values.h"

namespace {

class FuncCalls : public ::testing::Test {
protected:
    void SetUp() override {
        ZemInit();
        CleanET();
        lststkx = -1;
        lstvxend = SYSTART;
    }
    void TearDown() override {
        FreeFunctions();
        CleanET();
        lststkx = -1;
        lstvxend = SYSTART;
    }
    static void Define(const char* header, std::vector<const char*> body) {
        i64 row = FnLine0(header);
        ASSERT_GE(row, sysfn);
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
    lstvx = SYSTART - 6;   // three locals would reach lstvx + 3
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
    EXPECT_EQ(lststkx, DFXSIZE - 3);   // nothing half bound stays behind
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
    EXPECT_EQ(sidx, 1);   // two immediate lines, no function level
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

}  // namespace
