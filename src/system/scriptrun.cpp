// The script line runner: the lines of a list run as if typed. Blocks
// define functions and variables, "{" lines list or define a function,
// ")" lines are commands and any other line is a statement, joined with the
// lines that follow while its parentheses stay open. A failing line stops
// the run with the line's position, except in batch mode, which reports it
// and goes on.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "eval/eval.h"
#include "system/script.h"
#include "system/toplevel.h"

void WalkStart(script_walk* w, zem_line* list, i64 width) {
    w->line = list ? list->next : nullptr;
    w->number = 0;
    w->width = width;
    w->total = 0;
    w->unclosed = nullptr;
    w->unclosednumber = 0;
    for (zem_line* l = w->line; l; l = l->next) w->total++;
}

char* WalkText(script_walk* w) {
    w->work.assign(w->line && w->line->text ? w->line->text : "");
    char* text = w->work.data();
    CleanB(&text);
    return text;
}

const char* WalkRaw(const script_walk* w) { return w->line && w->line->text ? w->line->text : ""; }

void WalkNext(script_walk* w) {
    if (!w->line) return;
    w->line = w->line->next;
    w->number++;
}

namespace {

i64 nesting = 0;       // runs in progress, one inside the other
bool toodeep = false;  // a run was refused for nesting: every run stops
bool joining = false;  // buffline holds a statement that is running

constexpr i64 MSGWIDTH = 104;  // a position line is cut to fit

// Line text cut to fit MSGWIDTH characters after a prefix of used ones.
void PrintMsg(const char* text, i64 used) {
    i64 room = MSGWIDTH - used > 0 ? MSGWIDTH - used : 0;
    i64 n = static_cast<i64>(std::strlen(text));
    std::fwrite(text, 1, static_cast<size_t>(n < room ? n : room), stdout);
    if (n >= room) std::fputs("...", stdout);
    std::fputc('\n', stdout);
}

// Makes the joining buffer hold need bytes (the used bytes kept), growing
// it to twice that.
void reserve(char** buffer, i64* size, i64 used, i64 need) {
    if (need <= *size) return;
    char* bigger = static_cast<char*>(AL2(1, 2 * need));
    if (used > 0) std::memcpy(bigger, *buffer, static_cast<size_t>(used));
    std::free(*buffer);
    *buffer = bigger;
    *size = 2 * need;
}

// Runs the statement that begins at the current line (cleaned text); while
// its parentheses stay open the cleaned lines after it are appended, each
// after a blank, as if typed on one line. The walk ends after its last line.
// A statement still open at the end of the list does not run: it fails with
// "right parenthesis expected" at the line whose "(" stayed open.
void run_statement(script_walk* w, char* text) {
    paren_scan scan;
    i64 len = static_cast<i64>(std::strlen(text));
    if (!ParseOneMore(text, &scan)) {
        ParseLine(text, len + 1);
        WalkNext(w);
        return;
    }
    zem_line* opened = w->line;
    i64 openednumber = w->number;
    // A statement of an enclosing run may be running from buffline (a line
    // that loads the query prelude): this one is joined in a buffer of its own.
    char* own = nullptr;
    i64 ownsize = 0;
    bool outer = !joining;
    char** buffer = outer ? &buffline : &own;
    i64* size = outer ? &buffsize : &ownsize;
    reserve(buffer, size, 0, len + 1);
    std::memcpy(*buffer, text, static_cast<size_t>(len) + 1);
    bool open = true;
    while (open) {
        WalkNext(w);
        if (!w->line) break;
        const char* more = WalkText(w);
        i64 n = static_cast<i64>(std::strlen(more));
        reserve(buffer, size, len, len + n + 2);
        i64 start = len;
        (*buffer)[len++] = ' ';
        std::memcpy(*buffer + len, more, static_cast<size_t>(n) + 1);
        len += n;
        open = ParseOneMore(*buffer, &scan);
        if (scan.opened >= start) {
            opened = w->line;
            openednumber = w->number;
        }
    }
    if (open) {
        errmsg(E_RPAREN_EXPECTED);
        errchk = E_RPAREN_EXPECTED;
        w->unclosed = opened;
        w->unclosednumber = openednumber;
    } else {
        joining = true;
        ParseLine(*buffer, len + 1);
        joining = !outer;
    }
    std::free(own);
    WalkNext(w);
}

// After a variable block that could not be read, the rest of it up to its
// closing "&" is passed over, unless another block begins first.
void skip_block(script_walk* w) {
    for (; w->line; WalkNext(w)) {
        const char* text = WalkText(w);
        if (IsFunctionBlock(text) || IsVariableBlock(text)) return;
        if (text[0] == '&' && !text[1]) {
            WalkNext(w);
            return;
        }
    }
}

// Runs the block, "{" line, command or statement at the current line and
// leaves the walk after it. The error code is left in errchk.
void run_line(script_walk* w, const char* raw, char* text) {
    errchk = 0;
    ErrForget();
    i64 first = w->number;
    if (IsFunctionBlock(text) || IsVariableBlock(text)) {
        bool variable = *text == '&';
        if (variable ? ReadVariableBlock(w) : ReadFunctionBlock(w)) {
            // A failed block moves on at least past its first line.
            i64 code = errchk;
            if (w->number == first) WalkNext(w);
            if (variable) skip_block(w);
            errchk = code;
        }
    } else if (*text == '{') {
        FnDisplay(text + 1, false);
        // A function that is not there is a failed get; a line of neither
        // brace form and a refused definition have said what is wrong.
        if (errchk == E_DOMAIN) errchk = E_GET_FUNCTION;
        WalkNext(w);
    } else {
        if (!loadb) std::printf("      %s\n", raw);
        if (*text == ')') {
            Command(text + 1);
            WalkNext(w);
        } else {
            run_statement(w, text);
        }
    }
}

// The report of a failing line: the message of a block error (once per
// run), then the position of the line where it began and the file.
void report(i64 code, const char* path, const char* raw, i64 number, bool* erropt) {
    if ((code == E_GET_VARIABLE || code == E_GET_FUNCTION) && *erropt) {
        errmsg(code);
        *erropt = false;
    }
    if (!path) return;
    char prefix[32];
    int used =
        std::snprintf(prefix, sizeof prefix, "[*ln%lld] ", static_cast<long long>(number + 1));
    std::fputs(prefix, stdout);
    PrintMsg(raw, used);
    std::printf("-->(%s)\n", path);
}

}  // namespace

