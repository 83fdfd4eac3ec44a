// Value display: element text, the value printer, the matrix layout.
#pragma once
#include "values/values.h"

// ---- element text -----------------------------------------------------------

// Size of a buffer that holds any element text: numbers, complex pairs,
// dates and quoted symbols all fit well within it. A character-matrix row
// longer than ELEMTEXT - 1 characters is cut to fit (see FillTemp).
constexpr i64 ELEMTEXT = 256;

// Each routine writes a NUL-terminated text into buf and returns its length.
i64 GenInt(i64 v, char* buf);                // "0n" "0w" "_0w", "_" for minus
i64 GenFloat(double x, char* buf);           // "0nf" "0wf" "_0wf", []PP digits
i64 GenClex(const complex2* z, char* buf);   // "0nj" "0wj" "_0wj", a j b
i64 FillClex(const complex2* z, char* buf);  // a j b, no complex special forms
i64 GenSymb(i64 id, char* buf);              // back-quote and symbol text
i64 GenLong(i64 v, char* buf);               // writes nothing, returns 0
// Splits the text of a complex element at its "j" for alignment: *a is the
// position of the "j" (the length when none), *b the characters after it
// (0 when no "j", -1 when the text ends with it).
void GenClex2(const char* text, i64 length, i64* a, i64* b);
// Text of element i of v padded with blanks to width (-1: no padding).
// A one-element value ignores i. buf must hold ELEMTEXT bytes, or cap bytes
// when cap is given; text and padding never pass cap - 1 characters.
i64 FillTemp(val_item* v, i64 i, char* buf, i64 width, i64 cap = ELEMTEXT);
// Text of item i of an enumeration's data: its domain item's, or its stored
// index when out of range.
i64 FillEnum(const char* data, i64 i, char* buffer);

// ---- value printer ----------------------------------------------------------

// Output is suppressed while a timed line runs: no prompt, no value printed.
extern bool PRINT_OFF;

extern i64 outdp;     // depth of the list item being printed, 0 at top
extern bool fg1ls;    // the first item of a nested list is being printed
extern i64 fgrtn;     // a line end is owed after slot 3 was printed
extern char* genptr;  // output-text cursor of the nested-list picture
extern i64 chrnum;    // picture text drawn for the running line (reset by the line driver)

// Prints one value. mode 1: ctable[index]; mode 0: vtable[index];
// mode 2: vtable[index] as an item of a nested list. Returns an error code.
i64 GenOutpt(i64 mode, i64 index);
// Per-statement reset of the output state.
void CleanEPf();
// Raw dump of vtable[index] (ctable[index] when from_constants != 0).
i64 ChkValue(i64 index, i64 from_constants);

// ---- matrix layout ----------------------------------------------------------

// Prints vtable[index] of rank 2 or more (mode 2: as a nested-list item).
i64 OutputLoop(i64 mode, i64 index);
// Column width table of the operand (c, v) of rank 2 or more, allocated as a
// scratch block: one entry per column, two for floats and complex numbers.
i64 GenFormat(i64 c, i64 v, i64** widths);

// ---- monadic format ---------------------------------------------------------

// The format primitive: the operand's display text as a character array.
i64 PfFormat(i64 res, i64 rc, i64 rv);
// Text of element e of a simple value as format writes it (symbols bare,
// without back-quote or quotes); data is getptV of v. buf holds ELEMTEXT bytes.
i64 FormatText(val_item* v, const char* data, i64 e, char* buf);
// Width of a cell of column j in the aligned layout of rows (w: GenFormat's
// table; tick: symbols are written with their back-quote).
i64 LayoutCellWidth(i64 type, const i64* w, i64 j, bool tick);
// Writes cell e (column j) at out, exactly LayoutCellWidth characters, no
// terminator: numbers right-aligned, floats on the point, complex numbers
// on the "j", symbols and dates from the left. Returns the width.
i64 LayoutCell(val_item* v, const char* data, i64 e, const i64* w, i64 j, bool tick, char* out);

// ---- nested-list picture ------------------------------------------------------

constexpr i64 MAXTXTOPT = 163790;  // capacity of the picture's text area
extern char* tgenptr;              // start of the text area
extern i64 listn;                  // lines of the picture
extern i64 listm;                  // characters of a line, its "\n" included

// Sets the text area (cap bytes; the default is the area's full capacity).
void GenP(char* buffer, i64 cap = MAXTXTOPT);
// Draws the list in slot into the text area: 0, or the error code.
i64 GenType6(i64 slot);
i64 GenCheck(i64 slot);
i64 GenLsfmat(i64 slot, i64* positions);
i64 GenList(i64 slot, i64* positions);
i64 OutputLoopList(i64 slot, i64 column);
i64 OutputLoopSym(i64 slot);

// ---- dictionary and table display -------------------------------------------

i64 GenOutdic(i64 slot);
i64 GenOutTab(i64 slot);
i64 GenOutTak(i64 slot);

// ---- line output shared by the display files -----------------------------------

constexpr i64 LINEWIDTH = 107;  // no line passes this column (see the layouts)
constexpr i64 CONTINDENT = 6;   // blanks that open a continuation line
constexpr i64 VIEWLST = 101;    // characters per continuation line of text
constexpr i64 ROWCUT = 30;      // rows shown of a plane, unless printed whole
constexpr i64 OUTBUF = 256;     // the format buffer output passes through

// The hand-over upward of the line output (filled by system/handovers.cpp):
// after each write, the server's check that its client still reads.
struct display_handovers {
    void (*check_output)();
};
extern display_handovers display_up;

// Output gathered in a fixed buffer, written to standard output when the
// buffer fills and at OutFlush; col is the width of the current line.
struct outline {
    char text[OUTBUF];
    i64 used;
    i64 col;
};
void OutStart(outline* o, i64 col);
void OutText(outline* o, const char* s, i64 n);
void OutBlanks(outline* o, i64 n);
void OutNewline(outline* o);
void OutFlush(outline* o);
// "\n... <n more>, TRY []<-v to output all ..."
void OutCutNotice(outline* o, i64 more);
// Starts a continuation line: a line end when the line holds something,
// then the depth indent and six blanks.
void OutContinue(outline* o, i64 indent);
// n characters of text from the current column: the first line up to
// column 107, then continuation lines of the depth indent, six blanks and
// up to 101 - depth characters.
void PrintTextRun(outline* o, const char* text, i64 n);
// Length of axis k (0 = first) of a value of rank 1 or more.
i64 AxisLength(const val_item* v, i64 k);
// Display text of element k of a simple value: FillTemp's text, with a
// back-quote before a symbol. buf holds ELEMTEXT bytes.
i64 ShownText(val_item* v, i64 k, char* buf);
