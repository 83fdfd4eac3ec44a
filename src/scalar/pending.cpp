// Stand-ins for the operators not built yet: "primitive function not yet
// implemented". The real definitions override them at link time.
#include "scalar/scalar.h"

#define ZEM_PENDING __attribute__((weak))

ZEM_PENDING i64 PfInnerp(i64, i64, i64, i64, i64, i64, i64) { return errchk = 43; }
ZEM_PENDING i64 PfEachMon(i64, i64, i64, i64, i64) { return errchk = 43; }
ZEM_PENDING i64 PfEachDyc(i64, i64, i64, i64, i64, i64, i64) { return errchk = 43; }
