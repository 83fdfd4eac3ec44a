// Stand-ins for dictionary and table routines not built yet: each reports
// error 43. A real definition elsewhere overrides its stand-in at link time.
#include "dict/dict.h"

#define PENDING __attribute__((weak))

static i64 pending() {
    errchk = E_NOT_BUILT;
    return E_NOT_BUILT;
}

PENDING i64 PfDict(i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 PfMatch(i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 PfDot2(i64, i64, i64, i64) { return pending(); }
PENDING i64 PfGenTab(i64, i64*, i64*, i64, i64*, i64) { return pending(); }
PENDING i64 PfSystems1(i64, i64, i64, i64) { return pending(); }
PENDING i64 PfSystems2(i64, i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 PfDo(i64*, i64, i64, i64, i64, i64, i64*) { return pending(); }
PENDING i64 DBListN(const char*) { return 0; }
PENDING i64 DBListM(i64) { return 0; }
PENDING i64 DictScala(i64, i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 dict_indx(val_item*, i64, i64, i64*, i64) { return pending(); }
PENDING i64 DictIndex(i64, i64, i64, i64, i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 PfTableX(i64, i64, i64, i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 PfTableK(i64, i64, i64, i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 GenEnud(i64, i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 ChkEnum(const i64*, i64, i64) { return 0; }
PENDING i64 FillEnum(const char*, i64, char* buffer) {
    buffer[0] = 0;
    return 0;
}
PENDING i64 PfGenum(i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 TableCate(i64, i64, i64, i64, i64, bool) { return pending(); }
PENDING i64 TableCateCol(i64, i64, i64, i64, i64) { return pending(); }
PENDING i64 GenReshpTabl(i64, val_item*, val_item*) { return pending(); }
PENDING i64 PfDotV(i64, val_item*, i64, i64*, i64, bool) { return pending(); }
