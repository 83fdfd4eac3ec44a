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

#include "eval/faststep.h"
#include "values/fcodes.h"

using namespace fast;

namespace {

// The register files of runs with calls, one per level of such runs.
run_state states[SITSIZE + 2];
i64 level = 0;

fast_stmt not_fast;  // marks a statement the walker must run

constexpr arg NO_ARG = {ARG_BAD, -1, false};
constexpr arg NO_OPERAND = {ARG_NONE, -1, false};
constexpr arg NO_TARGET = NO_OPERAND;

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
    return s->op == STEP_DYAD && s->target.kind == ARG_NONE ? s : nullptr;
}

// A leaf's value as an operand is read where the step that takes it runs;
// one that the walker reads before a left operand's steps is copied into a
// register first, so an assignment among those steps cannot change it.
arg operand(fast_stmt* f, i64 n, bool before_steps) {
    arg x = compile(f, n);
    if ((x.kind == ARG_VAR || x.kind == ARG_LOCAL) && before_steps)
        return emit(f, {STEP_COPY, x, NO_OPERAND, 0, NO_TARGET, static_cast<int>(n), false});
    return x;
}

bool is_operand_kind(i64 n) {
    char k = static_cast<char>(parsetree[n].kind);
    return k == 'C' || k == 'V' || k == 'F';
}

arg compile_assign(fast_stmt* f, i64 n, const fn_node& a) {
    if (a.left < 0 || parsetree[a.left].kind != 'V') return NO_ARG;
    arg target = compile(f, a.left);
    arg r = compile(f, a.right);
    if (r.kind < 0) return NO_ARG;
    step* last = fresh_dyad(f, r);
    if (!last) return emit(f, {STEP_STORE, r, NO_OPERAND, 0, target, static_cast<int>(n), false});
    last->target = target;
    last->node = static_cast<int>(n);
    return r;
}

arg compile_call(fast_stmt* f, i64 n, const fn_node& a) {
    if (a.code < FIRSTFN || a.right < 0 || (a.left >= 0 && !is_operand_kind(a.left))) return NO_ARG;
    arg r = operand(f, a.right, a.left >= 0 && parsetree[a.left].kind == 'F');
    if (r.kind < 0) return NO_ARG;
    arg l = a.left >= 0 ? compile(f, a.left) : NO_OPERAND;
    if (l.kind == ARG_BAD) return NO_ARG;
    f->calls = true;
    return emit(f,
                {STEP_CALL, l, r, static_cast<int>(a.code), NO_TARGET, static_cast<int>(n), false});
}

// The operand of node n in the walker's order (a right operand before the
// left one), appending the steps it needs; ARG_BAD when n is outside the
// forms above.
arg compile(fast_stmt* f, i64 n) {
    if (n < 0) return NO_ARG;
    const parse_node& p = parsetree[n];
    if (p.kind == 'C') return {ARG_CONST, static_cast<int>(p.ref)};
    if (p.kind == 'V') {
        i64 k = p.name >= 0 ? LocalIndex(f->row, p.name) : -1;
        return k >= 0 ? arg{ARG_LOCAL, static_cast<int>(k)} : arg{ARG_VAR, static_cast<int>(n)};
    }
    if (p.kind != 'F') return NO_ARG;
    const fn_node& a = fnodetable[p.ref];
    if (a.kind == 'D') return compile_call(f, n, a);
    if (a.kind != 'P') return NO_ARG;
    if (a.code == FC_ASSIGN) return compile_assign(f, n, a);
    if (a.code == FC_NOT && a.left < 0) {
        arg r = compile(f, a.right);
        if (r.kind < 0) return NO_ARG;
        step* last = fresh_dyad(f, r);
        if (!last || last->negate)
            return emit(f, {STEP_NOT, r, NO_OPERAND, 0, NO_TARGET, static_cast<int>(n), false});
        last->negate = true;
        last->node = static_cast<int>(n);
        return r;
    }
    if (!SinglesCode(a.code) || a.left < 0 || !is_operand_kind(a.left)) return NO_ARG;
    arg r = operand(f, a.right, parsetree[a.left].kind == 'F');
    if (r.kind < 0) return NO_ARG;
    arg l = compile(f, a.left);
    if (l.kind < 0) return NO_ARG;
    return emit(f,
                {STEP_DYAD, l, r, static_cast<int>(a.code), NO_TARGET, static_cast<int>(n), false});
}

// Marks the variables read after an assignment was queued (a read must
// then look for it among the waiting ones) and the last step.
void mark_reads(fast_stmt* f) {
    bool assigned = false;
    for (int k = 0; k < f->n; k++) {
        step& st = f->steps[k];
        for (arg* x : {&st.a, &st.b})
            x->late = assigned && (x->kind == ARG_LOCAL || x->kind == ARG_VAR);
        assigned = assigned || st.target.kind != ARG_NONE;
    }
    f->steps[f->n - 1].last = true;
    for (int k = 0; k < f->n; k++) f->steps[k].form = form(f->steps[k]);
}

