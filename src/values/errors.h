// Error codes. A routine returns 0 on success or one of these codes, and
// leaves the same code in errchk; the line driver and the system commands
// turn a code into its message with errmsg. The messages are in errors.cpp.
#pragma once
#include <cstdint>

enum errcode : int64_t {
    E_OK = 0,                      // success
    E_DOMAIN = 1,                  // "domain error"
    E_RANK = 2,                    // "rank error"
    E_LENGTH = 3,                  // "length error"
    E_VALUE = 4,                   // "value error": an operand has no value
    E_STACK_FULL = 5,              // "stack full"
    E_WS_FULL = 6,                 // "workspace full"
    E_TYPE = 7,                    // "type error"
    E_NAME_START = 8,              // "name must start with a letter"
    E_GLIST_FULL = 9,              // "glist full"
    E_VAR_AS_FN = 10,              // "variable cannot be a function name"
    E_ASSIGN_EXPECTED = 11,        // "<- expected"
    E_FN_NAME_EXPECTED = 12,       // "function name expected"
    E_NAME_EXPECTED = 13,          // "name expected"
    E_MISSING_FN = 14,             // "illegal appearance of var/num ..."
    E_VALENCE = 15,                // "function valence not fit"
    E_SYNTAX = 16,                 // "syntax error"
    E_LEFT_MISSING = 17,           // "left argument missing"
    E_INNER_NOT_SCALAR = 18,       // "inner prod. can only apply to scalar fns"
    E_PAREN_MISSING_FN = 19,       // "illegal appear. if '(' ..."
    E_OUTER_NOT_DYADIC = 20,       // "only dyadic function can be in outer product"
    E_UNPAIRED = 21,               // "unpaired parentheses or brackets"
    E_RPAREN_EXPECTED = 22,        // "right parenthesis expected"
    E_DEFN = 23,                   // "defn error"
    E_IO = 24,                     // "[]IO error"
    E_INDEX = 25,                  // "index error"
    E_STRUCTURE = 26,              // "structure error"
    E_RESTRICTION = 27,            // "compiler restriction on, axis and format. ..."
    E_AXIS_SPEC = 28,              // "axis specification wrong, ..."
    E_RBRACKET_EXPECTED = 29,      // "right bracket expected"
    E_AXIS = 30,                   // "axis error"
    E_TIME_FORMAT = 31,            // "error time format"
    E_TIME_TABLE_FULL = 32,        // "time table is full"
    E_DATETIME_VALUE = 33,         // "date or time value error"
    E_TIME_MIX = 34,               // "different time formats"
    E_DATE_RANGE = 35,             // "date starts from 2000 to 2100"
    E_QUIET = 36,                  // no message: errmsg prints an empty line
    E_VALUE_NOT_FOUND = 37,        // "value not found"
    E_KEY_NOT_FOUND = 38,          // "key not found"
    E_PARSE = 42,                  // "parsing error"
    E_NOT_BUILT = 43,              // "primitive function not yet implemented"
    E_BRANCH_RESTRICTION = 44,     // "branch restrictions"
    E_BRANCH_FORMAT = 45,          // "branch format error"
    E_SYSVAR_NOT_BUILT = 46,       // "system variable not yet implemented"
    E_RESULT_REQUIRED = 47,        // "return value required"
    E_CSV_ARGUMENT = 48,           // "csv argument error"
    E_COMMAND = 71,                // "incorrect command"
    E_CLEAR_WS_NOT_SAVED = 72,     // "not saved, this is a clear workspace"
    E_FILE_NAME_MISSING = 73,      // "must provide a file name"
    E_SAVE_FAILED = 74,            // "unexpected error while saving"
    E_BAD_PATH_OR_NAME = 75,       // "wrong path or file name"
    E_PATH = 76,                   // "path error"
    E_WSID_TOO_LONG = 77,          // "maximum 20 in workspace name"
    E_LIBRARY_REF = 78,            // "improper library reference"
    E_FN_NOT_LISTED = 80,          // "function required was not inserted ..."
    E_FN_NO_LINES = 81,            // "function with no lines(include head line)"
    E_GET_VARIABLE = 82,           // "get variable error"
    E_GET_FUNCTION = 83,           // "get function error"
    E_TABLE_FULL = 84,             // "one table is full"
    E_PATTERN = 85,                // "pattern error on the right argument"
    E_PATTERN_TYPE = 86,           // "pattern must be char and rank < 2"
    E_BRACE_LINE = 87,             // "a brace line must be {name} to show ..."
    E_UNDER_CONSTRUCTION = 99,     // "under construction", and a request to report it
    E_BRANCH_TEXT = 100,           // no message: a computed branch met a text (printed)
    E_TABLE_COLUMNS = 200,         // "Table columns mismatch"
    E_TABLE_COLUMN_MISSING = 201,  // "Table columns not found"
    E_TABLE_KEYS = 202,            // no message: a dictionary's keys name no columns
    E_ENUM_DOMAIN = 203,           // no message: appended rows outside an enumeration's domain
    E_KEY_COLUMNS = 204,           // no message: an index names other columns than the keys
    E_PRELUDE_LOAD = 205,          // no message: the query prelude could not be loaded
    E_COLUMN_REPEATED = 206,       // no message: a column name given twice
    E_FILE_WRITE = 300,            // "writing file error"
    E_FILE_READ = 301,             // "reading file error"
    E_WS_VERSION = 302,            // "workspace version error"
    E_TOO_MANY_FILES = 350,        // "no more than 1000 files opened at the same time"
    E_NOT_OPENED = 351,            // "not opened"
    E_NO_FILE = 500,               // "the file does not exist"
    E_ILLEGAL_NAME = 501,          // "need an legal name"
    E_NO_SUCH_COMMAND = 502,       // "no such command"
    E_EXTRA_ARGUMENTS = 503,       // "extra arguments found"
};

// A refusal that can say more than its code's message: ErrSay leaves the
// words that the next errmsg of that code prints in place of the message,
// and returns the code. A new line forgets words no message used (ErrForget).
int64_t ErrSay(int64_t code, const char* words);
void ErrForget();
// Message text of an error code, or nullptr when the code has none.
const char* errtext(int64_t code);
// Prints "Error: " and the code's message on a line of its own.
void errmsg(int64_t code);
// The routine of everything not built yet: E_NOT_BUILT, also left in errchk.
int64_t NotBuilt();
