// Nested-list picture: a list of item references drawn as text into a text
// area the caller supplies, every leaf (simple item at any depth) a block of
// text, the blocks side by side three columns apart. One pass measures the
// leaves and their positions, a second draws them.
//
// Item k of a list is a reference held in the first word of its 64-byte
// item (the other words zero, so the collector and the release of the list
// see empty descriptors): below -17 value slot -ref, -17 to -1 an absent
// item, 0 and above a nametable entry whose index word is the slot. A list
// of one item may hold its reference in its first-dimension word instead.
#include <cstdlib>
#include <cstring>

#include "display/display.h"
#include "parser/records.h"

char* tgenptr = nullptr;
i64 listn = 0;
i64 listm = 0;

static i64 areacap = 0;  // bytes of the text area from tgenptr
static i64 leaves = 0;   // leaves counted by the check
static i64 leafat = 0;   // leaf being measured or drawn

constexpr i64 LISTGAP = 3;      // columns between two leaves
constexpr i64 ABSENT_LO = -17;  // references -17 to -1 mark an absent item
constexpr i64 MAXDEPTH = 64;    // deeper nesting is taken for a reference cycle

void GenP(char* buffer, i64 cap) {
    genptr = tgenptr = buffer;
    areacap = cap;
}

// ---- references -------------------------------------------------------------

// Reference k of the list v.
static i64 ItemRef(const val_item* v, i64 k) {
    if (v->rank == 0 || v->count == 1) return v->dim0;
    return *(const i64*)(v->data + 64 * k);
}

static i64 ItemCount(const val_item* v) {
    if (v->rank == 0) return 1;
    return v->data == nullptr && v->count != 1 ? 0 : v->count;
}

// The slot a reference stands for; 0 for an absent item, -1 for a reference
// to nothing.
static i64 RefSlot(i64 ref) {
    if (ref >= ABSENT_LO && ref < 0) return 0;
    i64 slot = ref < ABSENT_LO ? -ref : (ref < NTSIZE ? nametable[ref].index : -1);
    return slot >= 1 && slot < VTSIZE ? slot : -1;
}

// ---- walk -------------------------------------------------------------------

// Called for each leaf in order: its slot, or 0 for an absent item. Returns
// 0 or an error code that stops the walk.
typedef i64 (*leaf_visit)(i64 slot, i64* positions);

// Visits the leaves of the list in slot depth-first, in item order.
static i64 WalkLeaves(i64 slot, i64 depth, leaf_visit visit, i64* positions) {
    if (depth > MAXDEPTH) return E_STACK_FULL;
    val_item* v = &vtable[slot];
    if (v->rank < 0) return errchk = E_VALUE;
    if (v->type != TLIST) return v->type > TTIME ? E_DOMAIN : visit(slot, positions);
    if (v->rank >= 2) return E_VALUE;
    for (i64 k = 0; k < ItemCount(v); k++) {
        i64 s = RefSlot(ItemRef(v, k));
        if (s < 0) return errchk = E_VALUE;
        i64 rc = s == 0 ? visit(0, positions) : WalkLeaves(s, depth + 1, visit, positions);
        if (rc) return rc;
    }
    return 0;
}

static i64 Walk(i64 slot, leaf_visit visit, i64* positions) {
    if (slot < 1 || slot >= VTSIZE) return errchk = E_VALUE;
    leafat = 0;
    return WalkLeaves(slot, 0, visit, positions);
}

// ---- check ------------------------------------------------------------------

static i64 CountLeaf(i64, i64*) {
    // Every leaf takes a column at least, so more leaves than the area's
    // capacity cannot be drawn (and shared sub-lists cannot blow up).
    return ++leaves > MAXTXTOPT ? E_DATETIME_VALUE : E_OK;
}

i64 GenCheck(i64 slot) {
    leaves = 0;
    return Walk(slot, CountLeaf, nullptr);
}

// ---- leaf texts ---------------------------------------------------------------

