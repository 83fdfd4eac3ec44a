// Copying values: shapes, deep copies, elements, selections, lists made from
// arrays, catenation, and copies made while the arena is being compacted.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "primitives/primitives.h"
#include "values/internal.h"
#include "values/values.h"
#include "workspace_fixture.h"

namespace {

void IntVec(val_item* v, const std::vector<i64>& xs, bool named) {
    *v = val_item{};
    v->type = TINT;
    v->rank = 1;
    v->count = static_cast<i64>(xs.size());
    ASSERT_EQ(Updatead2(v, named), 0);
    if (!isoneV(v)) v->dim0 = v->count;
    if (!xs.empty()) std::memcpy(getptV(v), xs.data(), 8 * xs.size());
}

void SlotInts(i64 vx, const std::vector<i64>& xs) {
    vtable[vx] = val_item{};
    vtable[vx].type = TINT;
    ASSERT_EQ(Updatead0(vx, TINT, 1, static_cast<i64>(xs.size())), 0);
    if (!isoneV(&vtable[vx])) vtable[vx].dim0 = static_cast<i64>(xs.size());
    if (!xs.empty()) std::memcpy(getptV(&vtable[vx]), xs.data(), 8 * xs.size());
}

void SlotChars(i64 vx, const std::string& s, i64 rows = 0) {
    vtable[vx] = val_item{};
    vtable[vx].type = TCHAR;
    i64 n = static_cast<i64>(s.size());
    ASSERT_EQ(Updatead0(vx, TCHAR, rows ? 2 : 1, n), 0);
    if (rows) {
        vtable[vx].dim0 = rows;
        vtable[vx].dim1 = n / rows;
    } else if (n != 1) {
        vtable[vx].dim0 = n;
    }
    std::memcpy(getptV(&vtable[vx]), s.data(), n);
}

std::vector<i64> Ints(val_item* v) {
    const i64* p = static_cast<const i64*>(getptV(v));
    return std::vector<i64>(p, p + v->count);
}

std::string Chars(val_item* v) {
    return std::string(static_cast<const char*>(getptV(v)), v->count);
}

// A list of integer vectors in slot vx.
void SlotList(i64 vx, const std::vector<std::vector<i64>>& items) {
    vtable[vx] = val_item{};
    vtable[vx].type = TLIST;
    ASSERT_EQ(Updatead0(vx, TLIST, 1, static_cast<i64>(items.size())), 0);
    for (size_t k = 0; k < items.size(); k++) {
        val_item item{};
        IntVec(&item, items[k], isnamedslot(vx));
        MoveItem(&reinterpret_cast<val_item*>(vtable[vx].data)[k], &item);
    }
}

val_item* Item(val_item* v, i64 k) { return &reinterpret_cast<val_item*>(v->data)[k]; }

class EvalStore : public FreshWorkspace {};

TEST_F(EvalStore, UndefinedSourceIsValueErrorAndLeavesDestination) {
    vtable[19].rank = -1;
    val_item dst{};
    dst.type = TCHAR;
    EXPECT_EQ(GenStoreV2(&dst, &vtable[19], true), 4);
    EXPECT_EQ(dst.type, TCHAR);
    EXPECT_EQ(GenStore(20, -1, 19), 4);
}

TEST_F(EvalStore, RankThreeCopiesGetTheirOwnRuns) {
    vtable[18] = val_item{};
    vtable[18].type = TINT;
    vtable[18].dim1 = nxtglx + 1;
    glist[++nxtglx] = 3;
    glist[++nxtglx] = 4;
    glist[++nxtglx] = -1;
    ASSERT_EQ(Updatead0(18, TINT, 3, 24), 0);
    vtable[18].dim0 = 2;
    ASSERT_EQ(GenStore(19, -1, 18), 0);
    ASSERT_EQ(GenStore(20, -1, 18), 0);
    i64 a = vtable[19].dim1, b = vtable[20].dim1;
    EXPECT_NE(a, b);
    for (i64 run : {a, b}) {
        EXPECT_EQ(glist[run], 3);
        EXPECT_EQ(glist[run + 1], 4);
        EXPECT_EQ(glist[run + 2], -1);
    }
    // Each run leaves room for the strides computed beside it.
    EXPECT_GE(b - a, 4);
    EXPECT_EQ(vtable[20].dim0, 2);
}

TEST_F(EvalStore, FullShapeStoreIsGlistFull) {
    vtable[18] = val_item{};
    vtable[18].type = TINT;
    vtable[18].dim1 = nxtglx + 1;
    glist[++nxtglx] = 1;
    glist[++nxtglx] = 1;
    glist[++nxtglx] = -1;
    ASSERT_EQ(Updatead0(18, TINT, 3, 1), 0);
    vtable[18].dim0 = 1;
    i64 saved = nxtglx;
    nxtglx = GLIST_SIZE - 3;
    EXPECT_EQ(GenStore(19, -1, 18), 9);
    EXPECT_EQ(nxtglx, GLIST_SIZE - 3);
    nxtglx = saved;
}

TEST_F(EvalStore, ElementOfVector) {
    SlotInts(18, {5, 6, 7});
    val_item one{};
    ASSERT_EQ(GenStoreV3(&one, &vtable[18], 2, false), 0);
    EXPECT_EQ(one.type, TINT);
    EXPECT_EQ(one.rank, 1);
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.dim0, 7);
    vtable[19] = vtable[18];
    vtable[19].type = TDATE;
    EXPECT_EQ(GenStoreV3(&one, &vtable[19], 0, false), 1);
    vtable[19] = val_item{};
}

