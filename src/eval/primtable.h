// The primitive table: one row per function code (or run of codes) binding
// the code to its routine, with how the routine takes its arguments. Both
// dispatch paths (applications with and without a left operand) read it.
#pragma once
#include "values/values.h"

// Calls the routine of a dyadic or monadic function code; its error code.
i64 DispatchDyadic(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io, i64 transposed);
i64 DispatchMonadic(i64 code, i64 res, i64 rc, i64 rv, i64 io);
