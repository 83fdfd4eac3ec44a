// The parse-record tables, the allocator that hands out their entries, and
// their set-up, clearing and per-line release.
#include "parser/parser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "eval/eval.h"
#include "parser/parse_state.h"

parse_node parsetree[PTSIZE];
fn_node fnodetable[FNSIZE];
br_entry brtable[BRSIZE];
name_entry nametable[NTSIZE];
name_entry gnametable[GNSIZE];
func_entry functable[FTSIZE];
i64 overflow[OVSIZE];
char tnam[TNSIZE];

i64 row_epoch = 0;
i64 lstndx = -1, lstfndx = -1, lstbrx = 0, lstnx = -1, lstgx = -1, lstfx = FIRSTFN - 1;
i64 nxtovx = 0, lsttnam = -1;

// Takes one more entry of a table whose last-used index is *last; -1 and
// E_TABLE_FULL when the table has no room.
static i64 Take(i64* last, i64 cap) {
    if (*last + 1 >= cap) {
        errchk = E_TABLE_FULL;
        return -1;
    }
    return ++*last;
}

void ClearName(name_entry* e) {
    memset(e->name, 0, sizeof e->name);
    e->kind = 0;
    e->index = -1;
    e->tail = -1;
}

static void ClearNode(parse_node* n) {
    n->kind = 0;
    n->ref = n->link1 = n->link2 = 0;
    n->parent = n->name = n->col = -1;
}

static void ClearBranch(br_entry* b) {
    b->next = b->target = b->list = -1;
    b->d1 = b->d2 = 0.0;
    b->w6 = 0;
}

// A function row as a fresh definition finds it (words 5 and 9 untouched).
static void InitRow(func_entry* f) {
    row_epoch++;
    f->valence = 0;
    f->result = -1;
    f->left = f->right = 0;
    f->hdrmark = f->hdrlast = -1;
    f->lblmark = 0;
    f->glpos = f->parsed = f->nodefirst = 0;
    f->nodelast = -1;
    f->gname = 0;
    f->func = nullptr;
    f->stcount = nullptr;
    f->stlist = nullptr;
}

template <class T>
static void Zero(T* e) {
    memset(e, 0, sizeof(T));
}

static void ClearSlot(val_item* v) {
    Zero(v);
    v->rank = -1;
}

// Takes an entry of table (last-used index *last, capacity cap) and gives
// it its initial contents; -1 when the table is full.
template <class T>
static i64 TakeEntry(T* table, i64* last, i64 cap, void (*init)(T*)) {
    i64 x = Take(last, cap);
    if (x >= 0) init(&table[x]);
    return x;
}

i64 Incx(char table) {
    switch (table) {
    case 'A': return TakeEntry(nametable, &lstnx, NTSIZE, ClearName);
    case 'G': return TakeEntry(gnametable, &lstgx, GNSIZE, ClearName);
    case 'B': return TakeEntry(brtable, &lstbrx, BRSIZE, ClearBranch);
    case 'C': return TakeEntry(ctable, &lstcx, CTSIZE, Zero<val_item>);
    case 'E': return TakeEntry(fnodetable, &lstfndx, FNSIZE, Zero<fn_node>);
    case 'F': return TakeEntry(functable, &lstfx, FTSIZE, InitRow);
    case 'N': {
        i64 x = TakeEntry(parsetree, &lstndx, PTSIZE, ClearNode);
        if (x >= 0) parsetree[x].col = cursor;
        return x;
    }
    case 'V':
        // Global slots stay below the locals of running functions, with the
        // scratch slots lstvx + 1 .. lstvx + SCRATCHGAP kept free between.
        return TakeEntry(vtable, &lstvx, (lstvxend > FIRSTVAR ? lstvxend : SYSTART) - SCRATCHGAP,
                         ClearSlot);
    default: return -1;
    }
}

i64 Incx0(i64 n) {
    if (n < 0 || nxtovx + n > OVSIZE) {
        errchk = E_TABLE_FULL;
        return -1;
    }
    i64 start = nxtovx;
    nxtovx += n;
    return start;
}

// ---- per-line release -------------------------------------------------------

parse_mark ParseMark() {
    return parse_mark{lstndx, lstfndx, lstbrx, nxtovx, lstnx, lstcx, lsttnam};
}

parse_mark RestMark() { return parse_mark{-1, -1, 0, 0, -1, NFIXCONST - 1, -1}; }

// The last local name a function header still uses: a function defined
// while a line runs (the query prelude, loaded by its first use) keeps its
// header names when the line's records are given back.
static i64 NamesInUse(i64 floor) {
    i64 top = floor;
    for (i64 r = FIRSTFN; r <= lstfx; r++)
        if (functable[r].hdrlast > top) top = functable[r].hdrlast;
    return top;
}

static i64 TailEnd(const name_entry& e) {
    return e.tail < 0 ? -1 : e.tail + (i64)strlen(tnam + e.tail);
}

