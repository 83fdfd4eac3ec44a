// The sorted name listing: global functions or variables in columns, for
// the listing commands.
#pragma once
#include "values/values.h"

// Creates the root of the name-listing trie.
void InitNval();
// Prints the global functions ('F') or the variables holding a value ('V'),
// beginning with prefix, sorted digits, capitals, "_", small letters, in
// columns. Returns 0, or -1 (nothing printed) when no name has the prefix.
i64 sort_fns(const char* prefix, char kind);
// The value of the name's leaf of the given kind in the listing trie, or -1.
i64 nsrh(const char* name, char kind);
