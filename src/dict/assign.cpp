// Assignment of a value to a name: a named source shares its data block, a
// temporary hands over its large block, anything else is copied; []RL and
// []PP take only a positive integer.
#include "dict/dict.h"

// []RL and []PP need a boolean or integer single element of at least 1.
static i64 check_positive(const val_item* v) {
    if (v->type != TBOOL && v->type != TINT) return E_TYPE;
    if (!single(v)) return E_LENGTH;
    if (v->dim0 < 1) return E_VALUE;
    return 0;
}

// The target refers to the source's block; its own previous block loses
// the reference the target held.
static i64 share(i64 slot, i64 rv) {
    val_item* src = &vtable[rv];
    val_item* dst = &vtable[slot];
    if (slot == rv) return 0;
    val_item copy = *src;
    if (copy.rank > 2) {
        i64 e = GenStoreDimv0(&copy, src);
        if (e) return errchk = e;
    }
    bool same = dst->data && dst->data == src->data && dst->bytes > 0;
    if (!same) {
        DropRef(dst);
        RefChange(src, 1);
    }
    *dst = copy;
    return errchk = 0;
}

i64 PfAssign(i64 slot, i64 rc, i64 rv) {
    const val_item* src = opnd(rc, rv);
    if (src->rank == -1) return errchk = E_VALUE;
    if (slot == SLOT_RL || slot == SLOT_PP) {
        i64 e = check_positive(src);
        if (e) return errchk = e;
        return GenStore(slot, rc, rv);
    }
    if (rc < 0 && isnamedslot(rv)) return share(slot, rv);
    if (isoneV(src)) return GenStoreV2(&vtable[slot], const_cast<val_item*>(src), true);
    if (rc < 0 && TakeTemp(slot, rv)) return errchk = 0;
    return GenStore(slot, rc, rv);
}
