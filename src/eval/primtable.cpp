// The primitive table and the dispatch it drives.
#include "eval/primtable.h"
#include "dict/dict.h"
#include "display/display.h"
#include "eval/eval.h"

#include <cstddef>
#include "primitives/primitives.h"
#include "scalar/scalar.h"
#include "system/system.h"

namespace {

// ---- row builders: each takes the routine's own signature -----------------------

constexpr bool EACH = true;  // the each operator may apply it item by item
constexpr bool ALONE = false;

constexpr void set_fn(prim_row& r, prim_fn1 fn) { r.fn.f1 = fn; }
constexpr void set_fn(prim_row& r, prim_fn3 fn) { r.fn.f3 = fn; }
constexpr void set_fn(prim_row& r, prim_fn4 fn) { r.fn.f4 = fn; }
constexpr void set_fn(prim_row& r, prim_fn5 fn) { r.fn.f5 = fn; }
constexpr void set_fn(prim_row& r, prim_fn6 fn) { r.fn.f6 = fn; }
constexpr void set_fn(prim_row& r, prim_fn7 fn) { r.fn.f7 = fn; }
constexpr void set_fn(prim_row& r, prim_exec fn) { r.fn.exec = fn; }
constexpr void set_fn(prim_row&, std::nullptr_t) {}

template <class F>
constexpr prim_row bind(i64 first, i64 last, prim_valence v, prim_args a, bool io, bool each,
                        F fn) {
    prim_row r{first, last, v, a, io, each, {.f1 = nullptr}};
    set_fn(r, fn);
    return r;
}

template <prim_valence V, prim_args A, bool IO, class F>
constexpr prim_row build(i64 first, i64 last, F fn, bool each) {
    return bind(first, last, V, A, IO, each, fn);
}

// The builders of the rows, one for each way of taking arguments: each
// takes only a routine of its own signature.
constexpr auto monadic = build<PV_MONADIC, PA_R, false, prim_fn3>;            // (res, rc, rv)
constexpr auto monadic_io = build<PV_MONADIC, PA_R, true, prim_fn4>;          // (res, rc, rv, io)
constexpr auto monadic_code = build<PV_MONADIC, PA_CODE_R, false, prim_fn4>;  // (code, res, rc, rv)
constexpr auto monadic_code_io = build<PV_MONADIC, PA_CODE_R, true, prim_fn5>;  // ... io
constexpr auto dyadic = build<PV_DYADIC, PA_LR, false, prim_fn5>;    // (res, lc, lv, rc, rv)
constexpr auto dyadic_io = build<PV_DYADIC, PA_LR, true, prim_fn6>;  // ... io
constexpr auto dyadic_code =
    build<PV_DYADIC, PA_CODE_LR, false, prim_fn6>;  // (code, res, lc, lv, rc, rv)

// (code, res, lc, lv, rc, rv, transposed)
constexpr prim_row inner(i64 first, i64 last, prim_fn7 fn) {
    return bind(first, last, PV_DYADIC, PA_INNER, false, ALONE, fn);
}
constexpr prim_row niladic(i64 code, prim_fn1 fn) {  // (res)
    return bind(code, code, PV_NILADIC, PA_RES, false, ALONE, fn);
}
constexpr prim_row execute(i64 code, prim_exec fn) {
    return bind(code, code, PV_MONADIC, PA_EXECUTE, false, ALONE, fn);
}
// A code and valence without a routine yet, or without a use.
constexpr prim_row not_built(i64 first, i64 last, prim_valence v) {
    return bind(first, last, v, PA_NOT_BUILT, false, ALONE, nullptr);
}
constexpr prim_row refused(i64 first, i64 last, prim_valence v) {
    return bind(first, last, v, PA_REFUSED, false, ALONE, nullptr);
}

// ---- routines applied with fixed extra arguments -----------------------------------

i64 take_applied(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) { return PfTake(res, lc, lv, rc, rv, 1); }

i64 not_applied(i64 res, i64 rc, i64 rv) { return PfLogic(FC_NOT, res, -1, -1, rc, rv); }

// Unpack runs, but its result is not served yet.
i64 unpack_applied(i64 res, i64 rc, i64 rv) {
    PfUnpack(res, rc, rv);
    return NotBuilt();
}

constexpr i64 LASTCODE = INT64_MAX;

}  // namespace

