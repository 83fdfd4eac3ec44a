// The evaluator: the call state (state indicator, binding stack), the line
// driver, the tree walker, bracket indexing and indexed assignment,
// defined-function calls, the input lines and the entry point. The
// primitive table is in eval/primtable.h; workspace set-up and the
// top-level loop that runs on all of these are in system/workspace.h and
// system/toplevel.h.
#pragma once
#include <string>

#include "values/values.h"

// ---- call state ---------------------------------------------------------------

constexpr i64 SITSIZE = 256;   // state-indicator entries
constexpr i64 DFXSIZE = 1024;  // binding-stack entries
constexpr i64 TRACESIZE = 150;

struct si_entry {
    i64 row;  // function row, -1 = immediate line
    i64 line;
};
struct dfx_entry {
    i64 name;  // name index, -1 = frame mark
    i64 slot;
};
struct fast_stmt;
struct stmt_node {
    i64 root;
    i64 start;
    i64 branch;  // branch record, -1 none
    stmt_node* next;
    const fast_stmt* fast;  // its single-number form (FastCompile), nullptr until first asked
    bool single;            // it has one
};

extern si_entry sitable[SITSIZE];
extern i64 sidx;  // top of the state indicator, -1 empty
extern dfx_entry dfxstack[DFXSIZE];
extern i64 lststkx;  // top of the binding stack, -1 empty
extern i64 traces[TRACESIZE];
extern i64 tracenum;  // words used in traces, -1 none
extern i64 traceflag;
extern i64 flagmm;

// ---- line driver ------------------------------------------------------------

extern i64 epos;     // error column, -1 = not yet known
extern i64 stdtim;   // processor clock at the start of the line
extern i64 depest;   // call depth of the running line
extern i64 exeout;   // last ExecaLine result: 1 slot, 2 constant, 0 none
extern i64 exelock;  // set while the execute primitive runs a text

i64 ParseLine(char* text, i64 length);
// Lines run inside a running statement: the query prelude loads while the
// statement that first uses it runs, and the script reader hands its lines
// to ParseLine. While a context is set, ParseLine runs each line within that
// statement (above its temporaries and calls, with its []IO slot) instead of
// as a new top-level line, and reports a failure only by its code, leaving
// no call of the line suspended. nullptr: top-level lines again.
struct line_context {
    i64 temp, depth;
    i64* io;
};
void SetLineContext(const line_context* context);
i64 ParseLine0(char* text, i64 length, i64 row, i64 line, char terminator, i64 x, i64* errpos,
               bool execute);
i64 ExecuLine(i64 root, i64 start);
// Whether the statement rooted at root yields a value to display.
bool ShowsValue(i64 root);
i64 ExecParse(char* text, i64 length, i64 temp, i64 row, i64 depth, i64* io);
i64 ExecaLine(i64 root, i64 start, i64 temp, i64 row, i64 depth, i64 io);
// The execute primitive: runs the text of its right operand through the line
// driver. Returns the slot holding its result; its error is in errchk.
i64 PfExecu(i64 res, i64 rc, i64 rv, i64 temp, i64 row, i64 depth, i64* io);
// Runs length bytes of text (its terminating zero counted) as statements in
// the caller's context and delivers the value of the last one: the slot that
// holds it (res, or the named slot of a variable), or res without a value.
// On an error its code, also in errchk.
i64 PfExecuSub(i64 res, char* text, i64 length, i64 temp, i64 row, i64 depth, i64* io);
void CleanET();
// Gives back the parse records of the suspended top-level lines whose calls
// are gone from the state indicator (cleared by )SIC or "->"), as a line
// that completes gives back its own.
void ReleaseClearedLines();

// ---- tree walker --------------------------------------------------------------

constexpr i64 IDXSTK = 128;  // initial room of the walker's operand stacks

extern i64 idxafstk[IDXSTK];  // pending bracket levels (1: save the index list)
extern i64 idxafstkpt;
extern i64 idxtagstp;  // top of the pending table-literal names

// Nodes of a statement whose values were made before the walker took it
// over (each in a temporary of its own), with nothing of them left to run.
struct walk_presets {
    const i64* node;
    const i64* slot;
    i64 n;
};
// made: such nodes, which the walk takes as they are (start is then found
// from them); nullptr for a walk of the whole statement.
i64 TreeList(i64 row, i64 root, i64 start, i64 mark, i64 temp, i64 line, i64 depth, i64 io,
             const walk_presets* made = nullptr);

