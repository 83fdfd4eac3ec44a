// Catenate: joins two values along an existing axis (31 the last, 66 to 71
// axis code-66), promoting numbers and extending a single element; nested
// lists join item by item; enumerations, dictionaries and tables go to their
// own routines.
#include <algorithm>

#include "dict/dict.h"
#include "primitives/primitives.h"
#include "values/fcodes.h"
#include "values/registers.h"

struct cat_sides {
    i64 lc, lv, rc, rv;
    i64 nl;  // items the left contributes
};

// A list gives its items; any other value is one item.
static i64 items_given(const val_item* v) { return v->type == TLIST ? v->count : 1; }

static const val_item* cat_item(void* ctx, i64 k) {
    cat_sides* s = static_cast<cat_sides*>(ctx);
    bool left = k < s->nl;
    const val_item* v = left ? opnd(s->lc, s->lv) : opnd(s->rc, s->rv);
    if (v->type != TLIST) return v;
    return items_of(v) + (left ? k : k - s->nl);
}

// An empty side contributes nothing: the other side is the result.
static i64 copy_other(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (opnd(lc, lv)->count > 0) return GenStore(res, lc, lv);
    return GenStore(res, rc, rv);
}

static i64 cat_lists(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    const val_item* l = opnd(lc, lv);
    const val_item* r = opnd(rc, rv);
    if (l->count == 0 || r->count == 0) return copy_other(res, lc, lv, rc, rv);
    cat_sides s = {lc, lv, rc, rv, items_given(l)};
    i64 n = s.nl + items_given(r);
    return ListResult(res, 1, &n, n, cat_item, &s);
}

// The result type of two non-empty simple operands, or -1 (domain error).
static i64 joined_type(i64 lt, i64 rt) {
    i64 t = std::max(lt, rt);
    if (t <= TFLOAT) return t;
    if (t == TCPLX) return lt == TCHAR || rt == TCHAR ? -1 : t;
    return lt == rt ? t : -1;
}

// The geometry of one catenation: result shape, and each side's length
// along the axis (a single element counting 1).
struct cat_shape {
    i64 rank, axis;
    i64* dims;
    i64 llen, rlen;
    bool lone, rone;  // the side is extended as a single element
};

// Inserts a unit axis at position a of a shape of n entries.
static void unit_axis(i64* dims, i64 n, i64 a) {
    for (i64 i = n; i > a; i--) dims[i] = dims[i - 1];
    dims[a] = 1;
}

static i64 cat_geometry(const val_item* l, const val_item* r, cat_shape* g) {
    i64 R = g->rank, a = g->axis;
    i64* ld = static_cast<i64*>(GM_new(TINT, R + 1));
    i64* rd = static_cast<i64*>(GM_new(TINT, R + 1));
    if (!ld || !rd) return errchk = E_WS_FULL;
    g->dims = ld;
    if (g->lone && g->rone) {
        for (i64 i = 0; i < R; i++) ld[i] = 1;
        ld[a] = 2;
        g->llen = g->rlen = 1;
        return 0;
    }
    i64 nl = shape_of(l, ld), nr = shape_of(r, rd);
    if (g->lone || g->rone) {
        if (g->lone) std::copy(rd, rd + nr, ld);
        g->llen = g->lone ? 1 : ld[a];
        g->rlen = g->rone ? 1 : rd[a];
        ld[a] = g->llen + g->rlen;
        return 0;
    }
    if (nl - nr > 1 || nr - nl > 1) return E_RANK;
    if (nl < nr) unit_axis(ld, nl, a);
    if (nr < nl) unit_axis(rd, nr, a);
    for (i64 i = 0; i < R; i++)
        if (i != a && ld[i] != rd[i]) return E_LENGTH;
    g->llen = ld[a];
    g->rlen = rd[a];
    ld[a] = g->llen + g->rlen;
    return 0;
}

static i64 cat_simple(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    sopnd L, R;
    if (sopnd_load(&L, lc, lv, res) || sopnd_load(&R, rc, rv, res)) return errchk;
    i64 type;
    if (L.d.count > 0 && R.d.count > 0) type = joined_type(L.d.type, R.d.type);
    else type = L.d.count > 0 ? L.d.type : R.d.type;
    if (type < 0) return errchk = E_DOMAIN;
    cat_shape g;
    g.rank = std::max({L.d.rank, R.d.rank, (i64)1});
    g.axis = code == FC_CATENATE ? g.rank - 1 : code - FC_CATENATE1;
    if (code != FC_CATENATE && (g.axis >= g.rank || (R.d.count != 1 && g.axis >= R.d.rank)))
        return errchk = E_AXIS;
    // A single element extends to the other side, unless it has the higher
    // rank: then the shapes must agree as for any two arrays.
    g.lone = L.d.count == 1 && (R.d.count == 1 || L.d.rank <= R.d.rank);
    g.rone = R.d.count == 1 && (L.d.count == 1 || R.d.rank <= L.d.rank);
    if (i64 e = cat_geometry(&L.d, &R.d, &g)) return errchk = e;
    i64 count;
    if (ShapeCount(g.dims, g.rank, type, &count)) return errchk;
    if (NewResult(res, type, g.rank, g.dims, count)) return errchk;
    if (count == 0) return 0;
    errchk = 0;
    const char* lp = OperandAs(&L, type);
    const char* rp = OperandAs(&R, type);
    if (errchk) return errchk;
    i64 w = ElemWidth(type), P = 1, Q = 1;
    for (i64 i = 0; i < g.axis; i++) P *= g.dims[i];
    for (i64 i = g.axis + 1; i < g.rank; i++) Q *= g.dims[i];
    char* to = static_cast<char*>(getptV(&vtable[res]));
    i64 lb = g.llen * Q, rb = g.rlen * Q;
    for (i64 p = 0; p < P; p++) {
        to = PutRun(to, lp, g.lone, p * lb, lb, w);
        to = PutRun(to, rp, g.rone, p * rb, rb, w);
    }
    return errchk = 0;
}

i64 PfCatena(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    if (code != FC_CATENATE && (code < FC_CATENATE1 || code > FC_CATENATE_LAST))
        return errchk = E_NOT_BUILT;
    SetNames(1, 3, res, lc, lv, rc, rv);
    const val_item* l = opnd(lc, lv);
    const val_item* r = opnd(rc, rv);
    i64 t = std::max(l->type, r->type);
    if (t == TLIST) return cat_lists(res, lc, lv, rc, rv);
    if (t == TENUM) return errchk = code == FC_CATENATE ? PfGenum(res, lc, lv, rc, rv) : E_DOMAIN;
    if (t >= TDICT)
        return errchk = code == FC_CATENATE ? TableCate(res, lc, lv, rc, rv, false)
                                            : TableCateCol(res, lc, lv, rc, rv);
    if (t > TTIME) return errchk = E_DOMAIN;
    if (l->type == TLIST || r->type == TLIST) {  // a list meeting a temporal value
        if (l->count > 0 && r->count > 0) return errchk = E_DOMAIN;
        return copy_other(res, lc, lv, rc, rv);
    }
    return cat_simple(code, res, lc, lv, rc, rv);
}
