// Texts of elements and table cells for the dictionary and table displays
// (inside the display only). Texts of any length: a character-matrix row is
// taken whole.
#pragma once
#include <string>

#include "display/display.h"

// Elements of a simple value; a character matrix counts its rows.
i64 ElementCount(const val_item* v);
// Element k's text (FillTemp's, unpadded); a character matrix's row k.
std::string ElementString(val_item* v, i64 k);
// All elements' texts, one blank apart; a text is its characters.
std::string ElementsString(val_item* v);
// Cell k of a table column: a list column's item as its text, a row of a
// character matrix, else element k; empty past the column's end.
std::string CellString(val_item* col, i64 k);
