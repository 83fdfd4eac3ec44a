// The parser's entry points: the table allocator, primitive symbols and
// their function codes, the statement parser, literal readers, names and
// lookup, line cleaning, the list reader, the CSV table shell, function
// headers and definitions, and the control-structure rewriting. The records
// the parser writes are in parser/records.h.
#pragma once
#include <cstdio>

#include "parser/records.h"

// Hands out the next entry of a table, by letter: 'A' nametable,
// 'G' gnametable, 'B' brtable, 'C' ctable, 'E' fnodetable, 'F' functable,
// 'N' parsetree, 'V' vtable. Returns -1 with errchk E_TABLE_FULL when the table is full.
i64 Incx(char table);
// Reserves n overflow words; -1 with errchk E_TABLE_FULL when they do not fit.
i64 Incx0(i64 n);
// Symbol code of the primitive symbol c at cursor (consuming a second
// character where the symbol has one), -1 for none.
i64 GetAsymb(char c, i64 dyadic, char* text);
// Function code of a symbol code, -1 for none.
i64 PfnList(i64 symbol);
int inSF0(i64 s);  // scalar arithmetic symbols 36..46
int inSF2(i64 s);  // logic and comparison symbols 13..22
int inMF2(i64 s);  // 4..12
// Length of the run of symbol characters at pos, copied into namez.
i64 GetSsymb(const char* text, i64 pos);
// Distance from top down to the nearest entry equal to key; top+1 when none.
i64 Riota(const i64* stack, i64 key, i64 top);

// ---- statement parser ---------------------------------------------------------

extern char* line;  // class letters of the statement being parsed
extern i64 cursor;  // scan position
extern i64 curx;    // start of the current token (error column)
extern i64 onlyroot, onlystn;

// Parses one statement; out = {root, start node, branch record}.
i64 ZemParser(char* text, i64 len, i64 row, i64 lineno, char term, i64 ioslot, i64 out[3]);
i64 GetZemCursor();
i64 GetZemOldCursor();

// Table positions before a line is parsed, so that its records and literal
// constants can be given back once it has run.
struct parse_mark {
    i64 ndx, fndx, brx, ovx, nx, cx, tnam;
};
parse_mark ParseMark();
// The positions of tables that hold no parse records.
parse_mark RestMark();
// Gives back every parse node, application and branch record, overflow word,
// local name and constant made since the mark (constants' data blocks are
// released). The long-name pool keeps what global names entered since hold.
// Records a suspended function call still refers to must not be released.
// Then the name entries no header uses go, when nothing runs (GiveBackNames).
void ParseRelease(const parse_mark& m);

// Gives back the local name entries no function header uses any more (a
// header entered anew leaves the old one's), and the long-name bytes only
// they held: the headers' entries move down in order and the rows follow
// them. Does nothing unless nothing runs or is suspended (no parse record,
// call or binding left that could refer to an entry).
void GiveBackNames();

// Workspace clear of the parser's tables (the evaluator drops the functions'
// statement indexes first, IbCleanAll), and their first set-up (the six
// system names and the nine reserved functions).
void CleanParseTables();
void InitParseTables();

// ---- literals -----------------------------------------------------------------

i64 Number(char* text);
i64 NumberGet(char* text, i64 pos, i64* kind, val_item* v, bool store, i64 i, i64 type);
i64 NumberVal(char* text, i64 pos, i64* kind, val_item* v, bool store, i64 i, i64 type, double* out,
              bool* special);
i64 String(char* text);
i64 StringSub(const char* src, char* dst, i64* advance, bool copy);
i64 Symbols(char* text);
i64 SymbolDot(char* text);
char* SymbolStr(char* text);

// ---- names and lookup ---------------------------------------------------------

extern char namez[NAMESIZE];
extern char fullname[NAMESIZE];
extern char afullname[NAMESIZE];
extern char* namep;

i64 Name(char* text);  // 0, or 42 for a name beyond 127 characters
i64 Name0(char* text);
// Whether text at pos is "[]" directly followed by the name of a system
// function or system variable.
bool SystemNameAt(const char* text, i64 pos);
i64 Namea(char* s);
int isCname(const char* s);
int CheckLabel(const char* text, const char* classes, i64 pos);
// 1 when the text opens more "(" than it closes outside quotes, before any
// "//" comment and before a ")" too many: the statement goes on.
int ParseOne(const char* line);
// ParseOne over a text that grows at its end: each call scans only what was
// added since the last one (the state carries over), and answers as
// ParseOne would for the whole text.
struct paren_scan {
    i64 pos = 0;  // where the next call goes on
    i64 depth = 0;
    bool inquote = false;
    bool over = false;  // a comment or a ")" too many settled the answer
    bool open = false;  // the settled answer
    i64 opened = -1;    // where the "(" that left depth 0 last stands
};
int ParseOneMore(const char* text, paren_scan* st);

