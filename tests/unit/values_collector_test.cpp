// The collector: compaction of the named region with shared blocks, nested
// items, dead blocks and the operand registers of the primitive in progress.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "eval/eval.h"
#include "scalar/scalar.h"
#include "values/internal.h"
#include "values/registers.h"
#include "values/values.h"
#include "workspace_fixture.h"

class ValuesCollector : public FreshWorkspace {
protected:
    // An integer vector from..from+n-1 in descriptor v (named data).
    static void Ints(val_item* v, i64 n, i64 from) {
        v->type = TINT;
        v->rank = 1;
        v->count = n;
        v->dim0 = n;
        ASSERT_EQ(Updatead2(v, true), 0);
        std::iota(reinterpret_cast<i64*>(cad0), reinterpret_cast<i64*>(cad0) + n, from);
    }
    static void ExpectInts(const val_item& v, i64 n, i64 from) {
        const i64* d = reinterpret_cast<const i64*>(v.data);
        for (i64 i = 0; i < n; i++) ASSERT_EQ(d[i], from + i) << i;
    }
    // Walks the named region: every block live, owners pointing at their data;
    // returns the bytes the blocks take with their headers.
    static i64 CheckNamedRegion() {
        i64 b = ARENA_SIZE, total = 0;
        while (b > r15) {
            mem_node* h = reinterpret_cast<mem_node*>(heap + b - 32);
            EXPECT_EQ(h->live & 1, 1);
            EXPECT_EQ(h->owner->data, heap + b - 32 - h->bytes);
            total += h->bytes + 32;
            b -= h->bytes + 32;
        }
        EXPECT_EQ(b, r15);
        return total;
    }
};

TEST_F(ValuesCollector, EverySharerFollowsAMovedBlock) {
    Ints(&vtable[20], 50, 1000);  // top block, to die
    Ints(&vtable[18], 100, 1);
    vtable[19] = vtable[18];  // b <- a shares a's block
    RefChange(&vtable[18], 1);
    vtable[21] = vtable[18];  // and c <- b
    RefChange(&vtable[21], 1);
    ReleaseValue(&vtable[18]);  // a <- something else
    ReleaseValue(&vtable[20]);
    char* before = vtable[19].data;
    GC();
    EXPECT_NE(vtable[19].data, before);
    EXPECT_EQ(vtable[21].data, vtable[19].data);
    ExpectInts(vtable[19], 100, 1);
    EXPECT_EQ(RefChange(&vtable[21], 0), 2);
    CheckNamedRegion();
}

TEST_F(ValuesCollector, LiveSizeAfterCollection) {
    std::vector<i64> sizes = {3, 40, 7, 500, 1, 64};
    i64 expected = ARENA_SIZE - r15;  // []AV
    for (size_t i = 0; i < sizes.size(); i++) {
        Ints(&vtable[18 + i], sizes[i], 10 * i);
        if (i % 2) expected += 8 * sizes[i] + 32;
    }
    for (size_t i = 0; i < sizes.size(); i += 2) ReleaseValue(&vtable[18 + i]);
    GC();
    EXPECT_EQ(ARENA_SIZE - r15, expected);
    EXPECT_EQ(CheckNamedRegion(), expected);
    for (size_t i = 1; i < sizes.size(); i += 2) ExpectInts(vtable[18 + i], sizes[i], 10 * i);
    EXPECT_EQ(vtable[SLOT_AV].data[65], 'A');
}

// A list in slot 18 of two integer items, with a dead block above it.
static void NestedList(void (*ints)(val_item*, i64, i64)) {
    ints(&vtable[25], 30, 0);
    vtable[18].type = TLIST;
    ASSERT_EQ(Updatead0(18, TLIST, 1, 2), 0);
    vtable[18].dim0 = 2;
    val_item* items = reinterpret_cast<val_item*>(cad0);
    ints(&items[0], 5, 100);
    items = reinterpret_cast<val_item*>(vtable[18].data);
    ints(&items[1], 7, 200);
    ReleaseValue(&vtable[25]);
}

TEST_F(ValuesCollector, NestedItemsStayValid) {
    NestedList(Ints);
    vtable[19] = vtable[18];  // shared list
    RefChange(&vtable[19], 1);
    char* before = vtable[18].data;
    GC();
    ASSERT_NE(vtable[18].data, before);
    EXPECT_EQ(vtable[19].data, vtable[18].data);
    val_item* items = reinterpret_cast<val_item*>(vtable[18].data);
    ExpectInts(items[0], 5, 100);
    ExpectInts(items[1], 7, 200);
    CheckNamedRegion();  // item owners re-pointed too
    GC();                // and stable on a second pass
    ExpectInts(items[1], 7, 200);
}

TEST_F(ValuesCollector, DeadListGivesUpItsItems) {
    i64 empty = r15;
    NestedList(Ints);
    ReleaseValue(&vtable[18]);
    GC();
    EXPECT_EQ(r15, empty);
}

TEST_F(ValuesCollector, ReplacedValueReclaimed) {
    i64 empty = r15;
    Ints(&vtable[18], 10, 0);
    vtable[19] = vtable[18];
    RefChange(&vtable[19], 1);
    ReleaseValue(&vtable[18]);
    GC();
    EXPECT_EQ(ARENA_SIZE - r15, ARENA_SIZE - empty + 80 + 32);
    ReleaseValue(&vtable[19]);
    GC();
    EXPECT_EQ(r15, empty);
}

TEST_F(ValuesCollector, DescriptorBeingBuiltFollowsItsBlock) {
    Ints(&vtable[20], 10, 0);
    val_item building{};
    Ints(&building, 6, 60);  // owner outside the tables
    ReleaseValue(&vtable[20]);
    GC();
    ExpectInts(building, 6, 60);
    EXPECT_EQ(reinterpret_cast<mem_node*>(building.data + 48)->owner, &building);
    ReleaseValue(&building);
}

