// Execute: runs a character vector or a one-element symbol as statements in
// the context of the running line and yields the value of the last one.
// Unlike the other primitives it returns the slot holding its result; its
// error is in errchk.
#include <cstdlib>
#include <cstring>

#include "eval/eval.h"
#include "parser/parser.h"
#include "values/registers.h"

// Marks res as holding no value: nothing is shown, and using it is a value
// error.
static i64 no_value(i64 res) {
    vtable[res].rank = -1;
    exeout = 0;
    errchk = 0;
    return res;
}

static bool blank(const char* s) {
    for (; *s; s++)
        if (*s != ' ' && *s != '\t') return false;
    return true;
}

i64 PfExecu(i64 res, i64 rc, i64 rv, i64 temp, i64 row, i64 depth, i64* io) {
    const val_item* R = opnd(rc, rv);
    if (R->rank < 0) return errchk = E_VALUE;
    SetNames(1, 5, res, -1, -1, rc, rv);
    if ((R->type != TCHAR && R->type != TSYM) || R->rank > 1) return errchk = E_DOMAIN;
    if (R->count == 0) return no_value(res);
    if (R->type == TSYM && R->count != 1) return errchk = E_RANK;
    const char* text;
    i64 len;
    if (R->type == TSYM) {
        if (R->dim0 < 0 || R->dim0 > sindex) return errchk = E_DOMAIN;
        const sym_node* s = psym[R->dim0];
        text = s->str.text;
        len = s->str.len;
    } else {
        text = static_cast<const char*>(getptV(const_cast<val_item*>(R)));
        len = R->count;
    }
    char* buf = static_cast<char*>(std::malloc((size_t)len + 11));
    if (!buf) return errchk = E_WS_FULL;
    std::memcpy(buf, text, (size_t)len);
    buf[len] = 0;
    preproc(buf);
    // The text as cut at its comment: a comment's words never run.
    if (blank(buf)) {
        std::free(buf);
        return no_value(res);
    }
    i64 r = PfExecuSub(res, buf, (i64)std::strlen(buf) + 1, temp, row, depth, io);
    std::free(buf);
    return r;
}

// The value the text's last statement left as the result of res: the
// constant -r when exeout says so (0 too: the fixed constant 0), else slot
// r, or none when r is 0.
static i64 deliver(i64 res, i64 r) {
    if (exeout != 2 && r == 0) return no_value(res);
    if (exeout == 2) {
        GenStore(res, -r, -1);
        return errchk ? errchk : res;
    }
    if (isnamedslot(r) || r == res) return r;
    GenStore(res, -1, r);
    return errchk ? errchk : res;
}

i64 PfExecuSub(i64 res, char* text, i64 length, i64 temp, i64 row, i64 depth, i64* io) {
    // The text's records are given back once it has run, so that a text run
    // again and again within one line does not fill the tables; those of a
    // text that failed stay, a suspended call may run from them.
    parse_mark mark = ParseMark();
    i64 lock = exelock;
    exelock = 1;
    i64 r = ExecParse(text, length, temp, row, depth, io);
    exelock = lock;
    if (errchk) return errchk;
    r = deliver(res, r);
    if (!errchk) ParseRelease(mark);
    return r;
}
