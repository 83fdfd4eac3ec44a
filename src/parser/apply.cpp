// Applying a primitive symbol: the valence rule and the derived codes of
// reduce, scan, inner product and axis.
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

#include "parser/parse_state.h"
#include "parser/parser.h"
#include "values/fcodes.h"

// f' of a symbol: its code, plus 1 for codes of monadic-dyadic pairs.
static i64 Dyadic(i64 s) {
    i64 c = PfnList(s);
    return c >= FC_PAIRED_FIRST && c <= FC_PAIRED_LAST ? c + 1 : c;
}

// Code of a symbol applied with a value on its left.
static i64 Valence(i64 s) {
    if (s == 47) return PfnList(s);  // ",." stays 66
    return Dyadic(s);
}

// Inner product "f:g"; cursor is just after f.
bool Stmt::InnerCode(i64 f, i64* code) {
    if (!(inSF0(f) || inSF2(f)) || At(cursor) != ':') return false;
    i64 save = cursor;
    cursor++;
    i64 g = GetAsymb(At(cursor), 1, text);
    if (!(inSF0(g) || inSF2(g) || g == 10)) {
        cursor = save;
        return false;
    }
    cursor++;
    *code = Dyadic(g) + 100 * Dyadic(f);
    return true;
}

// Reduce or scan "f/", "f\", "f/.", "f\."; cursor is on the operator.
i64 Stmt::ReduceCode(i64 s, i64* code) {
    bool scan = At(cursor) != '/';
    cursor++;
    bool first = At(cursor) == '.';
    if (first) cursor++;
    i64 add = scan ? (first ? FC_SCAN1 : FC_SCAN) : (first ? FC_REDUCE1 : FC_REDUCE);
    i64 f = Dyadic(s);
    if (f >= FC_UNPACK) {
        if (s == 61) f = FC_AND;
        else if (s == 58) f = FC_EQ;
        else return E_SYNTAX;
    } else if (f < FC_PAIRED_FIRST) {
        if (s == 25) f = FC_LT;
        if (s == 24) f = FC_GT;
    }
    *code = f + add;
    return 0;
}

// Axis "f[k]"; cursor is on the "[". The axis number becomes part of the code.
i64 Stmt::Axis(i64 s, bool dyadic, i64* code) {
    i64 p = cursor + 1;
    if (At(p) == '-') text[p] = '_';
    if (!isdigit((unsigned char)At(p)) && At(p) != '_') return E_RESTRICTION;
    cursor = p;
    i64 k = Number(text);
    if (k < 0) return errchk ? errchk : E_RESTRICTION;
    val_item v = ctable[k];
    if (k == lstcx && k >= NFIXCONST) {  // the literal served only here
        ReleaseValue(&ctable[k]);
        memset(&ctable[k], 0, sizeof(val_item));
        lstcx--;
    }
    if (!single(&v)) return E_RESTRICTION;
    if (v.type != TINT && v.type != TFLOAT) return E_RESTRICTION;
    if (!iook) return E_IO;
    double kv = v.type == TINT ? (double)v.dim0 : *(double*)&v.dim0;
    double d = kv - (double)io;
    bool inrange = v.type == TINT && d >= 0 && d <= 5;
    if (!inrange) {
        if (!(s == 29 && dyadic && d > -1 && d != 0)) return d > -1 ? E_RESTRICTION : E_AXIS_SPEC;
        i64 lam = (i64)std::trunc(d) + (d > 0 ? 1 : 0);
        if (FC_LAMINATE + lam > FC_LAMINATE_LAST) return E_NOT_BUILT;
        *code = FC_LAMINATE + lam;
    } else {
        i64 a = (i64)d;
        if (!dyadic) {
            if (s != 31) return E_SYNTAX;
            *code = a == 0 ? FC_REVERSE1 : FC_REVERSE_AX + a;
            if (*code > FC_AXIS_LAST) return E_NOT_BUILT;
        } else if (s == 29) {
            *code = FC_CATENATE1 + a;
        } else if (s == 6) {
            *code = a == 0 ? FC_COMPRESS1 : FC_COMPRESS_AX + a;
        } else if (s == 8) {
            *code = a == 0 ? FC_EXPAND1 : FC_EXPAND_AX + a;
        } else {
            *code = a == 0 ? FC_ROTATE1 : FC_ROTATE_AX + a;
        }
    }
    if (At(cursor) != ']') return E_RBRACKET_EXPECTED;
    cursor++;
    return 0;
}

