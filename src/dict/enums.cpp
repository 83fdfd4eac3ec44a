// Enumerations: making one (s:v), reading it back (value), the text of an
// item, catenation and indexed assignment. Every routine finds the domain
// once by name (enumdomain.cpp), and reads it again through DomainItems
// after each allocation.
#include <cstring>

#include "dict/dictparts.h"
#include "parser/parser.h"

// ---- shared pieces ------------------------------------------------------------------

i64 EnumPositions(const EnumDom& d, const val_item* v, i64* out) {
    if (v->count == 0) return 0;
    const val_item* items = DomainItems(d);
    if (!items) return E_DOMAIN;
    if (v->type != d.type) return E_TYPE;
    i64 in = ChkMemb(BytesOf(items), items->count, BytesOf(v), v->count, v->type);
    if (in < 0) return errchk;
    if (!in) return E_DOMAIN;
    KeyPositions(items, v, out);
    return 0;
}

i64* ScratchIndexes(const val_item* en) {
    i64* idx = static_cast<i64*>(GM_new(TINT, en->count + 1));
    if (idx && en->count > 0) std::memcpy(idx, EnumIndexes(en), en->count * sizeof(i64));
    return idx;
}

i64 NewEnum(val_item* t, i64 name, i64 slot, const i64* idx, i64 n, bool named) {
    *t = val_item{};
    t->type = TENUM;
    t->rank = 1;
    t->count = n;
    if (Updatead2(t, named)) return errchk;
    t->dim0 = n;
    if (n == 0) return 0;  // no items, no data: no header either
    i64* w = reinterpret_cast<i64*>(t->data);
    w[0] = name;
    w[1] = slot;
    std::memcpy(w + 2, idx, n * sizeof(i64));
    return 0;
}

// The domain items at the n indexes (all in range), written from element at
// of t onward.
static void put_domain_items(val_item* t, i64 at, const EnumDom& d, const i64* idx, i64 n) {
    const val_item* items = DomainItems(d);
    i64 w = ElemWidth(d.type);
    char* to = static_cast<char*>(getptV(t)) + at * w;
    const char* from = BytesOf(items);
    for (i64 k = 0; k < n; k++) std::memcpy(to + k * w, from + idx[k] * w, w);
}

i64 EnumValues(val_item* t, const EnumDom& d, const i64* idx, i64 n, bool named) {
    bool valid = d.slot >= 0 && ChkEnum(idx, n, d.count);
    if (NewVector(t, valid ? d.type : TINT, n, named)) return errchk;
    if (!valid) {
        if (n > 0) std::memcpy(getptV(t), idx, n * sizeof(i64));
        return 0;
    }
    put_domain_items(t, 0, d, idx, n);
    return 0;
}

// ---- s:v ---------------------------------------------------------------------------

i64 GenEnum(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    const val_item* r = opnd(rc, rv);
    if (r->rank > 1) return errchk = E_RANK;
    i64 name = WordsOf(opnd(lc, lv))[0];
    i64 slot = GetSymx(name);
    if (slot < 0 || vtable[slot].rank < 0) return errchk = E_DOMAIN;
    EnumDom d = EnumResolve(name);
    if (d.slot < 0 || (!d.keyed && d.count < 2)) return errchk = E_TYPE;
    i64* pos = static_cast<i64*>(GM_new(TINT, r->count + 1));
    if (!pos) return errchk;
    if (i64 e = EnumPositions(d, r, pos)) return errchk = e;
    val_item made;
    if (NewEnum(&made, name, d.slot, pos, r->count, isnamedslot(res))) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}

i64 PfVenum(i64 res, i64 rc, i64 rv) {
    const val_item* en = opnd(rc, rv);
    if (en->type != TENUM) return errchk = E_DOMAIN;
    EnumDom d = EnumDomainOf(en);
    i64 n = en->count;
    const i64* idx = ScratchIndexes(en);
    if (!idx) return errchk;
    val_item made;
    if (EnumValues(&made, d, idx, n, isnamedslot(res))) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}

// ---- e[i] <- v -----------------------------------------------------------------------

