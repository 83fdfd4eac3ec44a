// Result allocation: named and temporary data, reuse, sharing, large
// blocks, size checks and the temporary slot counter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "eval/eval.h"
#include "values/internal.h"
#include "values/registers.h"
#include "values/values.h"
#include "workspace_fixture.h"

class ValuesArena : public FreshWorkspace {
protected:
    // An integer vector 1..n in slot vx.
    static void Iota(i64 vx, i64 n) {
        vtable[vx].type = TINT;
        ASSERT_EQ(Updatead0(vx, TINT, 1, n), 0);
        vtable[vx].dim0 = n;
        std::iota(p1, p1 + n, 1);
    }
    static i64 Blocks() {
        i64 n = 0;
        for (heap_node* p = HA0->next; p; p = p->next) n++;
        return n;
    }
};

TEST_F(ValuesArena, NamedBlockReusedInPlace) {
    Iota(18, 10);
    i64 below = r15;
    char* data = vtable[18].data;
    EXPECT_EQ(RefChange(&vtable[18], 0), 1);
    Iota(18, 8);
    EXPECT_EQ(r15, below);
    EXPECT_EQ(vtable[18].data, data);
    EXPECT_EQ(cad0, data);
}

TEST_F(ValuesArena, SharedBlockGetsNewBlock) {
    Iota(18, 10);
    vtable[19] = vtable[18];  // assignment shares the block
    EXPECT_EQ(RefChange(&vtable[19], 1), 2);
    Iota(18, 10);
    EXPECT_NE(vtable[18].data, vtable[19].data);
    EXPECT_EQ(RefChange(&vtable[19], 0), 1);
    EXPECT_EQ(RefChange(&vtable[18], 0), 1);
    EXPECT_EQ(reinterpret_cast<i64*>(vtable[19].data)[9], 10);
}

TEST_F(ValuesArena, CollisionForcesNewBlock) {
    Iota(18, 10);
    char* data = vtable[18].data;
    collision = 1;
    Iota(18, 10);
    EXPECT_NE(vtable[18].data, data);
}

TEST_F(ValuesArena, BothEndsOfTheArena) {
    i64 top = r15;
    Iota(4, 3);  // a temporary: bottom
    EXPECT_EQ(vtable[4].data, heap);
    EXPECT_EQ(stacktop, 24);
    Iota(18, 3);  // a variable: top, with header
    EXPECT_EQ(r15, top - 24 - 32);
    EXPECT_EQ(vtable[18].data, heap + r15);
    mem_node* h = reinterpret_cast<mem_node*>(vtable[18].data + 24);
    EXPECT_EQ(h->owner, &vtable[18]);
    EXPECT_EQ(h->refcount, 1);
    EXPECT_EQ(h->live & 1, 1);
}

TEST_F(ValuesArena, CharacterTemporaryEndsWithZero) {
    std::memset(heap, 'z', 16);
    vtable[5].type = TCHAR;
    ASSERT_EQ(Updatead0(5, TCHAR, 1, 5), 0);
    EXPECT_EQ(p3, heap);
    EXPECT_EQ(p3[5], 0);
    EXPECT_EQ(stacktop, 8);  // six bytes, kept aligned
}

TEST_F(ValuesArena, InlineAndEmptyResults) {
    vtable[6].type = TFLOAT;
    ASSERT_EQ(Updatead0(6, TFLOAT, 0, 1), 0);
    EXPECT_EQ(cad0, reinterpret_cast<char*>(&vtable[6].dim0));
    EXPECT_EQ(p2, reinterpret_cast<double*>(&vtable[6].dim0));
    ASSERT_EQ(Updatead0(6, TFLOAT, 1, 0), 0);
    EXPECT_EQ(cad0, nullptr);
    EXPECT_EQ(stacktop, 0);
}

TEST_F(ValuesArena, CursorsByType) {
    struct {
        i64 type;
        void** cursor;
    } cases[] = {
        {TINT, reinterpret_cast<void**>(&p1)},  {TDATE, reinterpret_cast<void**>(&p1)},
        {TENUM, reinterpret_cast<void**>(&p1)}, {TDATETIME, reinterpret_cast<void**>(&p2)},
        {TCPLX, reinterpret_cast<void**>(&p2)}, {TCHAR, reinterpret_cast<void**>(&p3)},
    };
    for (auto& c : cases) {
        *c.cursor = nullptr;
        vtable[7].type = c.type;
        ASSERT_EQ(Updatead0(7, c.type, 1, 4), 0);
        EXPECT_EQ(*c.cursor, cad0) << c.type;
    }
}

TEST_F(ValuesArena, LargeTemporaryLeavesArena) {
    Iota(8, 10000);  // 80,000 bytes
    EXPECT_EQ(stacktop, 0);
    EXPECT_TRUE(IsLargeData(vtable[8].data));
    EXPECT_EQ(reinterpret_cast<i64*>(vtable[8].data)[9999], 10000);
}

