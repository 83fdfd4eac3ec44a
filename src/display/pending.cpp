// Stand-ins for the dictionary and table displays, not built yet: each
// answers E_NOT_BUILT. A real routine replaces its stand-in here (the two
// would not link together).
#include "display/display.h"

i64 GenOutdic(i64) { return NotBuilt(); }
i64 GenOutTab(i64) { return NotBuilt(); }
i64 GenOutTak(i64) { return NotBuilt(); }
