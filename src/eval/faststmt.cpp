// Statements of a defined function that work on single numbers: variables,
// constants, dyadic scalar arithmetic and comparison, the negation of a
// truth value, assignments to plain variables, and calls of defined
// functions. Such a statement is compiled at its first run into a short
// list of steps and then run without the walker and, until it calls a
// function, without temporaries.
//
// Steps run in the walker's order. Assignments wait in a list and are made
// in order before a call (the callee sees them, as under the walker) or at
// the end, a variable assigned earlier in the statement being read from
// that list. So before its first call or assignment made, a run that meets
// an operand that is not a single number (an array, a text, no value) is
// given back untouched and the walker runs the whole statement, with its
// usual results and errors. After that, the walker takes the statement
// over where the run stands: every value made and not yet used is handed to
// it in a temporary, for the node that made it.
#include <cstdlib>

#include "dict/dict.h"
#include "eval/eval.h"
#include "parser/records.h"
#include "scalar/scalar.h"
#include "values/fcodes.h"

namespace {

constexpr int MAXSTEPS = 16;

// An operand: a register (the result of step `at`), a constant (ctable
// index) or a variable (its parse node: the slot is bound at each call).
enum : int { ARG_NONE = -2, ARG_BAD = -1, ARG_REG, ARG_CONST, ARG_VAR };
struct arg {
    int kind, at;
};

enum : int { STEP_COPY, STEP_DYAD, STEP_NOT, STEP_STORE, STEP_CALL };

// Each step makes the register of its own index, the value of parse node
// `node`. COPY: the value of a; DYAD: code applied to a (left) and b
// (right), then negated when `negate` is set (a truth value only), then
// assigned to the variable of parse node `target` when it is one; NOT: the
// negation of a; STORE: a assigned to the variable of parse node `target`;
// CALL: defined function row `code` called with a (left, or none) and b.
struct step {
    int op;
    arg a, b;
    i64 code, target, node;
    bool negate;
};

}  // namespace

struct fast_stmt {
    int n;
    bool calls;  // holds a call
    int running; // runs under way (a call may run the statement again)
    bool orphan; // dropped from its statement while running: freed by the last run
    step steps[MAXSTEPS];
};

