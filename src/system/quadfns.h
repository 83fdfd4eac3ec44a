// The monadic quad functions' routines, for the files of src/system that
// serve them; PfqdMon (system/system.h) dispatches to them by code. Each
// returns an error code, also left in errchk.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "values/values.h"

i64 QdCR(i64 res, const val_item* arg);
i64 QdAI(i64 res, const val_item* arg);
i64 QdCSV(i64 res, const val_item* arg);
i64 QdOpen(i64 res, const val_item* arg);
i64 QdClose(i64 res, const val_item* arg);
i64 QdWrite(i64 res, i64 rc, i64 rv);
i64 QdGet(i64 res, const val_item* arg);
// Writes a value to an open file as lines of text (a table or keyed table
// in its CSV layout), flushed; 0, E_TYPE for a list, dictionary or
// enumeration, E_WS_FULL when a line's text cannot be had (what was
// written stays), E_FILE_WRITE when writing failed.
i64 QdWriteFile(FILE* fp, val_item* v);

// The file a quad function's name argument stands for (ResolvePath); 0, or
// E_PATH for a name holding a zero byte or too long.
i64 QuadPath(const std::string& name, char* file);

// The whole of a file into text; E_PATH when it cannot be opened or is a
// directory, E_FILE_READ when reading it fails.
i64 ReadWholeFile(const char* file, std::string* text);

// ---- small results ------------------------------------------------------------
i64 IntScalarResult(i64 res, i64 x);
// A character vector of the n bytes at text.
i64 TextResult(i64 res, const char* text, i64 n);
// A list of character vectors, one per text.
i64 TextListResult(i64 res, const std::vector<std::string_view>& texts);
// The text of a character vector or scalar operand; false for another type
// or rank.
bool OperandText(const val_item* v, std::string* out);
