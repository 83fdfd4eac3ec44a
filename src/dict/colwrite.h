// Planned writes into the rows of table columns (indexed assignment).
#pragma once
#include <vector>

#include "dict/dictparts.h"

// Where a written value comes from, found again after every allocation: the
// operand (c, v), its part (-1 none; 1 a dictionary's values or a table's
// columns), the item of that list (-1 none), and one element of it (-1: all).
struct WriteSource {
    i64 c, v;
    i64 part = -1, item = -1, elem = -1;
};

struct ColumnWrite {
    i64 col;          // position in the column list
    WriteSource src;  // a value per row, or one value for every row
};

// The writes of one assignment into the table at (slot, part) (see TableAt).
struct ColumnWrites {
    i64 slot, part;
    std::vector<i64> rows;  // 0-origin
    std::vector<ColumnWrite> writes;
    std::vector<i64> types;  // each column's type after the writes
};

// Checks every write (1, 3, 7) and works out the widened column types.
i64 CheckWrites(ColumnWrites* w);
// Makes the checked writes: the writes from the last to the first, each
// into the rows from the last to the first.
i64 ApplyWrites(ColumnWrites* w);
