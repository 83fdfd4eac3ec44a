// Running a defined function's body: its lines statement by statement
// through the statement index, values printed as at the top level, branches
// steering the line number, and on a failure the state-indicator entry and
// the trace of the lines last run.
#include "display/display.h"
#include "eval/eval.h"
#include "eval/faststep.h"
#include "parser/records.h"

namespace {

constexpr i64 RING = 100;        // the trace shows up to RING - 1 lines
constexpr i64 RING_SLOTS = 128;  // a power of two above RING: an index is a mask

struct Run {
    i64 row, last;
    i64 ran = 0;           // statements run
    i64 ring[RING_SLOTS];  // line numbers, at index ran mod RING_SLOTS (read only where written)
};

const val_item& value_of(i64 root, i64 v) {
    return parsetree[root].kind == 'C' ? ctable[v] : vtable[v];
}

i64 element(const val_item& v, i64 i) {
    const void* d = getptV(const_cast<val_item*>(&v));
    if (v.type == TFLOAT) return static_cast<i64>(static_cast<const double*>(d)[i]);
    return static_cast<const i64*>(d)[i];
}

// A condition is boolean, or integer or float holding only 0 and 1.
bool boolean_values(const val_item& v) {
    if (v.type == TBOOL) return true;
    if (v.type != TINT && v.type != TFLOAT) return false;
    const void* d = getptV(const_cast<val_item*>(&v));
    for (i64 i = 0; i < v.count; i++) {
        double x = v.type == TINT ? static_cast<double>(static_cast<const i64*>(d)[i])
                                  : static_cast<const double*>(d)[i];
        if (x != 0.0 && x != 1.0) return false;
    }
    return true;
}

// The line a computed branch goes to: *to, 0 to leave; an error code.
// A text is shown, from the walker's result (root, v).
i64 computed(const val_item& x, i64 root, i64 v, i64 i, i64 last, i64* to) {
    if (x.type == TCHAR) {
        i64 e = GenOutpt(parsetree[root].kind == 'C' ? 1 : 0, v);
        return e ? e : E_BRANCH_TEXT;
    }
    if (x.type != TBOOL && x.type != TINT) return E_TYPE;
    if (!single(&x)) return E_BRANCH_RESTRICTION;
    i64 n = element(x, 0);
    *to = n < 0 ? i + 1 : n > last ? 0 : n;
    return 0;
}

// The line a conditional branch goes to.
i64 conditional(const br_entry& b, const val_item& x, i64* to) {
    if (x.type == TBOOL && (x.rank == 0 || x.rank == 1) && x.count == 1) {
        *to = x.dim0 ? b.target : b.next;  // one truth value, held in its descriptor
        return 0;
    }
    if (x.rank > 1) return E_BRANCH_FORMAT;
    if (!boolean_values(x)) return E_TYPE;
    *to = b.next;
    if (x.count == 0) return 0;
    if (single(&x)) {
        if (element(x, 0)) *to = b.target;
        return 0;
    }
    i64 labels = 1;
    if (b.list >= 0)
        while (b.list + labels - 1 < OVSIZE && overflow[b.list + labels - 1] != -1) labels++;
    if (labels != 1 && labels != x.count) return E_LENGTH;
    for (i64 p = 0; p < x.count; p++) {
        if (!element(x, p)) continue;
        *to = p == 0 || labels == 1 ? b.target : overflow[b.list + p - 1];
        return 0;
    }
    return 0;
}

void record_trace(const Run& r) {
    if (traceflag) return;
    traceflag = 1;
    i64 m = r.ran < RING - 1 ? r.ran : RING - 1;
    traces[0] = r.row;
    traces[1] = r.last;
    traces[2] = r.ran;
    for (i64 j = 0; j < m; j++) traces[3 + j] = r.ring[(r.ran - m + 1 + j) & (RING_SLOTS - 1)];
    tracenum = 3 + m;
}

void fail(const Run& r, i64 i, i64 depth, i64 node) {
    sitable[sidx + depth] = {r.row, i};
    if (epos == -1 && errchk != E_STRUCTURE && node >= 0 && node <= lstndx)
        epos = parsetree[node].col;
    record_trace(r);
}

}  // namespace

void ExecuFunc(i64 row, i64 mark, i64 temp, i64 depth, const call_frame& frame) {
    i64 io = frame.io;
    zem_func* f = functable[row].func;
    Run r;
    r.row = row;
    r.last = f ? f->nexec - 1 : 0;
    // s is statement k of line i; it is looked up again when a statement
    // made the statement index anew.
    i64 i = 1, k = 0;
    i64 count, generation = IbGeneration();
    stmt_node* const* lines = IbLines(row, &count);
    // The first statement of line n: the index is read again once made anew.
    auto first = [&](i64 n) -> stmt_node* {
        if (generation != IbGeneration()) {
            generation = IbGeneration();
            lines = IbLines(row, &count);
        }
        return n >= 0 && n < count ? lines[n] : nullptr;
    };
    stmt_node* s = first(i);
    fast_place place{row, mark, temp, i, depth, io, frame.base, frame.serial};
    errchk = 0;
    while (i >= 1 && i <= r.last) {
        if (!s) {
            s = first(++i);
            k = 0;
            continue;
        }
        r.ring[++r.ran & (RING_SLOTS - 1)] = i;
        i64 v = 0;
        const val_item* value = nullptr;  // set by a statement's single-number form
        if (s->root >= 0) {
            // The temporaries of the statement before are dead. A statement
            // of single numbers makes none: with none left, nothing to do
            // unless the walker runs it after all.
            bool fast = FastForm(s, row);
            bool reset = !fast || stacktop != mark;
            if (reset) ResetTemps(mark);
            i64 made = IbGeneration();
            v = -1;
            place.line = i;
            if (fast) value = RunCompiled(s, place, &v);
            if (!value) {
                if (v < 0) {
                    if (!reset) ResetTemps(mark);
                    v = TreeList(row, s->root, s->start, mark, temp, i, depth, io);
                }
                if (errchk) return fail(r, i, depth, v);
            }
            if (made != IbGeneration() && !(s = IbIndx(row, i, k))) {
                s = first(++i);
                k = 0;
                continue;
            }
        }
        if (s->branch < 0) {
            if (s->root >= 0 && !value && ShowsValue(s->root)) {
                errchk = GenOutpt(parsetree[s->root].kind == 'C' ? 1 : 0, v);
                if (errchk) return fail(r, i, depth, s->root);
            }
            if (s->next) {
                s = s->next;
                k++;
                continue;
            }
            s = first(++i);
            k = 0;
            continue;
        }
        const br_entry& b = brtable[s->branch];
        i64 to = b.target;
        i64 e = 0;
        if (s->root >= 0 && !value) value = &value_of(s->root, v);
        if (b.target == BR_COMPUTED)
            e = s->root >= 0 ? computed(*value, s->root, v, i, r.last, &to) : E_BRANCH_TEXT;
        else if (b.next >= 0 && s->root >= 0) e = conditional(b, *value, &to);
        if (e) {
            errchk = e;
            return fail(r, i, depth, s->root);
        }
        i = to;
        s = first(i);
        k = 0;
    }
}