// ---- defined-function calls ---------------------------------------------------

i64 SetHeadFirst(i64 row, i64 depth, i64 io);
i64 SetNodeValue(i64 row, i64 other, i64 mode);
// Drops what the calls of a row learnt from its parse records, which are
// about to be made again.
void ForgetBinding(i64 row);
// The slot of local k (as LocalIndex numbers it) in a frame whose locals'
// slots end below base: the locals take slots downward in that order.
inline i64 LocalSlot(i64 base, i64 k) { return base - 1 - k; }
// A call's frame: the upper end of its locals' slots (LocalSlot); the
// reading of the row's names it was bound by; the slot of a local []IO, -1
// none.
struct call_frame {
    i64 base, serial, io;
    i64 left, right, result;  // the slots of the header's names, -1 none
};
// Binds the names of a call of row at state-indicator level `level`; errchk.
i64 BindCall(i64 row, i64 level, call_frame* frame);
// Local number of name entry e in a frame of row, -1 when not a local.
i64 LocalIndex(i64 row, i64 e);
// The slot of local name entry e in a frame of row.
i64 FrameSlot(i64 row, const call_frame& frame, i64 e);
// The current reading of row's names (see call_frame).
i64 PlanSerial(i64 row);
void ExecuFunc(i64 row, i64 mark, i64 temp, i64 depth, const call_frame& frame);
stmt_node* IbAddx(i64 row, i64 line, i64 out[3]);
stmt_node* IbIndx(i64 row, i64 line, i64 k);
// The first statements of a row's lines and their count (0: none), good
// until IbGeneration changes.
stmt_node* const* IbLines(i64 row, i64* count);
void IbClean(i64 row);
// Drops the statement index of every function row, before the parser's
// tables are cleared.
void IbCleanAll();
// Counts the cleanings of statement indexes, so that a reader holding a
// statement knows when to look it up again.
extern i64 ib_generation;
inline i64 IbGeneration() { return ib_generation; }
void Rslocvx1(i64 slot);
// Compiles statement s's single-number form, or marks it as having none.
void FastCompile(stmt_node* s, i64 row);
// Whether statement s of row has a single-number form (compiled at the
// first ask).
inline bool FastForm(stmt_node* s, i64 row) {
    if (!s->fast) FastCompile(s, row);
    return s->single;
}
// Where a statement of a function runs: what the walker is given.
struct fast_place {
    i64 row, mark, temp, line, depth, io;
    i64 base, serial;  // the call's frame (call_frame)
};
// Runs statement s (FastForm true) by its single-number form. The statement
// loop calls RunCompiled (eval/faststep.h), which runs a statement without
// calls in place and hands the others here. The result: the statement's
// value (type, rank, count and element; good until the next run). Else
// nullptr and *v: -1 when nothing was done and the walker must run the
// statement; else the walker finished it, and *v is what TreeList gives (a
// failure's node when errchk is set).
const val_item* RunCompiledCalls(stmt_node* s, const fast_place& at, i64* v);
// Drops the compiled form of s.
void FastForget(stmt_node* s);

// ---- bracket indexing and indexed assignment --------------------------------

i64 GenIndexV(i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64* idxc, i64* idxv, i64 n, i64 io);
i64 GenIndexA(i64 target, i64 ic, i64 iv, i64* idxc, i64* idxv, i64 vc, i64 vv, i64 n, i64 io);
i64 PfIdxSave(i64 fc, i64 fv, i64 n, i64* idxc, i64* idxv);
i64 PfCalcDelta(i64 rank, i64 slot);
// Index registers (summed rank and count of a selection, rank and count of
// its first position) and the saved index list.
extern i64 irnk, ilgth, irnk0, idm1;
extern i64 idxsvrnk, idxsvpt;
i64 CheckIdexv(i64 c, i64 v, i64 d, i64 io);
i64 IndxStoreDim(i64 c, i64 v, i64* dims, i64* pos, i64 d);
// Reads the r positions of a bracket on axes of lengths dims: lens[a] the
// count along axis a, sel[a] its offsets (value - io) in scratch, nullptr
// for a whole axis. demote admits whole floats. Sets irnk, ilgth, irnk0, idm1.
i64 PfCalcIdxll(i64 r, i64 fc, i64 fv, const i64* idxc, const i64* idxv, const i64* dims, i64 io,
                bool demote, i64* lens, i64** sel);
// Row-major offsets of the selection into one half of out (2L words); which.
i64 PfIdxLineariz(i64 r, i64 L, i64* out, const i64* lens, i64* const* sel, const i64* strides);

