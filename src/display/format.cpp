// Monadic format: a value's display text as a character array. Scalars and
// vectors give their element texts one blank apart; arrays of rank 2 and
// more keep their rank, each row laid out in the aligned columns of the
// matrix layout. The text is built in a scratch block before the result is
// allocated, so the operand may be the result slot itself.
#include <cstring>

#include "datetime/datetime.h"
#include "display/display.h"
#include "values/operand.h"
#include "values/registers.h"

static bool HasWidthTable(i64 type) {
    return type <= TINT || type == TFLOAT || type == TCPLX || type == TSYM;
}

i64 FormatText(val_item* v, const char* data, i64 e, char* buf) {
    buf[0] = 0;
    switch (v->type) {
    case TBOOL:
    case TINT: return GenInt(((const i64*)data)[e], buf);
    case TFLOAT: return GenFloat(((const double*)data)[e], buf);
    case TCPLX: return GenClex((const complex2*)data + e, buf);
    case TSYM: {
        // The symbol as stored: no back-quote, no quotes.
        i64 id = ((const i64*)data)[e];
        if (id < 0 || id > sindex || psym == nullptr || psym[id] == nullptr) return 0;
        i64 n = psym[id]->str.len;
        if (n > ELEMTEXT - 1) n = ELEMTEXT - 1;
        memcpy(buf, psym[id]->str.text, (size_t)n);
        buf[n] = 0;
        return n;
    }
    case TDATETIME: return optime2(buf, ((const double*)data)[e]);
    default:
        if (isdate(v->type)) return optime1(((const i64*)data)[e], v->type, buf);
        return 0;
    }
}

i64 LayoutCellWidth(i64 type, const i64* w, i64 j, bool tick) {
    switch (type) {
    case TBOOL:
    case TINT: return w[j];
    case TFLOAT: return w[2 * j] + w[2 * j + 1];
    case TCPLX: return w[2 * j] + w[2 * j + 1] + 1;
    case TSYM: return w[j] + (tick ? 1 : 0);
    default: return isdate(type) ? timesize[type - TMONTH] : 0;
    }
}

// Writes exactly width characters at out: lead blanks, the text, then
// blanks. A text that would not fit is cut, so a cell never spills into
// its neighbour whatever its element holds.
static void Field(char* out, i64 width, i64 lead, const char* text, i64 len) {
    i64 at = 0;
    if (lead < 0) lead = 0;
    for (; at < lead && at < width; at++) out[at] = ' ';
    for (i64 k = 0; k < len && at < width; k++) out[at++] = text[k];
    for (; at < width; at++) out[at] = ' ';
}

// Position of the decimal point in a float text; its length when none.
static i64 PointAt(const char* text, i64 len) {
    const char* p = (const char*)memchr(text, '.', (size_t)len);
    return p ? p - text : len;
}

i64 LayoutCell(val_item* v, const char* data, i64 e, const i64* w, i64 j, bool tick, char* out) {
    i64 width = LayoutCellWidth(v->type, w, j, tick);
    char text[ELEMTEXT + 1];
    i64 len, lead = 0;
    if (v->type == TSYM && tick) {
        text[0] = '`';
        len = 1 + FormatText(v, data, e, text + 1);
    } else {
        len = FormatText(v, data, e, text);
    }
    switch (v->type) {
    case TBOOL:
    case TINT: lead = width - len; break;
    case TFLOAT: lead = w[2 * j] - PointAt(text, len); break;
    case TCPLX: {
        i64 a, b;
        GenClex2(text, len, &a, &b);
        lead = w[2 * j] - a;
        break;
    }
    default: break;  // symbols, dates and times start at the cell's left
    }
    Field(out, width, lead, text, len);
    return width;
}

// The element texts of a vector one blank apart, into a scratch block.
// Returns the text (nullptr with errchk set when it is too long) and its
// length in *n.
static char* VectorText(val_item* v, i64* n) {
    const char* data = (const char*)getptV(v);
    char text[ELEMTEXT];
    i64 total = v->count - 1;
    for (i64 e = 0; e < v->count; e++) total += FormatText(v, data, e, text);
    *n = total;
    if (CheckSize(TCHAR, total)) return nullptr;
    char* out = (char*)GM_new(TCHAR, total + 1);
    if (!out) return nullptr;
    i64 at = 0;
    for (i64 e = 0; e < v->count; e++) {
        if (e > 0) out[at++] = ' ';
        i64 len = FormatText(v, data, e, text);
        memcpy(out + at, text, (size_t)len);
        at += len;
    }
    return out;
}

// The rows of an array of rank 2 or more laid out in aligned columns, into
// a scratch block. *rowwidth receives the width of a row and *n the length.
static char* ArrayText(i64 rc, i64 rv, i64* rowwidth, i64* n) {
    val_item* v = opnd(rc, rv);
    i64 cols = AxisLength(v, v->rank - 1);
    i64* w = nullptr;
    if (HasWidthTable(v->type) && GenFormat(rc, rv, &w)) return nullptr;
    i64 width = cols - 1;
    for (i64 j = 0; j < cols; j++) width += LayoutCellWidth(v->type, w, j, false);
    i64 rows = v->count / cols;
    *rowwidth = width;
    *n = rows * width;
    if (CheckSize(TCHAR, *n)) return nullptr;
    char* out = (char*)GM_new(TCHAR, *n + 1);
    if (!out) return nullptr;
    const char* data = (const char*)getptV(v);
    char* at = out;
    for (i64 r = 0; r < rows; r++) {
        for (i64 j = 0; j < cols; j++) {
            if (j > 0) *at++ = ' ';
            at += LayoutCell(v, data, r * cols + j, w, j, false, at);
        }
    }
    return out;
}

// The character result of n characters of text and the given shape.
static i64 CharResult(i64 res, const char* text, i64 n, i64 rank, const i64* dims) {
    i64 run = 0;
    if (rank > 2 && shape_run(dims, rank, &run)) return errchk;
    ttyp = TCHAR;
    vtable[res].type = TCHAR;
    if (Updatead0(res, TCHAR, rank, n)) return errchk;
    if (n == 1 && rank <= 1) vtable[res].dim0 = 0;  // the inline character's word
    if (n > 0) memcpy(getptV(&vtable[res]), text, (size_t)n);
    if (rank <= 1) {
        if (n != 1) vtable[res].dim0 = n;
    } else {
        shape_set(res, dims, rank, run);
    }
    return errchk = 0;
}

i64 PfFormat(i64 res, i64 rc, i64 rv) {
    SetNames(1, 5, res, -1, -1, rc, rv);
    val_item* v = opnd(rc, rv);
    if (v->type > TTIME || v->type == TLIST) return errchk = E_DOMAIN;
    if (v->type == TCHAR) return GenStore(res, rc, rv);
    i64 n = 0;
    if (v->count == 0) return CharResult(res, "", 0, 1, nullptr);
    if (v->rank <= 1) {
        const char* text = VectorText(v, &n);
        if (text == nullptr) return errchk;
        return CharResult(res, text, n, 1, nullptr);
    }
    i64* dims = (i64*)GM_new(TINT, v->rank);
    if (!dims) return errchk;
    shape_of(v, dims);
    const char* text = ArrayText(rc, rv, &dims[v->rank - 1], &n);
    if (text == nullptr) return errchk;
    return CharResult(res, text, n, v->rank, dims);
}
