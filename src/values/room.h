// Standard containers whose size the data sets (row numbers, rows of a
// column being written, the records of a file being read): a statement that
// cannot get their memory fails with workspace full, as it does for value
// data and scratch, instead of ending the process.
#pragma once
#include <new>
#include <stdexcept>
#include <vector>

#include "values/errors.h"
#include "values/values.h"

// The code f returns, or E_WS_FULL (also in errchk) when a standard
// container f grows cannot get its memory. Only for a routine whose error
// returns leave nothing to undo: a failed allocation returns from the same
// point as an error would.
template <class F>
i64 Guarded(F f) {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        return errchk = E_WS_FULL;
    } catch (const std::length_error&) {
        return errchk = E_WS_FULL;
    }
}

// Room for n elements in v, made before it fills; false, with E_WS_FULL in
// errchk, when the memory is not there. Up to n elements then go in without
// allocating.
template <class T>
bool Room(std::vector<T>* v, i64 n) {
    return Guarded([&] {
               v->reserve(static_cast<size_t>(n < 0 ? 0 : n));
               return i64{0};
           }) == 0;
}
