// State of the running line and of defined-function calls.
#include "eval/eval.h"

si_entry sitable[SITSIZE];
i64 sidx = -1;
dfx_entry dfxstack[DFXSIZE];
i64 lststkx = -1;
i64 traces[TRACESIZE];
i64 tracenum = -1;
i64 traceflag = 0;
i64 flagmm = 0;

i64 epos = -1;
i64 stdtim = 0;
i64 depest = 1;
i64 exeout = 0;
i64 exelock = 0;
