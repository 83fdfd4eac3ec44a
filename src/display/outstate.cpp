// Output state of the value printer.
#include "display/display.h"

bool PRINT_OFF = false;
i64 outdp = 0;
bool fg1ls = false;
i64 fgrtn = 0;
char* genptr = nullptr;
i64 chrnum = 0;
