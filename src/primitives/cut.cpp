// Cut: splits an array along its first axis into consecutive pieces, returned
// as a list. A single length n cuts pieces of n rows; a vector gives the
// length of every piece in turn.
#include <cstring>

#include "primitives/primitives.h"
#include "values/registers.h"

// The array being cut, as it was before the result is allocated: simple
// data is copied to scratch; a list is read through its descriptor, or
// through a temporary copy when it is the result slot itself.
struct cut_source {
    val_item d;          // descriptor (shape, type)
    const char* simple;  // simple elements
    val_item* list;      // list descriptor to read items through
    val_item stage;
};

static i64 load_source(cut_source* s, i64 res, i64 rc, i64 rv) {
    val_item* v = opnd(rc, rv);
    s->d = *v;
    s->simple = nullptr;
    s->list = v;
    if (v->type == TLIST) {
        if (rc < 0 && rv == res) {
            s->stage = val_item{};
            if (GenStoreV2(&s->stage, v, false)) return errchk;
            s->list = &s->stage;
        }
        return 0;
    }
    i64 bytes = v->count * ElemWidth(v->type);
    char* copy = static_cast<char*>(GM_new(TCHAR, bytes));
    if (!copy && bytes > 0) return errchk;
    if (bytes > 0) std::memcpy(copy, getptV(v), (size_t)bytes);
    s->simple = copy;
    return 0;
}

// Piece of `got` rows starting at element `from`; a piece that asked for one
// row of a higher-rank array loses the first axis.
static i64 make_piece(val_item* pc, const cut_source* s, i64 from, i64 got, i64 asked, i64 rowlen,
                      bool named) {
    i64 n = got * rowlen;
    *pc = val_item{};
    pc->type = s->d.type;
    i64 rank = s->d.rank < 1 ? 1 : s->d.rank;
    i64* dims = static_cast<i64*>(GM_new(TINT, rank + 1));
    if (!dims) return errchk;
    if (s->d.rank < 1) dims[0] = 1;
    else shape_of(&s->d, dims);
    dims[0] = got;
    i64 drop = asked == 1 && rank >= 2 ? 1 : 0;
    rank -= drop;
    i64 run = 0;
    if (shape_run(dims + drop, rank, &run)) return errchk;
    pc->rank = rank;
    pc->count = n;
    if (rank == 1 && n != 1) pc->dim0 = n;
    if (rank >= 2) pc->dim0 = dims[drop];
    if (rank == 2) pc->dim1 = dims[drop + 1];
    if (rank > 2) pc->dim1 = run;
    if (Updatead2(pc, named)) return errchk;
    if (s->d.type != TLIST) {
        i64 w = ElemWidth(s->d.type);
        std::memcpy(cad0, s->simple + from * w, (size_t)(n * w));
        return 0;
    }
    for (i64 k = 0; k < n; k++) {
        val_item item{};
        val_item* src = &items_of(s->list)[from + k];
        if (GenStoreV2(&item, src, named)) return errchk;
        MoveItem(&items_of(pc)[k], &item);
    }
    return 0;
}

static i64 empty_piece(val_item* pc) {
    *pc = val_item{};
    pc->type = TINT;
    pc->rank = 1;
    return 0;
}

i64 PfPart1(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    val_item* L = opnd(lc, lv);
    val_item* R = opnd(rc, rv);
    if (L->rank < 0 || R->rank < 0) return errchk = E_VALUE;
    SetNames(1, 3, res, lc, lv, rc, rv);
    if (!isinttype(L->type) || R->type > TTIME) return errchk = E_DOMAIN;
    if (L->rank >= 2) return errchk = E_RANK;
    i64 rows = R->rank <= 1 ? R->count : R->dim0;
    i64 rowlen = rows ? R->count / rows : 0;
    const i64* len = static_cast<const i64*>(getptV(L));
    bool one = single(L);
    i64 pieces = L->count;
    i64 n = 0;
    if (one) {
        n = len[0];
        if (n < 0) return errchk = E_DOMAIN;
        // Without elements there is nothing to cut, whatever the rows.
        if (n >= rows && R->count > 0) return PfPack(res, rc, rv);
        pieces = n == 0 || R->count == 0 ? 0 : (rows - 1) / n + 1;
    } else {
        for (i64 j = 0; j < L->count; j++)
            if (len[j] < 0) return errchk = E_DOMAIN;
    }
    i64* ask = static_cast<i64*>(GM_new(TINT, pieces));
    if (!ask && pieces > 0) return errchk;
    for (i64 j = 0; j < pieces; j++) ask[j] = one ? n : len[j];
    cut_source s;
    if (load_source(&s, res, rc, rv)) return errchk;
    bool named = isnamedslot(res);
    ttyp = TLIST;
    vtable[res].type = TLIST;
    if (Updatead0(res, TLIST, 1, pieces)) return errchk;
    if (pieces != 1) vtable[res].dim0 = pieces;
    i64 row = 0;
    for (i64 j = 0; j < pieces; j++) {
        i64 got = ask[j] < rows - row ? ask[j] : rows - row;
        val_item pc;
        if (got <= 0 || rowlen == 0) empty_piece(&pc);
        else if (make_piece(&pc, &s, row * rowlen, got, ask[j], rowlen, named)) return errchk;
        row += got > 0 ? got : 0;
        MoveItem(&reinterpret_cast<val_item*>(vtable[res].data)[j], &pc);
    }
    return errchk = 0;
}
