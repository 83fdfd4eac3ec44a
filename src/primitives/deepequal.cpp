// Deep equality of two values (exact, through lists, dictionaries and
// tables), and the dot primitive that hands a symbol to dotted access.
#include <cstring>

#include "dict/dict.h"
#include "primitives/primitives.h"
#include "values/registers.h"

bool PfCheck1(const val_item* a, const val_item* b) {
    if (a->type != b->type || a->count != b->count || a->rank != b->rank) return false;
    const val_item* x = items_of(a);
    const val_item* y = items_of(b);
    if (a->type > 90) return PfCheck1(&x[0], &y[0]) && PfCheck1(&x[1], &y[1]);
    if (a->type == TLIST) {
        for (i64 k = 0; k < a->count; k++)
            if (!PfCheck1(&x[k], &y[k])) return false;
        return true;
    }
    if (a->count == 0) return true;
    const void* p = getptV(const_cast<val_item*>(a));
    const void* q = getptV(const_cast<val_item*>(b));
    // Characters are compared without their terminator.
    i64 n = isoneV(a) ? ElemWidth(a->type) : DataBytes(a) - (a->type == TCHAR);
    return std::memcmp(p, q, n) == 0;
}

i64 PfCheck0(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    SetNames(1, 3, res, lc, lv, rc, rv);
    i64 same = PfCheck1(opnd(lc, lv), opnd(rc, rv));
    i64 one = 1;
    if (NewResult(res, TBOOL, 1, &one, 1)) return errchk;
    vtable[res].dim0 = same;
    return errchk = 0;
}

i64 PfDots(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    const val_item* r = opnd(rc, rv);
    if (r->type != TSYM || !isoneV(r)) return errchk = E_DOMAIN;
    // The symbol itself travels, wherever the operand is held; the value
    // may be a constant, as a parenthesized literal is.
    return errchk = PfDotV(res, const_cast<val_item*>(opnd(lc, lv)), r->dim0, nullptr, -1, false);
}