TEST_F(ValuesArena, LargeVariableBlockCounted) {
    i64 top = r15;
    Iota(18, 9000);
    EXPECT_TRUE(IsLargeData(vtable[18].data));
    EXPECT_EQ(r15, top);
    EXPECT_EQ(RefChange(&vtable[18], 1), 2);
    EXPECT_EQ(RefChange(&vtable[18], -1), 1);
    EXPECT_EQ(Blocks(), 1);
    EXPECT_EQ(RefChange(&vtable[18], -1), 0);  // freed at once
    EXPECT_EQ(Blocks(), 0);
}

TEST_F(ValuesArena, TemporaryLargeBlockReleasedOnce) {
    Iota(9, 10000);
    Iota(10, 10000);
    EXPECT_EQ(Blocks(), 2);
    Iota(9, 20000);  // slot 9's first block goes
    EXPECT_EQ(Blocks(), 2);
    Iota(9, 3);  // arena data; large one kept
    EXPECT_EQ(Blocks(), 2);
    Iota(9, 9000);  // now it is released
    EXPECT_EQ(Blocks(), 2);
    ReleaseValue(&vtable[9]);  // released here ...
    EXPECT_EQ(Blocks(), 1);
    Iota(9, 9000);  // ... and not again here
    EXPECT_EQ(Blocks(), 2);
    CleanEX(false);
    EXPECT_EQ(Blocks(), 0);
    Iota(9, 9000);  // nothing left to release
    EXPECT_EQ(Blocks(), 1);
}

// Fills the arena with live named blocks from slot 18 up, until less than
// free bytes are left beside the room kept for guards; returns the next
// free slot.
static i64 FillArena(i64 free) {
    i64 vx = 18;
    for (i64 left; (left = r15 - stacktop - GUARD_ROOM - free) > 32; vx++) {
        i64 n = std::min<i64>(left - 32, 60000);
        vtable[vx].type = TCHAR;
        EXPECT_EQ(Updatead0(vx, TCHAR, 1, n - 1), 0);
        EXPECT_FALSE(IsLargeData(vtable[vx].data));
    }
    return vx;
}

// n items of 100 integers each, placed as named or temporary data.
static void PlaceItems(std::vector<val_item>& items, i64 n, bool named) {
    items.assign(n, val_item{TINT, 1, 100, 0, 0, 100, 0, nullptr});
    for (val_item& item : items) ASSERT_EQ(Updatead2(&item, named), 0);
}

TEST_F(ValuesArena, AFullArenaCollectsOnlyWhenACollectionMakesRoom) {
    i64 vx = FillArena(0);
    i64 runs = collections;
    std::vector<val_item> items;
    PlaceItems(items, 1000, true);  // nothing dead: every item goes large
    EXPECT_EQ(collections, runs);
    EXPECT_EQ(Blocks(), 1000);
    // A dead block makes room: one collection, and the items fit again.
    ReleaseValue(&vtable[vx - 2]);
    std::vector<val_item> more;
    PlaceItems(more, 10, true);
    EXPECT_EQ(collections, runs + 1);
    EXPECT_EQ(Blocks(), 1000);
    // The named items that went large are given back with their list.
    for (val_item& item : items) LoseBlock(&item);
    EXPECT_EQ(Blocks(), 0);
}

TEST_F(ValuesArena, TemporaryItemsInLargeBlocksGoWithTheirTemporaries) {
    FillArena(0);
    i64 mark = stacktop;
    std::vector<val_item> items;
    PlaceItems(items, 600, false);  // more guards than the kept room holds
    EXPECT_EQ(Blocks(), 600);
    EXPECT_LE(r15 - stacktop, GUARD_BYTES);  // the room kept for guards is used up
    ResetTemps(stacktop);  // a mark taken after the blocks were given
    EXPECT_EQ(Blocks(), 600);
    ResetTemps(mark);
    EXPECT_EQ(Blocks(), 0);
}

TEST_F(ValuesArena, SizeFromUserDataChecked) {
    struct {
        i64 type, count;
    } cases[] = {
        {TINT, i64{1} << 40}, {TLIST, i64{1} << 58}, {TCHAR, i64{1} << 35}, {TCPLX, INT64_MAX / 4},
        {TINT, -5},
    };
    for (auto& c : cases) {
        errchk = 0;
        vtable[11].type = c.type;
        EXPECT_EQ(Updatead0(11, c.type, 1, c.count), 6) << c.count;
        EXPECT_EQ(errchk, 6);
        EXPECT_EQ(Updatead0(20, c.type, 1, c.count), 6) << c.count;
        val_item item{};
        item.type = c.type;
        item.rank = 1;
        item.count = c.count;
        EXPECT_EQ(Updatead2(&item, true), c.count > 0 ? 6 : 0);
        EXPECT_EQ(item.data, nullptr);
    }
    EXPECT_EQ(CheckSize(TINT, 1000), 0);
    EXPECT_EQ(Blocks(), 0);
}