// ---- the table -------------------------------------------------------------------------

const prim_row prim_rows[] = {
    // Structural, selection and search: dyadic.
    dyadic(FC_TAKE, FC_TAKE, take_applied, EACH),
    dyadic(FC_DROP, FC_DROP, PfDrop, EACH),
    dyadic_code(FC_COMPRESS, FC_COMPRESS1, PfCompre, EACH),
    dyadic_code(FC_EXPAND, FC_EXPAND1, PfExpand, EACH),
    dyadic(FC_MEMBER, FC_MEMBER, PfMembsp, EACH),
    dyadic(FC_DECODE, FC_DECODE, PfDecode, ALONE),
    dyadic(FC_ENCODE, FC_ENCODE, PfEncode, ALONE),
    dyadic_code(FC_OR, FC_NAND, PfLogic, EACH),
    dyadic_code(FC_LT, FC_EQ, PfCompb, EACH),
    dyadic_io(FC_DEAL, FC_DEAL, PfDeal, EACH),
    dyadic(FC_RESHAPE, FC_RESHAPE, GenReshp, EACH),
    dyadic_code(FC_CATENATE, FC_CATENATE, PfCatena, EACH),
    dyadic_io(FC_INDEXOF, FC_INDEXOF, GenIdxof, EACH),
    dyadic_code(FC_ROTATE, FC_ROTATE, PfRotate, EACH),
    dyadic_io(FC_TRANSPOSE2, FC_TRANSPOSE2, DpfTransp, EACH),
    dyadic_code(FC_ROTATE1, FC_ROTATE1, PfRotate, EACH),
    dyadic(FC_FORMAT2, FC_FORMAT2, PfForma2, ALONE),
    dyadic(FC_MATDIV, FC_MATDIV, PfDivide, EACH),

    // Structural and search: monadic.
    execute(FC_EXECUTE, PfExecu),
    monadic_code_io(FC_GRADEDOWN, FC_GRADEUP, PfGrade, EACH),
    monadic(FC_NOT, FC_NOT, not_applied, EACH),
    monadic_io(FC_ROLL, FC_ROLL, PfRandom, EACH),
    monadic(FC_SHAPE, FC_SHAPE, GenRho, EACH),
    monadic(FC_RAVEL, FC_RAVEL, PfRavel, EACH),
    monadic_io(FC_IOTA, FC_IOTA, PfIota, EACH),
    monadic_code(FC_REVERSE, FC_REVERSE, PfRevers, EACH),
    monadic(FC_TRANSPOSE, FC_TRANSPOSE, PfTransp, EACH),
    monadic_code(FC_REVERSE1, FC_REVERSE1, PfRevers, EACH),
    monadic(FC_FORMAT, FC_FORMAT, PfFormat, ALONE),
    monadic(FC_MATINV, FC_MATINV, PfInvert, EACH),

    // Scalar functions: the monadic and dyadic use of each symbol.
    monadic_code(FC_IDENTITY, FC_IDENTITY, PfScalar0, EACH),
    dyadic_code(FC_ADD, FC_ADD, PfScalar, EACH),
    monadic_code(FC_NEGATE, FC_NEGATE, PfScalar0, EACH),
    dyadic_code(FC_SUBTRACT, FC_SUBTRACT, PfScalar, EACH),
    monadic_code(FC_SIGNUM, FC_SIGNUM, PfScalar0, EACH),
    dyadic_code(FC_MULTIPLY, FC_MULTIPLY, PfScalar, EACH),
    monadic_code(FC_RECIPROCAL, FC_RECIPROCAL, PfScalar0, EACH),
    dyadic_code(FC_DIVIDE, FC_DIVIDE, PfScalar, EACH),
    monadic_code(FC_CEILING, FC_CEILING, PfScalar0, EACH),
    dyadic_code(FC_MAX, FC_MAX, PfScalar, EACH),
    monadic_code(FC_FLOOR, FC_FLOOR, PfScalar0, EACH),
    dyadic_code(FC_MIN, FC_MIN, PfScalar, EACH),
    monadic_code(FC_EXP, FC_EXP, PfScalar0, EACH),
    dyadic_code(FC_POWER, FC_POWER, PfScalar, EACH),
    monadic_code(FC_LN, FC_LN, PfScalar0, EACH),
    dyadic_code(FC_LOG, FC_LOG, PfScalar, EACH),
    monadic_code(FC_MAGNITUDE, FC_MAGNITUDE, PfScalar0, EACH),
    dyadic_code(FC_RESIDUE, FC_RESIDUE, PfScalar, EACH),
    monadic_code(FC_FACTORIAL, FC_FACTORIAL, PfScalar0, EACH),
    dyadic_code(FC_BINOMIAL, FC_BINOMIAL, PfScalar, ALONE),
    monadic_code(FC_PITIMES, FC_PITIMES, PfScalar0, EACH),
    dyadic_code(FC_CIRCLE, FC_CIRCLE, PfScalar, ALONE),

    // Axis forms.
    dyadic_code(FC_CATENATE1, FC_CATENATE_LAST, PfCatena, ALONE),
    dyadic_code(FC_COMPRESS_AX + 1, FC_COMPRESS_AX + 5, PfCompre, ALONE),
    dyadic_code(FC_EXPAND_AX + 1, FC_EXPAND_AX + 5, PfExpand, ALONE),
    dyadic_code(FC_LAMINATE, FC_LAMINATE_LAST, PfLami, ALONE),
    monadic_code(FC_REVERSE_AX + 1, FC_REVERSE_AX + 1, PfRevers, ALONE),
    monadic_code(FC_REVERSE_AX + 2, FC_REVERSE_AX + 5, PfRevers, EACH),
    dyadic_code(FC_ROTATE_AX + 1, FC_ROTATE_AX + 5, PfRotate, EACH),

    // Operators: reduce, scan, outer and inner product.
    monadic_code(FC_REDUCE + 1, FC_REDUCE + 99, PfReduct, EACH),
    monadic_code(FC_SCAN + 1, FC_SCAN + 99, GenScan, EACH),
    monadic_code(FC_REDUCE1 + 1, FC_REDUCE1 + 99, PfReduct, EACH),
    monadic_code(FC_SCAN1 + 1, FC_SCAN1 + 99, GenScan, EACH),
    dyadic_code(FC_OUTER + 1, FC_OUTER_LAST, PfOuterp, ALONE),
    dyadic_code(FC_OUTER2, FC_OUTER2_LAST, PfOuterp, ALONE),
    inner(FC_INNER, LASTCODE, PfInnerp),

    // Quad functions.
    monadic_code(FC_QUAD_FIRST, FC_QD_MONADIC_LAST, PfqdMon, ALONE),
    niladic(FC_QD_TS, PfQdzeroTS),
    niladic(FC_QD_READ, PfQdzeroInput),

    // List primitives.
    monadic(FC_UNPACK, FC_UNPACK, unpack_applied, ALONE),
    monadic(FC_ENCLOSE, FC_ENCLOSE, PfPack, ALONE),
    monadic(FC_TYPE, FC_TYPE, PfType, ALONE),
    monadic(FC_UNIQUE, FC_UNIQUE, PfUnique, EACH),
    monadic(FC_COUNT, FC_COUNT, PfCount, ALONE),
    monadic(FC_FIRST, FC_FIRST, PfFirst, EACH),
    monadic(FC_RAZE, FC_RAZE, PfRaze, EACH),
    monadic_io(FC_WHERE, FC_WHERE, PfWhere, EACH),
    monadic_io(FC_GROUP, FC_GROUP, PfGroup, ALONE),
    monadic_io(FC_PARTCOUNT, FC_PARTCOUNT, PfParct, ALONE),

    // Cut, dictionaries, dotted access, check, match and file append.
    dyadic(FC_CUT, FC_CUT, PfPart1, ALONE),
    refused(FC_QUOTE, FC_QUOTE, PV_DYADIC),  // the walker performs the each operator
    dyadic(FC_DICT, FC_DICT, PfDict, ALONE),
    dyadic(FC_DOT, FC_DOT, PfDots, ALONE),
    dyadic(FC_CHECK, FC_CHECK, PfCheck0, ALONE),
    dyadic(FC_MATCH, FC_MATCH, PfMatch, EACH),
    dyadic(FC_APPEND, FC_APPEND, PfFileAp, ALONE),
    refused(FC_RESERVED, FC_RESERVED_LAST, PV_DYADIC),
};

