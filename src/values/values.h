// The value store: descriptors, slot tables, the arena and its collector,
// large and scratch blocks, symbols, error messages and workspace set-up.
#pragma once
#include <cstddef>
#include <cstdint>

#include "values/errors.h"

typedef int64_t i64;

// ---- descriptor and slot tables -------------------------------------------

// One value: eight 64-bit words. dim0 holds the element itself for a
// one-element value of an inline type (complex: dim0 and dim1).
struct val_item {
    i64 type;
    i64 rank;      // -1: no value
    i64 dim0;
    i64 dim1;      // rank 2: row length; rank > 2: glist index of axes 2..k
    i64 bytes;     // data bytes owned; 0 = none
    i64 count;
    i64 reserved;  // always 0
    char* data;
};
static_assert(sizeof(val_item) == 64, "descriptor must be 64 bytes");

// Element type codes.
enum : i64 {
    TBOOL = 0, TINT = 1, TFLOAT = 2, TCHAR = 3, TCPLX = 4, TSYM = 5, TLIST = 6,
    TMONTH = 7, TDATE = 8, TDATETIME = 9, TMINUTE = 10, TSECOND = 11, TTIME = 12,
    TENUM = 21, TDICT = 91, TTABLE = 92
};

constexpr i64 VTSIZE = 16384;       // value slots
constexpr i64 CTSIZE = 4096;        // constant entries
constexpr i64 SYSTART = 15364;      // first system-variable slot ([]OF)
constexpr i64 SLOT_IO = 1, SLOT_OF = 15364, SLOT_AV = 15365, SLOT_LX = 15366,
              SLOT_RL = 15367, SLOT_PP = 15368;
constexpr i64 FIRSTVAR = 18;        // first global variable slot
constexpr i64 LASTNAMED = 15383;    // last named slot; above it: temporaries
constexpr i64 NFIXCONST = 21;       // ctable entries 0..20 are fixed
constexpr i64 ARENA_SIZE = 52428800;
constexpr i64 M_LARGE = 65536;
constexpr i64 GLIST_SIZE = 6553600;

extern val_item vtable[VTSIZE];
extern val_item ctable[CTSIZE];
extern i64 lstvx;      // last global variable slot (17 when none)
extern i64 lstvxend;   // lower boundary of the locals (15364 when none)
extern i64 lstcx;      // last used ctable entry
extern i64 errchk;     // error code of the running routine
extern const double QDPPM;  // 10^10, read by the number formatter

// Shape-list store: trailing axes of rank > 2 values, runs ended by -1.
extern i64* glist;
extern i64 nxtglx;     // last used word (-1 empty)

// Slots whose values outlive the statement: the variables, and also []IO
// (slot 1) and the two print targets (slots 2, 3), which are read again later.
inline bool isnamedslot(i64 vx) {
    return (vx >= 1 && vx <= 3) || (vx >= FIRSTVAR && vx <= LASTNAMED);
}
inline bool istempslot(i64 vx) { return !isnamedslot(vx); }
// The descriptor of an operand pair: ctable when c >= 0, else vtable[v].
inline val_item* opnd(i64 c, i64 v) { return c >= 0 ? &ctable[c] : &vtable[v]; }

i64 typC(i64 type, i64 n);
int isoneV(const val_item* v);
int isone(val_item v);
void* getptV(val_item* v);
int isdate(i64 type);
int isbasic(i64 type);
i64 islist0(val_item* v);
i64 gettyp(char letter);
char gettyp0(i64 type);

// ---- arena and result allocation -----------------------------------------

// Header placed right after each named block of the arena.
struct mem_node {
    val_item* owner;
    i64 bytes;
    i64 refcount;
    i64 live;      // bit 0: live; BLOCK_ITEMS: holds descriptors
};
static_assert(sizeof(mem_node) == 32, "arena header must be 32 bytes");

extern char* heap;
extern char* mset;
extern i64 stacktop;   // first free byte above the temporaries
extern i64 r15;        // lowest byte of the named region
extern i64 R0;
extern char* cad0;     // write cursors left by the allocators
extern val_item* p0;
extern i64* p1;
extern double* p2;
extern char* p3;
extern i64 collision, mmcollision;

