// Workspace set-up and clearing: system variables, fixed constants,
// character tables, and what a clear leaves behind.
#include <gtest/gtest.h>

#include <cstring>

#include "values/internal.h"
#include "values/values.h"
#include "workspace_fixture.h"

class ValuesWorkspace : public FreshWorkspace {};

TEST_F(ValuesWorkspace, SystemVariables) {
    struct {
        i64 slot, type, rank, count, dim0;
    } cases[] = {
        {SLOT_IO, TINT, 0, 1, 1},     {SLOT_OF, TBOOL, -1, 0, 0}, {SLOT_LX, TINT, 1, 0, 0},
        {SLOT_RL, TINT, 1, 1, 16807}, {SLOT_PP, TINT, 1, 1, 10},
    };
    for (auto& c : cases) {
        const val_item& v = vtable[c.slot];
        EXPECT_EQ(v.type, c.type) << c.slot;
        EXPECT_EQ(v.rank, c.rank) << c.slot;
        EXPECT_EQ(v.count, c.count) << c.slot;
        EXPECT_EQ(v.dim0, c.dim0) << c.slot;
    }
}

TEST_F(ValuesWorkspace, AtomicVector) {
    const val_item& av = vtable[SLOT_AV];
    EXPECT_EQ(av.type, TCHAR);
    EXPECT_EQ(av.rank, 1);
    EXPECT_EQ(av.count, 256);
    EXPECT_EQ(av.data[65], 'A');
    EXPECT_EQ(av.data[33], '!');
    EXPECT_EQ(av.data[127], 127);
    EXPECT_EQ(av.data[32], ' ');
    EXPECT_EQ(av.data[0], ' ');
    EXPECT_EQ(av.data[200], ' ');
    EXPECT_EQ(av.data[256], 0);
    EXPECT_GE(av.data, heap + r15);  // a named block of the arena
    EXPECT_EQ(RefChange(&vtable[SLOT_AV], 0), 1);
}

TEST_F(ValuesWorkspace, FixedConstants) {
    struct {
        i64 entry, type, rank, dim0, dim1, count;
    } cases[] = {
        {0, 1, 0, 0, 0, 1},  {1, 1, 0, 1, 0, 1},  {2, 1, 1, 0, 0, 0},  {3, 1, 0, 2, 0, 1},
        {4, 1, 0, -1, 0, 1}, {5, 1, 1, 0, 1, 0},  {6, 1, 1, 2, 1, 0},  {7, 1, 0, 32, 0, 0},
        {8, 0, 0, 0, 0, 0},  {15, 0, 0, 0, 0, 0}, {18, 1, 1, 1, 1, 0}, {19, 0, 0, 0, 0, 0},
        {20, 0, 0, 1, 0, 0},
    };
    for (auto& c : cases) {
        const val_item& v = ctable[c.entry];
        EXPECT_EQ(v.type, c.type) << c.entry;
        EXPECT_EQ(v.rank, c.rank) << c.entry;
        EXPECT_EQ(v.dim0, c.dim0) << c.entry;
        EXPECT_EQ(v.dim1, c.dim1) << c.entry;
        EXPECT_EQ(v.count, c.count) << c.entry;
    }
    double lo, hi;
    std::memcpy(&lo, &ctable[16].dim0, 8);
    std::memcpy(&hi, &ctable[17].dim0, 8);
    EXPECT_EQ(ctable[16].type, TFLOAT);
    EXPECT_DOUBLE_EQ(lo, -7.237005577332262e75);
    EXPECT_DOUBLE_EQ(hi, 7.237005577332262e75);
    EXPECT_EQ(lstcx, 20);
}

TEST_F(ValuesWorkspace, ClearEmptiesTheWorkspace) {
    i64 clear = r15;
    vtable[18].type = TINT;
    ASSERT_EQ(Updatead0(18, TINT, 1, 20000), 0);  // a large block
    vtable[19].type = TINT;
    ASSERT_EQ(Updatead0(19, TINT, 1, 10), 0);
    lstvx = 19;
    getsymbol("kept?");
    nxtglx = 5;
    glist[3] = 7;
    glist[5] = 9;  // the last used word: cleared too (nothing above it was written)
    vtable[SLOT_PP].dim0 = 3;
    CleanEX(false);
    EXPECT_EQ(lstvx, 17);  // next variable takes slot 18
    EXPECT_EQ(lstvxend, SYSTART);
    EXPECT_EQ(vtable[18].rank, 0);
    EXPECT_EQ(vtable[18].data, nullptr);
    EXPECT_EQ(HA0->next, nullptr);
    EXPECT_EQ(r15, clear);
    EXPECT_EQ(stacktop, 0);
    EXPECT_EQ(sindex, 0);
    EXPECT_EQ(nxtglx, -1);
    EXPECT_EQ(glist[3], 0);
    EXPECT_EQ(glist[5], 0);
    EXPECT_EQ(vtable[SLOT_PP].dim0, 10);
}

TEST_F(ValuesWorkspace, ZeroingClear) {
    std::memset(heap, 0x5a, 4096);
    std::memset(heap + ARENA_SIZE / 2, 0x5a, 4096);
    CleanEX(true);
    for (i64 i = 0; i < r15; i += 4093) ASSERT_EQ(heap[i], 0) << i;
    EXPECT_EQ(heap[ARENA_SIZE / 2 + 100], 0);
    EXPECT_EQ(vtable[SLOT_AV].data[65], 'A');
}

TEST_F(ValuesWorkspace, CharacterTables) {
    for (unsigned char c : std::string("+&?*%#$^!,/\\\"=@:->|._~<")) EXPECT_EQ(symp[c], 1) << c;
    for (unsigned char c : std::string("a0 ()[];'`{}")) EXPECT_EQ(symp[c], 0) << c;
    struct {
        unsigned char c;
        char cls;
    } cases[] = {
        {'a', 'A'}, {'Z', 'A'}, {'7', 'N'},  {'!', 'P'}, {'&', 'P'},  {'*', 'P'},
        {'-', 'P'}, {'/', 'P'}, {'<', 'P'},  {'@', 'P'}, {'\\', 'P'}, {'^', 'P'},
        {'|', 'P'}, {'~', 'P'}, {'\'', 'Q'}, {'`', 'Q'}, {'(', 'D'},  {'[', 'D'},
        {')', 'T'}, {']', 'T'}, {'.', 'O'},  {':', 'J'}, {';', 'E'},  {'_', 'M'},
        {'{', 'C'}, {'}', 'C'}, {' ', 'X'},  {127, 'X'}, {200, 'X'},  {0, 'X'},
    };
    for (auto& c : cases) EXPECT_EQ(cclass[c.c], c.cls) << int(c.c);
}