const i64 prim_nrows = sizeof prim_rows / sizeof prim_rows[0];

// ---- lookup ------------------------------------------------------------------------

namespace {

// Codes below FC_INNER are found through a dense index; the few rows that
// reach beyond it are searched.
struct prim_index {
    int16_t at[3][FC_INNER];
    prim_index() {
        for (auto& v : at)
            for (int16_t& a : v) a = -1;
        for (i64 i = prim_nrows - 1; i >= 0; i--) {  // the first row of a code wins
            const prim_row& r = prim_rows[i];
            for (i64 c = r.first < 0 ? 0 : r.first; c <= r.last && c < FC_INNER; c++)
                at[r.valence][c] = static_cast<int16_t>(i);
        }
    }
};

const prim_index& index_of_rows() {
    static const prim_index index;
    return index;
}

i64 call(const prim_row* r, i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io,
         i64 transposed) {
    if (!r) return NotBuilt();
    switch (r->args) {
    case PA_RES: return r->fn.f1(res);
    case PA_R: return r->io ? r->fn.f4(res, rc, rv, io) : r->fn.f3(res, rc, rv);
    case PA_CODE_R: return r->io ? r->fn.f5(code, res, rc, rv, io) : r->fn.f4(code, res, rc, rv);
    case PA_LR: return r->io ? r->fn.f6(res, lc, lv, rc, rv, io) : r->fn.f5(res, lc, lv, rc, rv);
    case PA_CODE_LR:
        return r->io ? r->fn.f7(code, res, lc, lv, rc, rv, io)
                     : r->fn.f6(code, res, lc, lv, rc, rv);
    case PA_INNER: return r->fn.f7(code, res, lc, lv, rc, rv, transposed);
    case PA_REFUSED: return errchk = E_DOMAIN;
    case PA_NOT_BUILT:
    case PA_EXECUTE:  // only the walker runs text: ApplyPrimitive
        break;
    }
    return NotBuilt();
}

}  // namespace

