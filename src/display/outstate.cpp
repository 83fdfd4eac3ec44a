// Output state of the value printer.
#include "display/display.h"

i64 outdp = 0;
bool fg1ls = false;
i64 fgrtn = 0;
char* genptr = nullptr;
