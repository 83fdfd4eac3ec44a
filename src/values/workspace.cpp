// The value store's part of workspace set-up and clearing: the character
// tables, the arena, the fixed constants and the system variables.
#include <algorithm>
#include <cstring>

#include "values/internal.h"

unsigned char symp[256];
unsigned char cclass[256];
i64 SYMGN = 15;
i64 SYMFN = 9;
i64 pdtmx = 0;
bool loadb = false;
bool loado = false;

void SymTable() {
    std::memset(symp, 0, sizeof symp);
    for (const char* p = "+&?*%#$^!,/\\\"=@:->|._~<"; *p; p++)
        symp[static_cast<unsigned char>(*p)] = 1;
}

static void CharClasses() {
    std::memset(cclass, 'X', sizeof cclass);
    for (int c = 'A'; c <= 'Z'; c++) cclass[c] = cclass[c + 32] = 'A';
    for (int c = '0'; c <= '9'; c++) cclass[c] = 'N';
    for (const char* p = "!\"#$%&*+,-/<=>?@\\^|~"; *p; p++)
        cclass[static_cast<unsigned char>(*p)] = 'P';
    cclass['\''] = cclass['`'] = 'Q';
    cclass['('] = cclass['['] = 'D';
    cclass[')'] = cclass[']'] = 'T';
    cclass['.'] = 'O';
    cclass[':'] = 'J';
    cclass[';'] = 'E';
    cclass['_'] = 'M';
    cclass['{'] = cclass['}'] = 'C';
}

void InitStore() {
    SymTable();
    CharClasses();
    if (!mset) mset = static_cast<char*>(AL2(1, ARENA_SIZE));
    heap = mset;
    if (!glist) glist = static_cast<i64*>(acalloc(GLIST_SIZE, sizeof(i64)));
    if (!HA0) HeapInit();
    lstvx = lstcx = nxtglx = -1;
    sindex = -1;
    SYMGN = 15;
    SYMFN = 9;
    if (!G0) GM_head();
}

static void SetScalar(val_item* v, i64 type, i64 rank, i64 dim0, i64 dim1, i64 count) {
    *v = val_item{};
    v->type = type;
    v->rank = rank;
    v->dim0 = dim0;
    v->dim1 = dim1;
    v->count = count;
}

// Contents of the fixed constants 0..20 (8..15 stay zero).
static void FixedConstants() {
    std::memset(ctable, 0, sizeof ctable);
    SetScalar(&ctable[0], TINT, 0, 0, 0, 1);
    SetScalar(&ctable[1], TINT, 0, 1, 0, 1);
    SetScalar(&ctable[2], TINT, 1, 0, 0, 0);
    SetScalar(&ctable[3], TINT, 0, 2, 0, 1);
    SetScalar(&ctable[4], TINT, 0, -1, 0, 1);
    SetScalar(&ctable[5], TINT, 1, 0, 1, 0);
    SetScalar(&ctable[6], TINT, 1, 2, 1, 0);
    SetScalar(&ctable[7], TINT, 0, 32, 0, 0);
    SetScalar(&ctable[16], TFLOAT, 0, static_cast<i64>(0xcfb0000000000000ULL), 0, 0);
    SetScalar(&ctable[17], TFLOAT, 0, 0x4fb0000000000000LL, 0, 0);
    SetScalar(&ctable[18], TINT, 1, 1, 1, 0);
    SetScalar(&ctable[19], TBOOL, 0, 0, 0, 0);
    SetScalar(&ctable[20], TBOOL, 0, 1, 0, 0);
    lstcx = NFIXCONST - 1;
}

void CleanVT() {
    // Every slot is emptied, not only the used ones: a clear workspace has
    // no value anywhere, and no descriptor may keep a freed block's address.
    std::memset(vtable, 0, sizeof vtable);
    val_item* av = &vtable[SLOT_AV];
    av->type = TCHAR;
    Updatead0(SLOT_AV, TCHAR, 1, 256);
    av->dim0 = 256;
    for (int i = 0; i < 256; i++) p3[i] = i > 32 && i < 128 ? static_cast<char>(i) : ' ';
    p3[256] = 0;
    lstvx = SLOT_IO;
    SetScalar(&vtable[SLOT_IO], TINT, 0, 1, 0, 1);
    // The print targets hold a value only once something was printed through
    // them; read before that they give a value error.
    vtable[2].rank = vtable[3].rank = -1;
    lstvx = FIRSTVAR - 1;
    FixedConstants();
}

static void SystemVariables() {
    SetScalar(&vtable[SLOT_OF], TBOOL, -1, 0, 0, 0);
    SetScalar(&vtable[SLOT_LX], TINT, 1, 0, 0, 0);
    SetScalar(&vtable[SLOT_RL], TINT, 1, 16807, 0, 1);
    SetScalar(&vtable[SLOT_PP], TINT, 1, 10, 0, 1);
}

void CleanStore(bool zero) {
    r15 = ARENA_SIZE;
    deadbytes = 0;
    errchk = 0;
    stacktop = 0;
    if (zero && mset) std::memset(mset, 0, ARENA_SIZE);
    heap = mset;
    CleanVT();
    lstvxend = SYSTART;
    cleansym();
    // Words past nxtglx were never written since the last clear (nxtglx is
    // the highest word any run took), so only the used words need clearing:
    // the store's untouched pages stay unmapped.
    if (glist && nxtglx >= 0)
        std::memset(glist, 0, (std::min(nxtglx, GLIST_SIZE - 1) + 1) * sizeof(i64));
    nxtglx = -1;
    ResetShapeStore();
    sindex = -1;
    getsymbol("");
    SystemVariables();
    pdtmx = 0;
    loadb = loado = false;
    HeapClean();
}
