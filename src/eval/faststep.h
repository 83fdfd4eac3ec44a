// The compiled form of a statement of single numbers (faststmt.cpp makes
// it) and the run of its steps. The statement loop runs a compiled statement
// by RunCompiled: in place when it has no calls, else by RunCompiledCalls.
#pragma once

#include "dict/dict.h"
#include "eval/eval.h"
#include "parser/records.h"
#include "scalar/scalar.h"

// The steps' code is forced inline where the optimizer runs; unoptimized,
// forcing it would only swell the stack frame of every level of a deep
// recursion.
#if defined(__OPTIMIZE__)
#define FAST_INLINE [[gnu::always_inline]] inline
#else
#define FAST_INLINE inline
#endif

namespace fast {

constexpr int MAXSTEPS = 16;

// An operand: a register (the result of step `at`), a constant (ctable
// index), a local of the function (its number in the call's frame) or
// another variable (its parse node: the slot is bound at each call).
enum : int { ARG_NONE = -2, ARG_BAD = -1, ARG_REG, ARG_CONST, ARG_LOCAL, ARG_VAR };
struct arg {
    int kind, at;
    bool late = false;  // a variable read after an assignment of the statement was queued
};

enum : int { STEP_COPY, STEP_DYAD, STEP_NOT, STEP_STORE, STEP_CALL };

// Each step makes the register of its own index, the value of parse node
// `node`. COPY: the value of a; DYAD: code applied to a (left) and b
// (right), then negated when `negate` is set (a truth value only), then
// assigned to variable `target` (a local or a variable operand) when it is
// one; NOT: the negation of a; STORE: a assigned to variable `target`;
// CALL: defined function row `code` called with a (left, or none) and b.
struct step {
    int op;
    arg a, b;
    int code;  // a function code or a function's row
    arg target;
    int node;  // a parse node
    bool negate;
    bool last = false;  // the statement's last step
    int form = -1;      // its operation and operand kinds (form_of), -1 a call
};

}  // namespace fast

struct fast_stmt {
    int n;
    i64 row, serial;  // compiled for this reading of the row's names
    bool calls;       // holds a call
    int running;      // runs under way (a call may run the statement again)
    bool orphan;      // dropped from its statement while running: freed by the last run
    fast::step steps[fast::MAXSTEPS];
};

