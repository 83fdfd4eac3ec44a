// The monadic quad functions: their dispatch by code, a function's text
// ([]CR) and the clock ([]AI); the file functions live beside this file.

#include <algorithm>
#include <cstring>
#include <ctime>

#include "dict/dict.h"
#include "eval/eval.h"
#include "parser/parser.h"
#include "system/quadfns.h"
#include "system/system.h"
#include "values/fcodes.h"
#include "values/operand.h"

// ---- []CR --------------------------------------------------------------------------

// The name a []CR argument gives: a character vector or scalar, or a
// one-element symbol.
static i64 cr_name(const val_item* arg, std::string* name) {
    if (arg->type == TCHAR) {
        if (arg->rank > 1) return E_RANK;
        OperandText(arg, name);
        return 0;
    }
    if (arg->type != TSYM) return E_TYPE;
    if (!single(arg)) return E_RANK;
    i64 id = arg->dim0;
    if (id > 0 && id <= sindex && psym[id])
        name->assign(psym[id]->str.text, static_cast<size_t>(psym[id]->str.len));
    return 0;
}

// The record of the defined function a name gives, or nullptr (no such
// function, or one of the query prelude's).
static zem_func* defined_function(const std::string& name) {
    if (name.empty() || name.size() >= NAMESIZE || name.find('\0') != std::string::npos)
        return nullptr;
    i64 g = FnFindName(name.c_str(), 'G');
    if (g < 0 || gnametable[g].kind != 'F' || DBListN(name.c_str())) return nullptr;
    i64 row = gnametable[g].index;
    return row >= FIRSTFN && row <= lstfx ? functable[row].func : nullptr;
}

i64 QdCR(i64 res, const val_item* arg) {
    std::string name;
    if (i64 rc = cr_name(arg, &name)) return errchk = rc;
    zem_func* f = defined_function(name);
    i64 rows = f ? f->nsrc : 0, cols = 0;
    for (i64 r = 0; r < rows; r++) {
        const zem_line* l = FunNthLine(f->src, r);
        if (l && l->text) cols = std::max(cols, static_cast<i64>(std::strlen(l->text)));
    }
    i64 dims[2] = {rows, cols};
    if (NewResult(res, TCHAR, 2, dims, rows * cols)) return errchk;
    char* data = static_cast<char*>(getptV(&vtable[res]));
    for (i64 r = 0; r < rows; r++) {
        const zem_line* l = FunNthLine(f->src, r);
        i64 n = l && l->text ? static_cast<i64>(std::strlen(l->text)) : 0;
        if (n) std::memcpy(data + r * cols, l->text, static_cast<size_t>(n));
        std::memset(data + r * cols + n, ' ', static_cast<size_t>(cols - n));
    }
    return errchk = 0;
}

// ---- []AI --------------------------------------------------------------------------

constexpr i64 AI_CLOCK = 2;  // the one []AI request served: processor time

i64 QdAI(i64 res, const val_item* arg) {
    if (!isinttype(arg->type)) return errchk = E_TYPE;
    if (!single(arg)) return errchk = E_DOMAIN;
    if (arg->dim0 != AI_CLOCK) return errchk = E_NOT_BUILT;
    return IntScalarResult(res, static_cast<i64>(std::clock()) - stdtim);
}

// ---- dispatch ----------------------------------------------------------------------

i64 PfqdMon(i64 code, i64 res, i64 rc, i64 rv) {
    const val_item* arg = opnd(rc, rv);
    if (arg->rank < 0) return errchk = E_VALUE;
    switch (code) {
    case FC_QD_FX: return NewResult(res, TINT, 1, nullptr, 0);  // nothing to do
    case FC_QD_CR: return QdCR(res, arg);
    case FC_QD_AI: return QdAI(res, arg);
    case FC_QD_CSV: return QdCSV(res, arg);
    case FC_QD_OPEN: return QdOpen(res, arg);
    case FC_QD_CLOSE: return QdClose(res, arg);
    case FC_QD_WRITE: return QdWrite(res, rc, rv);
    case FC_QD_GET: return QdGet(res, arg);
    default: return errchk = E_SYSVAR_NOT_BUILT;
    }
}