i64 Updatead0(i64 vx, i64 type, i64 rank, i64 count);
i64 Inctp(i64 vx, i64 type, i64 count);
i64 Dectp(i64 vx, i64 type, i64 count);
i64 Updatead1(i64 cidx, i64 type, i64 count);
i64 Updatead2(val_item* item, bool named);
void AlcExtra(i64 vx, i64 bytes);
void AlcExtraV(val_item* item, i64 bytes);
i64 RefChange(val_item* item, i64 delta);
i64 GC();
int CkCollision(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Next temporary slot (4..17, then 15384..16383). When they are exhausted it
// returns 0, a slot never used, with errchk = E_STACK_FULL ("stack full").
i64 Incstkv(i64* counter);
// Cuts the temporary area back to mark: the temporaries above it are dead,
// and the large blocks their items held are released.
void ResetTemps(i64 mark);
void Updateaz(i64 vx, i64 rank, i64 count, i64 dim0, i64 dim1);
i64 TransFad(i64 vx, i64 type, i64 src);
i64 TransFadc(i64 vx, i64 type, i64 cidx);
i64 Incstktpt(i64 n, i64 which, i64 type);
i64 SimFirst();
void SetCursors(i64 type, char* data);
// Releases whatever block a descriptor owns (arena or large) and zeroes it.
// A variable whose value is replaced gives up its old block this way.
void ReleaseValue(val_item* item);
// Where an address inside a block moved by the latest collection went (the
// address itself when its block did not move).
void* GCRelocate(void* p);
// Checks that a result of count elements of type fits what the workspace
// can hold; error 6 when it does not (sizes coming from user data).
i64 CheckSize(i64 type, i64 count);

// ---- large blocks, scratch blocks, checked allocation ---------------------

struct heap_node {
    heap_node* self;
    i64 size;
    i64 refcount;
    heap_node* next;
    heap_node* prev;
};
static_assert(sizeof(heap_node) == 40, "large-block header must be 40 bytes");

struct scratch_node {
    void* block;
    scratch_node* next;
};

extern heap_node* HA0;
extern scratch_node *G0, *Gt;

void HeapInit();
heap_node* HeapAloc(i64 bytes);
void HeapAdd(heap_node* head, heap_node* node);
void HeapAlocRemv(heap_node* node);
void HeapDeal(heap_node* node);
void HeapClean();
void HeapExit();
i64 GetAloc();
void HeapChange(void* data);
bool IsLargeData(const void* data);
// The header of the large block whose data starts at data, or nullptr.
heap_node* LargeNodeOf(const void* data);

scratch_node* GM_Init();
void GM_head();
void* GM_new(i64 type, i64 n);
void GM_free();

void* AL2(i64 size, i64 n);
void* AL1(i64 type, i64 n);
void* amalloc(i64 n);
void* acalloc(i64 count, i64 size);

// ---- symbols ----------------------------------------------------------------

struct estring {
    i64 len;
    char text[128];
};
struct sym_node {
    estring str;
    i64 balance;
    i64 id;
    sym_node* left;
    sym_node* right;
};

extern sym_node* T;
extern sym_node** psym;
extern i64 sybmax;
extern i64 sindex;

i64 getsymbol(const char* text);
i64 insertsym(const estring* e);
void InitSym();
void IncSym();
void cleansym();
int InsertAVL(sym_node** root, int* taller, i64* sidx, i64* id, const estring* e);
void R_Rotate(sym_node** p);
void L_Rotate(sym_node** p);
void LeftBalance(sym_node** p);
void RightBalance(sym_node** p);
i64 estring_assign_str(estring* e, const char* text);
void estring_assign_e(sym_node* node, const estring* e);
int estring_euqal(const estring* a, const estring* b);
int estring_less(const estring* a, const estring* b);
int estring_less_than(const estring* a, const estring* b);
int estring_great(const estring* a, const estring* b);
int estring_great_than(const estring* a, const estring* b);
char estring_index(const estring* e, i64 i);
i64 estring_fill(const sym_node* node, char* buffer);
i64 estring_fill_tick(const sym_node* node, char* buffer);
i64 estring_len(const sym_node* node);

// ---- workspace set-up and clearing ----------------------------------------

extern unsigned char symp[256];
extern unsigned char cclass[256];
extern i64 SYMGN, SYMFN;

void ZemInit();
void SymTable();
void CleanEX(bool zero);
void CleanVT();
// Creates the root of the name-listing trie (the sorted listings).
void InitNval();

// ---- inside the value store (shared by its own files) ----------------------

// Bit of a named block header's live word: the block holds descriptors.
constexpr i64 BLOCK_ITEMS = 0x100;
i64 ArenaRound(i64 need);
bool HoldsItems(i64 type);
i64 BlockTag(i64 type);
void RetagBlock(val_item* item, i64 type);
mem_node* ArenaHeader(const val_item* item);
bool PlaceNamed(val_item*& item, i64 need, i64 type, bool release);
bool PlaceTemp(val_item*& item, i64 need, i64 type);
void LoseBlock(val_item* item);
void ReleaseItems(val_item* owner, i64 capacity);
void TrackTempLarge(i64 vx, heap_node* node);
void ReleaseTempLarge(i64 vx);
void UntrackTemp(const val_item* item);
void ForgetTempLarge(heap_node* node);   // nullptr: every temporary
// A large block given to an item of a temporary value: released when the
// temporary area is cut back below the point where it was given.
void TrackItemLarge(heap_node* node);
heap_node* TempLargeOf(i64 vx);

// ---- type demotion and tolerant comparison ----------------------------------

i64 IntV(i64 cidx, i64 vidx);
i64 IntB(i64 cidx, i64 vidx);
int iequal(i64 a, i64 b);
int gequal(double x, double y);
int biochk(i64 a, i64 b);

// ---- value storing and copying ------------------------------------------------
// Every routine returns 0 or an error code, a non-zero code also in errchk.
// Copies read their source only from places an allocation cannot move or
// free, so a copy may land anywhere, even on its own source.

i64 GenStoreDimv0(val_item* dst, const val_item* src);
i64 GenStoreDimv1(val_item* dst, i64 cidx, i64 vidx);
i64 GenStoreDims(i64 vx, i64 cidx, i64 vidx);
i64 GenStoreV2(val_item* dst, val_item* src, bool named);
i64 GenStoreX(val_item* dst, val_item* src, i64 n, bool named);
i64 GenStoreB(val_item* dst, i64 vx);
i64 GenStoreDt(i64 vx, val_item* item, i64 n);
i64 GenStoreV3(val_item* dst, val_item* src, i64 i, bool named);
i64 GenStoreV4(val_item* dst, i64 i, val_item* src, i64 j);
i64 GenStoreDp(i64 vx, val_item* item, const i64* idx, i64 n, i64 repeat);
i64 Savea(val_item* dst, val_item* src, i64* idx, i64 n, bool named);
i64 GenStorePar1(val_item* dst, i64 cidx, i64 vidx, bool named);
i64 GenStorePar2(val_item* dst, i64 cidx, i64 vidx, bool named);
i64 GenStorePar2V(val_item* dst, val_item* src, bool named);
i64 GenStoreXt(val_item* item, i64 type, bool named);
i64 GenStoreG(val_item* dst, val_item* a, val_item* b, bool named);
i64 GenStored(val_item* dst, val_item* src, i64 count, bool named);
i64 ChkRight6(i64 vx);
// Moves a descriptor to a new home: the block it owns is told its new owner.
void MoveItem(val_item* to, const val_item* from);
// Drops one reference to the block a descriptor owns; when that was the last
// one, the blocks of its items (lists, dictionaries, tables) go with it.
void DropRef(val_item* item);

// ---- line lists (linelist.cpp) ------------------------------------------------
// Singly linked lists of text lines that start with an empty head node. A
// node owns its text buffer and reuses it for a text that fits.
struct zem_line {
    char* text;      // own zero-terminated buffer, nullptr until a text is stored
    i64 len;         // text length the buffer was made for (len + 1 bytes); -1 none
    i64 tag;         // the owner's number for the line (source line number)
    zem_line* next;
};

zem_line* eLine_New();
void eLine_Init(zem_line* line);
char* eLine_copy0(zem_line* line, const char* text);
void eLine_free(zem_line* line);
void eLine_Inits(zem_line* line, const char* text);
char* eLine_copy1(zem_line* line, const char* text, i64 n);
char* eLine_adde(zem_line* line, const char* text);

// ---- sorted name listing (namelist.cpp) ---------------------------------------
// Prints the global functions ('F') or the variables holding a value ('V'),
// beginning with prefix, sorted digits, capitals, "_", small letters, in
// columns. Returns 0, or -1 (nothing printed) when no name has the prefix.
i64 sort_fns(const char* prefix, char kind);
// The state-indicator level "->" unwinds: the topmost entry that is an
// immediate line or a user function (entries of the query prelude above it
// are skipped). Called with a non-empty state indicator.
i64 fdsi();
// "do__v1 '" + text with its quotes doubled + "'", in a new block.
char* conq2(const char* text);
// The value of the name's leaf of the given kind in the listing trie, or -1.
i64 nsrh(const char* name, char kind);