i64 Enter(const char* name, char kind);
i64 FnAddName(const char* name, i64 index, char table);  // 0 or E_TABLE_FULL
void FnGetFullname(i64 index, char table);
i64 FnFindName(const char* name, char kind);
i64 FnFindName0(const char* name, i64 row);
i64 FnFindName1(const char* name, i64 row);
i64 FnFindName2(const char* name, i64 row);
i64 FnFindName3(const char* name, i64 row);
i64 FnQueryStack(const char* name);
val_item* FindByName(const char* name);
// The value slot bound to the name that symbol i spells (its newest dynamic
// binding, else its global entry); -1 when none, or when it names a function.
i64 GetSymx(i64 i);
void GetNamex(const char* name, i64 out[2]);
i64 FnGetName(const char* header, char* dst);
// Enters the labels of lines 1..n-1 of a line list ("name:" at a line start).
void FnPrepoc(zem_line* lines, i64 n);
i64 FnShotName(const char* text, char* dst);
i64 fGet(char* text, i64 out[2]);
i64 nGet(char* text, const char* classes, i64 out[3], i64 row, i64 reserved, bool label,
         i64 branch);
i64 qdGet(char* text, i64 out[3], i64 row);
i64 qdVal(const char* name);

// ---- line cleaning and string routines ----------------------------------------

// A blank: a space or a tab.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// A name begins with a letter and goes on with letters, digits and "_".
inline bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsNameChar(char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; }
// The first position at or after p of text that is not a blank.
inline i64 PastBlanks(const char* text, i64 p) {
    while (IsBlank(text[p])) p++;
    return p;
}

i64 CleanN(const char* s);
i64 CleanX(const char* s);
i64 CleanA(char* s);
i64 CleanB(char** p);
void preproc(char* s);
void parse_new_skip(const char* s, i64* pos);
i64 csfind(const char* s, int c);
i64 CSFind(const char* s, int c);
int istrq(const char* s, const char* word, i64* pos);
i64 strq(const char* s, const char* word);
void Fill(const name_entry* entry, char* dst);
int cmp_i64(const void* a, const void* b);
int cmp_char(const void* a, const void* b);
int cmp_double(const void* a, const void* b);

// ---- list reader and value records ----------------------------------------------

// Reads the rest of a list literal from the cursor, which stands after its
// first item (kind 'A': a name, first its value slot; else first is a
// constant). Returns the slot of the list, or an error code (also in errchk).
i64 List(char* text, char kind, i64 first, i64 scope);
// The value slot of the variable or local named at the cursor, else -1.
i64 ListNget(char* text, i64 scope);
// Size and writing of the flat byte record of a value (mode -1: the value
// itself; any other mode: the 16-byte pair -1 and vidx).
i64 ListSizeChar(i64 cidx, i64 vidx, i64 mode);
i64 ListWritChar(i64 cidx, i64 vidx, i64 mode, char* out);

// ---- table shell for CSV import --------------------------------------------------

// Builds in slot an empty table of ncols columns of nrows elements of the
// given column types (names and cells for the reader to fill). Returns the
// slot, or an error code (also in errchk).
i64 CSVEnter(i64 slot, char* name, i64 type, i64 nrows, i64 ncols, i64* coltypes);

// ---- function headers and definitions (funcheader.cpp, definition.cpp) --------

// Parses a header into a function row, entering its names; 0 or an error code.
i64 FnHead(const char* fname, i64 row, const char* header, i64 len);
i64 FnNewHead(const char* fname, i64 row, const char* header, i64 len);
i64 FGetName(const char* text, i64* pos);
int isRvWord(const char* s);
// Defines the function a header names; its row, or -1.
i64 FnLine0(const char* header);
// A one-line definition "name: body}" (text after the opening brace):
// 0 with the name in name_buffer, else 1.
i64 FnShotLine(const char* text, char* name_buffer);

// ---- control-structure rewriting (ctlrewrite.cpp, ctlloops.cpp) ----------------
extern zem_line* line0;  // output list of the rewriting, reused by every run
extern i64 newln;        // lines of the last successful rewriting
// Rewrites the n lines after the head `lines` into line0: 0, or the input
// line of a structure fault with errchk E_STRUCTURE.
i64 ZemParserNewInit(zem_line* lines, i64 n);
// Names of the loop temporaries the last rewriting generated; the function
// binds them as its own locals.
i64 ParseTempCount();
const char* ParseTempName(i64 i);
int ParseIsLabel(const char* s);
i64 ZemParserNew(char* s, i64 len, i64 row, i64 lineno, i64 x);
i64 ParseChkPare(zem_line* lines, i64 n);
