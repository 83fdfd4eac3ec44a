// Dynamic binding of a defined function's names: at a call every name the
// body uses is bound to the newest binding of that name (a caller's local,
// or the global), the locals get fresh value slots, and the parse nodes of
// the body are pointed at the slots now bound; at the return the frame is
// popped and the caller's bindings are restored. Also the unwinding of the
// state indicator.
#include <cstring>
#include <utility>
#include <vector>

#include "eval/eval.h"
#include "parser/parser.h"

si_frame siframe[SITSIZE];
i64 fntemps[FTSIZE][2];

namespace {

bool is_io(i64 e) {
    FnGetFullname(e, 'N');
    return std::strcmp(namep, "[]IO") == 0;
}

// What a call of a row binds, read once from its parse records (dropped when
// the row is parsed again): the body names bound to their newest binding,
// the locals in the order they are pushed, whether each is []IO, and the
// body's nodes that read a name.
struct bind_entry {
    i64 name;
    bool io;
};
struct bind_plan {
    bool ready = false;
    i64 serial;               // tells this reading from earlier ones of the row
    i64 epoch;                // row_epoch when the key was last found the same
    i64 left, right, result;  // local numbers of the header's names, -1 none
    i64 nlocals;              // the locals a frame takes
    i64 entries;  // the binding-stack entries a frame may take, counted from the row's ranges
    i64 key[11];  // the row's record ranges and header names the plan was read from
    std::vector<bind_entry> body, locals;
    std::vector<std::pair<i64, i64>> nodes;  // node, name entry
};
bind_plan plans[FTSIZE];
i64 plan_serial = 0;

// Number of locals of a call: header names and generated temporaries.
i64 local_count(const func_entry& f, i64 row) {
    i64 n = f.hdrlast >= 0 ? f.hdrlast - f.hdrmark : 0;
    if (fntemps[row][1] > fntemps[row][0]) n += fntemps[row][1] - fntemps[row][0];
    return n;
}

// The plan of row read again, when the row's records differ from those it
// was read from.
[[gnu::noinline]] const bind_plan& read_plan(i64 row) {
    bind_plan& p = plans[row];
    const func_entry& f = functable[row];
    const i64 key[11] = {f.lblmark,   f.bodylast, f.hdrmark,       f.hdrlast,
                         f.nodefirst, f.nodelast, fntemps[row][0], fntemps[row][1],
                         f.left,      f.right,    f.result};
    p.epoch = row_epoch;
    if (p.ready && std::memcmp(p.key, key, sizeof key) == 0) return p;
    std::memcpy(p.key, key, sizeof key);
    p.body.clear();
    p.locals.clear();
    p.nodes.clear();
    for (i64 e = f.lblmark + 1; f.bodylast >= 0 && e <= f.bodylast; e++)
        if (nametable[e].kind != 'L' && !IsLoopTemp(row, e)) p.body.push_back({e, is_io(e)});
    i64 ranges[2][2] = {{fntemps[row][1], fntemps[row][0]}, {f.hdrlast, f.hdrmark}};
    for (auto& r : ranges)
        for (i64 e = r[0]; e > r[1] && e >= 0; e--) p.locals.push_back({e, is_io(e)});
    for (i64 n = f.nodefirst + 1; n <= f.nodelast && n <= lstndx; n++)
        if (parsetree[n].name >= 0) p.nodes.push_back({n, parsetree[n].name});
    p.left = f.left >= 0 ? LocalIndex(row, f.left) : -1;
    p.right = f.right >= 0 ? LocalIndex(row, f.right) : -1;
    p.result = f.result >= 0 ? LocalIndex(row, f.result) : -1;
    p.nlocals = local_count(f, row);
    p.entries = 1 + (f.bodylast >= 0 ? f.bodylast - f.lblmark : 0) + p.nlocals;
    p.serial = ++plan_serial;
    p.ready = true;
    return p;
}

// The plan of row, which needs looking at its records only when a row has
// changed since.
inline const bind_plan& plan_of(i64 row) {
    const bind_plan& p = plans[row];
    return p.ready && p.epoch == row_epoch ? p : read_plan(row);
}

bool push(i64 name, i64 slot) {
    if (lststkx + 1 >= DFXSIZE) return false;
    dfxstack[++lststkx] = {name, slot};
    return true;
}

// Whether two name entries hold the same name.
bool same_name(const name_entry& a, const name_entry& b) {
    if (std::strncmp(a.name, b.name, 8) != 0) return false;
    if (a.tail < 0 || b.tail < 0) return a.tail < 0 && b.tail < 0;
    return std::strcmp(tnam + a.tail, tnam + b.tail) == 0;
}

// The newest binding of the name of entry e on the binding stack, or -1.
i64 newest_binding(i64 e) {
    const name_entry& n = nametable[e];
    for (i64 i = lststkx; i >= 0; i--) {
        i64 nx = dfxstack[i].name;
        if (nx >= 0 && nx <= lstnx && same_name(nametable[nx], n)) return i;
    }
    return -1;
}

// The slot a body name binds to: its newest binding, else its global, made
// (without a value) when the name is new; -1 with errchk when none can be.
i64 nonlocal_slot(i64 e) {
    i64 d = newest_binding(e);
    if (d >= 0) return dfxstack[d].slot;
    FnGetFullname(e, 'N');
    char name[NAMESIZE];
    std::snprintf(name, sizeof name, "%s", namep);
    i64 g = FnFindName(name, 'G');
    if (g >= 0) {
        if (gnametable[g].kind == 'V') return gnametable[g].index;
        errchk = E_TABLE_FULL;
        return -1;
    }
    if (lstvx + 1 + SCRATCHGAP >= lstvxend) {
        errchk = E_TABLE_FULL;
        return -1;
    }
    if ((g = Enter(name, 'G')) < 0) return -1;
    return gnametable[g].index;
}

// A local's slot emptied. It is a named slot, never a temporary's, so only
// a block it holds has anything to give back.
void empty_local(i64 slot) {
    val_item* v = &vtable[slot];
    if (v->bytes > 0) ReleaseValue(v);
    else *v = val_item{};
    v->rank = -1;
}

// A fresh local slot for name entry e.
i64 local_slot(i64 e) {
    i64 slot = --lstvxend;
    empty_local(slot);
    nametable[e].index = slot;
    return slot;
}

void rebind_nodes(const bind_plan& p) {
    for (const auto& [n, nm] : p.nodes)
        if (n <= lstndx && nm <= lstnx) parsetree[n].ref = nametable[nm].index;
}

// Pops the binding stack to `top` and gives back the local slots from
// lstvxend up to `vxend`; the frame then on top is written back into its
// name entries.
void restore(i64 top, i64 vxend) {
    if (vxend > SYSTART) vxend = SYSTART;
    for (i64 s = lstvxend; s < vxend; s++) Rslocvx1(s);
    if (vxend > lstvxend) lstvxend = vxend;
    lststkx = top < -1 ? -1 : top;
    for (i64 k = lststkx; k >= 0 && dfxstack[k].name >= 0; k--)
        if (dfxstack[k].name <= lstnx) nametable[dfxstack[k].name].index = dfxstack[k].slot;
}

// Whether a call finds room for its frame; errchk when not.
bool room_for(const bind_plan& p) {
    if (lststkx + p.entries >= DFXSIZE) return errchk = E_STACK_FULL, false;
    if (lstvxend - p.nlocals <= lstvx + SCRATCHGAP) return errchk = E_TABLE_FULL, false;
    return true;
}

i64 bind(i64 row) {
    const bind_plan& p = plan_of(row);
    if (!room_for(p)) return -1;
    i64 top = lststkx, vxend = lstvxend, io = -1;
    push(-1, lstvxend);
    for (const bind_entry& b : p.body) {
        i64 slot = nonlocal_slot(b.name);
        if (slot < 0) {
            restore(top, vxend);
            return -1;
        }
        nametable[b.name].index = slot;
        push(b.name, slot);
        if (b.io) io = slot;
    }
    for (const bind_entry& b : p.locals) {
        i64 slot = local_slot(b.name);
        push(b.name, slot);
        if (b.io) io = slot;
    }
    rebind_nodes(p);
    return io;
}

i64 unbind(i64 row) {
    i64 m = lststkx;
    while (m >= 0 && dfxstack[m].name != -1) m--;
    if (m < 0) return errchk = E_DOMAIN;
    restore(m - 1, dfxstack[m].slot);
    if (row >= 0) rebind_nodes(plan_of(row));
    return 0;
}

// Drops every frame and local, once nothing is suspended any more.
void release_all() {
    restore(-1, SYSTART);
    lststkx = -1;
}

// The slot of header name e (local number k) in frame.
i64 header_slot(const call_frame& frame, i64 e, i64 k) {
    if (e < 0) return -1;
    i64 slot = LocalSlot(frame.base, k);
    return k >= 0 && slot >= lstvxend ? slot : nametable[e].index;
}

void header_slots(const bind_plan& p, const func_entry& f, call_frame* frame) {
    frame->left = header_slot(*frame, f.left, p.left);
    frame->right = header_slot(*frame, f.right, p.right);
    frame->result = header_slot(*frame, f.result, p.result);
}

}  // namespace

