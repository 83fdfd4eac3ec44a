// What the parser makes and the evaluator, the display and the workspace
// file read: the parse records and the fixed tables that hold them, the
// function rows, and the defined-function records with their line lists.
#pragma once
#include <cstdio>

#include "values/linelist.h"

struct stmt_node;  // per-line statement index node (evaluator)
struct zem_func;   // defined-function record

// ---- capacities ---------------------------------------------------------------

constexpr i64 PTSIZE = 65536;  // parse-tree nodes
constexpr i64 FNSIZE = 32768;  // application records
constexpr i64 BRSIZE = 2048;   // branch records
constexpr i64 NTSIZE = 10240;  // local names
constexpr i64 GNSIZE = 2048;   // global names
constexpr i64 FTSIZE = 512;    // function rows
constexpr i64 OVSIZE = 256;    // words of branch target lists
constexpr i64 TNSIZE = 10240;  // bytes of the long-name pool
constexpr i64 NAMESIZE = 128;  // namez, fullname, afullname
constexpr i64 FIRSTFN = 100;   // first row of a defined function

// The reserved functions: function rows 0 to 8, in this order.
enum : i64 {
    ROW_KEY,
    ROW_VALUE,
    ROW_XKEY,
    ROW_COLS,
    ROW_META,
    ROW_KEYS,
    ROW_FKEYS,
    ROW_DO,
    ROW_LIKE,
    NRESERVED
};

// ---- parse records ------------------------------------------------------------

// One node of a statement's tree.
struct parse_node {
    i64 kind;    // 'C' constant, 'V' variable, 'F' application, 'Z' table target, 0 unset
    i64 ref;     // ctable index, vtable slot, fnodetable index or symbol id
    i64 link1;   // the evaluator's
    i64 link2;   // the evaluator's
    i64 parent;  // consumer of this node's value, -1 = root
    i64 name;    // nametable index of the local name read, -1 = none
    i64 col;     // scan position where the node was made (error column)
};
static_assert(sizeof(parse_node) == 56, "parse node must be seven words");

// One function application.
struct fn_node {
    i64 kind;   // 'P' primitive, 'D' defined function
    i64 code;   // function code, or functable row for 'D'
    i64 left;   // left operand node, -1 = none
    i64 right;  // right operand node, -1 = none
};
static_assert(sizeof(fn_node) == 32, "application record must be four words");

// One branch statement.
struct br_entry {
    i64 next;       // line when the branch is not taken, -1 none
    i64 target;     // line when taken: 0 leaves, BR_COMPUTED computed at run time
    i64 list;       // overflow index of further labels (-1 ended), -1 none
    double d1, d2;  // the evaluator's
    i64 w6;         // the evaluator's
};
static_assert(sizeof(br_entry) == 48, "branch record must be six words");
constexpr i64 BR_COMPUTED = -100;  // target: the value of the statement

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
    i64 valence;         // 1: 0 niladic, 1 monadic, 2 dyadic
    i64 result;          // 2: result name index, -1 none, -2 reserved built-in
    i64 left;            // 3: left-argument name index
    i64 right;           // 4: right-argument name index
    i64 nright;          // 5: number of right arguments
    i64 hdrmark;         // 6: nametable index just before the header names
    i64 hdrlast;         // 7: last header name, -1 none
    i64 lblmark;         // 8: nametable index just before the labels / body names
    i64 bodylast;        // 9: last name entered while parsing the body, -1 none
    i64 glpos;           // 10: shape-list position at parse time
    i64 parsed;          // 11: parsed in the current immediate line
    i64 nodefirst;       // 12: parse nodes of the body (exclusive)
    i64 nodelast;        // 13: ... up to (inclusive)
    i64 gname;           // 14: gnametable index of the function's name
    zem_func* func;      // 15: the function's record
    i64* stcount;        // 16: statements per executable line
    stmt_node** stlist;  // 17: statement list per executable line
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

extern i64 lstndx;   // last parse node
// Counts the changes of function rows (their header and parse ranges), so
// that what was read from a row knows when to read it again.
extern i64 row_epoch;
extern i64 lstfndx;  // last application record
extern i64 lstbrx;   // last branch record (record 0 is permanent)
extern i64 lstnx;    // last local name
extern i64 lstgx;    // last global name
extern i64 lstfx;    // last function row (99 when none is defined)
extern i64 nxtovx;   // next free overflow word
extern i64 lsttnam;  // last used tnam byte

// ---- defined-function records (funcrecord.cpp, funcshow.cpp) ------------------
// A defined function's text: the source lines as typed (line 0 the header),
// the trimmed lines (blank and comment-only lines dropped, tagged with their
// source line) and the executable lines the control-structure rewriting
// makes of them (tagged with their trimmed line). A list may hold more nodes
// than its count; only the first count lines belong to the function.
constexpr i64 FNAMESIZE = 120;

struct zem_func {
    i64 word;  // saved with the workspace; 0 at creation
    char name[FNAMESIZE];
    zem_line* append;  // the line after which the next source line goes
    zem_line* src;     // heads of the three lists
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
// Makes the n lines after the head `lines` (the header first) the whole
// text of the function: source and trimmed lines; the executable lines are
// made again at the next call.
void FunSetLines(zem_func* f, zem_line* lines, i64 n);
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
// Writes (0, or 300 when a write fails) or reads (0, or 301 for a short,
// cut or inconsistent record) one function's part of the workspace file.
i64 FunSerialize(zem_func* f, FILE* fp, bool write);
