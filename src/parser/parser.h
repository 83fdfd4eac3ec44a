// The lexer and statement parser: parse records and their tables, function
// codes, literal readers, name tables and lookup, and line cleaning.
#pragma once
#include "values/fcodes.h"
#include "values/values.h"
#include <cstdio>

struct stmt_node;   // per-line statement index node (evaluator)
struct zem_func;    // defined-function record
struct zem_line;    // one line of a line list

// ---- capacities ---------------------------------------------------------------

constexpr i64 PTSIZE = 65536;    // parse-tree nodes
constexpr i64 FNSIZE = 32768;    // application records
constexpr i64 BRSIZE = 2048;     // branch records
constexpr i64 NTSIZE = 10240;    // local names
constexpr i64 GNSIZE = 2048;     // global names
constexpr i64 FTSIZE = 512;      // function rows
constexpr i64 OVSIZE = 256;      // words of branch target lists
constexpr i64 TNSIZE = 10240;    // bytes of the long-name pool
constexpr i64 NAMESIZE = 128;    // namez, fullname, afullname
constexpr i64 FIRSTFN = 100;     // first row of a defined function

// The reserved functions: function rows 0 to 8, in this order.
enum : i64 {
    ROW_KEY, ROW_VALUE, ROW_XKEY, ROW_COLS, ROW_META, ROW_KEYS, ROW_FKEYS, ROW_DO, ROW_LIKE,
    NRESERVED
};

// ---- parse records ------------------------------------------------------------

// One node of a statement's tree.
struct parse_node {
    i64 kind;     // 'C' constant, 'V' variable, 'F' application, 'Z' table target, 0 unset
    i64 ref;      // ctable index, vtable slot, fnodetable index or symbol id
    i64 link1;    // the evaluator's
    i64 link2;    // the evaluator's
    i64 parent;   // consumer of this node's value, -1 = root
    i64 name;     // nametable index of the local name read, -1 = none
    i64 col;      // scan position where the node was made (error column)
};
static_assert(sizeof(parse_node) == 56, "parse node must be seven words");

// One function application.
struct fn_node {
    i64 kind;     // 'P' primitive, 'D' defined function
    i64 code;     // function code, or functable row for 'D'
    i64 left;     // left operand node, -1 = none
    i64 right;    // right operand node, -1 = none
};
static_assert(sizeof(fn_node) == 32, "application record must be four words");

// One branch statement.
struct br_entry {
    i64 next;     // line when the branch is not taken, -1 none
    i64 target;   // line when taken: 0 leaves, BR_COMPUTED computed at run time
    i64 list;     // overflow index of further labels (-1 ended), -1 none
    double d1, d2;  // the evaluator's
    i64 w6;         // the evaluator's
};
static_assert(sizeof(br_entry) == 48, "branch record must be six words");
constexpr i64 BR_COMPUTED = -100;   // target: the value of the statement

// One entry of the global or local name table.
struct name_entry {
    char name[9];  // up to 8 characters, zero-terminated
    char kind;     // 'V' variable, 'F' function, 'L' label, 0 free
    i64 index;     // value slot, function row or line number
    i64 tail;      // -1: whole inline; else tnam offset of the characters after the 8th
};
static_assert(sizeof(name_entry) == 32, "name entry must be 32 bytes");
typedef name_entry name_tabl;

// One function row: seventeen words, numbered 1..17 in the comments.
struct func_entry {
    i64 valence;    // 1: 0 niladic, 1 monadic, 2 dyadic
    i64 result;     // 2: result name index, -1 none, -2 reserved built-in
    i64 left;       // 3: left-argument name index
    i64 right;      // 4: right-argument name index
    i64 nright;     // 5: number of right arguments
    i64 hdrmark;    // 6: nametable index just before the header names
    i64 hdrlast;    // 7: last header name, -1 none
    i64 lblmark;    // 8: nametable index just before the labels / body names
    i64 bodylast;   // 9: last name entered while parsing the body, -1 none
    i64 glpos;      // 10: shape-list position at parse time
    i64 parsed;     // 11: parsed in the current immediate line
    i64 nodefirst;  // 12: parse nodes of the body (exclusive)
    i64 nodelast;   // 13: ... up to (inclusive)
    i64 gname;      // 14: gnametable index of the function's name
    zem_func* func;        // 15: the function's record
    i64* stcount;          // 16: statements per executable line
    stmt_node** stlist;    // 17: statement list per executable line
};
static_assert(sizeof(func_entry) == 136, "function row must be seventeen words");

extern parse_node parsetree[PTSIZE];
extern fn_node fnodetable[FNSIZE];
extern br_entry brtable[BRSIZE];
extern name_entry nametable[NTSIZE];
extern name_entry gnametable[GNSIZE];
extern func_entry functable[FTSIZE];
extern i64 overflow[OVSIZE];
extern char tnam[TNSIZE];

extern i64 lstndx;    // last parse node
extern i64 lstfndx;   // last application record
extern i64 lstbrx;    // last branch record (record 0 is permanent)
extern i64 lstnx;     // last local name
extern i64 lstgx;     // last global name
extern i64 lstfx;     // last function row (99 when none is defined)
extern i64 nxtovx;    // next free overflow word
extern i64 lsttnam;   // last used tnam byte

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
int inSF0(i64 s);   // scalar arithmetic symbols 36..46
int inSF2(i64 s);   // logic and comparison symbols 13..22
int inMF2(i64 s);   // 4..12
// Length of the run of symbol characters at pos, copied into namez.
i64 GetSsymb(const char* text, i64 pos);
// Distance from top down to the nearest entry equal to key; top+1 when none.
i64 Riota(const i64* stack, i64 key, i64 top);

