// The call of a defined function at an application: the function is parsed
// at its first call in the line, its names bound, its arguments copied in,
// its body run, and its result copied out.
//
// The state indicator and the binding stack move in step: the entry of the
// call records whether it bound a frame. A call that fails before its body
// runs (binding, arguments) and one that returns without its result give
// their frame back at once, and the failure belongs to the calling line.
//
// Under the each operator the body runs once per item of the list operands,
// inside one binding, so its locals carry over from one item to the next.
#include <cstring>

#include "eval/eval.h"
#include "parser/records.h"
#include "scalar/scalar.h"
#include "values/operand.h"

namespace {

// One operand as the body receives it: the whole value (c, v), or, when
// item is set, that item of a list.
struct Arg {
    i64 c, v;
    val_item* item;
};

i64 store_arg(i64 slot, const Arg& a) {
    return a.item ? GenStoreV0(slot, a.item) : GenStore(slot, a.c, a.v);
}

i64 copy_arguments(i64 row, const call_frame& fr, const Arg& l, const Arg& r) {
    const func_entry& f = functable[row];
    if (f.valence == 2 && f.left >= 0 && store_arg(fr.left, l)) return errchk;
    if (f.valence == 0) return 0;
    if (f.nright == 1 && f.right >= 0) return store_arg(fr.right, r);
    if (f.nright < 2) return 0;
    // Several right arguments take the items of one list: a variable's, or
    // the item an each call hands over.
    val_item* list = r.item ? r.item : r.c >= 0 ? nullptr : &vtable[r.v];
    if (!list || list->type != TLIST || list->count != f.nright) return errchk = E_QUIET;
    for (i64 k = 0; k < f.nright; k++) {
        val_item* items = items_of(list);
        if (GenStoreV0(FrameSlot(row, fr, f.right + k), &items[k])) return errchk;
    }
    return 0;
}

// Gives back the frame of a call that ends, at the level above depth.
void leave(i64 caller, i64 row, i64 depth) {
    SetNodeValue(caller, row, 2);
    siframe[sidx + depth + 1].bound = 0;
    depest = depth;
}

// Gives back the frame of a call that does not go on, keeping the code.
i64 give_back(i64 caller, i64 row, i64 depth, i64 code) {
    leave(caller, row, depth);
    return errchk = code;
}

// Enters a call of row: its state-indicator entry, its parse at its first
// call in the line, its frame. On a failure nothing is left bound.
[[gnu::always_inline]] inline i64 enter(i64 row, i64 caller, i64 line, i64 depth, i64 io,
                                        call_frame* frame) {
    func_entry& f = functable[row];
    if (sidx + depth + 1 >= SITSIZE && SiMakeRoom(depth + 1)) return errchk = E_STACK_FULL;
    depest = depth + 1;
    i64 at = sidx + depest;
    sitable[at] = {caller, line};
    siframe[at] = {0, lststkx, lstvxend};
    errchk = 0;
    if (!f.parsed) {
        // The body's names are the function's own even when the call comes
        // from a text being executed.
        i64 lock = exelock;
        exelock = 0;
        f.parsed = 1;
        SetHeadFirst(row, depth + 1, io);
        exelock = lock;
        if (errchk) return errchk;
    }
    if (BindCall(row, at, frame)) {
        depest = depth;
        return errchk;
    }
    if (frame->io < 0) frame->io = io;
    return 0;
}

// ---- each -------------------------------------------------------------------------

bool present(i64 c, i64 v) { return !(c < 0 && v < 0); }

bool is_list(i64 c, i64 v) {
    if (!present(c, v)) return false;
    const val_item* x = opnd(c, v);
    return x->rank != -1 && x->type == TLIST;
}

// Which operands give items, and how many items there are. n is -1 when
// the call runs once on the whole operands.
struct Items {
    bool left, right;
    i64 n;
};

i64 plan_items(const func_entry& f, i64 lc, i64 lv, i64 rc, i64 rv, Items* it) {
    it->left = f.valence == 2 && is_list(lc, lv);
    it->right = f.valence >= 1 && is_list(rc, rv);
    it->n = -1;
    if (!it->left && !it->right) return 0;
    i64 ln = it->left ? opnd(lc, lv)->count : 0;
    i64 rn = it->right ? opnd(rc, rv)->count : 0;
    if (it->left && it->right && ln != rn) return errchk = E_LENGTH;
    it->n = it->left ? ln : rn;
    return 0;
}

// A list operand held in a variable is copied into a temporary of the call
// first: the body may assign or index-assign that variable meanwhile.
i64 hold_list(i64* c, i64* v, i64* temp) {
    if (*c >= 0 || !isnamedslot(*v)) return 0;
    errchk = 0;
    i64 t = Incstkv(temp);
    if (errchk) return errchk;
    if (GenStore(t, *c, *v)) return errchk;
    *v = t;
    return 0;
}

}  // namespace

