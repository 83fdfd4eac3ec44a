// Stand-ins for system routines the tree walker dispatches to and that are
// not built yet: each reports error 43. Real definitions override them.
#include "system/system.h"

#define PENDING __attribute__((weak))

PENDING i64 PfqdMon(i64, i64, i64, i64) { return errchk = E_NOT_BUILT; }
PENDING i64 PfQdzeroInput(i64) { return errchk = E_NOT_BUILT; }
PENDING i64 PfFileAp(i64, i64, i64, i64, i64) { return errchk = E_NOT_BUILT; }
PENDING i64 PfForma2(i64, i64, i64, i64, i64) { return errchk = E_NOT_BUILT; }
