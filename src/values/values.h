// The value store, its public face: descriptors and slot tables, result
// allocation, scratch and checked allocation, symbols, the value copies,
// and the value-store part of workspace set-up. The store's own mechanics
// are in values/internal.h; the operand protocol of the primitives is in
// values/registers.h and values/operand.h.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "values/errors.h"

typedef int64_t i64;

// ---- descriptor and slot tables -------------------------------------------

// One value: eight 64-bit words. dim0 holds the element itself for a
// one-element value of an inline type (complex: dim0 and dim1).
struct val_item {
    i64 type;
    i64 rank;  // -1: no value
    i64 dim0;
    i64 dim1;   // rank 2: row length; rank > 2: glist index of axes 2..k
    i64 bytes;  // data bytes owned; 0 = none
    i64 count;
    i64 reserved;  // always 0
    char* data;
};
static_assert(sizeof(val_item) == 64, "descriptor must be 64 bytes");

// Element type codes.
enum : i64 {
    TBOOL = 0,
    TINT = 1,
    TFLOAT = 2,
    TCHAR = 3,
    TCPLX = 4,
    TSYM = 5,
    TLIST = 6,
    TMONTH = 7,
    TDATE = 8,
    TDATETIME = 9,
    TMINUTE = 10,
    TSECOND = 11,
    TTIME = 12,
    TENUM = 21,
    TDICT = 91,
    TTABLE = 92
};

constexpr i64 VTSIZE = 16384;   // value slots
constexpr i64 CTSIZE = 4096;    // constant entries
constexpr i64 SYSTART = 15364;  // first system-variable slot ([]OF)
constexpr i64 SLOT_IO = 1, SLOT_OF = 15364, SLOT_AV = 15365, SLOT_LX = 15366, SLOT_RL = 15367,
              SLOT_PP = 15368;
// The print targets: []<- prints whole, [)<- without the final line end.
constexpr i64 SLOT_PRINTALL = 2, SLOT_PRINTNOEND = 3;
constexpr i64 FIRSTVAR = 18;      // first global variable slot
constexpr i64 LASTNAMED = 15383;  // last named slot; above it: temporaries
constexpr i64 NFIXCONST = 21;     // ctable entries 0..20 are fixed
constexpr i64 ARENA_SIZE = 52428800;
constexpr i64 GLIST_SIZE = 6553600;

extern val_item vtable[VTSIZE];
extern val_item ctable[CTSIZE];
extern i64 lstvx;           // last global variable slot (17 when none)
extern i64 lstvxend;        // lower boundary of the locals (15364 when none)
extern i64 lstcx;           // last used ctable entry
extern i64 errchk;          // error code of the running routine
extern const double QDPPM;  // 10^10, read by the number formatter

// Shape-list store: trailing axes of rank > 2 values, runs ended by -1.
extern i64* glist;
extern i64 nxtglx;  // highest word ever taken (-1 empty)
// Takes words of glist for a new run or a saved index list, *start the
// first; E_GLIST_FULL, nothing taken, when the store has no such room.
i64 TakeShapeWords(i64 words, i64* start);
// Takes the words above nxtglx up to last (room for a run's strides).
i64 ExtendShapeWords(i64 last);
// The saved index list at start is kept until another one replaces it.
void KeepShapeWords(i64 start, i64 words);
// At a statement's start: when enough of the store was taken since the last
// time (or a run found no room), the runs no value uses any longer are
// given back. Runs never move.
void CollectShapes();
// The workspace clear: runs are appended from the start again.
void ResetShapeStore();

// Slots whose values outlive the statement: the variables, and also []IO
// (slot 1) and the two print targets (slots 2, 3), which are read again later.
inline bool isnamedslot(i64 vx) {
    return (vx >= 1 && vx <= 3) || (vx >= FIRSTVAR && vx <= LASTNAMED);
}
inline bool istempslot(i64 vx) { return !isnamedslot(vx); }
// Temporary slots in the order they are handed out (4..17, then 15384 on)
// and back.
inline i64 TempOrdinal(i64 vx) { return vx <= 17 ? vx : vx - 15384 + 18; }
inline i64 TempSlotAt(i64 ordinal) { return ordinal <= 17 ? ordinal : ordinal - 18 + 15384; }
// The descriptor of an operand pair: ctable when c >= 0, else vtable[v].
inline val_item* opnd(i64 c, i64 v) { return c >= 0 ? &ctable[c] : &vtable[v]; }
// A variable operand (a value slot) that holds no value.
inline bool undefined(i64 c, i64 v) { return c < 0 && v >= 0 && vtable[v].rank == -1; }
// An elided index position (the "" of A[;j]) is the pair (-1, 0).
inline bool elided(i64 c, i64 v) { return c < 0 && v == 0; }
// One element by shape: rank 0, or rank 1 with one element (any type).
inline bool single(const val_item* v) { return v->rank == 0 || (v->rank == 1 && v->count == 1); }
// Types whose data are item descriptors: lists, dictionaries, tables.
inline bool HoldsItems(i64 type) { return type == TLIST || type == TDICT || type == TTABLE; }
// The item descriptors of a list, dictionary or table.
inline val_item* items_of(const val_item* v) { return reinterpret_cast<val_item*>(v->data); }

