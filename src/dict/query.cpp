// The query function do: a statement given as text runs through the query
// prelude, functions written in Zem and kept in the interpreter as text
// (src/dict/prelude.zsf, with the standard functions of standard.zsf), which
// the first do loads into the workspace.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dict/dict.h"
#include "dict/preludetext.h"
#include "eval/eval.h"
#include "parser/parser.h"
#include "values/linelist.h"
#include "values/operand.h"

dict_handovers dict_up{};

namespace {

// The prelude line that copies the standard functions in: the embedded
// standard text runs in its place, so no file is read.
constexpr const char* FCOPY_STANDARD = ")fcopy standard";

zem_line* push_lines(zem_line* at, const char* const* lines, i64* count, i64* longest) {
    for (; *lines; lines++) {
        at = eLine_push(at, *lines, (*count)++);
        *longest = std::max(*longest, static_cast<i64>(std::strlen(*lines)));
    }
    return at;
}

i64 empty_result(i64 res) {
    i64 dims[1] = {0};
    return errchk = NewResult(res, TINT, 1, dims, 0);
}

}  // namespace

i64 FetchFunc() {
    zem_line* list = eLine_New();
    zem_line* at = list;
    i64 count = 0, longest = 0;
    for (const char* const* p = prelude_lines; *p; p++) {
        const char* one[2] = {*p, nullptr};
        at = push_lines(at, std::strcmp(*p, FCOPY_STANDARD) == 0 ? standard_lines : one, &count,
                        &longest);
    }
    i64 code = dict_up.read_lines(list, nullptr, longest);
    eLine_free(list);
    return errchk = code;
}

namespace {

// do after its operand's checks: loads the prelude at the first use and runs
// the statement under []IO 0.
i64 run_query(i64* res, i64 rc, i64 rv, i64 temp, i64 row, i64 depth, i64* io) {
    if (GenStore(*io, 0, -1)) return errchk;  // constant 0: the prelude counts from 0
    const val_item* R = opnd(rc, rv);
    if (R->count == 0) return empty_result(*res);
    // The call text is made before the prelude loads: loading runs statements
    // of its own, and the operand may be one of this statement's temporaries.
    i64 length = 0;
    char* call = conq2(static_cast<const char*>(getptV(const_cast<val_item*>(R))), R->count,
                       &length);
    if (!loado) {
        loadb = loado = true;
        line_context within{temp, depth, io};
        dict_up.set_context(&within);
        i64 code = FetchFunc();
        dict_up.set_context(nullptr);
        loadb = false;
        if (code) {
            // A half-loaded prelude is not used: the next do loads it again.
            loado = false;
            std::free(call);
            return errchk = E_PRELUDE_LOAD;
        }
    }
    errchk = 0;
    i64 r = dict_up.run_text(*res, call, length + 1, temp, row, depth, io);
    std::free(call);
    if (errchk) return errchk;
    *res = r;
    return 0;
}

// The text a local of the prelude holds, empty when it holds none.
std::string local_text(const char* local) {
    i64 at[2];
    GetNamex(local, at);
    if (at[0] < 0 || at[1]) return "";
    const val_item* v = &vtable[at[0]];
    if (v->type != TCHAR || v->rank > 1 || v->count == 0) return "";
    return std::string(static_cast<const char*>(getptV(const_cast<val_item*>(v))),
                       static_cast<size_t>(v->count));
}

// The name has a value or is a function.
bool has_value(const std::string& name) {
    i64 at[2] = {-1, 0};
    if (name.size() < NAMESIZE) GetNamex(name.c_str(), at);
    return at[0] >= 0 && (at[1] || vtable[at[0]].rank >= 0);
}

bool name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The first name of the Zem text that has no value, empty when there is
// none: a run of letters, digits and _ that begins with a letter, outside
// quotes, after no backquote, digit, dot or "[]" (a system name), and not
// assigned to ("a<-").
std::string first_unset(const std::string& text) {
    bool quoted = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '\'') quoted = !quoted;
        if (quoted || !std::isalpha(static_cast<unsigned char>(c))) continue;
        char before = i ? text[i - 1] : ' ';
        size_t end = i;
        while (end < text.size() && name_char(text[end])) end++;
        std::string name = text.substr(i, end - i);
        size_t next = text.find_first_not_of(' ', end);
        bool assigned = next != std::string::npos && text.compare(next, 2, "<-") == 0;
        if (before != '`' && before != '.' && before != ']' && !name_char(before) && !assigned &&
            !has_value(name))
            return name;
        i = end - 1;
    }
    return "";
}

// A query that failed for want of a value says which: its table (the
// prelude holds the name of the table a statement reads in QUERY_TABLE),
// or a name in the columns LOAD TABLE makes (QUERY_COLUMNS).
void name_unset() {
    std::string table = local_text(QUERY_TABLE);
    if (!table.empty() && !has_value(table)) {
        std::printf("table not found: %s\n", table.c_str());
        return;
    }
    std::string name = first_unset(local_text(QUERY_COLUMNS));
    if (!name.empty()) std::printf("name not found: %s\n", name.c_str());
}

}  // namespace

// The statement runs under []IO 0; the caller's origin comes back when do
// returns, whether the statement ran, was refused or failed.
i64 PfDo(i64* res, i64 rc, i64 rv, i64 temp, i64 row, i64 depth, i64* io) {
    const val_item* R = opnd(rc, rv);
    if (R->rank < 0) return errchk = E_VALUE;
    if (R->type != TCHAR) return errchk = E_TYPE;
    if (R->rank > 1) return errchk = E_RANK;
    i64 slot = *io;
    i64 origin = IoOrigin(slot) == 1 ? 1 : 0;
    i64 code = run_query(res, rc, rv, temp, row, depth, io);
    if (code == E_VALUE) name_unset();
    if (GenStore(slot, origin, -1)) return errchk;  // constants 0 and 1 are the origins
    return errchk = code;
}
