// Writing a binary workspace file, through the safe replacement (safefile.cpp):
// a full disk or a killed process leaves the old file as it was.
#include <cstring>
#include <string>

#include "eval/eval.h"
#include "parser/parser.h"
#include "system/system.h"
#include "system/wsfile.h"

namespace {

void Header(WsWriter& o, const char* file) {
    std::string stars(WS_STARS, '*');
    o.ok = o.ok && std::fprintf(o.fp,
                                "%s\n*** Zem Software v0.3\n*** Workspace Format ver 6\n"
                                "*** File: %s\n%s\n\n",
                                stars.c_str(), file, stars.c_str()) > 0;
    o.Word(WS_VERSION);
    o.Word(WS_DATE);
}

template <class T>
void Table(WsWriter& o, i64 last, const T* table) {
    o.Word(last);
    o.Bytes(table, (last + 1) * static_cast<i64>(sizeof(T)));
}

// Function rows without the words that hold addresses.
void Rows(WsWriter& o) {
    o.Word(lstfx);
    for (i64 r = 0; r <= lstfx; r++) {
        func_entry row = functable[r];
        if (r >= FIRSTFN) {
            row.func = nullptr;
            row.stcount = nullptr;
            row.stlist = nullptr;
            row.parsed = 0;
        }
        o.Bytes(&row, sizeof row);
    }
}

// nxtovx counts the words in use, and all of them may be: the table is
// written with one word more, as every other table is.
void Overflow(WsWriter& o) {
    i64 words[OVSIZE + 1] = {};
    std::memcpy(words, overflow, sizeof overflow);
    o.Word(nxtovx);
    o.Bytes(words, (nxtovx + 1) * 8);
}

void Symbols(WsWriter& o) {
    o.Word(sindex);
    for (i64 id = 0; id <= sindex; id++) {
        const sym_node* s = psym[id];
        i64 len = s ? s->str.len : 0;
        o.Word(len + 1);
        o.Bytes(s ? s->str.text : "", len + 1);
    }
}

void Arena(WsWriter& o, WsEncoder& e) {
    o.Word(ARENA_SIZE - r15);
    o.Bytes(e.image.data(), static_cast<i64>(e.image.size()));
    o.Word(static_cast<i64>(e.large.size()));
    for (const WsBlock* b : e.large) {
        o.Word(b->size & 0xffffffff);
        o.Word(b->size >> 32);
        o.Bytes(b->copy.empty() ? b->data : b->copy.data(), b->size);
    }
}

void Slots(WsWriter& o, WsEncoder& e, const val_item* first, i64 n) {
    for (i64 i = 0; i < n; i++) {
        val_item d = e.Encode(first + i);
        o.Bytes(&d, sizeof d);
    }
}

void Functions(WsWriter& o) {
    for (i64 r = FIRSTFN; r <= lstfx && o.ok; r++) {
        zem_func* f = functable[r].func;
        zem_func none;
        if (!f) f = FunInit(&none, "-");  // a row left without its text
        o.ok = FunSerialize(f, o.fp, true) == 0;
        if (f == &none) {
            eLine_free(none.src);
            eLine_free(none.trim);
            eLine_free(none.exec);
        }
    }
}

void Sections(WsWriter& o, WsEncoder& e, const char* file) {
    Header(o, file);
    o.Word(ARENA_SIZE);
    Table(o, lstnx, nametable);
    Table(o, lstgx, gnametable);
    Rows(o);
    Table(o, lstndx, parsetree);
    Table(o, lstfndx, fnodetable);
    Table(o, lstbrx, brtable);
    Overflow(o);
    Table(o, nxtglx, glist);
    Table(o, sidx, sitable);
    Table(o, lsttnam, tnam);
    Symbols(o);
    o.Word(0);  // the reserved record table holds nothing
    Arena(o, e);
    Slots(o, e, &vtable[SLOT_IO], 1);
    o.Word(SYMGN);
    o.Word(SYMGN - SYMFN);
    Slots(o, e, &vtable[SYSTART], SYMGN - SYMFN - 1);
    o.Word(lstvx);
    Slots(o, e, &vtable[FIRSTVAR], lstvx - FIRSTVAR + 1);
    o.Word(lstcx);
    Slots(o, e, &ctable[NFIXCONST], lstcx - NFIXCONST + 1);
    o.Word(SYSTART);
    o.Word(SYSTART - lstvxend);
    Slots(o, e, &vtable[lstvxend], SYSTART - lstvxend);
    Functions(o);
    Table(o, lststkx, dfxstack);
    o.Word(tracenum);
    o.Bytes(traces, (tracenum > 0 ? tracenum : 0) * 8);
    Table(o, sidx, siframe);
    Slots(o, e, &vtable[2], 2);
}

}  // namespace

i64 WsWrite(const char* file) {
    // Entries given back first, so that the file holds none it need not.
    GiveBackNames();
    if (!WsTablesSound()) return E_FILE_WRITE;
    WsEncoder e;
    if (i64 rc = e.Prepare()) return rc;
    safe_file sf;
    if (SafeOpen(&sf, file)) return E_FILE_WRITE;
    WsWriter o{sf.fp, true};
    Sections(o, e, file);
    if (o.ok) return SafeClose(&sf);
    SafeDiscard(&sf);
    return E_FILE_WRITE;
}
