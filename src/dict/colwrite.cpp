// Writes into the rows of table columns. Every write of an assignment is
// checked before the first one is made, so a failing assignment leaves the
// table as it was; a column is widened (boolean to integer, to float, to
// complex) only once the writes go ahead.
#include <cstring>

#include "dict/colwrite.h"
#include "primitives/primitives.h"
#include "values/room.h"

// ---- sources --------------------------------------------------------------------

static const val_item* source_at(const WriteSource& s) {
    const val_item* v = opnd(s.c, s.v);
    if (s.part >= 0) v = &items_of(v)[s.part];
    if (s.item >= 0) v = ItemOf(v, s.item);
    return v;
}

// The source as a descriptor: itself, or a one-element view of one of its
// elements. Valid until the next allocation.
static val_item source_view(const WriteSource& s) {
    const val_item* v = source_at(s);
    if (s.elem < 0) return *v;
    if (v->type == TLIST) return *ItemOf(v, s.elem);
    val_item one{};
    one.type = v->type;
    one.rank = 1;
    one.count = 1;
    i64 w = ElemWidth(v->type);
    std::memcpy(&one.dim0, BytesOf(v) + s.elem * w, w);
    return one;
}

// ---- checks ---------------------------------------------------------------------

// The column type after storing elements of type s, or -1 (type error).
static i64 stored_type(i64 t, i64 s) {
    if (t == s) return t;
    if (IsNumeric(t) && IsNumeric(s)) return t > s ? t : s;
    return -1;
}

static i64 check_texts(const val_item* s, i64 m) {
    if (IsCharVector(s)) return 0;
    if (s->type != TLIST) return E_TYPE;
    if (s->count != m && s->count != 1) return E_LENGTH;
    for (i64 k = 0; k < s->count; k++)
        if (!IsCharVector(ItemOf(s, k))) return E_TYPE;
    return 0;
}

static i64 check_simple(const val_item* s, i64 m, i64* type) {
    if (s->type == TLIST) {
        if (s->count != m && s->count != 1) return E_LENGTH;
        for (i64 k = 0; k < s->count; k++) {
            const val_item* it = ItemOf(s, k);
            if (it->type == TLIST || it->type > TTIME) return E_TYPE;
            if (it->count != 1) return E_LENGTH;
            if ((*type = stored_type(*type, it->type)) < 0) return E_TYPE;
        }
        return 0;
    }
    if (s->type > TTIME) return E_TYPE;
    if (s->count != m && s->count != 1) return E_LENGTH;
    return (*type = stored_type(*type, s->type)) < 0 ? E_TYPE : E_OK;
}

// The values written into the enumeration column col, one per row of m or
// one for all: a simple vector, or a list of one-element items of one type.
// Their domain positions go to out (m of them) when it is given.
static i64 enum_positions(const val_item* col, const val_item* s, i64 m, i64* out) {
    val_item vals = *s;
    if (s->type == TLIST) {
        i64 t = ListSame(s);
        if (s->count > 0 && (t < 0 || t > TTIME || t == TLIST)) return E_TYPE;
        vals = ScratchVector(t, s->count);
        if (vals.rank < 0) return errchk;
        char* to = static_cast<char*>(getptV(&vals));
        for (i64 k = 0; k < s->count; k++) {
            if (ItemOf(s, k)->count != 1) return E_LENGTH;
            std::memcpy(to + k * ElemWidth(t), BytesOf(ItemOf(s, k)), ElemWidth(t));
        }
    }
    if (vals.count != m && vals.count != 1) return E_LENGTH;
    i64* pos = static_cast<i64*>(GM_new(TINT, vals.count + 1));
    if (!pos) return errchk;
    EnumDom d = EnumDomainOf(col);
    if (i64 e = EnumPositions(d, &vals, pos)) return e;
    for (i64 k = 0; out && k < m; k++) out[k] = pos[vals.count == 1 ? 0 : k];
    return 0;
}

static i64 check_write(const val_item* col, const val_item* s, i64 m, i64* type) {
    if (col->type == TLIST) return check_texts(s, m);
    if (col->type == TENUM) return enum_positions(col, s, m, nullptr);
    if (col->type == TCHAR && col->rank > 1) {
        if (!IsCharVector(s)) return E_TYPE;
        return s->count <= col->dim1 ? E_OK : E_LENGTH;
    }
    if (col->type > TTIME) return E_TYPE;
    return check_simple(s, m, type);
}

static val_item* columns_of(const ColumnWrites& w) { return TableCols(TableAt(w.slot, w.part)); }

i64 CheckWrites(ColumnWrites* w) {
    i64 m = static_cast<i64>(w->rows.size());
    w->types.assign(TableWidth(TableAt(w->slot, w->part)), -1);
    for (const ColumnWrite& cw : w->writes) {
        const val_item* col = ItemOf(columns_of(*w), cw.col);
        i64& type = w->types[cw.col];
        if (type < 0) type = col->type;
        val_item s = source_view(cw.src);
        if (i64 e = check_write(col, &s, m, &type)) return errchk = e;
    }
    return 0;
}

// ---- the writes --------------------------------------------------------------------

