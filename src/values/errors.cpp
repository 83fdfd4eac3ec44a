// The error codes' messages and the error line.
#include <cstdio>
#include <string>

#include "values/values.h"

namespace {
struct message {
    i64 code;
    const char* text;
};

const message messages[] = {
    {E_DOMAIN, "domain error"},
    {E_RANK, "rank error"},
    {E_LENGTH, "length error"},
    {E_VALUE, "value error"},
    {E_STACK_FULL, "stack full"},
    {E_WS_FULL, "workspace full"},
    {E_TYPE, "type error"},
    {E_NAME_START, "name must start with a letter"},
    {E_GLIST_FULL, "glist full"},
    {E_VAR_AS_FN, "variable cannot be a function name"},
    {E_ASSIGN_EXPECTED, "<- expected"},
    {E_FN_NAME_EXPECTED, "function name expected"},
    {E_NAME_EXPECTED, "name expected"},
    {E_MISSING_FN, "illegal appearance of var/num due to missing function"},
    {E_VALENCE, "function valence not fit"},
    {E_SYNTAX, "syntax error"},
    {E_LEFT_MISSING, "left argument missing"},
    {E_INNER_NOT_SCALAR, "inner prod. can only apply to scalar fns"},
    {E_PAREN_MISSING_FN, "illegal appear. if '(' likely due to missing function"},
    {E_OUTER_NOT_DYADIC, "only dyadic function can be in outer product"},
    {E_UNPAIRED, "unpaired parentheses or brackets"},
    {E_RPAREN_EXPECTED, "right parenthesis expected"},
    {E_DEFN, "defn error"},
    {E_IO, "[]IO error"},
    {E_INDEX, "index error"},
    {E_STRUCTURE, "structure error"},
    {E_RESTRICTION, "compiler restriction on, axis and format. premature exit!"},
    {E_AXIS_SPEC, "axis specification wrong, may due to []IO=1"},
    {E_RBRACKET_EXPECTED, "right bracket expected"},
    {E_AXIS, "axis error"},
    {E_TIME_FORMAT, "error time format"},
    {E_TIME_TABLE_FULL, "time table is full"},
    {E_DATETIME_VALUE, "date or time value error"},
    {E_TIME_MIX, "different time formats"},
    {E_DATE_RANGE, "date starts from 2000 to 2100"},
    {E_QUIET, ""},
    {E_VALUE_NOT_FOUND, "value not found"},
    {E_KEY_NOT_FOUND, "key not found"},
    {E_PARSE, "parsing error"},
    {E_NOT_BUILT, "primitive function not yet implemented"},
    {E_BRANCH_RESTRICTION, "branch restrictions"},
    {E_BRANCH_FORMAT, "branch format error"},
    {E_SYSVAR_NOT_BUILT, "system variable not yet implemented"},
    {E_RESULT_REQUIRED, "return value required"},
    {E_CSV_ARGUMENT, "csv argument error"},
    {E_COMMAND, "incorrect command"},
    {E_CLEAR_WS_NOT_SAVED, "not saved, this is a clear workspace"},
    {E_FILE_NAME_MISSING, "must provide a file name"},
    {E_SAVE_FAILED, "unexpected error while saving"},
    {E_BAD_PATH_OR_NAME, "wrong path or file name"},
    {E_PATH, "path error"},
    {E_WSID_TOO_LONG, "maximum 20 in workspace name"},
    {E_LIBRARY_REF, "improper library reference"},
    {E_FN_NOT_LISTED, "function required was not inserted into function list!"},
    {E_FN_NO_LINES, "function with no lines(include head line)"},
    {E_GET_VARIABLE, "get variable error"},
    {E_GET_FUNCTION, "get function error"},
    {E_TABLE_FULL, "one table is full"},
    {E_PATTERN, "pattern error on the right argument"},
    {E_PATTERN_TYPE, "pattern must be char and rank < 2"},
    {E_BRACE_LINE, "a brace line must be {name} to show a function or {name:body} to define one"},
    {E_UNDER_CONSTRUCTION, "under construction"},
    {E_TABLE_COLUMNS, "Table columns mismatch"},
    {E_TABLE_COLUMN_MISSING, "Table columns not found"},
    {E_FILE_WRITE, "writing file error"},
    {E_FILE_READ, "reading file error"},
    {E_WS_VERSION, "workspace version error"},
    {E_TOO_MANY_FILES, "no more than 1000 files opened at the same time"},
    {E_NOT_OPENED, "not opened"},
    {E_NO_FILE, "the file does not exist"},
    {E_ILLEGAL_NAME, "need an legal name"},
    {E_NO_SUCH_COMMAND, "no such command"},
    {E_EXTRA_ARGUMENTS, "extra arguments found"},
};
}  // namespace

namespace {
i64 said_code = E_OK;  // the code the words below belong to
std::string said;      // the words ErrSay left, printed for said_code
}  // namespace

i64 ErrSay(i64 code, const char* words) {
    said_code = code;
    said = words;
    return code;
}

void ErrForget() {
    said_code = E_OK;
    said.clear();
}

const char* errtext(i64 code) {
    for (const message& m : messages)
        if (m.code == code) return m.text;
    return nullptr;
}

void errmsg(i64 code) {
    if (code == said_code && !said.empty()) {
        std::printf("Error: %s\n", said.c_str());
        ErrForget();
        return;
    }
    if (code != E_QUIET) {
        const char* text = errtext(code);
        std::printf("Error: %s", text ? text : "");
        if (code == E_UNDER_CONSTRUCTION)
            std::printf(
                " - please report this to the Zem maintainers, with the line that "
                "caused it. Thank you.");
    }
    std::printf("\n");
}

i64 NotBuilt() { return errchk = E_NOT_BUILT; }