// The end of the long-name pool that the global names and the kept local
// names (up to entry `names`) still use.
static i64 TnamInUse(i64 floor, i64 names) {
    i64 top = floor;
    for (i64 g = 0; g <= lstgx; g++) top = std::max(top, TailEnd(gnametable[g]));
    for (i64 e = 0; e <= names; e++) top = std::max(top, TailEnd(nametable[e]));
    return top;
}

void ParseRelease(const parse_mark& m) {
    for (i64 i = m.ndx + 1; i <= lstndx; i++) ClearNode(&parsetree[i]);
    if (lstndx > m.ndx) lstndx = m.ndx;
    for (i64 i = m.fndx + 1; i <= lstfndx; i++) memset(&fnodetable[i], 0, sizeof(fn_node));
    if (lstfndx > m.fndx) lstfndx = m.fndx;
    for (i64 i = m.brx + 1; i <= lstbrx; i++) ClearBranch(&brtable[i]);
    if (lstbrx > m.brx) lstbrx = m.brx;
    for (i64 i = m.ovx; i < nxtovx; i++) overflow[i] = 0;
    if (nxtovx > m.ovx) nxtovx = m.ovx;
    i64 names = NamesInUse(m.nx);
    for (i64 i = names + 1; i <= lstnx; i++) ClearName(&nametable[i]);
    if (lstnx > names) lstnx = names;
    for (i64 i = m.cx + 1; i <= lstcx; i++) {
        if (i < NFIXCONST) continue;
        ReleaseValue(&ctable[i]);
        memset(&ctable[i], 0, sizeof(val_item));
    }
    if (lstcx > m.cx && m.cx >= NFIXCONST - 1) lstcx = m.cx;
    i64 keep = TnamInUse(m.tnam, names);
    for (i64 i = keep + 1; i <= lsttnam; i++) tnam[i] = 0;
    if (lsttnam > keep) lsttnam = keep;
    // A function parsed during the line refers to released nodes: have it
    // parsed again at its next call.
    for (i64 r = FIRSTFN; r <= lstfx; r++)
        if (functable[r].nodelast > m.ndx) functable[r].parsed = 0;
    GiveBackNames();
}

// ---- set-up and clearing ---------------------------------------------------

static const char* const kname[NRESERVED] = {"key",  "value", "xkey", "cols", "meta",
                                             "keys", "fkeys", "do",   "like"};
static const i64 kvalen[NRESERVED] = {1, 1, 2, 1, 1, 1, 1, 1, 2};
static const char* const sysname[6] = {"[]IO", "[]OF", "[]AV", "[]LX", "[]RL", "[]PP"};
static const i64 sysslot[6] = {SLOT_IO, SLOT_OF, SLOT_AV, SLOT_LX, SLOT_RL, SLOT_PP};

// lstfx is left alone: the clear that follows gives back the rows of user
// functions a set-up over a used workspace would otherwise drop.
void InitParseTables() {
    lstndx = lstfndx = lstgx = lstnx = lsttnam = -1;
    nxtovx = 0;
    lstbrx = 0;
    ClearBranch(&brtable[0]);
    brtable[0].target = 0;
    if (line) {
        free(line);
        line = nullptr;
    }
    for (i64 i = 0; i < 6; i++) {
        i64 g = Incx('G');
        strcpy(gnametable[g].name, sysname[i]);
        gnametable[g].kind = 'V';
        gnametable[g].index = sysslot[i];
    }
    for (i64 r = 0; r < NRESERVED; r++) {
        i64 g = Incx('G');
        strcpy(gnametable[g].name, kname[r]);
        gnametable[g].kind = 'F';
        gnametable[g].index = r;
        InitRow(&functable[r]);
        functable[r].valence = kvalen[r];
        functable[r].result = -2;
        functable[r].gname = g;
    }
}

void CleanParseTables() {
    i64 permanent = SYMGN > 0 ? SYMGN : 15;
    for (i64 i = 0; i <= lstndx; i++) ClearNode(&parsetree[i]);
    lstndx = -1;
    for (i64 i = permanent; i <= lstgx; i++) ClearName(&gnametable[i]);
    lstgx = permanent - 1;
    for (i64 i = 0; i <= lstnx; i++) ClearName(&nametable[i]);
    lstnx = -1;
    // The rows of user functions go: their records are freed with them (the
    // evaluator has dropped their statement indexes, IbCleanAll).
    for (i64 r = FIRSTFN; r <= lstfx; r++) {
        func_entry* f = &functable[r];
        FunFree(f->func);
        InitRow(f);
    }
    lstfx = FIRSTFN - 1;
    for (i64 i = 0; i <= lstfndx; i++) memset(&fnodetable[i], 0, sizeof(fn_node));
    lstfndx = -1;
    for (i64 i = 1; i <= lstbrx; i++) ClearBranch(&brtable[i]);
    lstbrx = 0;
    memset(overflow, 0, sizeof overflow);
    nxtovx = 0;
    memset(tnam, 0, sizeof tnam);
    lsttnam = -1;
    ClearBranch(&brtable[0]);
    brtable[0].target = 0;
}
