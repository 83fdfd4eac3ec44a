// Membership (left elements found in the right) and index-of (first
// positions of the right elements in the left vector). The element comparison
// is chosen by type; the searching is done by the hash kernels.
#include <algorithm>
#include <cstring>

#include "dict/dict.h"
#include "primitives/primitives.h"
#include "values/registers.h"

// Types kept as one 64-bit word per element and compared by that word (an
// enumeration's words are indices into its own domain).
static bool wordclass(i64 t) { return WordType(t) && t != TENUM; }

// Gives res the type and the shape of operand o (one of L, R); *out
// receives its data, and L and R their data addresses afresh.
static i64 result_like(i64 res, i64 type, const sopnd* o, sopnd* L, sopnd* R, i64** out) {
    ttyp = type;
    vtable[res].type = type;
    if (!(o->c < 0 && o->v == res) && GenStoreDims(res, o->c, o->v)) return errchk;
    if (Updatead0(res, type, o->d.rank, o->d.count)) return errchk;
    if (o->d.rank == 1 && o->d.count != 1) vtable[res].dim0 = o->d.count;
    *out = static_cast<i64*>(getptV(&vtable[res]));
    sopnd_refresh(L);
    sopnd_refresh(R);
    return errchk = 0;
}

// ---- membership -------------------------------------------------------------------

// Runs the kernel for the operand types into packed words; false when the
// types cannot hold equal elements.
static bool member_words(i64* words, const sopnd* L, const sopnd* R) {
    i64 lt = L->d.type, rt = R->d.type, nL = L->d.count, nR = R->d.count;
    i64 top = std::max(lt, rt);
    if (lt == rt || (isinttype(lt) && isinttype(rt))) {
        if (wordclass(lt)) membspi(words, (const i64*)L->p, nL, (const i64*)R->p, nR);
        else if (lt == TFLOAT || lt == TDATETIME)
            membspd(words, (const double*)L->p, nL, (const double*)R->p, nR);
        else if (lt == TCHAR) membspc(words, (const char*)L->p, nL, (const char*)R->p, nR);
        else if (lt == TCPLX) membspx(words, (const double*)L->p, nL, (const double*)R->p, nR);
        else return false;  // compound values are never members
        return true;
    }
    if (!isnumtype(std::min(lt, rt))) return false;
    // A widening that cannot be had leaves E_WS_FULL in errchk.
    if (top == TFLOAT) {
        const double* x = sopnd_doubles(L);
        const double* y = sopnd_doubles(R);
        if (x && y) membspd(words, x, nL, y, nR);
        return true;
    }
    if (top == TCPLX) {
        const complex2* x = sopnd_complex(L);
        const complex2* y = sopnd_complex(R);
        if (x && y) membspx(words, (const double*)x, nL, (const double*)y, nR);
        return true;
    }
    return false;
}

// ---- membership with a list -------------------------------------------------------

// Element i of v as a value of its own: a list's item, or a simple value's
// element as a single value of its type (rank 0) in *one.
static const val_item* element_at(const val_item* v, i64 i, val_item* one) {
    if (v->type == TLIST) return &items_of(v)[i];
    i64 w = ElemWidth(v->type);
    *one = val_item{};
    one->type = v->type;
    one->count = 1;
    const char* p = static_cast<const char*>(getptV(const_cast<val_item*>(v)));
    std::memcpy(&one->dim0, p + i * w, w);
    return one;
}

// With a list on either side, each element of the left is sought among the
// elements of the right as match compares two values. The answers are found
// before the result is made, so a list that is also the result slot is read
// whole; only a simple value of an inline type can face a list.
static i64 member_lists(i64 res, sopnd* L, sopnd* R) {
    const val_item* x = opnd(L->c, L->v);
    const val_item* y = opnd(R->c, R->v);
    for (const val_item* v : {x, y})
        if (v->type != TLIST && !InlineType(v->type)) return errchk = E_DOMAIN;
    i64 n = x->count;
    i64* hit = static_cast<i64*>(GM_new(TINT, n + 1));
    if (!hit) return errchk;
    val_item a, b;
    for (i64 i = 0; i < n; i++) {
        const val_item* e = element_at(x, i, &a);
        hit[i] = 0;
        for (i64 j = 0; j < y->count && !hit[i]; j++) hit[i] = PfMatchSub(e, element_at(y, j, &b));
    }
    i64* out;
    if (result_like(res, TBOOL, L, L, R, &out)) return errchk;
    std::copy(hit, hit + n, out);
    return errchk = 0;
}