// ---- input lines (input.cpp) and the top-level lines of defined functions ------

constexpr i64 LINE_SIZE = 10240;  // input line buffer, terminator included

// Where the next input line comes from: the terminal or a pipe by default; the
// server installs its client's messages, so that lines a command reads (a
// function body, quad input) come from the same place as the typed lines.
// A source returns 1 for a line, 0 at the end of input, -1 for a line that
// did not fit (it has been discarded).
typedef int (*line_source)(char* buffer, i64 cap);
void SetLineSource(line_source source);
int ReadInputLine(char* buffer, i64 cap);
// Reads one line of any length into out, its line end kept: from standard
// input whole, from an installed source up to ANY_LINE_CAP - 1 bytes (the
// server's longest message fits). Returns as ReadInputLine does.
constexpr i64 ANY_LINE_CAP = (1 << 20) + 2;
int ReadInputAny(std::string* out);
// A zero byte inside an input line reads as a blank: every reader of lines
// passes the n bytes it received through this.
void BlankZeros(char* text, i64 n);

void FnInput(char* text);
// The error in errchk at line `line` of function row `row`: the message, the
// function's name, the line number and text, and a caret under column epos.
void ShowFunctionError(i64 row, i64 line);
// The error in errchk of an immediate line: the message, the line, a caret.
void ShowImmediateError(const char* text);
// Rewrites the control structures of a function just defined, to find a
// malformed one when the definition closes rather than at its first call:
// shows the structure error and returns E_STRUCTURE, else 0.
i64 CheckStructures(i64 row);
void FnDisplay(char* text, bool interactive);
i64 DebugStack(char* text);
// The state-indicator level "->" unwinds: the topmost entry that is an
// immediate line or a user function (entries of the query prelude above it
// are skipped). Called with a non-empty state indicator.
i64 fdsi();

// ---- walker internals -----------------------------------------------------------

// The call of a defined function at an application: arguments bound, body
// run, result copied to res. With each set the body runs once per item of
// the list operands and res becomes the list of the results. Its error code.
i64 CallDefined(i64 row, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 caller, i64 line, i64 depth,
                i64 temp, i64 io, bool each);
// The same from a statement of single numbers, its operands single numbers
// (l nullptr for none): they go straight into the frame, and a single-number
// result comes back in *out with no temporary; another result goes to res
// and out->rank is -1. The function has a result and at most one right
// argument.
// at: where the call is made (its row, line, depth and []IO); temp the
// temporary counter.
i64 CallSingles(i64 row, const val_item* l, const val_item* r, val_item* out, i64 res,
                const fast_place& at, i64 temp);

// ---- call frames of defined functions (fncallbind.cpp) -----------------------
// What each state-indicator entry of a function level bound: whether it
// pushed a frame, the binding-stack top and the lowest local slot before it.
// "->" and )SIC unwind exactly these. A frame mark's slot word holds the
// lowest local slot before the frame, so unbinding gives back exactly the
// frame's locals.
struct si_frame {
    i64 bound;
    i64 stack;
    i64 vxend;
};
extern si_frame siframe[SITSIZE];
// Scratch slots kept free above the last global (lstvx + 1 .. lstvx + 3).
constexpr i64 SCRATCHGAP = 3;
// The last slot a global variable may take (no locals bound, the scratch
// slots above it).
constexpr i64 LASTGLOBAL = SYSTART - SCRATCHGAP - 1;

// Makes room for n more state-indicator entries above sidx by dropping the
// oldest suspended levels (their frames stay bound until the indicator
// empties); 0, or E_STACK_FULL when even an empty indicator has no room.
i64 SiMakeRoom(i64 n);
// Unwinds the state indicator down to (and including) entry `level`: the
// frames those levels bound are popped and their locals released. When the
// indicator is then empty every remaining frame and local goes too.
void SiUnwind(i64 level);
// Gives back the frames of calls above call depth `depth` of the running
// line that failed while the line goes on (depest back to depth).
void SiDropCalls(i64 depth);
// The nametable range (exclusive, inclusive) of the loop temporaries a row's
// rewriting generated, bound as locals at each call; {0, -1} none.
extern i64 fntemps[][2];
// Whether name entry e is one of row's loop temporaries: the user never
// wrote them, so listings of names leave them out.
inline bool IsLoopTemp(i64 row, i64 e) { return e > fntemps[row][0] && e <= fntemps[row][1]; }