void ForgetBinding(i64 row) { plans[row].ready = false; }

i64 BindCall(i64 row, i64 level, call_frame* frame) {
    errchk = 0;
    const bind_plan& p = plan_of(row);
    frame->serial = p.serial;
    frame->base = lstvxend;
    i64 top = lststkx;
    frame->io = bind(row);
    if (errchk) return errchk;
    siframe[level] = {1, top, frame->base};
    header_slots(p, functable[row], frame);
    return 0;
}

i64 LocalIndex(i64 row, i64 e) {
    const func_entry& f = functable[row];
    i64 t0 = fntemps[row][0], t1 = fntemps[row][1];
    if (e > t0 && e <= t1) return t1 - e;
    if (f.hdrlast >= 0 && e > f.hdrmark && e <= f.hdrlast)
        return (t1 > t0 ? t1 - t0 : 0) + f.hdrlast - e;
    return -1;
}

i64 PlanSerial(i64 row) { return plan_of(row).serial; }

i64 FrameSlot(i64 row, const call_frame& frame, i64 e) {
    return header_slot(frame, e, LocalIndex(row, e));
}

i64 SetNodeValue(i64 row, i64 other, i64 mode) {
    (void)other;
    errchk = 0;
    if (mode == 1) return bind(row);
    if (mode == 2) return unbind(row);
    return 0;
}