// A "/" or "\\" (just read, before cursor) that follows a function symbol
// with no value between them: "2+/v", a reduce given a left argument.
static bool reduce_with_left(const char* text, i64 cursor) {
    if (cursor < 2 || (text[cursor - 1] != '/' && text[cursor - 1] != '\\')) return false;
    char before = text[cursor - 2];
    if (IsBlank(before) || isnamechar(before) || std::strchr("()[];'`", before)) return false;
    return !(before == '-' && cursor >= 3 && text[cursor - 3] == '<');
}

constexpr const char* REDUCE_NO_LEFT =
    "reduce and scan take no left argument (there is no windowed reduce)";

// An assignment whose target is a function (node, -1 none): a syntax error,
// which says so when the function is a reserved one (key, value, ...).
static i64 reserved_target(i64 node) {
    if (node < 0 || parsetree[node].kind != 'F') return E_SYNTAX;
    const fn_node& f = fnodetable[parsetree[node].ref];
    if (f.kind != 'D' || f.code < 0 || f.code >= FIRSTFN) return E_SYNTAX;
    FnGetFullname(functable[f.code].gname, 'G');
    std::string words = std::string(fullname) + " is a reserved name and cannot be assigned";
    return ErrSay(E_SYNTAX, words.c_str());
}

static bool AxisSymbol(i64 s) { return s == 29 || s == 6 || s == 8 || s == 31; }

// A function of known code met at the scan position (quad functions).
i64 Stmt::ApplyCode(i64 code, bool quad) {
    if (!state && quad && (code == FC_QD_TS || code == FC_QD_READ))
        return PushValue(App('P', code, -1));
    return PushFunction('P', code);
}

// The symbol s has been read and cursor stands just after it.
i64 Stmt::ApplySymbol(i64 s) {
    i64 code = 0, rc = 0;
    bool axis = AxisSymbol(s) && At(cursor) == '[' && At(cursor + 1) != ']';
    if (state) {
        if (s == 65 || s == 70) {
            code = PfnList(s);
        } else if (InnerCode(s, &code)) {
        } else if (axis) {
            if ((rc = Axis(s, true, &code))) return rc;
        } else {
            code = Valence(s);
        }
        if (code == FC_ASSIGN) {
            const parse_node& t = parsetree[ops.back()];
            bool ok = t.kind == 'V' || t.kind == 'Z';
            if (t.kind == 'F') {
                const fn_node& f = fnodetable[t.ref];
                ok = f.kind == 'P' && (f.code == FC_INDEX || f.code == FC_EXECUTE);
            }
            if (!ok) return E_SYNTAX;
        }
        if ((rc = PushFunction('P', code))) return rc;
        if (s == 70) afterdot = true;
        if (code == FC_RESHAPE) hashend = cursor;
        return 0;
    }
    if (s == 65) {
        code = FC_QUOTE;
    } else if (At(cursor) == '/' || At(cursor) == '\\') {
        if ((rc = ReduceCode(s, &code))) return rc;
    } else if (inSF2(s) || inMF2(s)) {
        return reduce_with_left(text, cursor) ? ErrSay(E_LEFT_MISSING, REDUCE_NO_LEFT)
                                              : E_LEFT_MISSING;
    } else if (s == 31 && axis) {
        if ((rc = Axis(s, false, &code))) return rc;
    } else {
        code = PfnList(s);
        if (code == FC_ASSIGN) return reserved_target(ops.empty() ? -1 : ops.back());
    }
    return PushFunction('P', code);
}
