// The primitive table: the one place where a function code is bound to its
// routine. A row serves one function code, or a run of codes that share a
// routine (the routine then receives the code), for one valence, and says
// how the routine takes its arguments, whether it takes the []IO slot and
// whether the each operator may apply it item by item. Codes without a row,
// and rows whose routine is not built yet, answer E_NOT_BUILT.
//
// To wire a new routine, declare it in its subsystem's header and change its
// row in eval/primtable.cpp: the row builder takes a typed function pointer,
// so a routine whose signature does not fit the form does not compile.
//
// The walker performs some codes itself as special forms (assignment,
// indexing and the list and table literals, the index separator, the each
// operator, the branch); they have no row.
#pragma once
#include <cstdint>

#include "values/values.h"

enum prim_valence : uint8_t { PV_NILADIC, PV_MONADIC, PV_DYADIC };

// How a routine takes its arguments: the result slot first (after the code
// where the routine serves several codes), then the operand pairs, left
// before right; with io set, the []IO slot last.
enum prim_args : uint8_t {
    PA_NOT_BUILT,  // no routine yet: E_NOT_BUILT
    PA_REFUSED,    // the code has no use with this valence: E_DOMAIN
    PA_RES,        // (res): a quad name used alone
    PA_R,          // (res, rc, rv)
    PA_CODE_R,     // (code, res, rc, rv)
    PA_LR,         // (res, lc, lv, rc, rv)
    PA_CODE_LR,    // (code, res, lc, lv, rc, rv)
    PA_INNER,      // (code, res, lc, lv, rc, rv, transposed)
    PA_EXECUTE,    // (res, rc, rv, temp, row, depth, &io), returns the result slot
};

typedef i64 (*prim_fn1)(i64);
typedef i64 (*prim_fn3)(i64, i64, i64);
typedef i64 (*prim_fn4)(i64, i64, i64, i64);
typedef i64 (*prim_fn5)(i64, i64, i64, i64, i64);
typedef i64 (*prim_fn6)(i64, i64, i64, i64, i64, i64);
typedef i64 (*prim_fn7)(i64, i64, i64, i64, i64, i64, i64);
typedef i64 (*prim_exec)(i64, i64, i64, i64, i64, i64, i64*);

struct prim_row {
    i64 first, last;  // the function codes served
    prim_valence valence;
    prim_args args;
    bool io;    // takes the []IO slot as its last argument
    bool each;  // the each operator may apply it item by item
    union {
        prim_fn1 f1;
        prim_fn3 f3;
        prim_fn4 f4;
        prim_fn5 f5;
        prim_fn6 f6;
        prim_fn7 f7;
        prim_exec exec;
    } fn;
};

extern const prim_row prim_rows[];
extern const i64 prim_nrows;

// The row of code for a valence, or nullptr when the code has none.
const prim_row* PrimRow(i64 code, prim_valence valence);

// What an application needs beyond its operands: the walk's next temporary,
// row and depth, and its []IO slot (execute may localise it).
struct prim_context {
    i64 temp, row, depth;
    i64* io;
};

// Applies code to the operand pairs (lc, lv = -1, -1 for a monadic use) into
// *res, item by item when each is set; execute may leave its result in
// another slot, handed back in *res. Its error code.
i64 ApplyPrimitive(i64 code, i64* res, i64 lc, i64 lv, i64 rc, i64 rv, const prim_context& cx,
                   bool each, i64 transposed);
// Whether code has a niladic use (a quad name standing alone), and its call.
bool PrimNiladic(i64 code);
i64 ApplyNiladic(i64 code, i64 res);
// Calls the routine of a dyadic or monadic function code, without the each
// operator; its error code.
i64 DispatchDyadic(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io, i64 transposed);
i64 DispatchMonadic(i64 code, i64 res, i64 rc, i64 rv, i64 io);
// Whether the each operator may apply code (dyadic or monadic) item by item.
bool PrimEach(i64 code, bool dyadic);
