// Stand-ins for the dictionary and table routines that other subsystems
// call and that are not built yet: each answers E_NOT_BUILT (or finds
// nothing). A real routine replaces its stand-in here: the two would not
// link together, and a definition that does not match its declaration in
// dict/dict.h does not compile (-Werror=missing-declarations).
#include "dict/dict.h"

i64 GenEnum(i64, i64, i64, i64, i64) { return NotBuilt(); }
i64 PfDot2(i64, i64, i64, i64) { return NotBuilt(); }
i64 PfSystems1(i64, i64, i64, i64) { return NotBuilt(); }
i64 PfSystems2(i64, i64, i64, i64, i64, i64) { return NotBuilt(); }
i64 PfDo(i64*, i64, i64, i64, i64, i64, i64*) { return NotBuilt(); }
i64 DBListN(const char*) { return 0; }
i64 DBListM(i64) { return 0; }
i64 GenEnud(i64, i64, i64, i64, i64, i64) { return NotBuilt(); }
i64 ChkEnum(const i64*, i64, i64) { return 0; }
i64 FillEnum(const char*, i64, char* buffer) {
    buffer[0] = 0;
    return 0;
}
i64 PfGenum(i64, i64, i64, i64, i64) { return NotBuilt(); }
i64 TableCate(i64, i64, i64, i64, i64, bool) { return NotBuilt(); }
i64 TableCateCol(i64, i64, i64, i64, i64) { return NotBuilt(); }
i64 GenReshpTabl(i64, val_item*, val_item*) { return NotBuilt(); }
i64 PfDotV(i64, val_item*, i64, i64*, i64, bool) { return NotBuilt(); }
