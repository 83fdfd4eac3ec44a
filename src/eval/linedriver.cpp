// The line driver: cuts a line into statements, runs or records each one,
// prints values, and shows a failing line with a caret under the error.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "dict/dict.h"
#include "display/display.h"
#include "eval/eval.h"
#include "parser/parser.h"
#include "values/fcodes.h"

// A full workspace, glist or table: the statement ran out of room, not into
// a fault of its own, so a failed query still says why.
static bool out_of_room(i64 code) {
    return code == E_WS_FULL || code == E_GLIST_FULL || code == E_TABLE_FULL;
}

// A query of the line failed: every level its do made goes, the prelude's
// calls and the user functions they called (the lowest prelude level above
// base, the line's own state-indicator entry, and all above it), so that
// none of their locals hides a user's name and no failed query leaves its
// levels behind; what called do stays suspended at that line, a user
// function or the line itself.
static void cut_query(i64 base) {
    for (i64 level = base + 1; level <= sidx; level++)
        if (sitable[level].row >= 0 && DBListM(sitable[level].row)) {
            SiUnwind(level);
            return;
        }
}

// A statement of the query prelude failed: one closing line stands for the
// whole query, after the error's own line when it ran out of room.
static void close_query(i64 base, i64 code) {
    if (out_of_room(code)) errmsg(code);
    std::fputs("error in `do statement\n", stdout);
    cut_query(base);
}

static const line_context* within = nullptr;

// The top-level lines whose calls stay suspended, oldest first: each one's
// state-indicator entry and the parse mark taken at its start. Its parse
// records are kept while a call of it is suspended and given back once its
// calls are cleared: its own entry, left alone, runs nothing.
namespace {
struct suspended_line {
    i64 base;
    parse_mark mark;
};
constexpr size_t SUSPENDED_MAX = SITSIZE;
suspended_line suspended[SUSPENDED_MAX];
size_t nsuspended = 0;
}  // namespace

// The state indicator moved its levels down by `from - sidx` to make room
// (SiMakeRoom): the lines' entries moved with them. A line whose own entry
// fell off is given back only once the indicator is empty.
static void follow_shift(i64 from) {
    i64 k = from - sidx;
    if (k <= 0) return;
    for (size_t i = 0; i < nsuspended; i++)
        suspended[i].base = suspended[i].base >= k ? suspended[i].base - k : -1;
}

// Nothing of the line is left above its own entry (a call in its place
// means the entry fell off).
static bool cleared(const suspended_line& l) {
    return l.base > sidx || (l.base == sidx && (sidx < 0 || sitable[sidx].row < 0));
}

void ReleaseClearedLines() {
    while (nsuspended > 0 && cleared(suspended[nsuspended - 1]))
        ParseRelease(suspended[--nsuspended].mark);
    // Records no line of this session made (a workspace saved with calls
    // suspended, loaded, and its calls cleared) go once nothing is left to
    // run from them.
    if (nsuspended == 0 && !within && sidx < 0 && lststkx < 0 && lstndx >= 0)
        ParseRelease(RestMark());
}

void SetLineContext(const line_context* context) { within = context; }

static i64 run_within(char* text, i64 length) {
    errchk = 0;
    i64 depth = depest;
    ExecParse(text, length, within->temp, -1, within->depth, within->io);
    i64 code = errchk;
    if (code) SiDropCalls(within->depth);
    depest = depth;
    errchk = code;
    return code ? -1 : 0;
}

i64 ParseLine(char* text, i64 length) {
    if (within) return run_within(text, length);
    ErrForget();
    ReleaseClearedLines();
    i64 from = sidx;
    epos = -1;
    stdtim = static_cast<i64>(std::clock());
    chrnum = 0;
    depest = 1;
    fgrtn = 0;
    if (SiMakeRoom(1)) {
        errmsg(E_STACK_FULL);
        return -1;
    }
    follow_shift(from);
    sitable[sidx + 1] = {-1, 0};
    // An immediate line binds nothing; its frame must not keep what an
    // earlier call left at this level (a saved workspace carries it).
    siframe[sidx + 1] = {0, lststkx, lstvxend};
    traceflag = 0;
    errchk = 0;
    parse_mark mark = ParseMark();
    from = sidx;
    ParseLine0(text, length, -1, 0, 0, 1, &epos, true);
    follow_shift(from);
    if (errchk == 0) {
        ParseRelease(mark);
        if (fgrtn) {
            std::fputs("\n", stdout);
            fgrtn = 0;
        }
        return 0;
    }
    i64 code = errchk;
    i64 base = sidx + 1;
    sidx += depest;
    if (sidx >= SITSIZE) sidx = SITSIZE - 1;
    si_entry top = sitable[sidx];
    errchk = code;
    if (top.row < 0) ShowImmediateError(text);
    else if (DBListM(top.row)) close_query(base, code);
    else {
        ShowFunctionError(top.row, top.line);
        cut_query(base);
    }
    // Records a suspended call still runs from are kept until it is cleared.
    if (sidx <= base) ParseRelease(mark);
    else if (nsuspended < SUSPENDED_MAX) suspended[nsuspended++] = {base, mark};
    errchk = code;
    return -1;
}