TEST_F(EvalStore, SelectionsAndRepeats) {
    SlotInts(18, {10, 20, 30});
    const i64 idx[] = {2, 0};
    struct Case {
        i64 repeat;
        std::vector<i64> want;
    } cases[] = {{0, {30, 10}}, {1, {30, 30}}};
    for (const Case& c : cases) {
        ASSERT_EQ(GenStoreDp(4, &vtable[18], idx, 2, c.repeat), 0);
        EXPECT_EQ(Ints(&vtable[4]), c.want);
    }
}

TEST_F(EvalStore, CatenationCases) {
    SlotChars(18, "abcd", 2);
    SlotChars(19, "x");
    val_item out{};
    ASSERT_EQ(GenStoreG(&out, &vtable[18], &vtable[19], false), 0);
    EXPECT_EQ(out.rank, 2);
    EXPECT_EQ(out.dim0, 3);
    EXPECT_EQ(out.dim1, 2);
    EXPECT_EQ(Chars(&out), "abcdx ");

    SlotInts(20, {1, 2});
    vtable[21] = val_item{};
    vtable[21].type = TFLOAT;
    ASSERT_EQ(Updatead0(21, TFLOAT, 0, 1), 0);
    *reinterpret_cast<double*>(&vtable[21].dim0) = 0.5;
    ASSERT_EQ(GenStoreG(&out, &vtable[20], &vtable[21], false), 0);
    EXPECT_EQ(out.type, TFLOAT);
    ASSERT_EQ(out.count, 3);
    const double* d = static_cast<const double*>(getptV(&out));
    EXPECT_EQ(d[0], 1.0);
    EXPECT_EQ(d[1], 2.0);
    EXPECT_EQ(d[2], 0.5);

    vtable[22] = vtable[20];
    vtable[22].type = TSYM;
    EXPECT_EQ(GenStoreG(&out, &vtable[19], &vtable[22], false), 1);
    vtable[22] = val_item{};
}

TEST_F(EvalStore, MatrixRowsBecomeListItems) {
    vtable[18] = val_item{};
    vtable[18].type = TINT;
    ASSERT_EQ(Updatead0(18, TINT, 2, 6), 0);
    vtable[18].dim0 = 2;
    vtable[18].dim1 = 3;
    for (i64 k = 0; k < 6; k++) p1[k] = k + 1;
    val_item out{};
    ASSERT_EQ(GenStorePar2V(&out, &vtable[18], false), 0);
    EXPECT_EQ(out.type, TLIST);
    ASSERT_EQ(out.count, 2);
    EXPECT_EQ(Ints(Item(&out, 0)), (std::vector<i64>{1, 2, 3}));
    EXPECT_EQ(Ints(Item(&out, 1)), (std::vector<i64>{4, 5, 6}));
}