i64 CallDefined(i64 row, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 caller, i64 line, i64 depth,
                i64 temp, i64 io, bool each) {
    func_entry& f = functable[row];
    Items it{false, false, -1};
    if (each) {
        if (plan_items(f, lc, lv, rc, rv, &it)) return errchk;
        if (it.n == 0) {
            // No item: nothing runs, and a function with a result gives an
            // empty list.
            if (f.result >= 0) return errchk = NewList(res, 0);
            vtable[res].rank = -1;
            return errchk = 0;
        }
        if ((it.left && hold_list(&lc, &lv, &temp)) || (it.right && hold_list(&rc, &rv, &temp)))
            return errchk;
    }
    i64 saved = collision;
    call_frame frame;
    if (enter(row, caller, line, depth, io, &frame)) return errchk;
    if (it.n > 0 && f.result >= 0 && NewList(res, it.n))
        return give_back(caller, row, depth, errchk);
    i64 runs = it.n > 0 ? it.n : 1;
    for (i64 k = 0; k < runs; k++) {
        Arg l{lc, lv, it.left ? &items_of(opnd(lc, lv))[k] : nullptr};
        Arg r{rc, rv, it.right ? &items_of(opnd(rc, rv))[k] : nullptr};
        if (copy_arguments(row, frame, l, r)) return give_back(caller, row, depth, errchk);
        depest = depth + 1;
        ExecuFunc(row, stacktop, temp, depth + 1, frame);
        if (errchk) return errchk;
        if (f.result < 0) continue;
        i64 slot = frame.result;
        if (vtable[slot].rank == -1) return give_back(caller, row, depth, E_RESULT_REQUIRED);
        i64 e = it.n > 0 ? GenStoreV1(&items_of(&vtable[res])[k], -1, slot, isnamedslot(res))
                         : GenStore(res, -1, slot);
        if (e) return give_back(caller, row, depth, errchk);
    }
    depest = depth;
    collision = saved;
    if (f.result < 0) vtable[res].rank = -1;  // no value
    leave(caller, row, depth);
    return errchk;
}

i64 CallSingles(i64 row, const val_item* l, const val_item* r, val_item* out, i64 res,
                const fast_place& at, i64 temp) {
    const func_entry& f = functable[row];
    i64 caller = at.row, line = at.line, depth = at.depth, io = at.io;
    i64 saved = collision;
    call_frame frame;
    if (enter(row, caller, line, depth, io, &frame)) return errchk;
    // The frame's slots hold nothing yet.
    if (f.valence == 2 && f.left >= 0) StoreSingleQuick(&vtable[frame.left], l);
    if (f.valence != 0 && f.right >= 0) StoreSingleQuick(&vtable[frame.right], r);
    ExecuFunc(row, stacktop, temp, depth + 1, frame);
    if (errchk) return errchk;
    const val_item* z = &vtable[frame.result];
    if (z->rank == -1) return give_back(caller, row, depth, E_RESULT_REQUIRED);
    if (SingleNumber(z)) SingleInto(out, z->type, z->rank, z->dim0);
    else if (GenStore(res, -1, frame.result)) return give_back(caller, row, depth, errchk);
    else out->rank = -1;
    collision = saved;
    leave(caller, row, depth);
    return errchk;
}
