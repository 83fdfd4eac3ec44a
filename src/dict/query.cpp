// The query function do: a statement given as text runs through the query
// prelude, functions written in Zem and kept in the interpreter as text
// (src/dict/prelude.zsf, with the standard functions of standard.zsf), which
// the first do loads into the workspace.
#include <algorithm>
#include <cstdlib>
#include <cstring>

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
    if (GenStore(slot, origin, -1)) return errchk;  // constants 0 and 1 are the origins
    return errchk = code;
}