const prim_row* PrimRow(i64 code, prim_valence valence) {
    if (code >= 0 && code < FC_INNER) {
        i64 i = index_of_rows().at[valence][code];
        return i < 0 ? nullptr : &prim_rows[i];
    }
    for (i64 i = 0; i < prim_nrows; i++) {
        const prim_row& r = prim_rows[i];
        if (r.valence == valence && r.first <= code && code <= r.last) return &r;
    }
    return nullptr;
}

// ---- dispatch --------------------------------------------------------------------------

i64 ApplyPrimitive(i64 code, i64* res, i64 lc, i64 lv, i64 rc, i64 rv, const prim_context& cx,
                   bool each, i64 transposed) {
    bool dyadic = !(lc == -1 && lv == -1);
    const prim_row* r = PrimRow(code, dyadic ? PV_DYADIC : PV_MONADIC);
    if (r && r->args == PA_EXECUTE) {
        // Execute runs its text at once; the each operator does not apply.
        errchk = 0;
        i64 slot = r->fn.exec(*res, rc, rv, cx.temp, cx.row, cx.depth, cx.io);
        if (!errchk) *res = slot;
        return errchk;
    }
    if (each && dyadic) return PfEachDyc(code, *res, lc, lv, rc, rv, *cx.io);
    if (each && opnd(rc, rv)->type == TLIST) return PfEachMon(code, *res, rc, rv, *cx.io);
    return call(r, code, *res, lc, lv, rc, rv, *cx.io, transposed);
}

bool PrimNiladic(i64 code) { return PrimRow(code, PV_NILADIC) != nullptr; }

i64 ApplyNiladic(i64 code, i64 res) {
    return call(PrimRow(code, PV_NILADIC), code, res, -1, -1, -1, -1, -1, 0);
}

i64 DispatchDyadic(i64 code, i64 res, i64 lc, i64 lv, i64 rc, i64 rv, i64 io, i64 transposed) {
    return call(PrimRow(code, PV_DYADIC), code, res, lc, lv, rc, rv, io, transposed);
}

i64 DispatchMonadic(i64 code, i64 res, i64 rc, i64 rv, i64 io) {
    return call(PrimRow(code, PV_MONADIC), code, res, -1, -1, rc, rv, io, 0);
}

bool PrimEach(i64 code, bool dyadic) {
    const prim_row* r = PrimRow(code, dyadic ? PV_DYADIC : PV_MONADIC);
    return r && r->each;
}
