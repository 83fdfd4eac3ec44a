// Primitive dispatch: the routine of each function code, dyadic and monadic.
// A code without a routine is error 43.
#include "dict/dict.h"
#include "display/display.h"
#include "eval/primtable.h"
#include "primitives/primitives.h"
#include "scalar/scalar.h"
#include "system/system.h"

static bool in(i64 c, i64 lo, i64 hi) { return c >= lo && c <= hi; }

i64 DispatchDyadic(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io, i64 transposed) {
    switch (code) {
    case 3: return PfTake(res, lc, lv, rc, rv, 1);
    case 4: return PfDrop(res, lc, lv, rc, rv);
    case 5: case 6: return PfCompre(code, res, lc, lv, rc, rv);
    case 7: case 8: return PfExpand(code, res, lc, lv, rc, rv);
    case 9: return PfMembsp(res, lc, lv, rc, rv);
    case 10: return PfDecode(res, lc, lv, rc, rv);
    case 11: return PfEncode(res, lc, lv, rc, rv);
    case 27: return PfDeal(res, lc, lv, rc, rv, io);
    case 29: return GenReshp(res, lc, lv, rc, rv);
    case 33: return GenIdxof(res, lc, lv, rc, rv, io);
    case 37: return DpfTransp(res, lc, lv, rc, rv, io);
    case 41: return PfForma2(res, lc, lv, rc, rv);
    case 43: return PfDivide(res, lc, lv, rc, rv);
    case 751: return PfPart1(res, lc, lv, rc, rv);
    case 753: return PfDict(res, lc, lv, rc, rv);
    case 754: return PfDots(res, lc, lv, rc, rv);
    case 755: return PfCheck0(res, lc, lv, rc, rv);
    case 756: return PfMatch(res, lc, lv, rc, rv);
    case 757: return PfFileAp(res, lc, lv, rc, rv);
    default: break;
    }
    if (in(code, 12, 15)) return PfLogic(code, res, lc, lv, rc, rv);
    if (in(code, 16, 21)) return PfCompb(code, res, lc, lv, rc, rv);
    if (code == 31 || in(code, 66, 71)) return PfCatena(code, res, lc, lv, rc, rv);
    if (code == 35 || code == 39 || in(code, 94, 98)) return PfRotate(code, res, lc, lv, rc, rv);
    if (in(code, 45, 65) && code % 2 == 1) return PfScalar(code, res, lc, lv, rc, rv);
    if (in(code, 82, 88)) return PfLami(code, res, lc, lv, rc, rv);
    if (in(code, 72, 76)) return PfCompre(code, res, lc, lv, rc, rv);
    if (in(code, 77, 81)) return PfExpand(code, res, lc, lv, rc, rv);
    if (in(code, 501, 750) || in(code, 800, 900)) return PfOuterp(code, res, lc, lv, rc, rv);
    if (code == 752 || in(code, 758, 799)) return errchk = E_DOMAIN;
    if (code >= 901) return PfInnerp(code, res, lc, lv, rc, rv, transposed);
    return errchk = E_NOT_BUILT;
}

i64 DispatchMonadic(i64 code, i64 res, i64 rc, i64 rv, i64 io) {
    switch (code) {
    case 30: return PfRavel(res, rc, rv);
    case 25: return PfLogic(25, res, -1, -1, rc, rv);
    case 28: return GenRho(res, rc, rv);
    case 36: return PfTransp(res, rc, rv);
    case 26: return PfRandom(res, rc, rv, io);
    case 32: return PfIota(res, rc, rv, io);
    case 23: case 24: return PfGrade(code, res, rc, rv, io);
    case 40: return PfFormat(res, rc, rv);
    case 42: return PfInvert(res, rc, rv);
    case 701: PfUnpack(res, rc, rv); return errchk = E_NOT_BUILT;
    case 702: return PfPack(res, rc, rv);
    case 703: return PfType(res, rc, rv);
    case 704: return PfUnique(res, rc, rv);
    case 705: return PfCount(res, rc, rv);
    case 706: return PfFirst(res, rc, rv);
    case 707: return PfRaze(res, rc, rv);
    case 708: return PfWhere(res, rc, rv, io);
    case 709: return PfGroup(res, rc, rv, io);
    case 710: return PfParct(res, rc, rv, io);
    default: break;
    }
    if (in(code, 44, 64) && code % 2 == 0) return PfScalar0(code, res, rc, rv);
    if (in(code, 101, 199) || in(code, 301, 399)) return PfReduct(code, res, rc, rv);
    if (in(code, 201, 299) || in(code, 401, 499)) return GenScan(code, res, rc, rv);
    if (in(code, 601, 650)) return PfqdMon(code, res, rc, rv);
    if (code == 34 || code == 38 || in(code, 89, 93)) return PfRevers(code, res, rc, rv);
    return errchk = E_NOT_BUILT;
}