TEST_F(EvalStore, ListCopyIsDeep) {
    SlotList(18, {{1, 2, 3}, {4}, {}});
    ASSERT_EQ(GenStore(19, -1, 18), 0);
    EXPECT_NE(Item(&vtable[19], 0)->data, Item(&vtable[18], 0)->data);
    static_cast<i64*>(getptV(Item(&vtable[18], 0)))[0] = 99;
    EXPECT_EQ(Ints(Item(&vtable[19], 0)), (std::vector<i64>{1, 2, 3}));
    EXPECT_EQ(Ints(Item(&vtable[19], 1)), (std::vector<i64>{4}));
    EXPECT_EQ(Item(&vtable[19], 2)->count, 0);
}

// Copies must read their sources through the compaction an allocation
// may start: source items move under the copy.
TEST_F(EvalStore, CopyWhileTheArenaIsCompacted) {
    SlotInts(19, std::vector<i64>(5000, 7));  // becomes garbage below
    SlotList(18, {{1, 2, 3}, {4, 5}, std::vector<i64>(100, 9)});
    DropRef(&vtable[19]);
    vtable[19] = val_item{};
    char* before = vtable[18].data;
    stacktop = r15 - 64;  // no room left: the next named block collects
    ASSERT_EQ(GenStore(20, -1, 18), 0);
    stacktop = 0;
    EXPECT_NE(vtable[18].data, before);  // the source really moved
    EXPECT_EQ(Ints(Item(&vtable[20], 0)), (std::vector<i64>{1, 2, 3}));
    EXPECT_EQ(Ints(Item(&vtable[20], 1)), (std::vector<i64>{4, 5}));
    EXPECT_EQ(Ints(Item(&vtable[20], 2)), std::vector<i64>(100, 9));
    EXPECT_EQ(Ints(Item(&vtable[18], 1)), (std::vector<i64>{4, 5}));
}

// A named list of two empty items in slot 18, the lowest named block, under a
// dead block of 40,000 bytes; the temporaries reach up to the named region.
// So the next named block a copy places collects, and the list moves up.
void ListUnderADeadBlock() {
    SlotInts(25, std::vector<i64>(5000, 1));
    vtable[18] = val_item{};
    vtable[18].type = TLIST;
    ASSERT_EQ(Updatead0(18, TLIST, 1, 2), 0);
    vtable[18].dim0 = 2;
    for (i64 k = 0; k < 2; k++) *Item(&vtable[18], k) = val_item{TINT, 1, 0, 0, 0, 0, 0, nullptr};
    DropRef(&vtable[25]);
    vtable[25] = val_item{};
    stacktop = r15 - 64;
}