i64 PfMembsp(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    sopnd L, R;
    if (sopnd_load_pair(&L, &R, res, lc, lv, rc, rv)) return errchk;
    if (L.d.type == TLIST || R.d.type == TLIST) return member_lists(res, &L, &R);
    i64* out;
    if (result_like(res, TBOOL, &L, &L, &R, &out)) return errchk;
    i64 n = L.d.count;
    if (n == 0) return 0;
    std::fill(out, out + n, 0);
    if (R.d.count == 0) return 0;
    i64* words = static_cast<i64*>(GM_new(TINT, n / 32 + 1));
    if (!words) return errchk;
    if (!member_words(words, &L, &R)) return 0;
    if (errchk) return errchk;  // the search's scratch could not be had
    for (i64 i = 0; i < n; i++) out[i] = (words[i / 32] >> (31 - i % 32)) & 1;
    return 0;
}

// ---- index-of -------------------------------------------------------------------

// Searches the left for each right element; the types allow a search.
static void index_words(i64* out, const sopnd* L, const sopnd* R, i64 origin) {
    i64 lt = L->d.type, rt = R->d.type, nL = L->d.count, nR = R->d.count;
    i64 top = std::max(lt, rt);
    const i64* li = (const i64*)L->p;
    const i64* ri = (const i64*)R->p;
    const double* ld = (const double*)L->p;
    const double* rd = (const double*)R->p;
    if (wordclass(top)) idxofi(out, li, nL, ri, nR, origin);
    else if (top == TCHAR) idxofc(out, (const char*)L->p, nL, (const char*)R->p, nR, origin);
    else if (top == TCPLX) idxofx(out, ld, nL, rd, nR, origin);
    else if (top == TDATETIME) idxofe(out, ld, nL, rd, nR, origin);  // instants: exact
    else if (lt == rt) idxofd(out, ld, nL, rd, nR, origin);  // tolerant
    else if (isinttype(lt)) idxofn(out, li, nL, rd, nR, origin);
    else idxofm(out, ld, nL, ri, nR, origin);
}

i64 GenIdxof(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io) {
    i64 origin = IoOrigin(io);
    if (origin < 0) return errchk = E_IO;
    sopnd L, R;
    if (sopnd_load_pair(&L, &R, res, lc, lv, rc, rv)) return errchk;
    i64 lt = L.d.type, rt = R.d.type, top = std::max(lt, rt);
    if (top >= TDICT) {
        bool right_ok = rt == TLIST || (rt == TTABLE && rc < 0);
        if (lc >= 0 || !right_ok) return errchk = E_DOMAIN;
        return errchk = TabIdxof(res, lv, rc, rv, io);
    }
    if (lt == TENUM) return errchk = EnumIdxof(res, lc, lv, rc, rv, io);
    if (lt == TLIST || rt == TLIST)
        return errchk = ErrSay(E_DOMAIN, "index-of ! takes simple vectors, not lists");
    if (top > TTIME) return errchk = E_DOMAIN;
    if (L.d.rank > 1) return errchk = E_RANK;
    i64* out;
    if (result_like(res, TINT, &R, &L, &R, &out)) return errchk;
    i64 n = R.d.count;
    if (n == 0) return 0;
    if (top > TFLOAT && lt != rt) {
        std::fill(out, out + n, origin + L.d.count);
        return 0;
    }
    index_words(out, &L, &R, origin);
    return errchk;  // E_WS_FULL when the search's scratch could not be had
}
