// Function blocks of a script file: "@." and the header (a header line
// ending in "\" goes on in the next line), the body lines as they stand,
// and a closing line that begins with "@.". The function is changed only
// once the whole block has been read.
#include <string>

#include "eval/eval.h"
#include "system/script.h"

bool IsFunctionBlock(const char* text) { return text[0] == '@' && text[1] == '.'; }

// The header after "@.", with its continuation lines; false when the list
// ends inside it or it is longer than the work line.
static bool read_header(script_walk* w, std::string* header) {
    const char* text = WalkText(w) + 2;
    while (IsBlank(*text)) text++;
    *header = text;
    while (!header->empty() && header->back() == '\\') {
        header->pop_back();
        WalkNext(w);
        if (!w->line) return false;
        *header += WalkText(w);
    }
    return static_cast<i64>(header->size()) <= w->width;
}

i64 ReadFunctionBlock(script_walk* w) {
    std::string header;
    if (!read_header(w, &header)) return errchk = E_GET_FUNCTION;
    // The header and the body gathered in a scratch list, the header first.
    zem_line* lines = eLine_New();
    i64 n = 0;
    zem_line* at = eLine_push(lines, header.c_str(), n++);
    for (WalkNext(w); w->line && !IsFunctionBlock(WalkText(w)); WalkNext(w))
        at = eLine_push(at, WalkRaw(w), n++);
    bool closed = w->line != nullptr;
    errchk = 0;
    i64 row = closed ? FnLine0(header.c_str()) : -1;
    bool ok = row >= 0 && functable[row].func;
    // A refused header says what is wrong with it; the block is dropped.
    i64 code = ok || !closed ? E_GET_FUNCTION : errchk ? errchk : E_DEFN;
    if (code != E_GET_FUNCTION && !loadb) errmsg(code);
    if (ok) FunSetLines(functable[row].func, lines, n);
    eLine_free(lines);
    if (closed) WalkNext(w);
    if (ok) return errchk = loadb ? E_OK : CheckStructures(row);
    return errchk = code;
}