// ---- statement parser ---------------------------------------------------------

extern char* line;      // class letters of the statement being parsed
extern i64 cursor;      // scan position
extern i64 curx;        // start of the current token (error column)
extern i64 onlyroot, onlystn;

// Parses one statement; out = {root, start node, branch record}.
i64 ZemParser(char* text, i64 len, i64 row, i64 lineno, char term, i64 ioslot,
              i64 out[3]);
i64 GetZemCursor();
i64 GetZemOldCursor();

// Table positions before a line is parsed, so that its records and literal
// constants can be given back once it has run.
struct parse_mark {
    i64 ndx, fndx, brx, ovx, nx, cx, tnam;
};
parse_mark ParseMark();
// Gives back every parse node, application and branch record, overflow word,
// local name and constant made since the mark (constants' data blocks are
// released). The long-name pool keeps what global names entered since hold.
// Records a suspended function call still refers to must not be released.
void ParseRelease(const parse_mark& m);

// Workspace clear of the parser's tables, and their first set-up (the six
// system names and the nine reserved functions).
void CleanParseTables();
void InitParseTables();

// ---- literals -----------------------------------------------------------------

i64 Number(char* text);
i64 NumberGet(char* text, i64 pos, i64* kind, val_item* v, bool store, i64 i, i64 type);
i64 NumberVal(char* text, i64 pos, i64* kind, val_item* v, bool store, i64 i, i64 type,
              double* out, bool* special);
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

i64 Name(char* text);                 // 0, or 42 for a name beyond 127 characters
i64 Name0(char* text);
i64 Namea(char* s);
int isCname(const char* s);
int CheckLabel(const char* text, const char* classes, i64 pos);
int ParseOne(const char* line);

i64 Enter(const char* name, char kind);
i64 FnAddName(const char* name, i64 index, char table);   // 0 or E_TABLE_FULL
void FnGetFullname(i64 index, char table);
i64 FnFindName(const char* name, char kind);
i64 FnFindName0(const char* name, i64 row);
i64 FnFindName1(const char* name, i64 row);
i64 FnFindName2(const char* name, i64 row);
i64 FnFindName3(const char* name, i64 row);
i64 FnQueryStack(const char* name);
val_item* FindByName(const char* name);
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

// ---- defined-function records (funcrecord.cpp, funcshow.cpp) ------------------
// A defined function's text: the source lines as typed (line 0 the header),
// the trimmed lines (blank and comment-only lines dropped, tagged with their
// source line) and the executable lines the control-structure rewriting
// makes of them (tagged with their trimmed line). A list may hold more nodes
// than its count; only the first count lines belong to the function.
constexpr i64 FNAMESIZE = 120;

struct zem_func {
    i64 word;                 // saved with the workspace; 0 at creation
    char name[FNAMESIZE];
    zem_line* append;         // the line after which the next source line goes
    zem_line* src;            // heads of the three lists
    zem_line* trim;
    zem_line* exec;
    i64 nsrc, ntrim, nexec;
};

zem_func* FunInit(zem_func* f, const char* name);
// Frees a record with its three line lists (a workspace clear drops them).
void FunFree(zem_func* f);
void FunSetLine0(zem_func* f, const char* header);
i64 FunNameUpd(zem_func* f, const char* header);
zem_line* FunInitLine(zem_func* f);
void FunAddLine(zem_func* f, const char* text);
i64 FunTrimLine(zem_func* f);
i64 FunTrimLines(zem_line* dst, zem_line* src, i64 n);
i64 FunCopyLines(zem_line* dst, zem_line* src, i64 n);
const char* FunGetName(zem_func* f);
zem_line* FunGetLn0(zem_func* f);
// Line n of a list (0 = the first line after the head), or nullptr.
zem_line* FunNthLine(zem_line* head, i64 n);
const char* FunLineIndex(zem_func* f, i64 n);
// The source text behind a line, for the error display: FunErrLineStr gives
// source line n; FunErrLineOld the source of executable line n, with the
// error column *col (counted in the executable line) moved into that text.
char* FunErrLineStr(zem_func* f, i64 n);
char* FunErrLineOld(zem_func* f, i64 n, i64* col);
void FunOutput(zem_func* f, FILE* out);
void FunDisplay(zem_func* f, const char* name);
i64 FunDisp(zem_func* f, i64 which);
void FunInit0();
void FunSerialize(zem_func* f, FILE* fp, bool write);
void FunSerLine(FILE* fp, zem_line* list, i64 n, bool write);

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
extern zem_line* line0;   // output list of the rewriting, reused by every run
extern i64 newln;         // lines of the last successful rewriting
// Rewrites the n lines after the head `lines` into line0: 0, or the input
// line of a structure fault with errchk 26.
i64 ZemParserNewInit(zem_line* lines, i64 n);
// Names of the loop temporaries the last rewriting generated; the function
// binds them as its own locals.
i64 ParseTempCount();
const char* ParseTempName(i64 i);
int ParseIsLabel(const char* s);
i64 ZemParserNew(char* s, i64 len, i64 row, i64 lineno, i64 x);
i64 ParseChkPare(zem_line* lines, i64 n);
