// List literals, multiple assignment and the time stamp, on the slot tables.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "datetime/datetime.h"
#include "eval/eval.h"
#include "primitives/primitives.h"
#include "values/values.h"
#include "workspace_fixture.h"

namespace {

constexpr i64 NOVALUE = -1;

class DatetimeListlit : public FreshWorkspace {
protected:
    static void IntScalar(val_item* d, i64 x) {
        *d = val_item{};
        d->type = TINT;
        d->rank = 0;
        d->count = 1;
        d->dim0 = x;
    }
    // An integer vector from..from+n-1 in value slot vx.
    static void IntVector(i64 vx, i64 n, i64 from) {
        vtable[vx].type = TINT;
        ASSERT_EQ(Updatead0(vx, TINT, 1, n), 0);
        vtable[vx].dim0 = n;
        for (i64 i = 0; i < n; i++) reinterpret_cast<i64*>(vtable[vx].data)[i] = from + i;
    }
    static void CharVector(i64 vx, const char* text) {
        i64 n = (i64)strlen(text);
        vtable[vx].type = TCHAR;
        ASSERT_EQ(Updatead0(vx, TCHAR, 1, n), 0);
        vtable[vx].dim0 = n;
        memcpy(vtable[vx].data, text, n);
    }
    static val_item* Items(i64 vx) { return reinterpret_cast<val_item*>(vtable[vx].data); }
    static i64 Scalar(const val_item& v) { return v.dim0; }
    // A list (x;y) of two integer scalars in value slot vx, via constants.
    static void PairList(i64 vx, i64 x, i64 y) {
        IntScalar(&ctable[40], x);
        IntScalar(&ctable[41], y);
        i64 cidx[1] = {41}, vidx[1] = {0};
        ASSERT_EQ(GenAlist(vx, 40, 0, cidx, vidx, 0), 0);
    }
};

// (5; 1 2 3; 'ab'): evaluated right to left, so the arrays hold 'ab' first
// and the last pair is the scalar.
TEST_F(DatetimeListlit, ListLiteralKeepsSourceOrder) {
    IntScalar(&ctable[30], 5);
    IntVector(18, 3, 1);
    CharVector(19, "ab");
    i64 cidx[2] = {-1, -1}, vidx[2] = {19, 18};
    ASSERT_EQ(GenAlist(4, 30, 0, cidx, vidx, 1), 0);
    const val_item& list = vtable[4];
    EXPECT_EQ(list.type, TLIST);
    EXPECT_EQ(list.rank, 1);
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(list.dim0, 3);
    val_item* it = Items(4);
    EXPECT_EQ(it[0].type, TINT);
    EXPECT_EQ(Scalar(it[0]), 5);
    ASSERT_EQ(it[1].type, TINT);
    ASSERT_EQ(it[1].count, 3);
    EXPECT_NE(it[1].data, vtable[18].data);  // a copy, not a share
    EXPECT_EQ(reinterpret_cast<i64*>(it[1].data)[2], 3);
    ASSERT_EQ(it[2].type, TCHAR);
    EXPECT_EQ(std::string(it[2].data, 2), "ab");
}

TEST_F(DatetimeListlit, ListLiteralErrors) {
    IntScalar(&ctable[30], 5);
    vtable[20].rank = NOVALUE;
    i64 cidx[1] = {-1}, vidx[1] = {20};
    EXPECT_EQ(GenAlist(4, 30, 0, cidx, vidx, 0), 4);  // an undefined item
    EXPECT_EQ(errchk, 4);
    EXPECT_EQ(GenAlist(4, -1, 20, cidx, vidx, -1), 1);  // a negative count
    cidx[0] = 30;
    EXPECT_EQ(GenAlist(4, -1, 20, cidx, vidx, 0), 4);  // the last item undefined
}

// An item that is the result slot keeps its old value in the list.
TEST_F(DatetimeListlit, ListLiteralOverItsOwnSlot) {
    IntVector(5, 4, 10);
    IntScalar(&ctable[30], 7);
    i64 cidx[1] = {30}, vidx[1] = {0};
    ASSERT_EQ(GenAlist(5, -1, 5, cidx, vidx, 0), 0);
    ASSERT_EQ(vtable[5].type, TLIST);
    val_item* it = Items(5);
    ASSERT_EQ(it[0].type, TINT);
    ASSERT_EQ(it[0].count, 4);
    EXPECT_EQ(reinterpret_cast<i64*>(it[0].data)[3], 13);
    EXPECT_EQ(Scalar(it[1]), 7);
}

// (a;b)<-(10;20), the list in a temporary or in a itself; the targets
// arrive right to left like list items.
TEST_F(DatetimeListlit, MultipleAssignment) {
    for (i64 from : {(i64)6, (i64)20}) {
        PairList(6, 10, 20);
        if (from == 20) {
            ASSERT_EQ(GenStore(20, -1, 6), 0);
        }
        i64 cidx[1] = {-1}, vidx[1] = {21};
        ASSERT_EQ(PfAsslst(-1, 20, cidx, vidx, 0, -1, from), 0) << from;
        EXPECT_EQ(vtable[20].type, TINT) << from;
        EXPECT_EQ(Scalar(vtable[20]), 10) << from;
        EXPECT_EQ(Scalar(vtable[21]), 20) << from;
    }
}

// Errors in their order; a bad target leaves every name as it was.
TEST_F(DatetimeListlit, MultipleAssignmentErrorsAssignNothing) {
    IntScalar(&vtable[20], 1);
    IntScalar(&vtable[21], 2);
    PairList(6, 10, 20);
    IntScalar(&vtable[7], 5);
    IntScalar(&ctable[42], 9);
    vtable[8].rank = NOVALUE;
    struct {
        i64 c, v, cidx, vidx, rc, rv, code;
    } cases[] = {
        {-1, 20, -1, 21, -1, 8, 4},  // right without a value
        {-1, 20, -1, 21, -1, 7, 1},  // right not a list
        {-1, 20, -1, 21, 42, 0, 1},  // right a constant
        {-1, 20, 42, 0, -1, 6, 1},   // (a;9)<-...
        {42, 0, -1, 21, -1, 6, 1},   // (9;b)<-...
        {-1, 20, -1, 9, -1, 6, 1},   // a temporary target
    };
    for (auto c : cases) {
        i64 cidx[1] = {c.cidx}, vidx[1] = {c.vidx};
        EXPECT_EQ(PfAsslst(c.c, c.v, cidx, vidx, 0, c.rc, c.rv), c.code) << c.vidx << " " << c.rv;
        EXPECT_EQ(errchk, c.code);
        EXPECT_EQ(Scalar(vtable[20]), 1);
        EXPECT_EQ(Scalar(vtable[21]), 2);
    }
    // Three targets for two items.
    i64 cidx[2] = {-1, -1}, vidx[2] = {22, 21};
    EXPECT_EQ(PfAsslst(-1, 20, cidx, vidx, 1, -1, 6), 3);
    EXPECT_EQ(Scalar(vtable[20]), 1);
}

// (x;y)<-(y;x) swaps: the list is built before any name is assigned.
TEST_F(DatetimeListlit, SwapThroughAList) {
    IntScalar(&vtable[20], 1);
    IntScalar(&vtable[21], 2);
    i64 lc[1] = {-1}, lv[1] = {20};
    ASSERT_EQ(GenAlist(6, -1, 21, lc, lv, 0), 0);
    i64 tc[1] = {-1}, tv[1] = {21};
    ASSERT_EQ(PfAsslst(-1, 20, tc, tv, 0, -1, 6), 0);
    EXPECT_EQ(Scalar(vtable[20]), 2);
    EXPECT_EQ(Scalar(vtable[21]), 1);
}

TEST_F(DatetimeListlit, TimeStampShape) {
    // Read from the clock the stamp reads: time() may trail it by a tick,
    // a second behind at a second's boundary.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    time_t before = now.tv_sec;
    ASSERT_EQ(PfQdzeroTS(4), 0);
    clock_gettime(CLOCK_REALTIME, &now);
    time_t after = now.tv_sec;
    const val_item& ts = vtable[4];
    EXPECT_EQ(ts.type, TDATETIME);
    EXPECT_EQ(ts.rank, 1);
    EXPECT_EQ(ts.count, 1);
    double v;
    memcpy(&v, &ts.dim0, sizeof v);
    i64 f[7];
    dtconvt2(f, v);
    EXPECT_EQ(checkDT(TDATETIME, f), 1);
    EXPECT_EQ(v, dtvalue2(f));  // whole milliseconds
    // The stamp lies between the local times read before and after.
    auto stamp = [](time_t t, i64 ms) {
        tm local{};
        localtime_r(&t, &local);
        i64 g[7] = {local.tm_year + 1900LL,
                    local.tm_mon + 1LL,
                    (i64)local.tm_mday,
                    (i64)local.tm_hour,
                    (i64)local.tm_min,
                    (i64)local.tm_sec,
                    ms};
        return dtvalue2(g);
    };
    EXPECT_GE(v, stamp(before, 0));
    EXPECT_LE(v, stamp(after, 999));
}

}  // namespace
