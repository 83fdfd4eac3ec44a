// The binary workspace file: what its writer, its reader and the value walk
// between them share. Not for the rest of the interpreter (system.h is).
//
// Addresses never reach the file. Wherever the workspace holds one (a
// descriptor's data pointer) the file holds a reference word instead: the
// low two bits say what it refers to, the rest where. An enumeration holds
// no address: it finds its domain by name, and is written as it is.
//   0                  nothing
//   d << 2 | 1         the named arena block that starts d bytes below the top
//   k << 2 | 2         large block k of the file (blocks follow the arena bytes)
//   s << 2 | 3         (no longer written) value slot s
// Block headers' owners, reference counts and kinds are not trusted from the
// file: the reader works them out again from the values that refer to them.
#pragma once
#include <cstdint>
#include <cstdio>
#include <unordered_set>
#include <vector>

#include "values/blocks.h"
#include "values/values.h"

constexpr i64 WS_VERSION = 6;
constexpr i64 WS_DATE = 20150810;
constexpr i64 WS_STARS = 52;  // width of the header's star lines
// Deepest nesting of lists a workspace file carries (the printer and the
// copy routines recurse once per level).
constexpr i64 WS_MAXDEPTH = 2000;

// ---- byte streams --------------------------------------------------------------

// Writing: the first failure sticks.
struct WsWriter {
    FILE* fp;
    bool ok;
    void Word(i64 v);
    void Bytes(const void* p, i64 n);
};

// Reading: every read is checked against what the file still holds, so no
// count from the file makes anything larger than the file.
struct WsIn {
    FILE* fp;
    i64 size;  // file size
    i64 pos;   // bytes consumed
    i64 Left() const { return size - pos; }
    bool Word(i64* v);
    // A word within lo..hi.
    bool Word(i64* v, i64 lo, i64 hi);
    bool Bytes(void* p, i64 n);
    bool Skip(i64 n);
    // Re-reads the position after someone else read from fp.
    void Sync();
};

// ---- reference words -----------------------------------------------------------

enum : uint64_t { REF_NONE = 0, REF_ARENA = 1, REF_LARGE = 2, REF_SLOT = 3 };
inline uint64_t RefWord(uint64_t tag, uint64_t where) { return where << 2 | tag; }
inline uint64_t RefTag(uint64_t w) { return w & 3; }
inline uint64_t RefWhere(uint64_t w) { return w >> 2; }
inline uint64_t DataWord(const val_item* d) { return reinterpret_cast<uintptr_t>(d->data); }

// ---- blocks ---------------------------------------------------------------------

// What a block's data holds, by the type of the values that use it.
enum : int { KIND_NONE = 0, KIND_PLAIN = 1, KIND_ITEMS = 2, KIND_ENUM = 3 };
int DataKind(i64 type);

// One block a value's data may live in, with what the walk learns of it.
struct WsBlock : data_block {
    i64 index;  // large block's number in the file, -1 none yet
    int kind;
    int walk;     // 0 items not walked, 1 being walked, 2 walked
    i64 walked;   // items walked
    i64 refs;     // values that refer to it
    i64 holders;  // values that hold a reference count on it
    val_item* owner;
    std::vector<char> copy;  // writer: the large block as written, when it differs
};

// Records that a value of the type uses the block's data; *first when it
// is the first. False when the block is already used as another kind.
bool ClaimKind(WsBlock* b, i64 type, bool* first);

// The blocks, found by their data address.
struct WsBlocks {
    std::vector<WsBlock> list;  // sorted by data address once Sort ran
    // Adds the arena's named blocks and the large blocks: false when the
    // named region does not hold whole blocks.
    bool Collect();
    void Sort();
    // The block whose data starts exactly at p, or nullptr.
    WsBlock* At(const char* p);
};

// ---- checks shared by the writer and the reader --------------------------------

// Bytes of data a value uses (0 for no value, one inline element or no
// elements).
i64 DataNeed(const val_item* d);
// Type, rank, count and shape of a value with rank >= 0 are consistent;
// rank > 2 shapes are read from glist up to nxtglx.
bool ShapeSound(const val_item* d);
// The elements hold only known symbols (symbol vectors, an enumeration's
// domain name), read from data.
bool SymbolsSound(const val_item* d, const char* data);
// A dictionary's or table's parts fit together (its items already sound).
bool CompoundSound(const val_item* d);
// The shape runs of the values (start, rank) do not overlap one another,
// room for cached strides included.
bool RunsSound(std::vector<std::pair<i64, i64>>& runs);

// ---- the value walk ------------------------------------------------------------

