// The blocks value data lives in, seen from outside the store: the named
// blocks of the arena and the large blocks. The workspace file writes and
// rebuilds them through this, never through their headers.
#pragma once
#include <vector>

#include "values/values.h"

struct data_block {
    char* data;
    i64 size;      // bytes of data
    void* handle;  // the store's own record of the block
    bool large;    // a large block, else a named block of the arena
};

// The address of a byte of the arena, by its offset (0 to ARENA_SIZE).
char* ArenaByte(i64 offset);
// The named blocks from r15 to the top of the arena; false when their
// headers do not tile that region exactly.
bool NamedBlocks(std::vector<data_block>& out);
// The large blocks.
void LargeBlocks(std::vector<data_block>& out);
// The named region's bytes (r15 to the top) with the blocks' owners, which
// are addresses, left out.
void NamedImage(std::vector<char>& out);
// A fresh large block of size bytes (its data not cleared); its data is
// nullptr, with E_WS_FULL in errchk, when the memory cannot be had.
data_block NewLargeBlock(i64 size);
// Whether the descriptor holds a reference count on the block, as the store
// counts them (its byte count is the block's).
bool HoldsBlock(const val_item* d, const data_block& b);
// Settles a block after its values were read in: its owner, reference
// count and whether it holds descriptors; a block no value uses is given up.
void SettleBlock(const data_block& b, bool used, val_item* owner, i64 count, bool items);
