// Dyadic scalar functions with a dictionary operand: the function works on
// the dictionary's values, item by item (each) when they are a list, and
// the result keeps the dictionary's keys.
#include "dict/dictparts.h"
#include "primitives/primitives.h"
#include "scalar/scalar.h"

// res := a copy of the dictionary (c, v) whose values are the value in slot vx.
static i64 with_values(i64 res, i64 c, i64 v, i64 vx) {
    bool named = isnamedslot(res);
    val_item keys{}, vals{};
    if (GenStoreV2(&keys, &items_of(opnd(c, v))[0], named)) return errchk;
    if (GenStoreV2(&vals, &vtable[vx], named) || NewCompound(res, TDICT, opnd(c, v)->dim0)) {
        DropMade(&keys, named);
        DropMade(&vals, named);
        return errchk;
    }
    PutItem(&vtable[res], 0, &keys);
    PutItem(&vtable[res], 1, &vals);
    return 0;
}

i64 DictScala(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    const val_item* l = opnd(lc, lv);
    const val_item* r = opnd(rc, rv);
    bool ld = l->type == TDICT, rd = r->type == TDICT;
    if (ld && rd && !PfCheck1(&items_of(l)[0], &items_of(r)[0])) return errchk = E_TYPE;
    i64 base;
    if (TakeSlots(3, &base)) return errchk;
    i64 ac = lc, av = lv, bc = rc, bv = rv;
    if (ld) {
        LendSlot(base, &items_of(l)[1]);
        ac = -1, av = base;
    }
    if (rd) {
        LendSlot(base + 1, &items_of(r)[1]);
        bc = -1, bv = base + 1;
    }
    bool each = opnd(ac, av)->type == TLIST || opnd(bc, bv)->type == TLIST;
    i64 e = each ? PfEachDyc(code, base + 2, ac, av, bc, bv, SLOT_IO)
                 : PfScalar(code, base + 2, ac, av, bc, bv);
    // A dictionary of one key meets a longer operand as a single item would:
    // the values would then outnumber the keys.
    const val_item* d = ld ? l : r;
    if (!e && vtable[base + 2].count != items_of(d)[1].count) e = E_LENGTH;
    if (!e) e = ld ? with_values(res, lc, lv, base + 2) : with_values(res, rc, rv, base + 2);
    GiveSlots(base, 3);
    return errchk = e;
}