// Text of element e of a simple leaf: a character as itself, a symbol with
// its back-quote, anything else as format writes it.
static i64 LeafText(val_item* v, const char* data, i64 e, char* buf) {
    if (v->type == TCHAR) {
        buf[0] = data[e];
        buf[1] = 0;
        return 1;
    }
    if (v->type != TSYM) return FormatText(v, data, e, buf);
    buf[0] = '`';
    return 1 + FormatText(v, data, e, buf + 1);
}

// Rows and columns of a plane of a leaf of rank 2 and more.
static void PlaneOf(const val_item* v, i64* rows, i64* cols) {
    *rows = AxisLength(v, v->rank - 2);
    *cols = AxisLength(v, v->rank - 1);
}

// Width table of a leaf of rank 2 and more; none for characters and dates.
// False (E_WS_FULL in errchk) when a table that is needed cannot be had.
static bool LeafWidths(i64 slot, i64** w) {
    i64 type = vtable[slot].type;
    *w = nullptr;
    if (type <= TINT || type == TFLOAT || type == TCPLX || type == TSYM)
        return GenFormat(-1, slot, w) == 0;
    return true;
}

// Width and height of a leaf; E_WS_FULL without room for its width table.
static i64 LeafSize(i64 slot, i64* w, i64* h) {
    val_item* v = &vtable[slot];
    *w = 0;
    *h = 1;
    if (v->count == 0) return 0;
    if (v->rank >= 2) {
        i64 rows, cols;
        PlaneOf(v, &rows, &cols);
        if (rows * cols <= 0) return 0;
        i64 planes = v->count / (rows * cols);
        *h = planes * rows + planes - 1;
        if (v->type == TCHAR) {
            *w = cols;
            return 0;
        }
        i64* widths;
        if (!LeafWidths(slot, &widths)) return errchk;
        *w = cols - 1;
        for (i64 j = 0; j < cols; j++) *w += LayoutCellWidth(v->type, widths, j, true);
        return 0;
    }
    if (v->type == TCHAR) {
        *w = v->count;
        return 0;
    }
    const char* data = (const char*)getptV(v);
    char text[ELEMTEXT + 1];
    *w = v->count - 1;
    for (i64 e = 0; e < v->count; e++) *w += LeafText(v, data, e, text);
    return 0;
}

// ---- measuring pass -----------------------------------------------------------

static i64 MeasureLeaf(i64 slot, i64* positions) {
    if (leafat >= leaves) return E_VALUE;
    i64 w = 1, h = 1, step = 1;
    if (slot != 0) {
        if (LeafSize(slot, &w, &h)) return errchk;
        step = w + LISTGAP;
    }
    if (h > listn) listn = h;
    listm += w;
    positions[leafat + 1] = positions[leafat] + step;
    leafat++;
    return 0;
}

i64 GenLsfmat(i64 slot, i64* positions) { return Walk(slot, MeasureLeaf, positions); }

// ---- drawing pass -------------------------------------------------------------

// Writes n characters at line y, column x of the picture, never past the
// line's last column (which holds its line end) nor past the last line.
static void Put(i64 y, i64 x, const char* text, i64 n) {
    if (y < 0 || y >= listn || x < 0) return;
    char* line = genptr + y * listm;
    for (i64 k = 0; k < n && x + k < listm - 1; k++) line[x + k] = text[k];
}

i64 OutputLoopList(i64 slot, i64 column) {
    val_item* v = &vtable[slot];
    if (v->count == 0) return 0;
    i64 rows, cols;
    PlaneOf(v, &rows, &cols);
    if (rows * cols <= 0) return 0;
    i64 planes = v->count / (rows * cols);
    const char* data = (const char*)getptV(v);
    i64* w;
    if (!LeafWidths(slot, &w)) return errchk;
    i64 width = 0;
    for (i64 j = 0; j < cols; j++) width += LayoutCellWidth(v->type, w, j, true) + 1;
    char* row = (char*)malloc((size_t)width + 1);
    if (!row) return errchk = E_WS_FULL;
    for (i64 p = 0; p < planes; p++) {
        for (i64 i = 0; i < rows; i++) {
            i64 first = (p * rows + i) * cols, y = p * (rows + 1) + i;
            if (v->type == TCHAR) {
                Put(y, column, data + first, cols);
                continue;
            }
            i64 at = 0;
            for (i64 j = 0; j < cols; j++) {
                if (j > 0) row[at++] = ' ';
                at += LayoutCell(v, data, first + j, w, j, true, row + at);
            }
            Put(y, column, row, at);
        }
    }
    free(row);
    return 0;
}

