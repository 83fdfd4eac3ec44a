// The tree walker: evaluates one statement's parse records from its
// first-evaluated leaf up to the root, right operands before left ones,
// applying primitives by function code and performing the special forms.
//
// Every application writes its result into a fresh temporary; an assignment
// then copies or shares it into the variable. So a primitive that fails half
// way never touches the variable, which keeps its old value.
#include <vector>

#include "dict/dict.h"
#include "display/display.h"
#include "eval/eval.h"
#include "eval/primtable.h"
#include "parser/records.h"
#include "primitives/primitives.h"
#include "scalar/scalar.h"
#include "values/fcodes.h"

i64 idxafstk[IDXSTK];
i64 idxafstkpt = -1;
i64 idxtagstp = -1;

namespace {

// Pending index positions and list items (constant and value halves), and
// the column names of a table literal. They grow as needed, up to a limit
// beyond which the statement fails with "stack full".
constexpr size_t STACKLIMIT = 1 << 20;
std::vector<i64> stkc, stkv, tags;

struct Pair {
    i64 c, v;
};
constexpr Pair NONE = {-1, -1};

struct Walk {
    i64 row, mark, line, depth, io;
    i64 temp;   // temporary counter of this walk
    i64 fail;   // node at which the walk failed
    bool each;  // the each operator applies to the next application
    const walk_presets* known;  // nodes whose values are already made, or nullptr
};

parse_node& node(i64 n) { return parsetree[n]; }
fn_node& app(i64 n) { return fnodetable[parsetree[n].ref]; }
bool is_app(i64 n) { return n >= 0 && parsetree[n].kind == 'F'; }
bool is_prim(i64 n, i64 code) { return is_app(n) && app(n).kind == 'P' && app(n).code == code; }

Pair leaf(i64 n) {
    const parse_node& p = node(n);
    if (p.kind == 'C') return {p.ref, -1};
    if (p.kind == 'V') return {-1, p.ref};
    return NONE;
}

// No value: a variable never assigned, or an operand never produced.
bool undefined(Pair p) { return (p.c < 0 && p.v < 0) || ::undefined(p.c, p.v); }
bool named(Pair p) { return p.c < 0 && isnamedslot(p.v); }

bool is_temp_result(Pair p) { return p.c < 0 && p.v > 3 && istempslot(p.v) && p.v < VTSIZE; }

bool fail(Walk& w, i64 at, i64 code) {
    w.fail = at;
    if (code) errchk = code;
    return false;
}

bool new_temp(Walk& w, i64 at, i64* slot) {
    errchk = 0;
    i64 s = Incstkv(&w.temp);
    if (errchk) return fail(w, at, errchk);
    *slot = s;
    return true;
}

bool push_item(Walk& w, i64 at, Pair p) {
    if (stkc.size() >= STACKLIMIT) return fail(w, at, E_STACK_FULL);
    stkc.push_back(p.c);
    stkv.push_back(p.v);
    return true;
}

void pop_items(size_t base) {
    stkc.resize(base);
    stkv.resize(base);
}

// The value of node n when the walk was given it already.
bool known(const Walk& w, i64 n, Pair* out) {
    if (!w.known) return false;
    for (i64 k = 0; k < w.known->n; k++)
        if (w.known->node[k] == n) {
            *out = {-1, w.known->slot[k]};
            return true;
        }
    return false;
}

// The leaf reached by following right operands down: the first node a
// subtree evaluates (or a node whose value is known).
i64 first_leaf(const Walk& w, i64 n) {
    Pair unused;
    while (is_app(n) && app(n).right >= 0 && !known(w, n, &unused)) n = app(n).right;
    return n;
}

// Number of index separators along a chain of right operands.
i64 separators(i64 n) {
    i64 k = 0;
    while (is_prim(n, FC_ISEP)) {
        k++;
        n = app(n).right;
    }
    return k;
}

bool climb(Walk& w, i64 root, i64 start, Pair* out);

// The value of an operand node: a leaf directly, an expression by a nested
// walk whose temporaries this walk then steps over.
bool eval_sub(Walk& w, i64 n, Pair* out) {
    if (known(w, n, out)) return true;
    if (!is_app(n)) {
        *out = leaf(n);
        return true;
    }
    if (idxafstkpt + 1 >= IDXSTK) return fail(w, n, E_STACK_FULL);
    idxafstk[++idxafstkpt] = 0;
    i64 saved = collision;
    Walk inner = w;
    inner.mark = stacktop;
    inner.each = false;
    bool ok = climb(inner, n, first_leaf(w, n), out);
    collision = saved;
    idxafstkpt--;
    if (!ok) return fail(w, inner.fail, 0);
    if (is_temp_result(*out) && TempOrdinal(out->v) > TempOrdinal(w.temp)) w.temp = out->v;
    return true;
}

// A named right operand waiting while an expression on the left runs is
// copied first, so an assignment there cannot change it.
bool protect(Walk& w, i64 at, Pair* r) {
    if (!named(*r)) return true;
    i64 t;
    if (!new_temp(w, at, &t)) return false;
    if (GenStore(t, r->c, r->v)) return fail(w, at, errchk);
    *r = {-1, t};
    return true;
}

// An operand held in a temporary is dead once the application that read it
// is done (a temporary feeds one application), unless it became the result.
void release_operand(Pair p, i64 res) {
    if (is_temp_result(p) && p.v != res) ReleaseTemp(p.v);
}

bool finish_app(Walk& w, i64 at, i64 code) {
    collision = 0;
    w.each = false;
    if (scratch_held) GM_free();
    PfPurge();
    errchk = code;
    if (code) return fail(w, at, code);
    return true;
}

// ---- primitive and defined-function applications ----------------------------

bool apply_reserved(Walk& w, i64 p, i64 row, i64* res, Pair l, Pair r) {
    i64 e;
    if (row == ROW_DO && l.c == -1 && l.v == -1)
        e = PfDo(res, r.c, r.v, w.temp, w.row, w.depth, &w.io);
    else if (functable[row].valence == 1) e = PfSystems1(row, *res, r.c, r.v);
    else if (functable[row].valence == 2) e = PfSystems2(row, *res, l.c, l.v, r.c, r.v);
    else e = E_DOMAIN;
    return finish_app(w, p, e);
}

bool apply_prim(Walk& w, i64 p, i64 code, i64* res, Pair l, Pair r, i64 transposed) {
    bool dyadic = !(l.c == -1 && l.v == -1);
    if ((dyadic && undefined(l)) || undefined(r)) return finish_app(w, p, E_VALUE);
    // Two single numbers under a scalar function: straight to its kernel.
    if (dyadic && !w.each && ScalarSingles(code, *res, opnd(l.c, l.v), opnd(r.c, r.v)))
        return finish_app(w, p, 0);
    // The negation of one truth value (a condition): its single result.
    if (!dyadic && !w.each && code == FC_NOT) {
        const val_item* x = opnd(r.c, r.v);
        if (x->type == TBOOL && isoneV(x)) {
            SingleResult(*res, TBOOL, x->rank, x->dim0 == 0);
            return finish_app(w, p, 0);
        }
    }
    collision = CkCollision(*res, l.c, l.v, r.c, r.v);
    prim_context cx{w.temp, w.row, w.depth, &w.io};
    if (!finish_app(w, p, ApplyPrimitive(code, res, l.c, l.v, r.c, r.v, cx, w.each, transposed)))
        return false;
    release_operand(l, *res);
    release_operand(r, *res);
    return true;
}

// The two-level dotted form t.fk.name reads a foreign key's column; a dot
// after any other dot applies to the value the first one gives.
bool dot2_form(i64 p) {
    i64 L = app(p).left;
    return is_prim(L, FC_DOT) && node(app(L).left).kind == 'V' && node(app(L).right).kind == 'C' &&
           node(app(p).right).kind == 'C' &&
           DotForeignKey(node(app(L).left).ref, node(app(L).right).ref);
}

bool apply_dot2(Walk& w, i64 p, i64 res) {
    i64 L = app(p).left;
    i64 e = PfDot2(res, node(app(L).left).ref, node(app(L).right).ref, node(app(p).right).ref);
    return finish_app(w, p, e < 0 ? E_DOMAIN : e);
}

// A general application p whose right operand value is r.
bool apply(Walk& w, i64 p, Pair r, i64 root, Pair* cur, i64* next) {
    fn_node f = app(p);
    i64 code = f.code;
    i64 at = p;
    i64 transposed = 0;
    i64 par = node(p).parent;
    // A shape of a shape yields the rank.
    if (f.kind == 'P' && code == FC_SHAPE && is_prim(par, FC_SHAPE) && app(par).left < 0 &&
        app(par).right == p) {
        i64 res;
        if (undefined(r)) return fail(w, p, E_VALUE);
        if (!new_temp(w, par, &res)) return false;
        if (!finish_app(w, par, PfGenRoro(res, r.c, r.v))) return false;
        *cur = {-1, res};
        *next = par;
        return true;
    }
    // A transpose under an inner product is read by the inner product.
    if (f.kind == 'P' && code == FC_TRANSPOSE && p != root && is_app(par) && app(par).kind == 'P' &&
        app(par).code >= FC_INNER && app(par).right == p) {
        at = par;
        f = app(par);
        code = f.code;
        transposed = 1;
    }
    i64 res;
    if (f.kind == 'P' && code == FC_DOT && dot2_form(at)) {
        if (!new_temp(w, at, &res)) return false;
        if (!apply_dot2(w, at, res)) return false;
        *cur = {-1, res};
        *next = at;
        return true;
    }
    Pair l = NONE;
    if (f.left >= 0) {
        if (is_app(f.left)) {
            if (!protect(w, at, &r)) return false;
            if (!eval_sub(w, f.left, &l)) return false;
        } else {
            l = leaf(f.left);
        }
    }
    if (!new_temp(w, at, &res)) return false;
    if (f.kind == 'D') {
        if (f.code < FIRSTFN) {
            if (!apply_reserved(w, at, f.code, &res, l, r)) return false;
        } else {
            i64 e = CallDefined(f.code, res, l.c, l.v, r.c, r.v, w.row, w.line, w.depth, w.temp,
                                w.io, w.each);
            if (!finish_app(w, at, e)) return false;
        }
    } else if (f.right < 0 && PrimNiladic(code)) {
        if (!finish_app(w, at, ApplyNiladic(code, res))) return false;
    } else if (!apply_prim(w, at, code, &res, l, r, transposed)) {
        return false;
    }
    *cur = {-1, res};
    *next = at;
    return true;
}

// ---- special forms ------------------------------------------------------------------

// The targets of a multiple assignment: (c, v) the leftmost, the arrays the
// others right to left.
bool assign_list(Walk& w, i64 p, i64 target, Pair value) {
    std::vector<Pair> names;
    i64 n = app(target).right;
    while (is_prim(n, FC_ISEP)) {
        names.push_back(leaf(app(n).left));
        n = app(n).right;
    }
    names.push_back(leaf(n));
    for (Pair& t : names)
        if (t.c < 0 && t.v < 0) t = {-1, 0};
    std::vector<i64> cs, vs;
    for (size_t k = names.size() - 1; k >= 1; k--) {
        cs.push_back(names[k].c);
        vs.push_back(names[k].v);
    }
    i64 e = PfAsslst(names[0].c, names[0].v, cs.data(), vs.data(),
                     static_cast<i64>(names.size()) - 2, value.c, value.v);
    return finish_app(w, p, e);
}

// The statement goes on with the assigned value, held in a temporary.
bool carry_value(Walk& w, i64 p, Pair* cur) {
    if (is_temp_result(*cur)) return true;
    i64 t;
    if (!new_temp(w, p, &t)) return false;
    if (GenStore(t, cur->c, cur->v)) return fail(w, p, errchk);
    *cur = {-1, t};
    return true;
}

// A[i;j]<-value.
bool assign_indexed(Walk& w, i64 p, i64 target, Pair* cur) {
    i64 arr = app(target).left;
    Pair a = NONE;
    if (is_prim(arr, FC_EXECUTE)) {
        if (!eval_sub(w, arr, &a)) return false;
    } else if (arr >= 0 && node(arr).kind == 'V') {
        a = leaf(arr);
    }
    if (!named(a)) return fail(w, p, E_DOMAIN);
    size_t base = stkc.size();
    Pair first = NONE;
    if (!eval_sub(w, app(target).right, &first)) return false;
    i64 n = static_cast<i64>(stkc.size() - base) - 1;
    if (undefined(*cur)) return fail(w, p, E_VALUE);
    if (BeforeIndexA(a.v)) return fail(w, p, errchk);
    errchk = 0;
    i64 e = GenIndexA(a.v, first.c, first.v, stkc.data() + base, stkv.data() + base, cur->c, cur->v,
                      n, w.io);
    pop_items(base);
    if (!finish_app(w, p, e)) return false;
    return carry_value(w, p, cur);
}

bool assign(Walk& w, i64 p, Pair* cur) {
    i64 target = app(p).left;
    if (target >= 0 && node(target).kind == 'Z') {
        if (tags.size() >= STACKLIMIT) return fail(w, p, E_STACK_FULL);
        tags.push_back(node(target).ref);
        idxtagstp = static_cast<i64>(tags.size()) - 1;
        return true;
    }
    if (is_prim(target, FC_INDEX) && app(target).left < 0) return assign_list(w, p, target, *cur);
    if (is_prim(target, FC_INDEX)) return assign_indexed(w, p, target, cur);
    i64 slot;
    if (is_prim(target, FC_EXECUTE)) {
        Pair t;
        if (!eval_sub(w, target, &t)) return false;
        if (!named(t)) return fail(w, p, E_DOMAIN);
        slot = t.v;
    } else if (target >= 0 && node(target).kind == 'V') {
        slot = node(target).ref;
    } else {
        return fail(w, p, E_DOMAIN);
    }
    if (!finish_app(w, p, PfAssign(slot, cur->c, cur->v))) return false;
    if (slot == SLOT_PRINTALL) {
        // Printing gives up the target's reference: the statement goes on
        // with the value it assigned, a temporary keeping its own block.
        if (is_temp_result(*cur)) ReturnTemp(slot, cur->v);
        i64 e = GenOutpt(0, slot);
        if (e) return fail(w, p, e);
        return true;
    }
    release_operand(*cur, slot);
    *cur = {-1, slot};
    if (slot == SLOT_PRINTNOEND) {
        i64 e = GenOutpt(0, slot);
        if (e) return fail(w, p, e);
    } else if (isnamedslot(slot)) {
        ResetTemps(w.mark);
    }
    return true;
}

// A column of a table literal: an assignment to a column target.
bool is_column(i64 n) {
    return is_prim(n, FC_ASSIGN) && app(n).left >= 0 && node(app(n).left).kind == 'Z';
}

// The bracket part of a table literal: empty (a variable node of slot 0), or
// key columns joined by ";".
bool is_table_literal(i64 p) {
    i64 n = app(p).left;
    if (n >= 0 && node(n).kind == 'V' && node(n).ref == 0) return true;
    for (; is_prim(n, FC_ISEP); n = app(n).right)
        if (!is_column(app(n).left)) return false;
    return is_column(n);
}

// The column names and columns of a table literal: key columns (the
// bracket part) after a boundary mark, value columns before it. The key
// part evaluates as a chain of positions: all but its leftmost column are
// pushed as it goes.
bool table_literal(Walk& w, i64 p, i64 res, size_t base, Pair cur) {
    if (!push_item(w, p, cur)) return false;
    i64 L = app(p).left;
    if (node(L).kind != 'V') {
        if (!push_item(w, p, NONE)) return false;
        tags.push_back(-1);
        Pair k;
        if (!eval_sub(w, L, &k) || !push_item(w, p, k)) return false;
    }
    i64 n = static_cast<i64>(stkc.size() - base) - 1;
    i64 e = PfGenTab(res, stkc.data() + base, stkv.data() + base, n, tags.data(),
                     static_cast<i64>(tags.size()) - 1);
    pop_items(base);
    tags.clear();
    idxtagstp = -1;
    return finish_app(w, p, e);
}

// Code 1: bracket indexing, list literal, table literal.
bool index(Walk& w, i64 p, Pair* cur) {
    fn_node f = app(p);
    size_t k = static_cast<size_t>(separators(f.right));
    if (k > stkc.size()) return fail(w, p, E_STACK_FULL);
    size_t base = stkc.size() - k;
    i64 n = static_cast<i64>(k) - 1;
    if (f.left >= 0 && node(f.left).kind == 0) return true;  // a branch's index form
    i64 res;
    if (is_table_literal(p)) {
        if (!new_temp(w, p, &res) || !table_literal(w, p, res, base, *cur)) return false;
        *cur = {-1, res};
        return true;
    }
    if (f.left < 0) {
        if (!new_temp(w, p, &res)) return false;
        i64 e = GenAlist(res, cur->c, cur->v, stkc.data() + base, stkv.data() + base, n);
        pop_items(base);
        if (!finish_app(w, p, e)) return false;
        *cur = {-1, res};
        return true;
    }
    Pair a;
    if (!eval_sub(w, f.left, &a)) return false;
    base = stkc.size() - k;
    if (!new_temp(w, p, &res)) return false;
    i64 e = 0;
    if (idxafstkpt >= 0 && idxafstk[idxafstkpt] == 1)
        e = PfIdxSave(cur->c, cur->v, n, stkc.data() + base, stkv.data() + base);
    if (!e)
        e = GenIndexV(res, a.c, a.v, cur->c, cur->v, stkc.data() + base, stkv.data() + base, n,
                      w.io);
    pop_items(base);
    if (!finish_app(w, p, e)) return false;
    *cur = {-1, res};
    return true;
}

// One step: the application p takes the value cur of its operand `from`.
bool step(Walk& w, i64 p, i64 from, i64 root, Pair* cur, i64* next) {
    fn_node f = app(p);
    *next = p;
    if (f.kind == 'P' && f.code == FC_ISEP) {
        if (from == f.right && !push_item(w, p, *cur)) return false;
        *cur = NONE;
        return f.left < 0 || eval_sub(w, f.left, cur);
    }
    if (f.kind == 'P' && f.code == FC_QUOTE) {
        i64 par = node(p).parent;
        if (!is_app(par)) return fail(w, p, E_DOMAIN);
        w.each = true;
        return true;
    }
    if (f.kind == 'P' && f.code == FC_ASSIGN) return assign(w, p, cur);
    if (f.kind == 'P' && f.code == FC_INDEX) return index(w, p, cur);
    Pair r = *cur;
    if (from != f.right) {
        // Reached through the left operand: the right one is still to come.
        if (f.right >= 0 && !eval_sub(w, f.right, &r)) return false;
    }
    return apply(w, p, r, root, cur, next);
}

bool climb(Walk& w, i64 root, i64 start, Pair* out) {
    Pair cur = NONE;
    i64 from = -1, p = start;
    if (known(w, start, &cur)) {
        if (start == root) {
            *out = cur;
            return true;
        }
        from = start;
        p = node(start).parent;
    } else if (!is_app(start)) {
        cur = leaf(start);
        // A name whose slot was never bound has no value to start from.
        if (node(start).kind == 'V' && node(start).ref < 0) return fail(w, start, E_VALUE);
        if (start == root) {
            *out = cur;
            return true;
        }
        from = start;
        p = node(start).parent;
    }
    for (;;) {
        if (!is_app(p)) return fail(w, from, E_DOMAIN);
        i64 next;
        if (!step(w, p, from, root, &cur, &next)) return false;
        if (next == root) {
            *out = cur;
            return true;
        }
        from = next;
        p = node(next).parent;
    }
}

}  // namespace

i64 TreeList(i64 row, i64 root, i64 start, i64 mark, i64 temp, i64 line, i64 depth, i64 io,
             const walk_presets* made) {
    collision = 0;
    if (root < 0) return 0;
    if (node(root).kind == 'C' && root == start) return node(root).ref;
    size_t base = stkc.size();
    size_t tagbase = tags.size();
    Walk w{row, mark, line, depth, io, temp, -1, false, made};
    if (made) start = first_leaf(w, root);
    Pair out;
    bool ok = climb(w, root, start, &out);
    pop_items(base);
    if (tags.size() > tagbase) tags.resize(tagbase);
    if (!ok) {
        if (!errchk) errchk = E_DOMAIN;
        return w.fail >= 0 ? w.fail : root;
    }
    if (out.c >= 0 && node(root).kind != 'C') {
        // A constant carried to the root of an application is handed on in
        // a temporary, so the caller always receives a slot.
        i64 t;
        if (!new_temp(w, root, &t) || GenStore(t, out.c, out.v)) return root;
        return t;
    }
    return out.c >= 0 ? out.c : out.v;
}
