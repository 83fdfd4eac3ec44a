// Value descriptors, the slot tables and the small predicates on types.
#include <cmath>

#include "values/values.h"

val_item vtable[VTSIZE];
val_item ctable[CTSIZE];
i64 lstvx = 17;
i64 lstvxend = SYSTART;
i64 lstcx = -1;
i64 errchk = 0;
const double QDPPM = std::pow(10.0, 10);

i64* glist = nullptr;
i64 nxtglx = -1;

// Bytes of data for n elements of a type.
i64 typC(i64 type, i64 n) {
    switch (type) {
    case TBOOL:
    case TINT:
    case TFLOAT:
    case TSYM:
    case TMONTH:
    case TDATE:
    case TDATETIME:
    case TMINUTE:
    case TSECOND:
    case TTIME: return 8 * n;
    case TCHAR: return n > 0 ? n + 1 : 0;
    case TCPLX: return 16 * n;
    case TLIST:
    case TDICT:
    case TTABLE: return 64 * n;
    case TENUM: return 8 * n + 16;
    default: return n;
    }
}

i64 DataBytes(const val_item* v) {
    if (isoneV(v) || v->count <= 0 || !v->data) return 0;
    return typC(v->type, v->count);
}

i64 ElemWidth(i64 type) {
    if (type == TCHAR) return 1;
    if (type == TCPLX) return 16;
    if (HoldsItems(type)) return 64;
    return 8;
}

int isone(val_item v) { return isoneV(&v); }

int isbasic(i64 type) { return InlineType(type); }

// Checks that a list's items are simple values of rank <= 1 with one count.
i64 islist0(val_item* v) {
    val_item* item = items_of(v);
    for (i64 i = 0; i < v->count; i++) {
        i64 code = 0;
        if (!isbasic(item[i].type)) code = E_TYPE;
        else if (item[i].rank > 1) code = E_RANK;
        else if (item[i].count != item[0].count) code = E_LENGTH;
        if (code) return errchk = code;
    }
    return 0;
}

static const char typeletters[] = "BIECQSLMDZUVT";  // codes 0..12

i64 gettyp(char letter) {
    if (letter == 'Q') return -1;  // complex has no letter of its own
    for (i64 t = 0; typeletters[t]; t++)
        if (typeletters[t] == letter) return t;
    return -1;
}

char gettyp0(i64 type) {
    if (type < 0 || type > TTIME) return 'Q';
    return typeletters[type];
}