static i64 DrawLeaf(i64 slot, i64* positions) {
    if (leafat >= leaves) return E_VALUE;
    i64 x = positions[leafat];
    leafat++;
    if (slot == 0) {
        Put(0, x, "\"", 1);
        return 0;
    }
    val_item* v = &vtable[slot];
    if (v->rank >= 2) return OutputLoopList(slot, x);
    const char* data = (const char*)getptV(v);
    char text[ELEMTEXT + 1];
    for (i64 e = 0; e < v->count; e++) {
        if (e > 0 && v->type != TCHAR) Put(0, x++, " ", 1);
        i64 n = LeafText(v, data, e, text);
        Put(0, x, text, n);
        x += n;
    }
    return 0;
}

i64 GenList(i64 slot, i64* positions) { return Walk(slot, DrawLeaf, positions); }

// ---- the picture --------------------------------------------------------------

// Room left in the text area from genptr.
static i64 AreaRoom() {
    if (tgenptr == nullptr || genptr == nullptr) return 0;
    return areacap - (genptr - tgenptr);
}

i64 GenType6(i64 slot) {
    listn = listm = 0;
    i64 rc = GenCheck(slot);
    errchk = rc;
    if (rc) return rc;
    i64* positions = (i64*)malloc((size_t)(leaves + 1) * sizeof(i64));
    if (!positions) return errchk = E_WS_FULL;
    positions[0] = 0;
    rc = GenLsfmat(slot, positions);
    if (rc == 0) {
        listm = leaves >= 2 ? LISTGAP * (leaves - 1) + listm + 1 : listm + 1;
        i64 size;
        if (__builtin_mul_overflow(listn, listm, &size) || size + 1 > AreaRoom())
            rc = E_DATETIME_VALUE;
    }
    if (rc) {
        free(positions);
        return errchk = rc;
    }
    memset(genptr, ' ', (size_t)(listn * listm));
    GenList(slot, positions);
    free(positions);
    for (i64 k = 0; k < listn * listm; k++)
        if (genptr[k] == 0) genptr[k] = ' ';
    for (i64 y = 0; y < listn; y++) genptr[y * listm + listm - 1] = '\n';
    genptr[listn * listm] = 0;
    return errchk = 0;
}

// ---- symbol matrix --------------------------------------------------------------

i64 OutputLoopSym(i64 slot) {
    val_item* v = &vtable[slot];
    if (v->type != TSYM || v->rank < 2 || v->count == 0) return errchk = E_DOMAIN;
    i64 cols = AxisLength(v, v->rank - 1);
    i64* w;
    if (!LeafWidths(slot, &w)) return errchk;
    i64 perrow = 2 * cols + 1;
    for (i64 j = 0; j < cols; j++) perrow += w[j];
    i64 size = (v->count / cols) * perrow;
    if (chrnum + size > MAXTXTOPT || size + 1 > AreaRoom()) {
        genptr = tgenptr;
        return errchk = E_DATETIME_VALUE;
    }
    chrnum += size;
    const char* data = (const char*)getptV(v);
    for (i64 r = 0; r < v->count / cols; r++) {
        if (r > 0) *genptr++ = '\n';
        for (i64 j = 0; j < cols; j++) {
            if (j > 0) *genptr++ = ' ';
            genptr += LayoutCell(v, data, r * cols + j, w, j, true, genptr);
        }
    }
    *genptr = 0;
    return 0;
}