// The slots and constants whose values the file carries: calls
// f(descriptor) for each.
template <class F>
void ForSavedValues(F f) {
    for (i64 s : {SLOT_IO, i64{2}, i64{3}}) f(&vtable[s]);
    for (i64 s = SYSTART; s < SYSTART + SYMGN - SYMFN - 1; s++) f(&vtable[s]);
    for (i64 s = FIRSTVAR; s <= lstvx; s++) f(&vtable[s]);
    for (i64 c = NFIXCONST; c <= lstcx; c++) f(&ctable[c]);
    for (i64 s = lstvxend; s < SYSTART; s++) f(&vtable[s]);
}

// Depth-first walk over the saved values and, once per block, the items in
// it. The policy p provides
//   bool Visit(val_item* d, val_item* out, WsBlock** b): checks d, finds the
//     block its data lives in (*b, nullptr for none) and does its work; out
//     is where d's file form goes (nullptr for a slot or constant);
//   val_item* Item(WsBlock* b, i64 i, val_item** out): item i of b.
// False when a value fails, nests too deep or contains itself.
template <class P>
bool WsWalk(P& p) {
    struct Frame {
        WsBlock* b;
        i64 next, count;
    };
    std::vector<Frame> stack;
    auto step = [&](val_item* d, val_item* out) {
        WsBlock* b = nullptr;
        if (!p.Visit(d, out, &b)) return false;
        if (!b || DataKind(d->type) != KIND_ITEMS || DataNeed(d) == 0) return true;
        if (b->walk == 1) return false;
        if (b->walk == 2) return d->count <= b->walked;
        if (static_cast<i64>(stack.size()) >= WS_MAXDEPTH) return false;
        b->walk = 1;
        stack.push_back(Frame{b, 0, d->count});
        return true;
    };
    auto drain = [&]() {
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (f.next == f.count) {
                f.b->walk = 2;
                f.b->walked = f.count;
                stack.pop_back();
                continue;
            }
            WsBlock* b = f.b;
            i64 i = f.next++;
            val_item* out = nullptr;
            val_item* item = p.Item(b, i, &out);
            if (!step(item, out)) return false;
        }
        return true;
    };
    bool ok = true;
    ForSavedValues([&](val_item* d) { ok = ok && step(d, nullptr) && drain(); });
    return ok;
}

// Writer: finds every block the saved values use and prepares the arena
// image; the sections then write descriptors through Encode.
struct WsEncoder {
    WsBlocks blocks;
    std::vector<char> image;      // the arena region as written
    std::vector<WsBlock*> large;  // large blocks in file order
    std::vector<std::pair<i64, i64>> runs;
    std::vector<const val_item*> compounds;
    std::unordered_set<const WsBlock*> tables;  // items blocks of tables
    bool column_list = false;  // the item being visited is a table's column list
    // Collects, then walks the values: 0, or E_SAVE_FAILED when a value
    // cannot be written as it stands.
    i64 Prepare();
    // The descriptor as the file holds it.
    val_item Encode(const val_item* d);
    // The walk's policy.
    bool Visit(val_item* d, val_item* out, WsBlock** b);
    val_item* Item(WsBlock* b, i64 i, val_item** out);
};

// Reader: turns the reference words of the loaded slots, constants and
// arena bytes back into addresses, checking every value on the way, and
// settles the blocks' headers and reference counts. large: the blocks read
// after the arena bytes, in file order. 0 or E_FILE_READ.
i64 WsDecode(const std::vector<data_block>& large);

// ---- the file as a whole ---------------------------------------------------------

// Whether the reader takes the workspace's tables as they stand (the checks
// it makes of a file's tables once read).
bool WsTablesSound();
// Writes the workspace to file (through a temporary file renamed over it):
// 0, E_SAVE_FAILED or E_FILE_WRITE; E_FILE_WRITE with no file touched when
// the reader would refuse what it wrote.
i64 WsWrite(const char* file);
// Opens file and reads its text header, changing nothing: 0 with *fp open
// after the header, E_NO_FILE, or E_WS_VERSION for no workspace file.
i64 WsOpen(const char* file, FILE** fp);
// Reads the rest of an opened file into the (cleared) workspace: 0, or the
// error code; after E_FILE_READ the workspace is cleared again.
i64 WsRead(FILE* fp);
// Checks the function rows of an opened file (at the position WsOpen left),
// changing nothing and leaving the file where it was: E_FILE_READ when a
// row holds a word no call may read, else 0 (a file cut short or damaged
// elsewhere is left to WsRead).
i64 WsRowsSound(FILE* fp);
