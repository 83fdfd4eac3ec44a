// First parse of a defined function in an immediate line: its trimmed lines
// are rewritten (control structures), labels entered, and every executable
// line parsed into the function's per-line statement index.
#include <cstdlib>
#include <cstring>
#include <string>

#include "eval/eval.h"
#include "parser/parser.h"

namespace {

i64 ib_lines[FTSIZE];  // lines the statement index of a row was made for

// The global name entry of a function row, or -1.
i64 global_name(i64 row) {
    i64 g = functable[row].gname;
    if (g >= 0 && g <= lstgx && gnametable[g].kind == 'F' && gnametable[g].index == row) return g;
    for (g = lstgx; g >= 0; g--)
        if (gnametable[g].kind == 'F' && gnametable[g].index == row) return g;
    return -1;
}

// Parses one (joined) line into the statement index of line `line`. Node
// columns are made relative to the whole line, so a caret under a later
// statement of the line lands right.
i64 record_line(i64 row, i64 line, std::string& text, i64 io) {
    char* buf = text.data();
    i64 len = static_cast<i64>(std::strlen(buf)) + 1, off = 0;
    while (len > 0) {
        i64 mark = lstndx;
        i64 out[3] = {-1, -1, -1};
        errchk = ZemParser(buf + off, len, row, line, 0, io, out);
        i64 cur = GetZemCursor();
        if (errchk) {
            if (epos < 0) epos = GetZemOldCursor() + off;
            return errchk;
        }
        for (i64 n = mark + 1; n <= lstndx; n++) parsetree[n].col += off;
        IbAddx(row, line, out);
        off += cur + 1;
        len -= cur + 1;
    }
    return 0;
}

i64 fail_at(i64 row, i64 depth, i64 line) {
    sitable[sidx + depth] = {row, line};
    siframe[sidx + depth].bound = 0;
    return errchk;
}

}  // namespace

i64 SetHeadFirst(i64 row, i64 depth, i64 io) {
    errchk = 0;
    IbClean(row);
    ForgetBinding(row);
    func_entry& fe = functable[row];
    zem_func* f = fe.func;
    if (!f || global_name(row) < 0) return fail_at(row, depth, 0), errchk = E_FN_NOT_LISTED;
    fe.gname = global_name(row);
    FnGetFullname(fe.gname, 'G');
    i64 bad = ZemParserNewInit(f->trim, f->ntrim);
    if (bad || errchk) {
        // The structure error is shown at its source line.
        zem_line* t = FunNthLine(f->trim, bad);
        if (epos < 0) epos = 0;
        return fail_at(row, depth, t ? t->tag : bad);
    }
    FunCopyLines(f->exec, line0, newln);
    f->nexec = newln;
    fe.stcount = static_cast<i64*>(acalloc(newln, sizeof(i64)));
    fe.stlist = static_cast<stmt_node**>(acalloc(newln, sizeof(stmt_node*)));
    ib_lines[row] = newln;
    fe.lblmark = lstnx;
    FnPrepoc(f->exec, newln);
    fntemps[row][0] = lstnx;
    for (i64 k = 0; k < ParseTempCount(); k++)
        if (Enter(ParseTempName(k), 'V') < 0) return fail_at(row, depth, 0);
    fntemps[row][1] = lstnx;
    fe.glpos = nxtglx + 1;
    fe.nodefirst = lstndx;
    std::string joined;
    zem_line* l = FunNthLine(f->exec, 1);
    i64 failed = -1;
    for (i64 i = 1; i < newln && l; i++, l = l->next) {
        if (!joined.empty()) joined += ' ';  // continued lines stay apart
        joined += l->text ? l->text : "";
        if (ParseOne(joined.c_str())) {
            i64 empty[3] = {-1, -1, -1};
            IbAddx(row, i, empty);
            continue;
        }
        preproc(joined.data());
        joined.resize(std::strlen(joined.c_str()));
        if (record_line(row, i, joined, io)) {
            failed = i;
            break;
        }
        joined.clear();
    }
    fe.nodelast = lstndx;
    fe.bodylast = lstnx > fe.lblmark ? lstnx : -1;
    row_epoch++;
    if (failed >= 0) return fail_at(row, depth, failed);
    return 0;
}

i64 CheckStructures(i64 row) {
    zem_func* f = functable[row].func;
    errchk = 0;
    i64 bad = ZemParserNewInit(f->trim, f->ntrim);
    if (!bad && !errchk) return 0;
    i64 g = global_name(row);
    if (g >= 0) functable[row].gname = g;
    zem_line* t = FunNthLine(f->trim, bad);
    epos = 0;
    errchk = E_STRUCTURE;
    ShowFunctionError(row, t ? t->tag : bad);
    return errchk = E_STRUCTURE;
}

stmt_node* IbAddx(i64 row, i64 line, i64 out[3]) {
    func_entry& fe = functable[row];
    if (row < 0 || line < 0 || line >= ib_lines[row] || !fe.stlist) return nullptr;
    stmt_node* node = static_cast<stmt_node*>(AL2(sizeof(stmt_node), 1));
    *node = {out[0], out[1], out[2], nullptr, nullptr, false};
    stmt_node** at = &fe.stlist[line];
    while (*at) at = &(*at)->next;
    *at = node;
    fe.stcount[line]++;
    return node;
}

stmt_node* const* IbLines(i64 row, i64* count) {
    stmt_node* const* lines = row >= 0 ? functable[row].stlist : nullptr;
    *count = lines ? ib_lines[row] : 0;
    return lines;
}

stmt_node* IbIndx(i64 row, i64 line, i64 k) {
    i64 count;
    stmt_node* const* lines = IbLines(row, &count);
    if (line < 0 || line >= count) return nullptr;
    stmt_node* n = lines[line];
    for (; n && k > 0; k--) n = n->next;
    return n;
}

i64 ib_generation = 0;

void IbClean(i64 row) {
    ib_generation++;
    func_entry& fe = functable[row];
    if (fe.stlist) {
        for (i64 i = 0; i < ib_lines[row]; i++) {
            stmt_node* n = fe.stlist[i];
            while (n) {
                stmt_node* next = n->next;
                FastForget(n);
                std::free(n);
                n = next;
            }
        }
    }
    std::free(fe.stlist);
    std::free(fe.stcount);
    fe.stlist = nullptr;
    fe.stcount = nullptr;
    ib_lines[row] = 0;
}

void IbCleanAll() {
    for (i64 r = FIRSTFN; r <= lstfx; r++) {
        const func_entry& fe = functable[r];
        if (fe.stcount || fe.stlist) IbClean(r);
    }
}
