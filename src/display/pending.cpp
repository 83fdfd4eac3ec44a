// Stand-ins for display routines not built yet; the real definitions
// override them at link time.
#include "display/display.h"

#define PENDING __attribute__((weak))

PENDING i64 GenOutdic(i64) { return errchk = E_NOT_BUILT; }
PENDING i64 GenOutTab(i64) { return errchk = E_NOT_BUILT; }
PENDING i64 GenOutTak(i64) { return errchk = E_NOT_BUILT; }