namespace {

fast_stmt not_fast;  // marks a statement the walker must run

constexpr arg NO_ARG = {ARG_BAD, -1};
constexpr arg NO_OPERAND = {ARG_NONE, -1};

bool is_app(i64 n) { return n >= 0 && parsetree[n].kind == 'F'; }

arg emit(fast_stmt* f, const step& s) {
    if (f->n >= MAXSTEPS) return NO_ARG;
    f->steps[f->n] = s;
    return {ARG_REG, f->n++};
}

arg compile(fast_stmt* f, i64 n);

// The step that made register x when it is the last step and a dyad not yet
// assigned: an assignment or negation of its value joins it.
step* fresh_dyad(fast_stmt* f, arg x) {
    if (x.kind != ARG_REG || x.at != f->n - 1) return nullptr;
    step* s = &f->steps[x.at];
    return s->op == STEP_DYAD && s->target < 0 ? s : nullptr;
}

// A leaf's value as an operand is read where the step that takes it runs;
// one that the walker reads before a left operand's steps is copied into a
// register first, so an assignment among those steps cannot change it.
arg operand(fast_stmt* f, i64 n, bool before_steps) {
    arg x = compile(f, n);
    if (x.kind == ARG_VAR && before_steps)
        return emit(f, {STEP_COPY, x, NO_OPERAND, 0, -1, n, false});
    return x;
}

bool is_operand_kind(i64 n) {
    char k = static_cast<char>(parsetree[n].kind);
    return k == 'C' || k == 'V' || k == 'F';
}

arg compile_assign(fast_stmt* f, i64 n, const fn_node& a) {
    if (a.left < 0 || parsetree[a.left].kind != 'V') return NO_ARG;
    arg r = compile(f, a.right);
    if (r.kind < 0) return NO_ARG;
    step* last = fresh_dyad(f, r);
    if (!last) return emit(f, {STEP_STORE, r, NO_OPERAND, 0, a.left, n, false});
    last->target = a.left;
    last->node = n;
    return r;
}

arg compile_call(fast_stmt* f, i64 n, const fn_node& a) {
    if (a.code < FIRSTFN || a.right < 0 || (a.left >= 0 && !is_operand_kind(a.left)))
        return NO_ARG;
    arg r = operand(f, a.right, a.left >= 0 && parsetree[a.left].kind == 'F');
    if (r.kind < 0) return NO_ARG;
    arg l = a.left >= 0 ? compile(f, a.left) : NO_OPERAND;
    if (l.kind == ARG_BAD) return NO_ARG;
    f->calls = true;
    return emit(f, {STEP_CALL, l, r, a.code, -1, n, false});
}

// The operand of node n in the walker's order (a right operand before the
// left one), appending the steps it needs; ARG_BAD when n is outside the
// forms above.
arg compile(fast_stmt* f, i64 n) {
    if (n < 0) return NO_ARG;
    const parse_node& p = parsetree[n];
    if (p.kind == 'C') return {ARG_CONST, static_cast<int>(p.ref)};
    if (p.kind == 'V') return {ARG_VAR, static_cast<int>(n)};
    if (p.kind != 'F') return NO_ARG;
    const fn_node& a = fnodetable[p.ref];
    if (a.kind == 'D') return compile_call(f, n, a);
    if (a.kind != 'P') return NO_ARG;
    if (a.code == FC_ASSIGN) return compile_assign(f, n, a);
    if (a.code == FC_NOT && a.left < 0) {
        arg r = compile(f, a.right);
        if (r.kind < 0) return NO_ARG;
        step* last = fresh_dyad(f, r);
        if (!last || last->negate) return emit(f, {STEP_NOT, r, NO_OPERAND, 0, -1, n, false});
        last->negate = true;
        last->node = n;
        return r;
    }
    if (!SinglesCode(a.code) || a.left < 0 || !is_operand_kind(a.left)) return NO_ARG;
    arg r = operand(f, a.right, parsetree[a.left].kind == 'F');
    if (r.kind < 0) return NO_ARG;
    arg l = compile(f, a.left);
    if (l.kind < 0) return NO_ARG;
    return emit(f, {STEP_DYAD, l, r, a.code, -1, n, false});
}

// The statement's step list, or nullptr: only statements whose value is not
// shown (an assignment, or a branch's expression) are taken.
const fast_stmt* compile_stmt(const stmt_node* s) {
    i64 root = s->root;
    bool assigns = is_app(root) && fnodetable[parsetree[root].ref].kind == 'P' &&
                   fnodetable[parsetree[root].ref].code == FC_ASSIGN;
    if (s->branch < 0 && !assigns) return nullptr;
    fast_stmt f;
    f.n = 0;
    f.calls = false;
    f.running = 0;
    f.orphan = false;
    arg x = compile(&f, root);
    if (x.kind == ARG_CONST || x.kind == ARG_VAR)
        x = emit(&f, {STEP_COPY, x, NO_OPERAND, 0, -1, root, false});
    if (x.kind != ARG_REG) return nullptr;
    auto* made = static_cast<fast_stmt*>(std::malloc(sizeof(fast_stmt)));
    if (made) *made = f;
    return made;
}

// A register holds a single number's type, rank and element: the words the
// single-number kernels read and write.
void take(val_item* r, const val_item* v) {
    r->type = v->type;
    r->rank = v->rank;
    r->count = v->count;
    r->dim0 = v->dim0;
}

struct pending {
    i64 slot;
    int reg;
};

// The registers and waiting assignments of one run. Registers are written
// only through take, SingleInto and the kernels (type, rank, count,
// element): their other words stay 0, as a stored single number has them.
struct run_state {
    val_item reg[MAXSTEPS];
    i64 from[MAXSTEPS];  // the variable a register's value was read from, else -1
    i64 held[MAXSTEPS];  // the temporary holding a register's value, else -1
    pending wait[MAXSTEPS];
    int waiting;
    bool done;  // a call made or an assignment made: no giving back now
    i64 temp;   // the run's temporary counter
};

// Register files at fixed places (their speed then does not depend on where
// the stack happens to lie): one for statements without calls, one per
// level of runs that call functions.
run_state plain;
run_state states[SITSIZE + 2];
i64 level = 0;

// SingleNumber of a value that has one (rank not -1), in three tests: a
// boolean, integer or float type is held in its descriptor.
inline bool one_number(const val_item* v) {
    return static_cast<uint64_t>(v->type) <= TFLOAT && static_cast<uint64_t>(v->rank) <= 1 &&
           v->count == 1;
}

// The value of operand x, or nullptr when it is not a single number; *slot
// the variable it was read from (-1 for any other operand).
[[gnu::always_inline]] inline const val_item* value(run_state& rs, arg x, i64* slot) {
    *slot = -1;
    if (x.kind == ARG_REG) {
        *slot = rs.from[x.at];
        return &rs.reg[x.at];
    }
    const val_item* v;
    if (x.kind == ARG_CONST) {
        v = &ctable[x.at];
    } else {
        i64 s = parsetree[x.at].ref;
        if (s < 0 || s >= VTSIZE) return nullptr;
        for (int w = rs.waiting - 1; w >= 0; w--)
            if (rs.wait[w].slot == s) return &rs.reg[rs.wait[w].reg];
        v = &vtable[s];
        *slot = s;
    }
    return one_number(v) ? v : nullptr;
}

// Register k waits to be assigned to the variable of parse node target.
inline bool wait_for(run_state& rs, i64 target, int k) {
    i64 slot = parsetree[target].ref;
    if (slot < FIRSTVAR || slot >= SYSTART) return false;
    rs.wait[rs.waiting++] = {slot, k};
    return true;
}

// Makes the waiting assignments in order. A value read from a variable not
// assigned before it is shared as the walker's assignment shares it.
void commit(run_state& rs) {
    for (int w = 0; w < rs.waiting; w++) {
        const pending& p = rs.wait[w];
        i64 src = rs.from[p.reg];
        for (int e = 0; src >= 0 && e < w; e++)
            if (rs.wait[e].slot == src) src = -1;
        val_item* x = &rs.reg[p.reg];
        if (src >= 0) PfAssign(p.slot, -1, src);
        else if (!StoreSingleQuick(&vtable[p.slot], x)) GenStoreV2(&vtable[p.slot], x, true);
    }
    if (rs.waiting) rs.done = true;
    rs.waiting = 0;
}

// The same, the usual case (one value computed in the statement, into a
// variable that holds no block) made at once.
[[gnu::always_inline]] inline void commit_quick(run_state& rs) {
    if (rs.waiting == 1 && rs.from[rs.wait[0].reg] < 0 &&
        StoreSingleQuick(&vtable[rs.wait[0].slot], &rs.reg[rs.wait[0].reg])) {
        rs.done = true;
        rs.waiting = 0;
        return;
    }
    commit(rs);
}

// A temporary holding register k's value, for a call or the walker.
i64 hold(run_state& rs, int k) {
    if (rs.held[k] >= 0) return rs.held[k];
    errchk = 0;
    i64 t = Incstkv(&rs.temp);
    if (errchk) return -1;
    SingleResult(t, rs.reg[k].type, rs.reg[k].rank, rs.reg[k].dim0);
    rs.held[k] = t;
    return t;
}

// How a step ended: done; not run (the walker runs it); run, its value
// not a single number (the walker takes it as made); failed (errchk).
enum : int { STEP_DONE, STEP_GIVE_BACK, STEP_MADE_OTHER, STEP_FAILED };

// The operand pair a call takes for x: a leaf as the walker passes it, a
// register through a temporary.
int call_operand(run_state& rs, arg x, i64* c, i64* v) {
    *c = -1;
    *v = -1;
    if (x.kind == ARG_NONE) return STEP_DONE;
    if (x.kind == ARG_CONST) {
        *c = x.at;
        return STEP_DONE;
    }
    if (x.kind == ARG_VAR) {
        *v = parsetree[x.at].ref;
        return *v >= 0 ? STEP_DONE : STEP_GIVE_BACK;  // a name never bound
    }
    *v = hold(rs, x.at);
    return *v >= 0 ? STEP_DONE : STEP_FAILED;
}

[[gnu::noinline]] int run_call(run_state& rs, const step& st, int k, const fast_place& at) {
    i64 lc, lv, rc, rv;
    int r = call_operand(rs, st.a, &lc, &lv);
    if (r == STEP_DONE) r = call_operand(rs, st.b, &rc, &rv);
    if (r != STEP_DONE) return r;
    errchk = 0;
    i64 res = Incstkv(&rs.temp);
    if (errchk) return STEP_FAILED;
    // The callee sees the assignments made so far.
    commit(rs);
    rs.done = true;
    i64 e = CallDefined(st.code, res, lc, lv, rc, rv, at.row, at.line, at.depth, rs.temp, at.io,
                        false);
    collision = 0;
    if (scratch_held) GM_free();
    errchk = e;
    if (e) return STEP_FAILED;
    rs.held[k] = res;
    const val_item* x = &vtable[res];
    if (!one_number(x)) return STEP_MADE_OTHER;
    take(&rs.reg[k], x);
    return STEP_DONE;
}

[[gnu::always_inline]] inline int run_step(run_state& rs, const step& st, int k,
                                          const fast_place& at) {
    val_item* out = &rs.reg[k];
    rs.from[k] = -1;
    if (st.op == STEP_CALL) return run_call(rs, st, k, at);
    i64 from;
    const val_item* a = value(rs, st.a, &from);
    if (!a) return STEP_GIVE_BACK;
    switch (st.op) {
    case STEP_COPY:
        take(out, a);
        rs.from[k] = from;
        return STEP_DONE;
    case STEP_DYAD: {
        i64 unused;
        const val_item* b = value(rs, st.b, &unused);
        if (!b) return STEP_GIVE_BACK;
        // Both are single numbers: integers and truth values go straight to
        // their kernel.
        bool words = static_cast<uint64_t>(a->type | b->type) <= TINT;
        if (!(words && WordKernel(st.code, out, a, b)) && !SinglesInto(st.code, out, a, b))
            return STEP_GIVE_BACK;
        if (st.negate) {
            if (out->type != TBOOL) return STEP_GIVE_BACK;
            out->dim0 = out->dim0 == 0;
        }
        if (st.target >= 0 && !wait_for(rs, st.target, k)) return STEP_GIVE_BACK;
        return STEP_DONE;
    }
    case STEP_NOT:
        if (a->type != TBOOL) return STEP_GIVE_BACK;
        SingleInto(out, TBOOL, a->rank, a->dim0 == 0);
        return STEP_DONE;
    default:
        take(out, a);
        rs.from[k] = from;
        return wait_for(rs, st.target, k) ? STEP_DONE : STEP_GIVE_BACK;
    }
}

bool uses(const step& st, int k) {
    return (st.a.kind == ARG_REG && st.a.at == k) || (st.b.kind == ARG_REG && st.b.at == k);
}

// The walker finishes a statement whose run stopped before step `stop`:
// the assignments made so far are made, and every register made and not yet
// used goes to it in a temporary as the value of its node. Its result, as
// TreeList's.
i64 hand_over(run_state& rs, const fast_stmt* f, int stop, i64 root, const fast_place& at) {
    commit(rs);
    i64 nodes[MAXSTEPS], slots[MAXSTEPS];
    i64 n = 0;
    for (int k = 0; k < stop; k++) {
        bool used = false;
        for (int j = k + 1; j < stop && !used; j++) used = uses(f->steps[j], k);
        if (used) continue;
        i64 t = hold(rs, k);
        if (t < 0) {
            errchk = E_STACK_FULL;
            return root;
        }
        nodes[n] = f->steps[k].node;
        slots[n++] = t;
    }
    walk_presets made{nodes, slots, n};
    return TreeList(at.row, root, -1, at.mark, rs.temp, at.line, at.depth, at.io, &made);
}

void release(const fast_stmt* f) {
    fast_stmt* m = const_cast<fast_stmt*>(f);
    if (--m->running == 0 && m->orphan) std::free(m);
}

}  // namespace

