// Texts of elements and table cells for the dictionary and table displays.
#include "display/showtext.h"

i64 ElementCount(const val_item* v) {
    if (v->type == TCHAR && v->rank == 2) return v->dim0;
    return v->count;
}

std::string ElementString(val_item* v, i64 k) {
    if (v->type == TCHAR && v->rank == 2) {
        if (k < 0 || k >= v->dim0 || !v->data) return std::string();
        return std::string(v->data + k * v->dim1, static_cast<size_t>(v->dim1));
    }
    char buf[ELEMTEXT];
    i64 n = FillTemp(v, k, buf, -1);
    return std::string(buf, static_cast<size_t>(n));
}

std::string ElementsString(val_item* v) {
    if (v->type == TCHAR && v->rank <= 1) {
        const char* p = static_cast<const char*>(getptV(v));
        return p ? std::string(p, static_cast<size_t>(v->count)) : std::string();
    }
    std::string out;
    for (i64 k = 0; k < ElementCount(v); k++) {
        if (k > 0) out += ' ';
        out += ElementString(v, k);
    }
    return out;
}

std::string CellString(val_item* col, i64 k) {
    if (col->type == TLIST) {
        if (k < 0 || k >= col->count) return std::string();
        return ElementsString(reinterpret_cast<val_item*>(col->data) + k);
    }
    if (k < 0 || k >= ElementCount(col)) return std::string();
    return ElementString(col, k);
}
