// Reading delimited text: records, cells and the cell readers of []CSV.
// For the files of src/system only (and their unit tests).
#pragma once
#include <string>

#include "values/values.h"

// Longest column name or symbol cell: the longest text a symbol holds.
constexpr i64 CSV_SYMBOL_MAX = 127;

// The record starting at start of the n bytes at text: a line feed outside
// quotes ends it. Returns the position of that line feed (n at the end of
// the text), the record's cell count (separators outside quotes plus one)
// in *cells; -1 when the text ends inside quotes.
i64 CsvRecordEnd(const char* text, i64 n, i64 start, char sep, i64* cells);
// Narrows a record [*start, *end) by the blanks and tabs before it and the
// blanks, tabs and carriage returns after it, the separator excepted.
void CsvTrim(const char* text, i64* start, i64* end, char sep);

// The cells of one record, taken one at a time. A quote opens a quoted
// stretch, in which the separator and line ends are text and a doubled
// quote is one quote; the quote that closes it is not text.
struct csv_cells {
    const char* at;
    const char* end;
    char sep;
    bool done;
};
csv_cells CsvCells(const char* start, const char* end, char sep);
// The next cell's text into cell; false when the record has no more.
bool CsvNextCell(csv_cells* c, std::string* cell);

// Cell readers; blanks around a cell are ignored and a sign is "+", "-" or
// "_". An integer cell is an optionally signed decimal integer of at most
// 9223372036854775807 in size; a float cell a number as C reads a double in
// decimal, whole ("inf" and "nan" too, "_" taken as minus, also in the
// exponent). Each gives CSV_NUMBER with the value, else why not.
enum csv_number : i64 {
    CSV_NUMBER = 0,      // read whole
    CSV_NOT_NUMBER = 1,  // not a number of the column's kind
    CSV_BEYOND = 2,      // an integer beyond 64 bits
};
csv_number CsvInt(const char* s, i64* value);
csv_number CsvFloat(const char* s, double* value);
// A month, date, datetime, minute, second or time cell (blanks around it
// ignored) in its literal form, a date also as month/day/yy: 0 with the
// value in *word (*real for a datetime), or E_DATETIME_VALUE.
i64 CsvTemporal(const char* s, i64 type, i64* word, double* real);
