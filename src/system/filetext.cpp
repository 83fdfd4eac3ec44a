// Element texts for files other programs read: C number syntax, exact
// floats, nulls as empty texts.
#include <charconv>
#include <cmath>
#include <cstring>

#include "datetime/datetime.h"
#include "display/display.h"
#include "system/filetext.h"
#include "system/system.h"

void text_out::drain() {
    if (!buf.empty() && std::fwrite(buf.data(), 1, buf.size(), fp) != buf.size()) ok = false;
    buf.clear();
}

bool text_out::flush() {
    drain();
    if (std::fflush(fp) != 0 || std::ferror(fp)) ok = false;
    return ok;
}

static void append_int(i64 v, std::string& out) {
    if (v == INULL) return;
    char buf[24];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

static void append_float(double x, std::string& out) {
    if (std::isnan(x)) return;
    char buf[FLOATTEXT];
    out.append(buf, static_cast<size_t>(FloatCText(x, buf)));
}

void FileElementText(val_item* v, i64 k, std::string& out) {
    const char* data = static_cast<const char*>(getptV(v));
    if (!data || k < 0 || k >= v->count) return;
    if (isoneV(v)) k = 0;
    const i64* words = reinterpret_cast<const i64*>(data);
    const double* reals = reinterpret_cast<const double*>(data);
    char buf[ELEMTEXT];
    switch (v->type) {
    case TBOOL:
    case TINT: append_int(words[k], out); return;
    case TFLOAT: append_float(reals[k], out); return;
    case TCHAR: out.push_back(data[k]); return;
    case TCPLX: {
        const complex2* z = reinterpret_cast<const complex2*>(data) + k;
        if (std::isnan(z->real)) return;
        append_float(z->real, out);
        if (z->imag == 0) return;
        out.push_back('j');
        out.append(buf, static_cast<size_t>(FloatCText(z->imag, buf)));
        return;
    }
    case TSYM: {
        i64 id = words[k];
        if (id > 0 && id <= sindex && psym && psym[id])
            out.append(psym[id]->str.text, static_cast<size_t>(psym[id]->str.len));
        return;
    }
    case TDATETIME:
        if (!std::isnan(reals[k])) out.append(buf, static_cast<size_t>(optime2(buf, reals[k])));
        return;
    default:
        if (isdate(v->type)) {
            if (words[k] != INULL)
                out.append(buf, static_cast<size_t>(optime1(words[k], v->type, buf)));
        } else {
            out.append(buf, static_cast<size_t>(FillTemp(v, k, buf, -1)));
        }
        return;
    }
}

val_item RowView(const val_item* v, i64 start, i64 n) {
    val_item row = *v;
    row.rank = 1;
    row.count = n;
    row.dim0 = n;
    row.dim1 = 0;
    const char* data = static_cast<const char*>(getptV(const_cast<val_item*>(v)));
    i64 w = ElemWidth(v->type);
    if (n == 1) {
        // A single element is held in the descriptor itself.
        row.dim0 = 0;
        std::memcpy(&row.dim0, data + start * w, static_cast<size_t>(w));
    } else {
        row.data = const_cast<char*>(data) + start * w;
    }
    return row;
}

val_item FlatView(const val_item* v) { return v->rank > 1 ? RowView(v, 0, v->count) : *v; }

void ElementsText(val_item* v, bool display, std::string& out) {
    val_item flat = FlatView(v);
    if (flat.type == TCHAR) {
        const char* data = static_cast<const char*>(getptV(&flat));
        if (data) out.append(data, static_cast<size_t>(flat.count));
        return;
    }
    char buf[ELEMTEXT];
    for (i64 k = 0; k < flat.count; k++) {
        if (k) out.push_back(' ');
        if (display) out.append(buf, static_cast<size_t>(FillTemp(&flat, k, buf, -1)));
        else FileElementText(&flat, k, out);
    }
}

// Row k of a character matrix column, its trailing blanks cut.
static void matrix_row_text(val_item* column, i64 k, std::string& out) {
    const char* data = static_cast<const char*>(getptV(column));
    i64 rows = column->dim0;
    if (!data || rows <= 0 || k < 0 || k >= rows) return;
    i64 width = column->count / rows;
    const char* row = data + k * width;
    while (width > 0 && row[width - 1] == ' ') width--;
    out.append(row, static_cast<size_t>(width));
}

void CellText(val_item* column, i64 k, std::string& out) {
    if (column->type == TCHAR && column->rank > 1) {
        matrix_row_text(column, k, out);
        return;
    }
    if (column->type != TLIST) {
        FileElementText(column, k, out);
        return;
    }
    if (k < 0 || k >= column->count) return;
    val_item* item = items_of(column) + k;
    if (item->rank >= 0 && !HoldsItems(item->type)) ElementsText(item, false, out);
}
