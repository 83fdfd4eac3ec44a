// The value printer: scalars and vectors of every element type, nested
// lists item by item, and the hand-over of arrays, dictionaries and tables
// to their layouts. Lines stop at column 107; long vectors are cut unless
// the value is slot 2, the print-everything target.
#include <cstdio>
#include <cstring>

#include "dict/dict.h"
#include "display/display.h"
#include "values/operand.h"
#include "values/registers.h"

constexpr i64 ITEMCUT = 100;   // items shown of a vector
constexpr i64 TEXTCUT = 300;   // characters shown of a character vector

void CleanEPf() {
    gcrx = 0;
    gclx = 0;
    errchk = 0;
    outdp = 0;
}

// A descriptor is printed from the slot just above the last global
// variable. Whatever the slot held is put back afterwards, so a nested call
// that borrows the same slot leaves it as it found it.
struct borrowed {
    i64 slot;
    val_item saved;
};

static i64 Borrow(borrowed* b, const val_item* item) {
    b->slot = lstvx + 1;
    b->saved = vtable[b->slot];
    vtable[b->slot] = *item;
    return b->slot;
}

static void GiveBack(const borrowed* b) { vtable[b->slot] = b->saved; }

// The "<" or "<<" that opens a simple item of a nested list; its width is
// the depth, so continuation lines line up under it.
static void ListPrefix(outline* o) {
    i64 d = outdp;
    if (fg1ls && d >= 2) {
        OutBlanks(o, d - 2);
        OutText(o, "<<", 2);
    } else {
        OutBlanks(o, d - 1);
        OutText(o, "<", 1);
    }
}

// Items of a numeric, symbol or date vector, one blank apart, wrapped
// before column 107.
static void PrintItems(outline* o, val_item* v, bool whole) {
    i64 n = v->count;
    if (!whole && v->type != TCPLX && n > ITEMCUT) n = ITEMCUT;
    char text[ELEMTEXT];
    for (i64 k = 0; k < n; k++) {
        i64 m = ShownText(v, k, text);
        if (k == 0) {
            OutText(o, text, m);
        } else if (o->col + m + 1 > LINEWIDTH) {
            OutContinue(o, outdp);
            OutText(o, text, m);
        } else {
            OutText(o, " ", 1);
            OutText(o, text, m);
        }
    }
    if (n < v->count) OutCutNotice(o, v->count - n);
}

// An enumeration: a back-quote, the domain's name and ":", then the items
// one blank apart. With every item in range each is its domain item (a
// symbol with its back-quote); else each is its own text, which is its
// stored index where out of range. Never cut; a line may reach column 108.
static void PrintEnum(outline* o, val_item* v) {
    char text[ELEMTEXT + 1] = "`";
    const i64* w = (const i64*)v->data;
    i64 name = w[0], m = 1;
    if (name >= 0 && name <= sindex && psym && psym[name]) m = estring_fill_tick(psym[name], text);
    OutText(o, text, m);
    OutText(o, ":", 1);
    EnumDom d = EnumDomainOf(v);
    bool valid = ChkEnum(w + 2, v->count, d.count);
    i64 tick = valid && !d.keyed;
    for (i64 k = 0; k < v->count; k++) {
        text[0] = '`';
        m = tick + (valid ? FillTemp(DomainItems(d), w[2 + k], text + tick, -1)
                          : FillTemp(v, k, text, -1));
        if (k == 0) {
            OutText(o, text, m);
        } else if (o->col + m <= LINEWIDTH) {
            OutText(o, " ", 1);
            OutText(o, text, m);
        } else {
            OutContinue(o, outdp);
            OutText(o, text, m);
        }
    }
}

// Widths of the first and the continuation lines of text at this depth;
// never below one character, however deep the nesting.
static void TextWidths(i64* first, i64* rest) {
    *first = LINEWIDTH - outdp > 0 ? LINEWIDTH - outdp : 1;
    *rest = VIEWLST - outdp > 0 ? VIEWLST - outdp : 1;
}

void PrintTextRun(outline* o, const char* text, i64 n) {
    i64 w1, w2;
    TextWidths(&w1, &w2);
    if (n <= w1) {
        OutText(o, text, n);
        return;
    }
    OutText(o, text, w1);
    OutNewline(o);
    i64 at = w1;
    for (; n - at >= w2; at += w2) {
        OutBlanks(o, outdp + CONTINDENT);
        OutText(o, text + at, w2);
        OutNewline(o);
    }
    if (at < n) {
        OutBlanks(o, outdp + CONTINDENT);
        OutText(o, text + at, n - at);
    }
}

static void PrintChars(outline* o, val_item* v, bool whole) {
    i64 n = v->count;
    if (!whole && n > TEXTCUT) n = TEXTCUT;
    const char* text = (const char*)getptV(v);
    if (text != nullptr) PrintTextRun(o, text, n);
    if (n < v->count) OutCutNotice(o, v->count - n);
}