inline bool isnumtype(i64 t) { return t == TBOOL || t == TINT || t == TFLOAT; }
// Types kept as one 64-bit integer word per element: booleans, integers,
// symbols, enumeration indices, and the dates and times but datetime.
inline bool WordType(i64 t) {
    return t == TBOOL || t == TINT || t == TSYM || t == TENUM ||
           (t >= TMONTH && t <= TTIME && t != TDATETIME);
}
// Types whose elements are read as doubles: floats, complex parts, datetimes.
inline bool DoubleView(i64 t) { return t == TFLOAT || t == TCPLX || t == TDATETIME; }
inline bool isinttype(i64 t) { return t == TBOOL || t == TINT; }

// Element of type TCPLX: real part then imaginary part, 16 bytes.
struct complex2 {
    double real;
    double imag;
    complex2() : real(0.0), imag(0.0) {}
    complex2(double r, double i) : real(r), imag(i) {}
    // Exact: no tolerance; a NaN part is never equal.
    bool operator==(const complex2& o) const { return real == o.real && imag == o.imag; }
    bool operator!=(const complex2& o) const { return !(*this == o); }
};
static_assert(sizeof(complex2) == 16, "complex element must be 16 bytes");

constexpr i64 INULL = INT64_MIN;  // the integer null

// Bytes of data of n elements of a type (a character vector keeps a
// terminating zero).
i64 typC(i64 type, i64 n);
// Bytes of data a value owns in use: none for a one-element value held in
// its descriptor or an empty one, else typC of its count.
i64 DataBytes(const val_item* v);
// Bytes of one element: 1 character, 16 complex, 64 an item of a list,
// dictionary or table, 8 otherwise.
i64 ElemWidth(i64 type);
inline int isdate(i64 type) { return type >= TMONTH && type <= TTIME; }
// Types whose single element lives in the descriptor itself.
inline bool InlineType(i64 type) { return (type >= TBOOL && type <= TSYM) || isdate(type); }
// A one-element value held in its descriptor (dim0, and dim1 for complex).
inline int isoneV(const val_item* v) {
    return v->rank <= 1 && v->count == 1 && InlineType(v->type);
}
int isone(val_item v);
// The address of a value's elements: its descriptor's dim0 for a single
// inline element, its data otherwise; nullptr when it has none.
inline void* getptV(val_item* v) {
    if (isoneV(v)) return &v->dim0;
    if (v->count > 0) return v->data;
    return nullptr;
}
int isbasic(i64 type);
i64 islist0(val_item* v);
i64 gettyp(char letter);
char gettyp0(i64 type);

// ---- arena and result allocation -----------------------------------------

extern i64 stacktop;  // first free byte above the temporaries
extern i64 r15;       // lowest byte of the named region
extern i64 R0;
extern char* cad0;  // write cursors left by the allocators
extern val_item* p0;
extern i64* p1;
extern double* p2;
extern char* p3;
extern i64 collision;

i64 Updatead0(i64 vx, i64 type, i64 rank, i64 count);
i64 Updatead1(i64 cidx, i64 type, i64 count);
i64 Updatead2(val_item* item, bool named);
i64 RefChange(val_item* item, i64 delta);
i64 GC();
int CkCollision(i64 res, i64 lc, i64 lv, i64 rc, i64 rv);
// Next temporary slot (4..17, then 15384..16383). When they are exhausted it
// returns 0, a slot never used, with errchk = E_STACK_FULL ("stack full").
i64 Incstkv(i64* counter);
// Cuts the temporary area back to mark: the temporaries above it are dead,
// and the large blocks their items held are released.
void ResetTemps(i64 mark);
// A temporary whose last use is done gives its large block back at once
// (its memory may then serve the next result of the same statement); it is
// left without a value. Nothing happens for any other slot.
void ReleaseTemp(i64 vx);
void Updateaz(i64 vx, i64 rank, i64 count, i64 dim0, i64 dim1);
i64 TransFad(i64 vx, i64 type, i64 src);
i64 TransFadc(i64 vx, i64 type, i64 cidx);
// Releases whatever block a descriptor owns (arena or large) and zeroes it.
// A variable whose value is replaced gives up its old block this way.
void ReleaseValue(val_item* item);
// Checks that a result of count elements of type fits what the workspace
// can hold; E_WS_FULL when it does not (sizes coming from user data).
i64 CheckSize(i64 type, i64 count);

