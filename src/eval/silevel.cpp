// The state-indicator level "->" unwinds to, past the query prelude's own
// functions.
#include "dict/dict.h"
#include "eval/eval.h"

i64 fdsi() {
    for (i64 s = sidx; s >= 0; s--) {
        i64 row = sitable[s].row;
        if (row < 0 || !DBListM(row)) return s;
    }
    return -1;
}