// Each item of a nested list on its own line, one level deeper. The list's
// descriptor is copied first: the items pass through the borrowed slot,
// which may be the one this list came in.
static void PrintList(val_item* v) {
    val_item list = *v;
    const val_item* items = (const val_item*)list.data;
    outdp += 1;
    for (i64 k = 0; k < list.count && items != nullptr; k++) {
        fg1ls = k == 0;
        borrowed b;
        GenOutpt(2, Borrow(&b, &items[k]));
        GiveBack(&b);
    }
    fg1ls = false;
    outdp -= 1;
}

// Empty values: one empty line per row of an empty array, cut as the rows
// of a plane are; none for an array without rows. Returns false when no
// final line end is due.
static bool PrintEmpty(outline* o, const val_item* v, i64 mode, bool whole) {
    if (v->rank <= 1) {
        if (v->type == TLIST && mode != 2) OutNewline(o);
        return true;
    }
    i64 rows = v->dim0;
    if (rows == 0) return false;
    for (i64 k = 1; k < v->rank; k++) {
        i64 d = AxisLength(v, k), product;
        if (d == 0 || __builtin_mul_overflow(rows, d, &product)) break;
        rows = product;
    }
    i64 shown = whole || rows <= ROWCUT ? rows : ROWCUT;
    for (i64 k = 1; k < shown; k++) OutNewline(o);
    if (shown < rows) OutCutNotice(o, rows - shown);
    return true;
}

static bool IsSimple(i64 type) { return type <= TCPLX || type == TSYM || isdate(type); }

// A dictionary, a table or a simple array of rank 2 or more, laid out from
// value slot slot; returns an error code.
static i64 PrintLayout(i64 type, i64 mode, i64 slot) {
    if (type == TDICT) return GenOutdic(slot);
    if (type == TTABLE) return GenOutTab(slot);
    OutputLoop(mode, slot);
    return errchk;
}

// The body of a value with at least one element; returns an error code.
static i64 PrintBody(outline* o, val_item* v, i64 mode, i64 index, bool whole) {
    i64 type = v->type;
    if (type == TLIST) {
        OutFlush(o);
        if (v->rank <= 1) {
            PrintList(v);
        } else {
            fprintf(stderr, "Debug[%s:%4d] %s\n", "epfn1", 193, "error in typ6 output");
        }
        return 0;
    }
    if (type == TENUM) {
        PrintEnum(o, v);
        return 0;
    }
    bool layout = type == TDICT || type == TTABLE || (IsSimple(type) && v->rank >= 2);
    if (layout) {
        // These layouts read a value slot: a constant is lent one.
        OutFlush(o);
        if (mode != 1) return PrintLayout(type, mode, index);
        borrowed b;
        i64 rc = PrintLayout(type, mode, Borrow(&b, v));
        GiveBack(&b);
        return rc;
    }
    if (!IsSimple(type)) return 0;
    if (type == TCHAR && v->count > 1) {
        PrintChars(o, v, whole);
    } else {
        PrintItems(o, v, whole);
    }
    return 0;
}

i64 GenOutpt(i64 mode, i64 index) {
    if (index < 0 || index >= (mode == 1 ? CTSIZE : VTSIZE)) return errchk = E_VALUE;
    val_item* v = mode == 1 ? &ctable[index] : &vtable[index];
    if (v->rank < 0) {
        if (mode != 1) errchk = E_VALUE;
        return E_VALUE;
    }
    if (PRINT_OFF) return 0;
    bool whole = mode != 1 && index == SLOT_PRINTALL;
    outline o;
    OutStart(&o, 0);
    if (mode == 2 && v->type != TLIST) {
        ListPrefix(&o);
        o.col = 0;  // an item's own columns count from after its prefix
        if (v->type > TTIME && v->type != TENUM) OutNewline(&o);
    }
    bool lineend = true;
    if (v->count != 0) {
        i64 rc = PrintBody(&o, v, mode, index, whole);
        if (rc != 0) {
            OutFlush(&o);
            return rc;
        }
    } else {
        // A list item's "<" prefix is out already: its line is ended even
        // when the array has no rows to show.
        lineend = PrintEmpty(&o, v, mode, whole) || mode == 2;
    }
    bool noend = mode == 0 && index == SLOT_PRINTNOEND;
    if (noend || v->type == TLIST) {
        fgrtn = noend && v->type != TLIST ? 1 : 0;
    } else if (lineend) {
        OutNewline(&o);
        fgrtn = 0;
    }
    OutFlush(&o);
    // Slot 2 gives up the reference it took, and with it its claim on the
    // block: it is left empty, so that neither a later assignment to it nor
    // a saved workspace reads a block it no longer owns.
    if (whole) EmptySlot(SLOT_PRINTALL);
    return 0;
}
