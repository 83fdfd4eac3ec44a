// Index arithmetic (strides, saved index lists, positions and offsets),
// enumeration indexing, and the scratch slots of each under a collection.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "scalar/scalar.h"
#include "values/values.h"
#include "workspace_fixture.h"

namespace {

class IndexCalc : public FreshWorkspace {
protected:
    // A value of the given shape in slot vx; the run reserves stride room
    // when room is set (as the makers of runs do), else only its end mark.
    static void Shaped(i64 vx, const std::vector<i64>& dims, bool room) {
        i64 r = static_cast<i64>(dims.size());
        vtable[vx] = val_item{};
        vtable[vx].type = TINT;
        vtable[vx].rank = r;
        vtable[vx].dim0 = dims[0];
        if (room) {
            i64 run;
            ASSERT_EQ(shape_run(dims.data(), r, &run), 0);
            vtable[vx].dim1 = run;
        } else {
            vtable[vx].dim1 = nxtglx + 1;
            for (i64 k = 1; k < r; k++) glist[++nxtglx] = dims[k];
            glist[++nxtglx] = -1;
        }
    }
    // Integers or floats in slot vx: a scalar for one element, else a vector.
    static void Vec(i64 vx, i64 type, const std::vector<double>& xs) {
        i64 n = static_cast<i64>(xs.size());
        vtable[vx] = val_item{};
        vtable[vx].type = type;
        ASSERT_EQ(Updatead0(vx, type, n == 1 ? 0 : 1, n), 0);
        if (!isoneV(&vtable[vx])) vtable[vx].dim0 = n;
        for (i64 k = 0; k < n; k++) {
            if (type == TFLOAT) static_cast<double*>(getptV(&vtable[vx]))[k] = xs[k];
            else static_cast<i64*>(getptV(&vtable[vx]))[k] = static_cast<i64>(xs[k]);
        }
    }
};

TEST_F(IndexCalc, StridesAreCachedBesideTheRunOnce) {
    Shaped(20, {2, 3, 4}, true);
    i64 e = PfCalcDelta(3, 20);
    EXPECT_EQ(e, vtable[20].dim1 + 2);
    EXPECT_EQ(glist[e], 4);
    EXPECT_EQ(glist[e + 1], 12);
    glist[e + 1] = 77;  // a second call must not recompute
    EXPECT_EQ(PfCalcDelta(3, 20), e);
    EXPECT_EQ(glist[e + 1], 77);
}

TEST_F(IndexCalc, StridesOfARunWithoutRoomDoNotReachTheNextRun) {
    Shaped(20, {2, 3, 4, 5}, false);
    i64 end = nxtglx;
    i64 e = PfCalcDelta(4, 20);
    EXPECT_EQ(e, end);
    EXPECT_EQ(nxtglx, end + 2);  // the room is now the run's own
    EXPECT_EQ(glist[e], 5);
    EXPECT_EQ(glist[e + 1], 20);
    EXPECT_EQ(glist[e + 2], 60);
    Shaped(21, {7, 8, 9}, true);
    EXPECT_GT(vtable[21].dim1, e + 2);
    EXPECT_EQ(glist[e + 2], 60);
}

TEST_F(IndexCalc, SavedIndexListAndAFullStore) {
    i64 c[2] = {-1, 5}, v[2] = {0, -1};
    i64 before = nxtglx;
    ASSERT_EQ(PfIdxSave(7, -1, -1, c, v), 0);
    EXPECT_EQ(nxtglx, before + 2);
    EXPECT_EQ(idxsvpt, before + 1);
    EXPECT_EQ(idxsvrnk, -1);
    EXPECT_EQ(glist[idxsvpt], 7);
    ASSERT_EQ(PfIdxSave(3, -1, 1, c, v), 0);
    std::vector<i64> want = {3, -1, -1, 5, 0, -1};
    EXPECT_EQ(std::vector<i64>(glist + idxsvpt, glist + idxsvpt + 6), want);
    nxtglx = GLIST_SIZE - 4;
    EXPECT_EQ(PfIdxSave(3, -1, 1, c, v), 9);
    EXPECT_EQ(nxtglx, GLIST_SIZE - 4);
}

TEST_F(IndexCalc, OffsetsOfSelectionsInARank3Array) {
    // 2 by 3 by 4 with origin 1: positions given as values, 0 = elided.
    struct Case {
        std::vector<double> a0, a1, a2;  // empty: elided
        std::vector<i64> offsets;
        i64 rank;
    } cases[] = {
        {{1}, {2}, {3}, {6}, 0},
        {{}, {2}, {}, {4, 5, 6, 7, 16, 17, 18, 19}, 2},
        {{2}, {1, 3}, {4}, {15, 23}, 1},
        {{2, 1}, {3}, {1, 2}, {20, 21, 8, 9}, 2},
    };
    i64 dims[3] = {2, 3, 4}, strides[3] = {12, 4, 1};
    for (const Case& k : cases) {
        const std::vector<double>* pos[3] = {&k.a0, &k.a1, &k.a2};
        i64 vx[3];
        for (i64 a = 0; a < 3; a++) {
            vx[a] = pos[a]->empty() ? 0 : 30 + a;
            if (vx[a]) Vec(vx[a], TINT, *pos[a]);
        }
        i64 idxc[2] = {-1, -1}, idxv[2] = {vx[2], vx[1]};
        i64 lens[3];
        i64* sel[3];
        ASSERT_EQ(PfCalcIdxll(3, -1, vx[0], idxc, idxv, dims, 1, false, lens, sel), 0);
        EXPECT_EQ(ilgth, static_cast<i64>(k.offsets.size()));
        EXPECT_EQ(irnk, k.rank);
        std::vector<i64> out(2 * ilgth);
        i64 half = PfIdxLineariz(3, ilgth, out.data(), lens, sel, strides);
        std::vector<i64> got(out.begin() + half * ilgth, out.begin() + (half + 1) * ilgth);
        EXPECT_EQ(got, k.offsets);
        GM_free();
    }
}

TEST_F(IndexCalc, PositionChecksAndPrivateDemotion) {
    struct Case {
        i64 type;
        std::vector<double> xs;
        bool demote;
        i64 code;
    } cases[] = {
        {TFLOAT, {2.0, 3.0}, true, 0}, {TFLOAT, {2.0}, false, 1}, {TFLOAT, {2.5}, true, 1},
        {TINT, {0}, false, 25},        {TINT, {4}, true, 25},     {TCHAR, {}, true, 1},
    };
    i64 dims[1] = {3};
    for (const Case& k : cases) {
        if (k.type == TCHAR) {
            vtable[30] = val_item{};
            vtable[30].type = TCHAR;
            vtable[30].rank = 0;
            vtable[30].count = 1;
        } else {
            Vec(30, k.type, k.xs);
        }
        i64 lens[1];
        i64* sel[1];
        EXPECT_EQ(PfCalcIdxll(1, -1, 30, nullptr, nullptr, dims, 1, k.demote, lens, sel), k.code);
        EXPECT_EQ(vtable[30].type, k.type);  // the user's index keeps its type
        if (k.code == 0) {
            EXPECT_EQ(sel[0][0], 1);
            EXPECT_EQ(sel[0][1], 2);
        }
        GM_free();
    }
}

TEST_F(IndexCalc, EnumerationItemsKeepTheirHeader) {
    vtable[20] = val_item{};
    vtable[20].type = TENUM;
    ASSERT_EQ(Updatead0(20, TENUM, 1, 4), 0);
    vtable[20].dim0 = 4;
    i64 words[6] = {11, 0, 3, 1, 0, 2};
    std::memcpy(vtable[20].data, words, sizeof words);
    Vec(30, TINT, {4, 1});
    ASSERT_EQ(GenIndexV(5, -1, 20, -1, 30, nullptr, nullptr, -1, SLOT_IO), 0);
    ASSERT_EQ(vtable[5].type, TENUM);
    ASSERT_EQ(vtable[5].count, 2);
    const i64* got = reinterpret_cast<const i64*>(vtable[5].data);
    EXPECT_EQ(got[0], 11);
    EXPECT_EQ(got[2], 2);
    EXPECT_EQ(got[3], 3);
    Vec(30, TINT, {5});
    EXPECT_EQ(GenIndexV(5, -1, 20, -1, 30, nullptr, nullptr, -1, SLOT_IO), 25);
    Vec(30, TFLOAT, {1.5});
    EXPECT_EQ(GenIndexV(5, -1, 20, -1, 30, nullptr, nullptr, -1, SLOT_IO), 1);
}

TEST_F(IndexCalc, EachReadsListItemsThatACollectionMoves) {
    // A dying block on top, then a list variable of two integer vectors
    // below it: the collection slides the list's blocks up.
    vtable[25] = val_item{};
    vtable[25].type = TINT;
    ASSERT_EQ(Updatead0(25, TINT, 1, 500), 0);
    vtable[20] = val_item{};
    vtable[20].type = TLIST;
    ASSERT_EQ(Updatead0(20, TLIST, 1, 2), 0);
    vtable[20].dim0 = 2;
    for (i64 k = 0; k < 2; k++) {
        val_item* item = reinterpret_cast<val_item*>(vtable[20].data) + k;
        item->type = TINT;
        item->rank = 1;
        item->count = 3;
        item->dim0 = 3;
        ASSERT_EQ(Updatead2(item, true), 0);
        for (i64 j = 0; j < 3; j++) reinterpret_cast<i64*>(cad0)[j] = 10 * k + j;
    }
    lstvx = 25;
    ReleaseValue(&vtable[25]);
    // An item lent to a scratch slot the way each lends it (owning nothing)
    // follows its block when a collection moves it.
    vtable[26] = reinterpret_cast<val_item*>(vtable[20].data)[1];
    vtable[26].bytes = 0;
    char* before = vtable[26].data;
    ASSERT_EQ(GC(), 0);
    char* after = reinterpret_cast<val_item*>(vtable[20].data)[1].data;
    ASSERT_NE(after, before);
    EXPECT_EQ(vtable[26].data, after);
    EXPECT_EQ(reinterpret_cast<i64*>(vtable[26].data)[2], 12);
    ASSERT_EQ(PfEachMon(34, 5, -1, 20, SLOT_IO), 0);
    const val_item* out = reinterpret_cast<const val_item*>(vtable[5].data);
    EXPECT_EQ(static_cast<const i64*>(getptV(const_cast<val_item*>(&out[1])))[0], 12);
    EXPECT_EQ(lstvx, 25);  // the scratch slots are given back
    EXPECT_EQ(vtable[26].rank, -1);
    EXPECT_EQ(vtable[27].rank, -1);
}

}  // namespace
