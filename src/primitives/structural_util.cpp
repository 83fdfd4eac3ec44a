// Helpers shared by the structural primitives: element widths and fills,
// result allocation from a shape, and building a result from a source by an
// index map (simple elements copied by width, list items deep-copied).
#include <cstdlib>
#include <cstring>
#include <utility>

#include "dict/dict.h"
#include "eval/eval.h"
#include "primitives/primitives.h"
#include "scalar/scalar.h"

i64 ElemWidth(i64 type)
{
    if (type == TCHAR) return 1;
    if (type == TCPLX) return 16;
    if (type == TLIST || type == TDICT || type == TTABLE) return 64;
    return 8;
}

i64 ShapeCount(const i64* dims, i64 rank, i64 type, i64* count)
{
    i64 n = 1;
    bool over = false;
    for (i64 k = 0; k < rank; k++) {
        if (dims[k] == 0) {
            *count = 0;
            return 0;
        }
        if (!over && __builtin_mul_overflow(n, dims[k], &n)) over = true;
    }
    if (over) return errchk = E_WS_FULL;
    *count = n;
    return CheckSize(type, n);
}

i64 NewResult(i64 res, i64 type, i64 rank, const i64* dims, i64 count)
{
    i64 run;
    if (shape_run(dims, rank, &run)) return errchk;
    ttyp = type;
    vtable[res].type = type;
    if (Updatead0(res, type, rank, count)) return errchk;
    shape_set(res, dims, rank, run);
    return errchk = 0;
}

i64 EmptySelection(i64 res, const sopnd* r)
{
    if (r->d.count > 1) return errchk = E_LENGTH;
    i64 none = 0;
    return NewResult(res, TINT, 1, &none, 0);
}

// Copies element map[k] (or the fill) of width W for every k.
template <int W>
static void gather_w(char* to, const char* from, const i64* map, i64 n, char fill)
{
    for (i64 k = 0; k < n; k++) {
        if (map[k] < 0) std::memset(to + k * W, fill, W);
        else std::memcpy(to + k * W, from + map[k] * W, W);
    }
}

struct map_ctx {
    const sopnd* src;
    const i64* map;
};

static const val_item* map_item(void* ctx, i64 k)
{
    map_ctx* m = static_cast<map_ctx*>(ctx);
    return m->map[k] < 0 ? nullptr : OperandItem(m->src, m->map[k]);
}

i64 GatherResult(i64 res, i64 type, i64 rank, const i64* dims, i64 count, const sopnd* src,
                 const i64* map)
{
    if (type == TLIST) {
        map_ctx m = {src, map};
        return ListResult(res, rank, dims, count, map_item, &m);
    }
    if (NewResult(res, type, rank, dims, count)) return errchk;
    if (count == 0) return 0;
    sopnd_refresh(const_cast<sopnd*>(src));
    char* to = static_cast<char*>(getptV(&vtable[res]));
    const char* from = static_cast<const char*>(src->p);
    char fill = type == TCHAR ? ' ' : 0;
    switch (ElemWidth(type)) {
    case 1: gather_w<1>(to, from, map, count, fill); break;
    case 16: gather_w<16>(to, from, map, count, fill); break;
    default: gather_w<8>(to, from, map, count, fill); break;
    }
    return errchk = 0;
}

const val_item* OperandItem(const sopnd* o, i64 k)
{
    return reinterpret_cast<const val_item*>(opnd(o->c, o->v)->data) + k;
}

// Gives back the items copied so far when a list result cannot be finished.
static i64 drop_items(val_item* items, i64 n, bool named, i64 e)
{
    if (named)
        for (i64 k = 0; k < n; k++) DropRef(&items[k]);
    std::free(items);
    return errchk = e;
}

i64 ListResult(i64 res, i64 rank, const i64* dims, i64 n, item_source get, void* ctx)
{
    bool named = isnamedslot(res);
    // The items are built aside, in memory no collection moves, so that the
    // operands stay whole (even when one of them is the result slot) until
    // every item is copied.
    val_item* items = n > 0 ? static_cast<val_item*>(acalloc(n, sizeof(val_item))) : nullptr;
    for (i64 k = 0; k < n; k++) {
        const val_item* s = get(ctx, k);
        if (!s) {
            items[k].type = TINT;
            items[k].rank = 1;
            continue;
        }
        i64 e = GenStoreV2(&items[k], const_cast<val_item*>(s), named);
        if (e) return drop_items(items, k, named, e);
    }
    if (NewResult(res, TLIST, rank, dims, n)) return drop_items(items, n, named, errchk);
    val_item* out = reinterpret_cast<val_item*>(vtable[res].data);
    for (i64 k = 0; k < n; k++) MoveItem(&out[k], &items[k]);
    std::free(items);
    return errchk = 0;
}

i64* AxisMap(i64 rank, const i64* rdims, const i64* sdims, i64* const* pos, i64 count)
{
    if (count == 0) return nullptr;
    i64* map = static_cast<i64*>(GM_new(TINT, count));
    i64* other = static_cast<i64*>(GM_new(TINT, count));
    // Offsets grow one axis at a time; the last axis runs fastest.
    i64* cur = map;
    i64* next = other;
    if (rank % 2 == 1) std::swap(cur, next);   // so the last pass ends in map
    cur[0] = 0;
    i64 n = 1;
    for (i64 i = 0; i < rank; i++) {
        i64 rd = rdims[i], sd = sdims[i];
        const i64* p = pos[i];
        for (i64 j = 0; j < n; j++) {
            i64 o = cur[j];
            i64* to = next + j * rd;
            for (i64 q = 0; q < rd; q++) to[q] = (o < 0 || p[q] < 0) ? -1 : o * sd + p[q];
        }
        n *= rd;
        std::swap(cur, next);
    }
    return map;
}

i64* AxisWhole(i64 n)
{
    i64* p = static_cast<i64*>(GM_new(TINT, n > 0 ? n : 1));
    for (i64 k = 0; k < n; k++) p[k] = k;
    return p;
}

const char* OperandAs(sopnd* o, i64 type)
{
    sopnd_refresh(o);
    if (o->d.count == 0 || o->d.type == type) return static_cast<const char*>(o->p);
    if (type == TCPLX) return reinterpret_cast<const char*>(sopnd_complex(o));
    if (type == TFLOAT && o->d.type != TDATETIME)
        return reinterpret_cast<const char*>(sopnd_doubles(o));
    return static_cast<const char*>(o->p);   // boolean words in an integer result
}

char* PutRun(char* to, const char* src, bool single, i64 off, i64 n, i64 w)
{
    if (single)
        for (i64 k = 0; k < n; k++) std::memcpy(to + k * w, src, w);
    else if (n > 0)
        std::memcpy(to, src + off * w, n * w);
    return to + n * w;
}