i64 GenEnud(i64 target, i64 ic, i64 iv, i64 vc, i64 vv, i64 origin) {
    val_item* en = &vtable[target];
    const val_item* at = opnd(ic, iv);
    const val_item* v = opnd(vc, vv);
    EnumDom d = EnumDomainOf(en);
    i64* pos = static_cast<i64*>(GM_new(TINT, v->count + 1));
    if (!pos) return errchk;
    if (i64 e = EnumPositions(d, v, pos)) return errchk = e;
    if (v->count == 0) return errchk = 0;
    const i64* where = WordsOf(at);
    i64* held = const_cast<i64*>(EnumIndexes(en));
    for (i64 k = 0; k < at->count; k++) held[where[k] - origin] = pos[single(v) ? 0 : k];
    return errchk = 0;
}

// ---- catenation ------------------------------------------------------------------------

bool SameDomainName(const val_item* a, const val_item* b) {
    return a->count == 0 || b->count == 0 || EnumName(a) == EnumName(b);
}

// Two enumerations over domains of different names: the items themselves,
// or, when any is out of range, the stored indexes as integers.
static i64 join_values(i64 res, const val_item* a, const val_item* b) {
    EnumDom da = EnumDomainOf(a);
    EnumDom db = EnumDomainOf(b);
    if (da.slot >= 0 && db.slot >= 0 && (da.keyed != db.keyed || da.type != db.type))
        return errchk = E_TYPE;
    i64 na = a->count, nb = b->count;
    i64* idx = static_cast<i64*>(GM_new(TINT, na + nb + 1));
    if (!idx) return errchk;
    if (na > 0) std::memcpy(idx, EnumIndexes(a), na * sizeof(i64));
    if (nb > 0) std::memcpy(idx + na, EnumIndexes(b), nb * sizeof(i64));
    bool valid = da.slot >= 0 && db.slot >= 0 && ChkEnum(idx, na, da.count) &&
                 ChkEnum(idx + na, nb, db.count);
    val_item made;
    if (NewVector(&made, valid ? da.type : TINT, na + nb, isnamedslot(res))) return errchk;
    if (valid) {
        put_domain_items(&made, 0, da, idx, na);
        put_domain_items(&made, na, db, idx + na, nb);
    } else if (na + nb > 0) {
        std::memcpy(getptV(&made), idx, (na + nb) * sizeof(i64));
    }
    SetSlot(res, &made);
    return errchk = 0;
}

const val_item* EnumHeader(const val_item* a, const val_item* b) {
    if (a->type == TENUM && (a->count > 0 || b->type != TENUM)) return a;
    return b;
}

i64 JoinEnum(val_item* t, const val_item* a, const val_item* b, bool named) {
    const val_item* en = EnumHeader(a, b);
    EnumDom d = EnumDomainOf(en);
    i64 name = EnumName(en), slot = EnumWords(en)[1];
    i64 na = a->count, nb = b->count;
    i64* idx = static_cast<i64*>(GM_new(TINT, na + nb + 1));
    if (!idx) return errchk;
    const val_item* side[2] = {a, b};
    i64* to = idx;
    for (const val_item* v : side) {
        if (v->type == TENUM) {
            if (v->count > 0) std::memcpy(to, EnumIndexes(v), v->count * sizeof(i64));
        } else if (i64 e = EnumPositions(d, v, to)) {
            return errchk = e;
        }
        to += v->count;
    }
    return NewEnum(t, name, slot, idx, na + nb, named);
}

i64 PfGenum(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    const val_item* a = opnd(lc, lv);
    const val_item* b = opnd(rc, rv);
    if (a->type != TENUM && b->type != TENUM) return errchk = E_DOMAIN;
    if (a->rank > 1 || b->rank > 1) return errchk = E_RANK;
    bool both = a->type == TENUM && b->type == TENUM;
    if (both && !SameDomainName(a, b)) return join_values(res, a, b);
    if (!both) {
        // A plain operand joins a symbol domain only, as symbols of it.
        EnumDom d = EnumDomainOf(EnumHeader(a, b));
        const val_item* plain = a->type == TENUM ? b : a;
        if (d.keyed || plain->type != TSYM) return errchk = E_TYPE;
        if (d.slot < 0 && plain->count > 0) return errchk = E_DOMAIN;
    }
    val_item made;
    if (JoinEnum(&made, a, b, isnamedslot(res))) return errchk;
    SetSlot(res, &made);
    return errchk = 0;
}
