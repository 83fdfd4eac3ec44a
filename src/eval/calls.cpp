// The call of a defined function at an application: the function is parsed
// at its first call in the line, its names bound, its arguments copied in,
// its body run, and its result copied out.
//
// The state indicator and the binding stack move in step: the entry of the
// call records whether it bound a frame. A call that fails before its body
// runs (binding, arguments) and one that returns without its result give
// their frame back at once, and the failure belongs to the calling line.
#include "eval/eval.h"
#include "parser/parser.h"

static i64 copy_arguments(const func_entry& f, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (f.valence == 2 && f.left >= 0 && GenStore(nametable[f.left].index, lc, lv)) return errchk;
    if (f.valence == 0) return 0;
    if (f.nright == 1 && f.right >= 0) return GenStore(nametable[f.right].index, rc, rv);
    if (f.nright < 2) return 0;
    val_item* r = opnd(rc, rv);
    if (rc >= 0 || r->type != TLIST || r->count != f.nright) return errchk = 36;
    for (i64 k = 0; k < f.nright; k++) {
        val_item* items = reinterpret_cast<val_item*>(r->data);
        if (GenStoreV0(nametable[f.right + k].index, &items[k])) return errchk;
    }
    return 0;
}

// Gives back the frame of a call that does not go on, keeping the code.
static i64 give_back(i64 caller, i64 row, i64 depth, i64 code) {
    SetNodeValue(caller, row, 2);
    siframe[sidx + depth + 1].bound = 0;
    depest = depth;
    return errchk = code;
}

i64 CallDefined(i64 row, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 caller, i64 line,
                i64 depth, i64 temp, i64 io) {
    func_entry& f = functable[row];
    i64 saved = collision;
    if (SiMakeRoom(depth + 1)) return errchk = 5;
    depest = depth + 1;
    i64 at = sidx + depest;
    sitable[at] = {caller, line};
    siframe[at] = {0, lststkx, lstvxend};
    errchk = 0;
    if (!f.parsed) {
        f.parsed = 1;
        SetHeadFirst(row, depth + 1, io);
        if (errchk) return errchk;
    }
    i64 top = lststkx, vxend = lstvxend;
    i64 callio = SetNodeValue(row, -1, 1);
    if (errchk) {
        depest = depth;
        return errchk;
    }
    siframe[at] = {1, top, vxend};
    if (callio < 0) callio = io;
    if (copy_arguments(f, lc, lv, rc, rv)) return give_back(caller, row, depth, errchk);
    ExecuFunc(row, stacktop, temp, depth + 1, callio);
    if (errchk) return errchk;
    depest = depth;
    collision = saved;
    if (f.result >= 0) {
        i64 slot = nametable[f.result].index;
        if (vtable[slot].rank == -1) return give_back(caller, row, depth, 47);
        if (GenStore(res, -1, slot)) return give_back(caller, row, depth, errchk);
    } else {
        vtable[res].rank = -1;   // no value
    }
    SetNodeValue(caller, row, 2);
    siframe[at].bound = 0;
    return errchk;
}