// The statement's step list, or nullptr: only statements whose value is not
// shown (an assignment, or a branch's expression) are taken.
const fast_stmt* compile_stmt(const stmt_node* s, i64 row) {
    i64 root = s->root;
    bool assigns = is_app(root) && fnodetable[parsetree[root].ref].kind == 'P' &&
                   fnodetable[parsetree[root].ref].code == FC_ASSIGN;
    if (s->branch < 0 && !assigns) return nullptr;
    fast_stmt f;
    f.n = 0;
    f.row = row;
    f.serial = PlanSerial(row);
    f.calls = false;
    f.running = 0;
    f.orphan = false;
    arg x = compile(&f, root);
    if (x.kind == ARG_CONST || x.kind == ARG_VAR || x.kind == ARG_LOCAL)
        x = emit(&f, {STEP_COPY, x, NO_OPERAND, 0, NO_TARGET, static_cast<int>(root), false});
    if (x.kind != ARG_REG) return nullptr;
    mark_reads(&f);
    auto* made = static_cast<fast_stmt*>(std::malloc(sizeof(fast_stmt)));
    if (made) *made = f;
    return made;
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

// The operand pair a call takes for x: a leaf as the walker passes it, a
// register through a temporary.
int call_operand(run_state& rs, arg x, const fast_place& at, i64* c, i64* v) {
    *c = -1;
    *v = -1;
    if (x.kind == ARG_NONE) return STEP_DONE;
    if (x.kind == ARG_CONST) {
        *c = x.at;
        return STEP_DONE;
    }
    if (x.kind == ARG_VAR || x.kind == ARG_LOCAL) {
        *v = var_slot(x, at);
        return *v >= 0 ? STEP_DONE : STEP_GIVE_BACK;  // a name never bound
    }
    *v = hold(rs, x.at);
    return *v >= 0 ? STEP_DONE : STEP_FAILED;
}

// Whether a call of row with operands a (left, or none) and b may go
// through CallSingles once its operands are single numbers.
bool singles_call(i64 row, arg a) {
    const func_entry& f = functable[row];
    return f.parsed && f.result >= 0 && f.nright == 1 && f.right >= 0 &&
           f.valence == (a.kind == ARG_NONE ? 1 : 2);
}

// A call whose operands are single numbers, l (or nullptr) and r.
int call_singles(run_state& rs, int k, i64 row, const val_item* l, const val_item* r,
                 const fast_place& at) {
    errchk = 0;
    i64 res = Incstkv(&rs.temp);
    if (errchk) return STEP_FAILED;
    // The callee sees the assignments made so far.
    if (rs.waiting) commit(rs);
    rs.done = true;
    val_item* out = &rs.reg[k];
    i64 e = CallSingles(row, l, r, out, res, at, rs.temp);
    collision = 0;
    if (scratch_held) GM_free();
    errchk = e;
    if (e) return STEP_FAILED;
    if (out->rank != -1) return STEP_DONE;
    rs.held[k] = res;
    return STEP_MADE_OTHER;
}

int run_call(run_state& rs, const step& st, int k, const fast_place& at) {
    if (singles_call(st.code, st.a)) {
        i64 unused;
        const val_item* l = st.a.kind == ARG_NONE ? nullptr : value(rs, st.a, at, &unused);
        const val_item* r = value(rs, st.b, at, &unused);
        if (r && (l || st.a.kind == ARG_NONE)) return call_singles(rs, k, st.code, l, r, at);
    }
    i64 lc, lv, rc, rv;
    int r = call_operand(rs, st.a, at, &lc, &lv);
    if (r == STEP_DONE) r = call_operand(rs, st.b, at, &rc, &rv);
    if (r != STEP_DONE) return r;
    errchk = 0;
    i64 res = Incstkv(&rs.temp);
    if (errchk) return STEP_FAILED;
    // The callee sees the assignments made so far.
    commit(rs);
    rs.done = true;
    i64 e =
        CallDefined(st.code, res, lc, lv, rc, rv, at.row, at.line, at.depth, rs.temp, at.io, false);
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

// A statement with calls.
[[gnu::noinline]] const val_item* run_calls(stmt_node* s, const fast_stmt* f, const fast_place& at,
                                            i64* v) {
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

}  // namespace

int fast::RunCallStep(run_state& rs, const step& st, int k, const fast_place& at) {
    rs.from[k] = -1;
    return run_call(rs, st, k, at);
}

void FastForget(stmt_node* s) {
    if (s->fast && s->fast != &not_fast) {
        fast_stmt* f = const_cast<fast_stmt*>(s->fast);
        if (f->running) f->orphan = true;
        else std::free(f);
    }
    s->fast = nullptr;
    s->single = false;
}

void FastCompile(stmt_node* s, i64 row) {
    const fast_stmt* f = compile_stmt(s, row);
    s->fast = f ? f : &not_fast;
    s->single = f != nullptr;
}

const val_item* RunCompiledCalls(stmt_node* s, const fast_place& at, i64* v) {
    *v = -1;
    const fast_stmt* f = s->fast;
    if (f->serial != at.serial) return nullptr;  // names read anew since the call
    return f->calls ? run_calls(s, f, at, v) : run_plain(f, at);
}
