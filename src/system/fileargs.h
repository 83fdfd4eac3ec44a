// The arguments and small results of the file quad functions: the text of
// an operand, the file a name stands for, a whole file read into text, and
// the integer, text and list-of-texts results.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "values/values.h"

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
