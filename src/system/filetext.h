// Text the file functions write and read: a buffered writer that remembers
// a failed write, element texts as other programs read them, the quoting of
// cells for CSV, XML and JSON, and the table writer. For the files of
// src/system that read and write user files only.
#pragma once
#include <cstdio>
#include <string>

#include "values/values.h"

// ---- buffered output ------------------------------------------------------------

// Text gathered in memory and written to fp in large pieces; ok turns false
// at the first failed write and stays so.
struct text_out {
    FILE* fp;
    std::string buf;
    bool ok = true;
    void put(const char* s, i64 n) {
        buf.append(s, static_cast<size_t>(n));
        if (buf.size() >= 1 << 16) drain();
    }
    void put(const std::string& s) { put(s.data(), static_cast<i64>(s.size())); }
    void ch(char c) {
        buf.push_back(c);
        if (buf.size() >= 1 << 16) drain();
    }
    // Writes what is gathered, then flushes the stream; ok tells the outcome.
    bool flush();
    void drain();
};

// ---- element texts -------------------------------------------------------------------

// The text of element k of a simple value as C and other programs read it:
// "-" for minus, integers in digits, floats as the shortest text that reads
// back the same double ("inf", "-inf"), symbols and characters as they
// stand, dates and times in their literal form; a null (integer, float,
// symbol, date or time) is the empty text. A character array counts its
// characters. Appends to out.
void FileElementText(val_item* v, i64 k, std::string& out);
// Elements start .. start+n-1 of a simple value seen as a vector (on the
// same data, a single element copied into the descriptor).
val_item RowView(const val_item* v, i64 start, i64 n);
// A simple value seen as a vector of all its elements, so that the elements
// of a character array count characters, not rows.
val_item FlatView(const val_item* v);
// All elements of a simple value of rank 0 or 1: a character value as its
// characters, any other as its element texts one blank apart (display
// texts when display is set, else file texts). Appends to out.
void ElementsText(val_item* v, bool display, std::string& out);
// Cell k of a table column: an element's file text, for a character matrix
// its row k without trailing blanks, or for a list column its item's text
// (ElementsText). Appends to out.
void CellText(val_item* column, i64 k, std::string& out);

// ---- quoting ----------------------------------------------------------------------------

// The length of the valid UTF-8 sequence at s (n bytes available) and its
// code point in *cp; 0 when the bytes there are no valid UTF-8 (overlong
// forms, surrogates and code points past U+10FFFF are not).
i64 Utf8Sequence(const unsigned char* s, i64 n, i64* cp);
// A CSV cell: quoted, with every inner quote doubled, when it holds the
// separator, a quote, CR or LF, or begins or ends with a blank or tab.
void CsvCell(std::string& out, const char* s, i64 n, char sep);
// XML character data: & < > as entities, CR as &#xD;, a control XML does
// not allow (all but tab, LF, CR) or U+FFFE/U+FFFF as &#xFFFD;, a byte that
// is no valid UTF-8 as &#xNN; of its Latin-1 meaning.
void XmlText(std::string& out, const char* s, i64 n);
// An XML element name: characters other than ASCII letters, digits, "-",
// "." and "_" become "_", and "_" goes first unless it starts with a letter
// or "_".
void XmlName(std::string& out, const char* s, i64 n);
// A JSON string with its quotes: \" \\ \n \r \t, other controls and bytes
// that are no valid UTF-8 as \u00NN.
void JsonString(std::string& out, const char* s, i64 n);

// ---- tables ------------------------------------------------------------------------------

// Layouts of WriteCX.
enum write_mode : i64 { WM_TAB = 0, WM_CSV = 1, WM_XML = 2, WM_JSON = 3 };
// Cell row of a table column quoted for a layout (sep: the CSV layout's
// separator), appended to out; text is scratch for the unquoted text.
void FillTempX(val_item* column, i64 row, char sep, i64 mode, std::string& out,
               std::string& text);
// Writes a table or keyed table (its key columns, then its value columns)
// in a layout; 0, E_UNDER_CONSTRUCTION for any other value (nothing
// written), or E_WS_FULL when a line's text cannot be had (written in
// part). Write failures show in out->ok.
i64 WriteCX(val_item* value, text_out* out, i64 mode);