TEST_F(ValuesCollector, OperandRegistersRefreshed) {
    struct {
        i64 type;
    } cases[] = {{TINT}, {TDATE}, {TFLOAT}, {TDATETIME}, {TCHAR}};
    for (auto& c : cases) {
        CleanEX(false);
        Ints(&vtable[20], 10, 0);
        Ints(&vtable[18], 4, 1);
        vtable[18].type = c.type;
        Ints(&vtable[21], 10, 0);
        ctable[22] = vtable[21];
        reinterpret_cast<mem_node*>(ctable[22].data + 80)->owner = &ctable[22];
        vtable[21] = val_item{};
        ReleaseValue(&vtable[20]);
        lo0 = nullptr;
        lo1 = nullptr;
        lo2 = nullptr;
        lo3 = nullptr;
        ro1 = nullptr;
        gclx = 18;
        gcrx = -22;
        GC();
        char* left = vtable[18].data;
        void* seen = c.type == TCHAR                           ? static_cast<void*>(lo3)
                     : c.type == TFLOAT || c.type == TDATETIME ? static_cast<void*>(lo2)
                                                               : static_cast<void*>(lo1);
        EXPECT_EQ(seen, left) << c.type;
        EXPECT_EQ(ro1, reinterpret_cast<i64*>(ctable[22].data));
        EXPECT_EQ(gclx, 0);
        EXPECT_EQ(gcrx, 0);
    }
}

TEST_F(ValuesCollector, FullArenaFallsBackToLargeBlocks) {
    // Fill the named region with 60,000-byte blocks, half of them dead.
    i64 n = 0;
    for (i64 vx = 18; r15 - stacktop > 60032 * 2; vx++, n++) {
        vtable[vx].type = TCHAR;
        ASSERT_EQ(Updatead0(vx, TCHAR, 1, 59999), 0);
        p3[0] = static_cast<char>('a' + vx % 26);
    }
    for (i64 vx = 18; vx < 18 + n; vx += 2) ReleaseValue(&vtable[vx]);
    i64 vx = 18 + n;
    for (i64 k = 0; k < n; k++, vx++) {  // more than the room left
        vtable[vx].type = TCHAR;
        ASSERT_EQ(Updatead0(vx, TCHAR, 1, 59999), 0);
        p3[0] = static_cast<char>('a' + vx % 26);
    }
    for (i64 v = 19; v < vx; v += (v < 18 + n ? 2 : 1))
        ASSERT_EQ(vtable[v].data[0], 'a' + v % 26) << v;
    EXPECT_NE(HA0->next, nullptr);  // the last ones went large
    CheckNamedRegion();
}

TEST_F(ValuesCollector, AMonadicFunctionReadsItsOperandWhereTheCollectorMovedIt) {
    // Named floats: a dead block above the operand and a live one below it;
    // the temporaries reach up to the room the arena keeps for guards, so
    // the result's allocation collects, moving the operand up and the block
    // below into the operand's old place.
    auto floats = [](val_item* v, i64 n, double from) {
        v->type = TFLOAT;
        v->rank = 1;
        v->count = n;
        v->dim0 = n;
        ASSERT_EQ(Updatead2(v, true), 0);
        double* d = reinterpret_cast<double*>(cad0);
        for (i64 i = 0; i < n; i++) d[i] = from + (double)i;
    };
    floats(&vtable[20], 1000, -1.0);
    floats(&vtable[18], 1000, 1.5);
    floats(&vtable[19], 1000, 5000.0);
    ReleaseValue(&vtable[20]);
    stacktop = (r15 - GUARD_ROOM - 1000) & ~static_cast<i64>(7);
    char* before = vtable[18].data;
    ASSERT_EQ(PfScalar0(FC_NEGATE, 4, -1, 18), 0);
    EXPECT_NE(vtable[18].data, before);
    const double* out = reinterpret_cast<const double*>(vtable[4].data);
    for (i64 i = 0; i < 1000; i++) ASSERT_EQ(out[i], -1.5 - (double)i) << i;
}

// A temporary a statement leaves behind describes data in the temporary
// area, which the next statement writes over: when the area is cut back the
// slot is emptied, so a collection never reads that data as items.
TEST_F(ValuesCollector, TemporariesOfAnEarlierStatementAreEmptied) {
    ResetTemps(0);
    i64 counter = 3, slot = 0;
    for (int k = 0; k < 3; k++) slot = Incstkv(&counter);
    ASSERT_EQ(slot, 6);
    val_item* list = &vtable[slot];
    *list = val_item{};
    list->type = TLIST;
    list->rank = 1;
    list->count = list->dim0 = 2;
    ASSERT_TRUE(PlaceTemp(list, 2 * 64, TLIST));
    char* data = list->data;
    ResetTemps(0);
    EXPECT_EQ(vtable[slot].count, 0);
    EXPECT_EQ(vtable[slot].data, nullptr);
    // The next statement's temporaries fill the same bytes with what would
    // read as items: lists of a huge count at a wild address.
    val_item* items = reinterpret_cast<val_item*>(data);
    for (int k = 0; k < 2; k++) {
        items[k] = val_item{};
        items[k].type = TLIST;
        items[k].count = 4607182418800017408;  // the bits of 1.0
        items[k].data = reinterpret_cast<char*>(1);
    }
    Ints(&vtable[20], 50, 1000);
    Ints(&vtable[18], 100, 1);
    ReleaseValue(&vtable[20]);
    GC();
    ExpectInts(vtable[18], 100, 1);
}