namespace fast {

// A register holds a single number's type, rank and element: the words the
// single-number kernels read and write.
inline void take(val_item* r, const val_item* v) {
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
    bool done;  // a call made (the assignments before it with it): no giving back now
    i64 temp;   // the run's temporary counter
};

// The register file of statements without calls, at a fixed place (its
// speed then does not depend on where the stack happens to lie).
inline run_state plain;

// How a step ended: done; not run (the walker runs it); run, its value
// not a single number (the walker takes it as made); failed (errchk).
enum : int { STEP_DONE, STEP_GIVE_BACK, STEP_MADE_OTHER, STEP_FAILED };

// SingleNumber of a value that has one (rank not -1), in three tests: a
// boolean, integer or float type is held in its descriptor.
inline bool one_number(const val_item* v) {
    return static_cast<uint64_t>(v->type) <= TFLOAT && static_cast<uint64_t>(v->rank) <= 1 &&
           v->count == 1;
}

// The slot of variable x of kind K (a local or a variable operand), -1
// when none.
template <int K>
FAST_INLINE i64 slot_of(arg x, const fast_place& at) {
    if (K == ARG_LOCAL) {
        i64 s = LocalSlot(at.base, x.at);
        return s >= lstvxend ? s : -1;
    }
    i64 s = parsetree[x.at].ref;
    return s < VTSIZE ? s : -1;
}

inline i64 var_slot(arg x, const fast_place& at) {
    return x.kind == ARG_LOCAL ? slot_of<ARG_LOCAL>(x, at) : slot_of<ARG_VAR>(x, at);
}

// The value of operand x of kind K, or nullptr when it is not a single
// number; *slot the variable it was read from (-1 for any other operand).
template <int K>
FAST_INLINE const val_item* fetch(run_state& rs, arg x, const fast_place& at, i64* slot) {
    if (K == ARG_REG) {
        *slot = rs.from[x.at];
        return &rs.reg[x.at];
    }
    *slot = -1;
    const val_item* v;
    if (K == ARG_CONST) {
        v = &ctable[x.at];
    } else {
        i64 s = slot_of<K>(x, at);
        if (s < 0) return nullptr;
        for (int w = x.late ? rs.waiting - 1 : -1; w >= 0; w--)
            if (rs.wait[w].slot == s) return &rs.reg[rs.wait[w].reg];
        v = &vtable[s];
        *slot = s;
    }
    return one_number(v) ? v : nullptr;
}

// The same for an operand of any kind.
FAST_INLINE const val_item* value(run_state& rs, arg x, const fast_place& at, i64* slot) {
    switch (x.kind) {
    case ARG_REG: return fetch<ARG_REG>(rs, x, at, slot);
    case ARG_CONST: return fetch<ARG_CONST>(rs, x, at, slot);
    case ARG_LOCAL: return fetch<ARG_LOCAL>(rs, x, at, slot);
    default: return fetch<ARG_VAR>(rs, x, at, slot);
    }
}

// The slot of an assignment's target variable, -1 when not a plain
// variable (the walker assigns it).
FAST_INLINE i64 target_slot(arg target, const fast_place& at) {
    i64 slot = var_slot(target, at);
    return slot >= FIRSTVAR && slot < SYSTART ? slot : -1;
}

// Assigns the value of variable src to variable slot (a plain variable, see
// target_slot) as the walker's assignment does: shared. A single number that
// neither holds a block is copied whole, which is what sharing it does.
FAST_INLINE void assign_shared(i64 slot, i64 src) {
    val_item* d = &vtable[slot];
    const val_item* s = &vtable[src];
    if (isnamedslot(src) && s->bytes == 0 && d->bytes == 0 && one_number(s)) *d = *s;
    else PfAssign(slot, -1, src);
}

// Assigns register x to slot; src the variable its value was read from
// (-1 none), whose value is then shared.
FAST_INLINE void assign(i64 slot, val_item* x, i64 src) {
    if (src >= 0) assign_shared(slot, src);
    else if (!StoreSingleQuick(&vtable[slot], x)) GenStoreV2(&vtable[slot], x, true);
}

// Makes waiting assignment w. A variable assigned before it no longer holds
// the value read from it.
FAST_INLINE void make(run_state& rs, int w) {
    const pending& p = rs.wait[w];
    i64 src = rs.from[p.reg];
    for (int e = 0; src >= 0 && e < w; e++)
        if (rs.wait[e].slot == src) src = -1;
    assign(p.slot, &rs.reg[p.reg], src);
}

// Register k is to be assigned to target: at once when it is the last step
// and nothing waits, else after the assignments waiting. False when the
// walker must assign it.
FAST_INLINE bool assign_to(run_state& rs, const step& st, const fast_place& at, int k) {
    i64 slot = target_slot(st.target, at);
    if (slot < 0) return false;
    if (st.last && rs.waiting == 0) {
        assign(slot, &rs.reg[k], rs.from[k]);
    } else {
        rs.wait[rs.waiting++] = {slot, k};
    }
    return true;
}

// Makes the waiting assignments in order.
inline void commit(run_state& rs) {
    for (int w = 0; w < rs.waiting; w++) make(rs, w);
    rs.waiting = 0;
}

// The same, the usual case (one assignment) made at once.
FAST_INLINE void commit_quick(run_state& rs) {
    if (rs.waiting != 1) return commit(rs);
    make(rs, 0);
    rs.waiting = 0;
}

// Runs call step st (faststmt.cpp).
int RunCallStep(run_state& rs, const step& st, int k, const fast_place& at);

// The steps, each made for the kinds of its operands.

template <int KA>
FAST_INLINE int run_copy(run_state& rs, const step& st, int k, const fast_place& at) {
    i64 from;
    const val_item* a = fetch<KA>(rs, st.a, at, &from);
    if (!a) return STEP_GIVE_BACK;
    take(&rs.reg[k], a);
    rs.from[k] = from;
    return STEP_DONE;
}

template <int KA>
FAST_INLINE int run_store(run_state& rs, const step& st, int k, const fast_place& at) {
    int r = run_copy<KA>(rs, st, k, at);
    if (r != STEP_DONE) return r;
    return assign_to(rs, st, at, k) ? STEP_DONE : STEP_GIVE_BACK;
}

template <int KA>
FAST_INLINE int run_not(run_state& rs, const step& st, int k, const fast_place& at) {
    i64 from;
    const val_item* a = fetch<KA>(rs, st.a, at, &from);
    if (!a || a->type != TBOOL) return STEP_GIVE_BACK;
    SingleInto(&rs.reg[k], TBOOL, a->rank, a->dim0 == 0);
    rs.from[k] = -1;
    return STEP_DONE;
}

template <int KA, int KB>
FAST_INLINE int run_dyad(run_state& rs, const step& st, int k, const fast_place& at) {
    i64 from;
    const val_item* a = fetch<KA>(rs, st.a, at, &from);
    if (!a) return STEP_GIVE_BACK;
    const val_item* b = fetch<KB>(rs, st.b, at, &from);
    if (!b) return STEP_GIVE_BACK;
    val_item* out = &rs.reg[k];
    rs.from[k] = -1;
    // Both are single numbers: integers and truth values go straight to
    // their kernel.
    bool words = static_cast<uint64_t>(a->type | b->type) <= TINT;
    if (!(words && WordKernel(st.code, out, a, b)) && !SinglesInto(st.code, out, a, b))
        return STEP_GIVE_BACK;
    if (st.negate) {
        if (out->type != TBOOL) return STEP_GIVE_BACK;
        out->dim0 = out->dim0 == 0;
    }
    if (st.target.kind != ARG_NONE && !assign_to(rs, st, at, k)) return STEP_GIVE_BACK;
    return STEP_DONE;
}

// The form of a step: its operation and the kinds of its operands.
constexpr int form_of(int op, int a, int b) { return (op * 4 + a) * 4 + b; }

// The form of step st, -1 for a call.
inline int form(const step& st) {
    if (st.op == STEP_CALL) return -1;
    int a = st.a.kind - ARG_REG, b = st.b.kind - ARG_REG;
    return form_of(st.op, a, st.op == STEP_DYAD ? b : 0);
}

// Runs step k by the code made for its form.
FAST_INLINE int run_step(run_state& rs, const step& st, int k, const fast_place& at) {
    constexpr int R = ARG_REG, C = ARG_CONST, L = ARG_LOCAL, V = ARG_VAR;
    // clang-format off
    switch (st.form) {
    case form_of(STEP_DYAD, R, R): return run_dyad<R, R>(rs, st, k, at);
    case form_of(STEP_DYAD, R, C): return run_dyad<R, C>(rs, st, k, at);
    case form_of(STEP_DYAD, R, L): return run_dyad<R, L>(rs, st, k, at);
    case form_of(STEP_DYAD, R, V): return run_dyad<R, V>(rs, st, k, at);
    case form_of(STEP_DYAD, C, R): return run_dyad<C, R>(rs, st, k, at);
    case form_of(STEP_DYAD, C, C): return run_dyad<C, C>(rs, st, k, at);
    case form_of(STEP_DYAD, C, L): return run_dyad<C, L>(rs, st, k, at);
    case form_of(STEP_DYAD, C, V): return run_dyad<C, V>(rs, st, k, at);
    case form_of(STEP_DYAD, L, R): return run_dyad<L, R>(rs, st, k, at);
    case form_of(STEP_DYAD, L, C): return run_dyad<L, C>(rs, st, k, at);
    case form_of(STEP_DYAD, L, L): return run_dyad<L, L>(rs, st, k, at);
    case form_of(STEP_DYAD, L, V): return run_dyad<L, V>(rs, st, k, at);
    case form_of(STEP_DYAD, V, R): return run_dyad<V, R>(rs, st, k, at);
    case form_of(STEP_DYAD, V, C): return run_dyad<V, C>(rs, st, k, at);
    case form_of(STEP_DYAD, V, L): return run_dyad<V, L>(rs, st, k, at);
    case form_of(STEP_DYAD, V, V): return run_dyad<V, V>(rs, st, k, at);
    case form_of(STEP_COPY, R, 0): return run_copy<R>(rs, st, k, at);
    case form_of(STEP_STORE, R, 0): return run_store<R>(rs, st, k, at);
    case form_of(STEP_NOT, R, 0): return run_not<R>(rs, st, k, at);
    case form_of(STEP_COPY, C, 0): return run_copy<C>(rs, st, k, at);
    case form_of(STEP_STORE, C, 0): return run_store<C>(rs, st, k, at);
    case form_of(STEP_NOT, C, 0): return run_not<C>(rs, st, k, at);
    case form_of(STEP_COPY, L, 0): return run_copy<L>(rs, st, k, at);
    case form_of(STEP_STORE, L, 0): return run_store<L>(rs, st, k, at);
    case form_of(STEP_NOT, L, 0): return run_not<L>(rs, st, k, at);
    case form_of(STEP_COPY, V, 0): return run_copy<V>(rs, st, k, at);
    case form_of(STEP_STORE, V, 0): return run_store<V>(rs, st, k, at);
    case form_of(STEP_NOT, V, 0): return run_not<V>(rs, st, k, at);
    default: return RunCallStep(rs, st, k, at);
    }
    // clang-format on
}

// A statement without calls: it makes no temporary and gives back before
// any assignment is made.
FAST_INLINE const val_item* run_plain(const fast_stmt* f, const fast_place& at) {
    plain.waiting = 0;
    if (f->n == 1) {  // the usual statement: one step
        if (run_step(plain, f->steps[0], 0, at) != STEP_DONE) return nullptr;
    } else {
        for (int k = 0; k < f->n; k++)
            if (run_step(plain, f->steps[k], k, at) != STEP_DONE) return nullptr;
    }
    if (plain.waiting) commit_quick(plain);
    collision = 0;
    errchk = 0;
    return &plain.reg[f->n - 1];
}

}  // namespace fast

// Runs compiled statement s as RunCompiledCalls does: in place when it has
// no calls and its names were read for this call, else by RunCompiledCalls.
FAST_INLINE const val_item* RunCompiled(stmt_node* s, const fast_place& at, i64* v) {
    const fast_stmt* f = s->fast;
    if (f->calls || f->serial != at.serial) return RunCompiledCalls(s, at, v);
    *v = -1;
    return fast::run_plain(f, at);
}
