// Small checks on lists and table columns, and the null test of elements.
#include <cmath>

#include "dict/dictparts.h"

i64 ListSame(const val_item* list) {
    if (list->type != TLIST || list->count == 0) return -1;
    i64 t = ItemOf(list, 0)->type;
    for (i64 k = 1; k < list->count; k++)
        if (ItemOf(list, k)->type != t) return -1;
    return t;
}

// Rows of one item: a character matrix by its rows, higher character
// arrays by none (-1), anything else by its element count.
static i64 item_rows(const val_item* it) {
    if (it->type == TCHAR && it->rank == 2) return it->dim0;
    if (it->type == TCHAR && it->rank > 2) return -1;
    return it->count;
}

i64 judgelist(const val_item* v) {
    if (v->type != TLIST) return -1;
    i64 prev = -1;
    for (i64 k = 0; k < v->count; k++) {
        i64 rows = item_rows(ItemOf(v, k));
        if (k > 0 && prev != -1 && rows != prev) return -1;
        prev = rows;
    }
    return prev < 0 ? 0 : prev;
}

i64 chk_dict_val(const val_item* list) {
    for (i64 k = 1; k < list->count; k++)
        if (ItemOf(list, k)->count != ItemOf(list, 0)->count) return 0;
    return 1;
}

// An enumeration column and a plain one: the plain elements must be of the
// domain item type (7) and domain items (203), whichever side grows, so
// that the joined column is an enumeration over that domain.
static i64 check_enum_pair(const val_item* en, const val_item* plain) {
    EnumDom d = EnumDomainOf(en);
    if (d.slot >= 0 && plain->type != d.type) return E_TYPE;
    i64* pos = static_cast<i64*>(GM_new(TINT, plain->count + 1));
    if (!pos) return errchk;
    i64 e = EnumPositions(d, plain, pos);
    return e == E_WS_FULL ? e : e ? E_ENUM_DOMAIN : E_OK;
}

i64 chk_ftab_val(const val_item* left, const val_item* right, i64 n) {
    for (i64 k = 0; k < n; k++) {
        const val_item* a = ItemOf(left, k);
        const val_item* b = ItemOf(right, k);
        i64 e = 0;
        if (a->type == TENUM && b->type == TENUM) e = SameDomainName(a, b) ? E_OK : E_DOMAIN;
        else if (a->type == TENUM) e = check_enum_pair(a, b);
        else if (b->type == TENUM) e = check_enum_pair(b, a);
        else if (a->type != b->type && !(IsNumeric(a->type) && IsNumeric(b->type))) e = E_TYPE;
        if (e) return errchk = e;
    }
    return 0;
}

i64 Vnull(const val_item* v, i64 i) {
    if (v->type != TFLOAT && v->type != TSYM) return 0;
    if (isoneV(v)) i = 0;
    if (i < 0 || i >= v->count) return 0;
    if (v->type == TFLOAT) return std::isnan(reinterpret_cast<const double*>(BytesOf(v))[i]);
    return WordsOf(v)[i] == 0;
}