// Each copy routine writes its result into an item of a list that the
// collection its own allocation starts moves: the item is written where the
// list went, not where it was.
TEST_F(EvalStore, CopiesIntoAListItemFollowTheListTheCollectorMoved) {
    std::vector<i64> hundred(100);
    for (i64 k = 0; k < 100; k++) hundred[k] = k + 1;
    std::vector<i64> odd, twice = hundred;
    for (i64 k = 0; k < 100; k += 2) odd.push_back(k + 1);
    twice.insert(twice.end(), hundred.begin(), hundred.end());
    static i64 evens[50];
    for (i64 k = 0; k < 50; k++) evens[k] = 2 * k;
    struct Case {
        const char* name;
        i64 (*copy)(val_item* dst);
        std::vector<i64> want;  // the item's integers (a list: its first item's)
    } cases[] = {
        {"GenStoreV2", [](val_item* d) { return GenStoreV2(d, &vtable[20], true); }, hundred},
        {"GenStoreV1", [](val_item* d) { return GenStoreV1(d, -1, 20, true); }, hundred},
        {"GenStoreX", [](val_item* d) { return GenStoreX(d, &vtable[21], 100, true); },
         std::vector<i64>(100, 7)},
        {"GenStoreG", [](val_item* d) { return GenStoreG(d, &vtable[20], &vtable[20], true); },
         twice},
        {"Savea", [](val_item* d) { return Savea(d, &vtable[20], evens, 50, true); }, odd},
        {"GenStorePar1", [](val_item* d) { return GenStorePar1(d, -1, 20, true); }, {1}},
        {"GenStorePar2V", [](val_item* d) { return GenStorePar2V(d, &vtable[22], true); },
         std::vector<i64>(hundred.begin(), hundred.begin() + 50)},
        {"GenStored", [](val_item* d) { return GenStored(d, &vtable[20], 1, true); }, hundred},
    };
    for (const Case& c : cases) {
        CleanEX(false);
        SlotInts(20, hundred);
        SlotInts(21, {7});
        SlotInts(22, hundred);
        vtable[22].rank = 2;
        vtable[22].dim0 = 2;
        vtable[22].dim1 = 50;
        ListUnderADeadBlock();
        char* before = vtable[18].data;
        i64 e = c.copy(Item(&vtable[18], 1));
        stacktop = 0;
        ASSERT_EQ(e, 0) << c.name;
        EXPECT_NE(vtable[18].data, before) << c.name;  // the list really moved
        val_item* got = Item(&vtable[18], 1);
        if (got->type == TLIST) got = Item(got, 0);
        EXPECT_EQ(Ints(got), c.want) << c.name;
    }
}

// A list literal assigned to a name copies its items into the new list; the
// list moves when a copy collects.
TEST_F(EvalStore, ListLiteralItemsFollowTheListTheCollectorMoved) {
    SlotInts(19, {4, 5, 6});
    SlotInts(20, std::vector<i64>(100, 9));
    SlotInts(25, std::vector<i64>(5000, 1));
    vtable[18] = val_item{};  // the list goes below the dead block
    DropRef(&vtable[25]);
    vtable[25] = val_item{};
    // Room for the list and the first item, with their headers, and not
    // for the second, beside the room the arena keeps for guards.
    i64 room = 32 + 2 * 64 + 32 + 24;
    stacktop = r15 - GUARD_ROOM - room;
    i64 cidx[1] = {-1}, vidx[1] = {20};  // the item after the leftmost
    i64 e = GenAlist(18, -1, 19, cidx, vidx, 0);
    stacktop = 0;
    ASSERT_EQ(e, 0);
    ASSERT_EQ(vtable[18].type, TLIST);
    EXPECT_EQ(Ints(Item(&vtable[18], 0)), (std::vector<i64>{4, 5, 6}));
    EXPECT_EQ(Ints(Item(&vtable[18], 1)), std::vector<i64>(100, 9));
}

TEST_F(EvalStore, CopyOntoItselfKeepsElements) {
    for (i64 n : {3, 20000}) {  // arena block, then a large block
        std::vector<i64> xs(n);
        for (i64 k = 0; k < n; k++) xs[k] = k * 3;
        SlotInts(18, xs);
        vtable[19] = vtable[18];  // shared: the copy must not free it
        RefChange(&vtable[18], 1);
        collision = 1;
        ASSERT_EQ(GenStore(18, -1, 18), 0);
        collision = 0;
        EXPECT_EQ(Ints(&vtable[18]), xs);
        EXPECT_EQ(Ints(&vtable[19]), xs);
        EXPECT_NE(vtable[18].data, vtable[19].data);
        DropRef(&vtable[19]);
        vtable[19] = val_item{};
    }
}

TEST_F(EvalStore, MoveTellsTheBlockItsNewOwner) {
    SlotInts(18, {1, 2, 3, 4});
    ASSERT_EQ(GenStoreB(&vtable[20], 18), 0);
    EXPECT_EQ(vtable[18].rank, -1);
    EXPECT_EQ(RefChange(&vtable[20], 0), 1);
    GC();
    EXPECT_EQ(Ints(&vtable[20]), (std::vector<i64>{1, 2, 3, 4}));
}

}  // namespace