void FastForget(stmt_node* s) {
    if (s->fast && s->fast != &not_fast) {
        fast_stmt* f = const_cast<fast_stmt*>(s->fast);
        if (f->running) f->orphan = true;
        else std::free(f);
    }
    s->fast = nullptr;
    s->single = false;
}

void FastCompile(stmt_node* s) {
    const fast_stmt* f = compile_stmt(s);
    s->fast = f ? f : &not_fast;
    s->single = f != nullptr;
}

const val_item* FastRun(stmt_node* s, const fast_place& at, i64* v) {
    *v = -1;
    const fast_stmt* f = s->fast;
    if (!f->calls) {
        plain.waiting = 0;
        for (int k = 0; k < f->n; k++)
            if (run_step(plain, f->steps[k], k, at) != STEP_DONE) return nullptr;
        if (plain.waiting) commit_quick(plain);
        collision = 0;
        errchk = 0;
        return &plain.reg[f->n - 1];
    }
    i64 root = s->root;  // s may go while a call runs; f stays until released
    if (level > SITSIZE) return nullptr;
    run_state& rs = states[level];
    rs.waiting = 0;
    rs.done = false;
    rs.temp = at.temp;
    for (int k = 0; k < f->n; k++) rs.held[k] = -1;
    const_cast<fast_stmt*>(f)->running++;
    level++;
    int k = 0, r = STEP_DONE;
    for (; k < f->n; k++)
        if ((r = run_step(rs, f->steps[k], k, at)) != STEP_DONE) break;
    const val_item* out = nullptr;
    if (r == STEP_DONE) {
        commit_quick(rs);
        collision = 0;
        errchk = 0;
        out = &rs.reg[f->n - 1];
    } else if (r == STEP_FAILED) {
        *v = f->steps[k].node;
    } else if (rs.done) {
        // The walker goes on from the values made: a step given back is
        // run again by it, one that made another kind of value is not.
        *v = hand_over(rs, f, r == STEP_MADE_OTHER ? k + 1 : k, root, at);
    }
    level--;
    release(f);
    return out;
}