i64 ScriptNestCheck() {
    if (nesting < SCRIPT_NEST_MAX) return 0;
    if (!loadb) errmsg(E_STACK_FULL);
    toodeep = true;
    return errchk = E_STACK_FULL;
}

i64 GetLines(zem_line* list, const char* path, i64 width) {
    if (ScriptNestCheck()) return errchk;
    nesting++;
    script_walk w;
    WalkStart(&w, list, width);
    bool erropt = true;
    i64 code = 0;
    while (w.line) {
        const char* raw = WalkRaw(&w);
        i64 number = w.number;
        char* text = WalkText(&w);
        if (!*text) {
            WalkNext(&w);
            continue;
        }
        run_line(&w, raw, text);
        code = errchk;
        if (!code) continue;
        if (w.unclosed) {
            raw = w.unclosed->text ? w.unclosed->text : "";
            number = w.unclosednumber;
            w.unclosed = nullptr;
        }
        if (loadb) break;
        if (BATMD) NoteBatchFailure();
        report(code, path, raw, number, &erropt);
        // Scripts that include one another stop all the way out, even in
        // batch mode, where each would otherwise start its copies again.
        if (!BATMD || toodeep) break;
        code = 0;
    }
    if (!code && path) {
        std::fputs("saved ", stdout);
        FileInfo(path);
        std::fputc('\n', stdout);
    }
    if (--nesting == 0) toodeep = false;
    return errchk = code;
}