// ---- large blocks, scratch blocks, checked allocation ---------------------

void HeapInit();
void HeapClean();
void HeapExit();
i64 GetAloc();
// Whether data is the data of a large block: for the unit tests, which
// check where the store put a value; the program itself does not ask.
bool IsLargeData(const void* data);

// Scratch: n elements of a type for the primitive application in progress;
// nullptr, with E_WS_FULL in errchk, when memory is exhausted (and nullptr
// for n < 1). GM_free gives back every scratch block; scratch_held tells
// whether there is any.
void* GM_new(i64 type, i64 n);
void GM_free();
extern bool scratch_held;

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
i64 estring_assign_str(estring* e, const char* text);
char estring_index(const estring* e, i64 i);
i64 estring_fill(const sym_node* node, char* buffer);
i64 estring_fill_tick(const sym_node* node, char* buffer);
i64 estring_len(const sym_node* node);

// ---- workspace set-up and clearing: the value store's part ----------------
// The whole set-up and clear (ZemInit, CleanEX) are the system's
// (system/workspace.h): they clear every subsystem.

extern unsigned char symp[256];    // 1 for a character of the primitive symbols
extern unsigned char cclass[256];  // the lexer's class letter of a character
extern i64 SYMGN, SYMFN;           // permanent global names, reserved functions

// Records of the workspace file's reserved table: none are ever made, the
// count stays 0 (a clear resets it).
extern i64 pdtmx;
// The query prelude is being loaded (loadb: the script reader runs its
// lines quietly) or has been loaded (loado); a clear turns both off so that
// the next use loads it again.
extern bool loadb, loado;

void SymTable();
// The character tables, the arena, the shape list and the large-block list,
// ready for the first clear.
void InitStore();
// Empties the value store: the arena (zeroed when zero is set), the value
// and constant tables with their fixed entries and system variables, the
// symbols, the shape list and the large blocks.
void CleanStore(bool zero);
void CleanVT();

// ---- type demotion and tolerant comparison ----------------------------------

i64 IntV(i64 cidx, i64 vidx);
i64 IntB(i64 cidx, i64 vidx);
int iequal(i64 a, i64 b);
// Tolerant equality: |x-y| <= 1e-13 * max(|x|,|y|). Infinities compare
// exactly: by the formula alone an infinity would equal every number and
// not itself. NaN equals nothing.
inline int gequal(double x, double y) {
    if (std::isinf(x) || std::isinf(y)) return x == y;
    return 1e-13 * std::fmax(std::fabs(x), std::fabs(y)) >= std::fabs(x - y);
}
int biochk(i64 a, i64 b);

// ---- value storing and copying ------------------------------------------------
// Every routine returns 0 or an error code, a non-zero code also in errchk.
// Copies read their source only from places an allocation cannot move or
// free, so a copy may land anywhere, even on its own source.

i64 GenStoreDimv0(val_item* dst, const val_item* src);
i64 GenStoreDimv1(val_item* dst, i64 cidx, i64 vidx);
i64 GenStoreDims(i64 vx, i64 cidx, i64 vidx);
i64 GenStoreV2(val_item* dst, val_item* src, bool named);
// GenStoreV2 of a single element held in its descriptor (isoneV(src)) when
// dst holds no block: nothing to give back, stage or re-own. False, nothing
// done, when dst holds a block.
inline bool StoreSingleQuick(val_item* dst, const val_item* src) {
    if (dst->bytes > 0) return false;
    *dst = val_item{src->type, src->rank, src->dim0, src->dim1, 0, src->count, 0, nullptr};
    return true;
}
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
// Copies of whole operands into slots and descriptors.
i64 GenStore(i64 dest, i64 c, i64 v);
i64 GenStoreV0(i64 slot, val_item* src);
i64 GenStoreV1(val_item* dst, i64 c, i64 v, bool named);
// Gives a variable its own copy of a block it shares before a change in
// place; E_WS_FULL, the variable unchanged, when the copy cannot be had.
i64 BeforeIndexA(i64 slot);
// Assignment of a temporary's value to a named slot by handing over the
// large block the temporary owns alone, instead of copying it; false, with
// nothing changed, for a value that must be copied.
bool TakeTemp(i64 dest, i64 vx);
// Undoes TakeTemp(dest, vx): the temporary owns the block again, and dest,
// which still describes the value, owns nothing. Nothing happens unless dest
// holds exactly the block it took from vx.
void ReturnTemp(i64 dest, i64 vx);
// Moves a descriptor to a new home: the block it owns is told its new owner.
void MoveItem(val_item* to, const val_item* from);
// Drops one reference to the block a descriptor owns; when that was the last
// one, the blocks of its items (lists, dictionaries, tables) go with it.
void DropRef(val_item* item);