void Rslocvx1(i64 slot) {
    if (slot < lstvxend || slot >= SYSTART) return;
    empty_local(slot);
}

i64 SiMakeRoom(i64 n) {
    while (sidx + n >= SITSIZE) {
        if (sidx < 0) return E_STACK_FULL;
        i64 live = sidx + n < SITSIZE ? sidx + n : SITSIZE;
        for (i64 i = 1; i < live; i++) {
            sitable[i - 1] = sitable[i];
            siframe[i - 1] = siframe[i];
        }
        sidx--;
    }
    return 0;
}

// Pops the frame of the lowest level from..to that bound one, and with it
// every frame above; the levels no longer hold a frame.
static void unbind_levels(i64 from, i64 to) {
    if (to >= SITSIZE) to = SITSIZE - 1;
    for (i64 s = from; s <= to; s++) {
        if (sitable[s].row >= 0 && siframe[s].bound) {
            restore(siframe[s].stack, siframe[s].vxend);
            break;
        }
    }
    for (i64 s = from; s <= to; s++) siframe[s].bound = 0;
}

void SiUnwind(i64 level) {
    if (level < 0) level = 0;
    unbind_levels(level, sidx);
    sidx = level - 1;
    if (sidx < 0) release_all();
}

void SiDropCalls(i64 depth) {
    unbind_levels(sidx + depth + 1, sidx + depest);
    depest = depth;
}
