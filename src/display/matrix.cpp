// Matrix layout: arrays of rank 2 and more, plane after plane, with
// numbers right-aligned in columns as wide as their widest cell, floats
// aligned on the decimal point and complex numbers on the "j".
#include <cstring>

#include "datetime/datetime.h"
#include "display/display.h"

constexpr i64 SLOT_ALL = 2;  // print-everything target: never cut

// Rows and columns of a plane: the last two axes.
static void PlaneShape(const val_item* v, i64* rows, i64* cols) {
    if (v->rank < 2) {
        *rows = 1;
        *cols = v->count;
        return;
    }
    *rows = AxisLength(v, v->rank - 2);
    *cols = AxisLength(v, v->rank - 1);
}

static i64 Larger(i64 a, i64 b) { return a > b ? a : b; }

// Position of the decimal point in a float text; its length when none.
static i64 PointAt(const char* text, i64 len) {
    const char* p = (const char*)memchr(text, '.', (size_t)len);
    return p ? p - text : len;
}

// Text of element e of a numeric array.
static i64 NumberText(const val_item* v, const char* data, i64 e, char* text) {
    switch (v->type) {
    case TFLOAT: return GenFloat(((const double*)data)[e], text);
    case TCPLX: return GenClex((const complex2*)data + e, text);
    default: return GenInt(((const i64*)data)[e], text);
    }
}

i64 GenFormat(i64 c, i64 v, i64** widths) {
    val_item* a = opnd(c, v);
    i64 rows, cols;
    PlaneShape(a, &rows, &cols);
    i64 entries = a->type > TINT ? 2 * cols : cols;
    i64* w = entries > 0 ? (i64*)GM_new(TINT, entries) : nullptr;
    *widths = w;
    if (w == nullptr) return entries > 0 ? errchk : 0;
    memset(w, 0, (size_t)entries * sizeof(i64));
    const char* data = (const char*)getptV(a);
    if (data == nullptr || cols <= 0) return 0;
    char text[ELEMTEXT];
    for (i64 e = 0; e < a->count; e++) {
        i64 j = e % cols;
        if (a->type == TSYM) {
            i64 id = ((const i64*)data)[e];
            if (id >= 0 && id <= sindex && psym[id] != nullptr)
                w[j] = Larger(w[j], estring_len(psym[id]));
            continue;
        }
        if (a->type > TCPLX || a->type == TCHAR) continue;
        i64 len = NumberText(a, data, e, text);
        if (a->type == TFLOAT) {
            i64 p = PointAt(text, len);
            w[2 * j] = Larger(w[2 * j], p);
            w[2 * j + 1] = Larger(w[2 * j + 1], len - p);
        } else if (a->type == TCPLX) {
            i64 before, after;
            GenClex2(text, len, &before, &after);
            w[2 * j] = Larger(w[2 * j], before);
            w[2 * j + 1] = Larger(w[2 * j + 1], after);
        } else {
            w[j] = Larger(w[j], len);
        }
    }
    return 0;
}

// The width a cell needs on the line, the blank before it included.
static i64 NeededWidth(i64 type, const i64* w, i64 j) {
    switch (type) {
    case TBOOL:
    case TINT:
    case TSYM: return w[j] + 1;
    case TFLOAT:
    case TCPLX: return w[2 * j] + w[2 * j + 1] + 2;
    default: return isdate(type) ? timesize[type - TMONTH] + 1 : 1;
    }
}

// Writes one cell, aligned within its column.
static void PutCell(outline* o, val_item* v, const char* data, i64 e, const i64* w, i64 j) {
    char text[ELEMTEXT];
    i64 len;
    switch (v->type) {
    case TBOOL:
    case TINT:
        len = NumberText(v, data, e, text);
        OutBlanks(o, w[j] - len);
        OutText(o, text, len);
        return;
    case TFLOAT: {
        len = NumberText(v, data, e, text);
        i64 p = PointAt(text, len);
        OutBlanks(o, w[2 * j] - p);
        OutText(o, text, len);
        OutBlanks(o, w[2 * j + 1] - (len - p));
        return;
    }
    case TCPLX: {
        len = NumberText(v, data, e, text);
        i64 before, after;
        GenClex2(text, len, &before, &after);
        OutBlanks(o, w[2 * j] - before);
        OutText(o, text, len);
        // Every cell is as wide: a text without "j" fills the "j" column too.
        if (after >= 1) OutBlanks(o, w[2 * j + 1] - after);
        else OutBlanks(o, w[2 * j + 1] + (after == 0 ? 1 : 0));
        return;
    }
    case TSYM:
        len = ShownText(v, e, text);
        OutText(o, text, len);
        OutBlanks(o, w[j] + 1 - len);
        return;
    default: len = FillTemp(v, e, text, -1); OutText(o, text, len);
    }
}

// One row of numbers, symbols, dates or times; wraps before column 107.
// w is the width table (none for dates and times).
static void PutRow(outline* o, val_item* v, i64 first, i64 cols, const i64* w, i64 indent) {
    const char* data = (const char*)getptV(v);
    for (i64 j = 0; j < cols; j++) {
        if (j > 0) {
            if (o->col + NeededWidth(v->type, w, j) > LINEWIDTH) {
                OutContinue(o, indent);
            } else {
                OutText(o, " ", 1);
            }
        }
        PutCell(o, v, data, first + j, w, j);
    }
}

i64 OutputLoop(i64 mode, i64 index) {
    val_item* v = &vtable[index];
    i64 rows, cols;
    PlaneShape(v, &rows, &cols);
    if (rows <= 0 || cols <= 0 || v->data == nullptr) return 0;
    i64 planes = v->count / (rows * cols);
    i64* widths = nullptr;
    if (v->type <= TINT || v->type == TFLOAT || v->type == TCPLX || v->type == TSYM) {
        if (GenFormat(-1, index, &widths)) return errchk;
        if (widths == nullptr) return 0;
    }
    i64 shown = index != SLOT_ALL && rows > ROWCUT ? ROWCUT : rows;
    i64 indent = mode == 2 ? outdp : 0;
    outline o;
    // A list item's first row follows its "<" prefix, as wide as the indent.
    OutStart(&o, indent);
    bool firstline = true;
    for (i64 p = 0; p < planes; p++) {
        if (p > 0) {
            OutNewline(&o);
            OutNewline(&o);
        }
        for (i64 i = 0; i < shown; i++) {
            if (i > 0) OutNewline(&o);
            if (!firstline) OutBlanks(&o, indent);
            firstline = false;
            i64 first = (p * rows + i) * cols;
            if (v->type == TCHAR) {
                PrintTextRun(&o, v->data + first, cols);
            } else {
                PutRow(&o, v, first, cols, widths, indent);
            }
        }
        if (shown < rows) OutCutNotice(&o, rows - shown);
    }
    OutFlush(&o);
    return 0;
}