// Element e of s (a list: its item e's only element) as type `to` at out.
static void put_elem(char* out, i64 to, const val_item* s, i64 e) {
    if (s->type == TLIST) {
        s = ItemOf(s, s->count == 1 ? 0 : e);
        e = 0;
    } else if (s->count == 1) {
        e = 0;
    }
    const char* p = BytesOf(s);
    double re = 0, im = 0;
    switch (s->type) {
    case TFLOAT: std::memcpy(&re, p + 8 * e, 8); break;
    case TCPLX:
        std::memcpy(&re, p + 16 * e, 8);
        std::memcpy(&im, p + 16 * e + 8, 8);
        break;
    default:
        if (to == TFLOAT || to == TCPLX) re = static_cast<double>(WordsOf(s)[e]);
        break;
    }
    if (to == TFLOAT || (to == TCPLX && s->type != TCPLX)) {
        std::memcpy(out, &re, 8);
        if (to == TCPLX) std::memcpy(out + 8, &im, 8);
    } else {
        std::memcpy(out, p + e * ElemWidth(to), ElemWidth(to));
    }
}

// Widens the columns whose type grows; each gets a fresh block.
static i64 widen(ColumnWrites* w) {
    for (i64 j = 0; j < static_cast<i64>(w->types.size()); j++) {
        if (w->types[j] < 0 || w->types[j] == ItemOf(columns_of(*w), j)->type) continue;
        val_item fresh{};
        if (GenStoreV2(&fresh, ItemOf(columns_of(*w), j), true)) return errchk;
        if (GenStoreXt(&fresh, w->types[j], true)) {
            DropRef(&fresh);
            return errchk;
        }
        val_item* col = ItemOf(columns_of(*w), j);
        DropRef(col);
        MoveItem(col, &fresh);
    }
    return 0;
}

// Copies of the texts each written row of a list column receives.
static i64 copy_texts(ColumnWrites* w, std::vector<val_item>* made) {
    i64 m = static_cast<i64>(w->rows.size());
    for (const ColumnWrite& cw : w->writes) {
        if (ItemOf(columns_of(*w), cw.col)->type != TLIST) continue;
        for (i64 k = 0; k < m; k++) {
            // A list's item stays where it is (a collection may move it);
            // an element of a simple source is a one-element view.
            const val_item* s = source_at(cw.src);
            val_item one;
            if (cw.src.elem >= 0 && s->type == TLIST) {
                s = ItemOf(s, cw.src.elem);
            } else if (cw.src.elem >= 0) {
                one = source_view(cw.src);
                s = &one;
            }
            if (s->type == TLIST) s = ItemOf(s, s->count == 1 ? 0 : k);
            made->push_back(val_item{});
            if (GenStoreV2(&made->back(), const_cast<val_item*>(s), true)) return errchk;
            made->back().rank = 1;
        }
    }
    return 0;
}

// The elements (or padded texts) each write stores, converted, in scratch:
// read before the first store, since a source may be the table itself;
// nullptr (E_WS_FULL in errchk) when the scratch cannot be had.
static char* gather_elems(const ColumnWrites& w, const ColumnWrite& cw) {
    const val_item* col = ItemOf(columns_of(w), cw.col);
    val_item s = source_view(cw.src);
    i64 m = static_cast<i64>(w.rows.size());
    if (col->type == TCHAR && col->rank > 1) {
        char* text = static_cast<char*>(GM_new(TCHAR, col->dim1 + 1));
        if (!text) return nullptr;
        std::memset(text, ' ', col->dim1);
        if (s.count > 0) std::memcpy(text, BytesOf(&s), s.count);
        return text;
    }
    i64 width = ElemWidth(col->type);
    char* out = static_cast<char*>(GM_new(TCHAR, m * width + 16));
    if (!out) return nullptr;
    if (col->type == TENUM) enum_positions(col, &s, m, reinterpret_cast<i64*>(out));
    else
        for (i64 k = 0; k < m; k++) put_elem(out + k * width, col->type, &s, k);
    return out;
}

i64 ApplyWrites(ColumnWrites* w) {
    i64 m = static_cast<i64>(w->rows.size());
    std::vector<val_item> made;
    if (!Room(&made, static_cast<i64>(w->writes.size()) * m)) return errchk;
    if (widen(w) || copy_texts(w, &made)) {
        for (val_item& t : made) DropRef(&t);
        return errchk;
    }
    std::vector<char*> elems;
    for (const ColumnWrite& cw : w->writes) {
        bool texts = ItemOf(columns_of(*w), cw.col)->type == TLIST;
        elems.push_back(texts ? nullptr : gather_elems(*w, cw));
        if (!texts && !elems.back()) {
            for (val_item& t : made) DropRef(&t);
            return errchk;
        }
    }
    // Last write first, last row first: where rows repeat, the first wins.
    size_t next = made.size();
    for (size_t q = w->writes.size(); q-- > 0;) {
        val_item* col = ItemOf(columns_of(*w), w->writes[q].col);
        bool texts = col->type == TLIST, matrix = col->rank > 1;
        if (texts) next -= m;
        i64 width = matrix ? col->dim1 : ElemWidth(col->type);
        char* data = col->type == TENUM
                         ? reinterpret_cast<char*>(const_cast<i64*>(EnumIndexes(col)))
                         : static_cast<char*>(getptV(col));
        for (i64 k = m - 1; k >= 0; k--) {
            i64 r = w->rows[k];
            if (texts) {
                DropRef(ItemOf(col, r));
                MoveItem(ItemOf(col, r), &made[next + k]);
            } else {
                std::memcpy(data + r * width, elems[q] + (matrix ? 0 : k * width), width);
            }
        }
    }
    return 0;
}