// Runs step on each statement of a line in turn: the parser reads the next
// statement (its root, start node and branch record in out), then step(out)
// runs or records it and returns the column of its failure. Stops at the
// first error, left in errchk; false then. With errpos given, the error's
// column within the line goes there unless it is already known.
template <class Step>
static bool each_statement(char* text, i64 length, i64 row, i64 line, char terminator,
                           const i64* io, i64* errpos, Step step) {
    i64 off = 0;
    while (length > 0) {
        i64 out[3] = {-1, -1, -1};
        errchk = ZemParser(text + off, length, row, line, terminator, *io, out);
        i64 cur = GetZemCursor();
        i64 col = errchk ? GetZemOldCursor() : step(out);
        if (errchk) {
            if (errpos && *errpos < 0) *errpos = col + off;
            return false;
        }
        off += cur + 1;
        length -= cur + 1;
    }
    return true;
}

i64 ParseLine0(char* text, i64 length, i64 row, i64 line, char terminator, i64 x, i64* errpos,
               bool execute) {
    each_statement(text, length, row, line, terminator, &x, errpos, [&](i64* out) -> i64 {
        if (execute) return ExecuLine(onlyroot, onlystn);
        IbAddx(row, line, out);
        return 0;
    });
    return 0;
}

// The []IO in force: a suspended function's local one, else the global.
static i64 io_slot() {
    if (sidx < 0) return SLOT_IO;
    i64 d = FnFindName("[]IO", 'D');
    return d >= 0 && d <= lststkx ? dfxstack[d].slot : SLOT_IO;
}

bool ShowsValue(i64 root) {
    const parse_node& r = parsetree[root];
    if (r.kind == 'V' || r.kind == 'C') return true;
    if (r.kind != 'F') return false;
    const fn_node& f = fnodetable[r.ref];
    if (f.kind == 'D') return functable[f.code].result != -1;
    if (f.code == FC_ASSIGN) return false;
    if (f.code == FC_EXECUTE) return exeout != 0;
    return true;
}

i64 ExecuLine(i64 root, i64 start) {
    if (root < 0) return 0;
    CleanEPf();
    ResetTemps(0);
    errchk = 0;
    idxafstkpt = -1;
    idxtagstp = -1;
    i64 io = io_slot();
    for (i64 r = FIRSTFN; r <= lstfx; r++) functable[r].parsed = 0;
    i64 vi = TreeList(-1, root, start, stacktop, 3, -1, 1, io);
    if (errchk) return parsetree[vi].col;
    if (!ShowsValue(root)) return 0;
    errchk = GenOutpt(parsetree[root].kind == 'C' ? 1 : 0, vi);
    return errchk ? parsetree[root].col : 0;
}

i64 ExecParse(char* text, i64 length, i64 temp, i64 row, i64 depth, i64* io) {
    i64 result = 0;
    bool ok = each_statement(text, length, row, 0, 0, io, nullptr, [&](i64* out) -> i64 {
        if (row >= 0) {
            onlyroot = out[0];
            onlystn = out[1];
        }
        result = ExecaLine(onlyroot, onlystn, temp, row, depth, *io);
        return 0;
    });
    return ok ? result : -1;
}

i64 ExecaLine(i64 root, i64 start, i64 temp, i64 row, i64 depth, i64 io) {
    i64 saved[IDXSTK];
    i64 savedpt = idxafstkpt;
    for (i64 k = 0; k <= savedpt; k++) saved[k] = idxafstk[k];
    idxafstkpt = -1;
    errchk = 0;
    i64 r = TreeList(row, root, start, stacktop, temp, -1, depth, io);
    idxafstkpt = savedpt;
    for (i64 k = 0; k <= savedpt; k++) idxafstk[k] = saved[k];
    exeout = 0;
    if (errchk || root < 0) return r;
    const parse_node& n = parsetree[root];
    if (n.kind == 'V') {
        exeout = 1;
    } else if (n.kind == 'C') {
        exeout = 2;
        r = -r;
    } else if (n.kind == 'F') {
        const fn_node& f = fnodetable[n.ref];
        if ((f.kind == 'D' && functable[f.code].result != -1) ||
            (f.kind == 'P' && f.code != FC_ASSIGN))
            exeout = 1;
    }
    return r;
}

void CleanET() {
    if (sidx >= 0) {
        for (i64 s = lstvxend; s < SYSTART; s++) Rslocvx1(s);
        lstvxend = SYSTART;
        lststkx = -1;
    }
    collision = 0;
    exelock = 0;
    exeout = 0;
    tracenum = -1;
    sidx = -1;
    flagmm = 0;
    // The tables are cleared or read anew: no mark of the old ones holds.
    nsuspended = 0;
}
