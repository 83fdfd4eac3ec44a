// Script files: what the line runner, the block readers and the writer
// share. Not for the rest of the interpreter (see system.h).
#pragma once
#include <string>
#include <vector>

#include "parser/parser.h"
#include "system/system.h"
#include "values/errors.h"

constexpr i64 SCRIPT_WIDTH_MIN = 5000;    // least work-line width of a run
constexpr i64 SCRIPT_NEST_MAX = 32;       // scripts running inside one another
constexpr i64 SYMBOL_MAX = NAMESIZE - 1;  // characters of a name or symbol

// ---- walking the lines of a run (scriptrun.cpp) ---------------------------------

struct script_walk {
    zem_line* line;    // the current line; nullptr past the last one
    i64 number;        // its number, 0 for the first line after the head
    i64 total;         // lines in the list
    i64 width;         // the run's work-line width
    std::string work;  // the current line cleaned, see WalkText
    // A statement still open at the end of the list: the line whose "("
    // stayed open, where the failure is reported (nullptr: none).
    zem_line* unclosed;
    i64 unclosednumber;
};

// 0, or 5 ("stack full", printed unless the prelude loads) when
// SCRIPT_NEST_MAX runs are already in progress.
i64 ScriptNestCheck();
// Starts a walk at the first line after the list's head.
void WalkStart(script_walk* w, zem_line* list, i64 width);
// The current line cleaned (CleanB: leading blanks and tabs, a comment and
// trailing blanks cut), kept in the walk's work line until the next call;
// "" past the end.
char* WalkText(script_walk* w);
// The current line as read from the file ("" past the end).
const char* WalkRaw(const script_walk* w);
void WalkNext(script_walk* w);
// Lines left from the current one on.
inline i64 WalkLeft(const script_walk* w) { return w->total - w->number; }

// ---- blocks (scriptfunc.cpp, scriptvars.cpp) ---------------------------------------

// A cleaned line opening a function block ("@.").
bool IsFunctionBlock(const char* text);
// A cleaned line opening a variable block ("&", blanks, a letter).
bool IsVariableBlock(const char* text);
// Read the block that opens at the current line and leave the walk on the
// line after it. 0, or 83 / 82 for a block that cannot be read (nothing of
// it is kept).
i64 ReadFunctionBlock(script_walk* w);
i64 ReadVariableBlock(script_walk* w);

// ---- element words (scriptwords.cpp) ----------------------------------------------
// Each reader takes the word at text[*p] and leaves *p after it; false for
// a word that is not an element of its type. What follows the word is the
// caller's to check.

bool ReadIntWord(const char* text, i64* p, i64* out);
bool ReadFloatWord(const char* text, i64* p, double* out);
bool ReadComplexWord(const char* text, i64* p, double* re, double* im);
// A backquote and a symbol text: a name, a run of primitive symbols, a
// quoted text (quotes inside doubled), or nothing (the empty symbol). The
// text goes to out (SYMBOL_MAX characters at most).
bool ReadSymbolWord(const char* text, i64* p, std::string* out);
// The date or time literals of the given type in one word, read as the
// literal reader reads them (months need no blank between them), or that
// type's null text; out gets the packed elements (a datetime's double as its
// bits).
bool ReadTemporalWords(i64 type, const char* text, i64* p, std::vector<i64>* out);
// One date or time literal of the given type (or its null text) in one word.
bool ReadTemporalWord(i64 type, const char* text, i64* p, i64* out);
// Whether "`" and the text read back as that symbol; else it is written
// quoted.
bool IsPlainSymbol(const char* text);
