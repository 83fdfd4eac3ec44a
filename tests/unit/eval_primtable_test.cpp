// The primitive table: each code bound once per valence, the answers of
// codes without a routine, and which primitives the each operator applies.
#include <gtest/gtest.h>

#include "eval/primtable.h"
#include "values/fcodes.h"

TEST(PrimTable, EachCodeHasOneRowPerValence) {
    for (i64 i = 0; i < prim_nrows; i++) {
        const prim_row& a = prim_rows[i];
        EXPECT_LE(a.first, a.last) << "row " << i;
        bool routine = a.args != PA_NOT_BUILT && a.args != PA_REFUSED;
        EXPECT_EQ(routine, a.fn.f1 != nullptr) << "row " << i;
        for (i64 j = i + 1; j < prim_nrows; j++) {
            const prim_row& b = prim_rows[j];
            bool overlap = a.valence == b.valence && a.first <= b.last && b.first <= a.last;
            EXPECT_FALSE(overlap) << "rows " << i << " and " << j << " share codes";
        }
    }
}

TEST(PrimTable, LookupFindsTheRowOfEveryCode) {
    struct {
        i64 code;
        prim_valence v;
        bool found;
    } cases[] = {
        {FC_TAKE, PV_DYADIC, true},
        {FC_TAKE, PV_MONADIC, false},
        {FC_SHAPE, PV_MONADIC, true},
        {FC_SHAPE, PV_DYADIC, false},
        {FC_REDUCE + FC_ADD, PV_MONADIC, true},
        {FC_REDUCE, PV_MONADIC, false},
        {100 * FC_ADD + FC_MULTIPLY, PV_DYADIC, true},
        {100 * FC_ADD + FC_MULTIPLY, PV_MONADIC, false},
        {FC_QD_TS, PV_NILADIC, true},
        {FC_TAKE, PV_NILADIC, false},
        {FC_BRANCH, PV_DYADIC, false},
        {FC_ASSIGN, PV_DYADIC, false},
    };
    for (auto& c : cases) {
        const prim_row* r = PrimRow(c.code, c.v);
        EXPECT_EQ(r != nullptr, c.found) << c.code << " valence " << c.v;
        if (r) {
            EXPECT_TRUE(r->first <= c.code && c.code <= r->last) << c.code;
        }
    }
    EXPECT_TRUE(PrimNiladic(FC_QD_TS));
    EXPECT_TRUE(PrimNiladic(FC_QD_READ));
    EXPECT_FALSE(PrimNiladic(FC_QD_FX));
}

TEST(PrimTable, CodesWithoutARoutine) {
    struct {
        i64 code;
        bool dyadic;
        i64 answer;
    } cases[] = {
        {FC_TAKE, false, E_NOT_BUILT},                                // no monadic use
        {FC_SHAPE, true, E_NOT_BUILT},                                // no dyadic use
        {FC_QD_FM, false, E_NOT_BUILT},  {FC_QUOTE, true, E_DOMAIN},  // refused
        {FC_RESERVED, true, E_DOMAIN},   {FC_RESERVED_LAST, true, E_DOMAIN},
        {FC_BRANCH, false, E_NOT_BUILT},
    };
    for (auto& c : cases) {
        errchk = 0;
        i64 e = c.dyadic ? DispatchDyadic(c.code, 4, -1, 18, -1, 19, 1, 0)
                         : DispatchMonadic(c.code, 4, -1, 19, 1);
        EXPECT_EQ(e, c.answer) << c.code;
        EXPECT_EQ(errchk, c.answer) << c.code;
    }
}