TEST_F(ValuesArena, TemporarySlotCounter) {
    struct {
        i64 from, slot, err;
    } cases[] = {
        {3, 4, 0},         {16, 17, 0},   {17, 15384, 0}, {15384, 15385, 0},
        {16382, 16383, 0}, {16383, 0, 5}, {100, 0, 5},    {0, 0, 5},
    };
    for (auto& c : cases) {
        i64 counter = c.from;
        errchk = 0;
        EXPECT_EQ(Incstkv(&counter), c.slot) << c.from;
        EXPECT_EQ(errchk, c.err) << c.from;
        EXPECT_EQ(counter, c.err ? c.from : c.slot);
    }
}

TEST_F(ValuesArena, CollisionTest) {
    EXPECT_EQ(CkCollision(18, -1, 18, -1, 5), 1);
    EXPECT_EQ(CkCollision(18, -1, 5, -1, 18), 1);
    EXPECT_EQ(CkCollision(18, 3, 18, -1, 5), 0);
    EXPECT_EQ(CkCollision(17, -1, 17, -1, 5), 0);
}

TEST_F(ValuesArena, ConstantData) {
    i64 top = r15;
    ctable[30].type = TINT;
    ASSERT_EQ(Updatead1(30, TINT, 4), 0);
    EXPECT_EQ(cad0, heap + r15);
    EXPECT_EQ(r15, top - 32 - 32);
    EXPECT_EQ(reinterpret_cast<mem_node*>(cad0 + 32)->owner, &ctable[30]);
    ctable[30].data = cad0;
    ctable[30].count = 4;
    EXPECT_EQ(RefChange(&ctable[30], 0), 1);
    ASSERT_EQ(Updatead1(31, TINT, 9000), 0);  // 72,000 bytes: large
    EXPECT_TRUE(IsLargeData(cad0));
}

TEST_F(ValuesArena, ItemData) {
    val_item item{};
    item.type = TCHAR;
    item.rank = 1;
    item.count = 3;
    i64 top = r15;
    ASSERT_EQ(Updatead2(&item, true), 0);
    EXPECT_EQ(item.data, cad0);
    EXPECT_EQ(cad0[3], 0);
    EXPECT_EQ(r15, top - 8 - 32);
    char* first = item.data;
    ASSERT_EQ(Updatead2(&item, true), 0);  // never reused: new block
    EXPECT_NE(item.data, first);
    mem_node* old = reinterpret_cast<mem_node*>(first + 8);
    EXPECT_EQ(old->live & 1, 0);  // the old one lost its reference
    val_item temp{};
    temp.type = TLIST;
    temp.rank = 1;
    temp.count = 2;
    ASSERT_EQ(Updatead2(&temp, false), 0);
    EXPECT_EQ(temp.data, heap);
    EXPECT_EQ(stacktop, 128);
    EXPECT_EQ(reinterpret_cast<val_item*>(temp.data)[1].bytes, 0);
}

TEST_F(ValuesArena, ShapeFromAnotherSlot) {
    vtable[18].type = TINT;
    ASSERT_EQ(Updatead0(18, TINT, 2, 6), 0);
    vtable[18].dim0 = 2;
    vtable[18].dim1 = 3;
    ASSERT_EQ(TransFad(4, TFLOAT, 18), 0);
    EXPECT_EQ(vtable[4].rank, 2);
    EXPECT_EQ(vtable[4].count, 6);
    EXPECT_EQ(vtable[4].dim1, 3);
    EXPECT_EQ(p2, reinterpret_cast<double*>(vtable[4].data));
    EXPECT_EQ(stacktop, 48);
    ASSERT_EQ(TransFadc(5, TINT, 1), 0);  // integer scalar 1
    EXPECT_EQ(vtable[5].rank, 0);
    EXPECT_EQ(vtable[5].count, 1);
    EXPECT_EQ(stacktop, 48);
}

TEST_F(ValuesArena, ShapeWrittenAfterData) {
    vtable[4].type = TINT;
    ASSERT_EQ(Updatead0(4, TINT, 2, 6), 0);
    Updateaz(4, 2, 6, 2, 3);
    EXPECT_EQ(vtable[4].dim0, 2);
    EXPECT_EQ(vtable[4].dim1, 3);
    EXPECT_EQ(vtable[4].data, cad0);
    Updateaz(5, 1, 4, 9, 9);
    EXPECT_EQ(vtable[5].dim0, 4);
}

TEST_F(ValuesArena, ScratchBuffers) {
    ASSERT_EQ(Incstktpt(3, 1, TCHAR), 0);
    EXPECT_EQ(cad0[3], 0);
    EXPECT_EQ(reinterpret_cast<char*>(ltmp), cad0);
    ASSERT_EQ(Incstktpt(2, 2, TFLOAT), 0);
    EXPECT_EQ(rtmp, reinterpret_cast<double*>(cad0));
    GM_free();
}
