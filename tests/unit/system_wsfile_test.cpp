// The workspace file's value walk, its round trip through a file, and the
// path names of the file commands.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "parser/parser.h"
#include "system/system.h"
#include "system/wsfile.h"
#include "values/internal.h"
#include "values/values.h"
#include "workspace_fixture.h"

namespace {

class WsWalk : public FreshWorkspace {
protected:
    void TearDown() override {
        // A failed decode leaves reference words in the slots.
        std::memset(vtable, 0, sizeof vtable);
        lstvx = FIRSTVAR - 1;
        lstcx = NFIXCONST - 1;
        CleanEX(false);
    }

    // A named integer vector from..from+n-1 in slot (a global).
    static val_item* Ints(i64 slot, i64 n, i64 from) {
        val_item* v = &vtable[slot];
        v->type = TINT;
        EXPECT_EQ(Updatead0(slot, TINT, 1, n), 0);
        v->dim0 = n;
        std::iota(reinterpret_cast<i64*>(v->data), reinterpret_cast<i64*>(v->data) + n, from);
        if (slot > lstvx && slot < SYSTART) lstvx = slot;
        return v;
    }

    // A named list in slot whose items are copies of the given slots.
    static val_item* List(i64 slot, std::initializer_list<i64> from) {
        val_item* v = &vtable[slot];
        v->type = TLIST;
        i64 n = static_cast<i64>(from.size());
        EXPECT_EQ(Updatead0(slot, TLIST, 1, n), 0);
        v->dim0 = n;
        i64 k = 0;
        for (i64 s : from) EXPECT_EQ(GenStoreV2(&items(v)[k++], &vtable[s], true), 0);
        if (slot > lstvx) lstvx = slot;
        return v;
    }

    static val_item* items(const val_item* v) { return reinterpret_cast<val_item*>(v->data); }

    // Saves the workspace in a file of its own and reads it back into the
    // cleared workspace; r15 just after the write in *after_write.
    static void RoundTrip(i64* after_write) {
        char name[] = "/tmp/zem-wsfile-XXXXXX";
        int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        ASSERT_EQ(WsWrite(name), 0);
        *after_write = r15;
        CleanEX(true);
        FILE* fp = nullptr;
        ASSERT_EQ(WsOpen(name, &fp), 0);
        CleanEX(true);
        EXPECT_EQ(WsRead(fp), 0);
        std::fclose(fp);
        unlink(name);
    }

    // Replaces every saved value by its file form and the arena and large
    // blocks by what the file holds, as a load leaves them before decoding;
    // returns the large blocks in file order.
    static std::vector<data_block> AsInFile() {
        WsEncoder e;
        EXPECT_EQ(e.Prepare(), 0);
        std::vector<val_item> encoded;
        ForSavedValues([&](val_item* d) { encoded.push_back(e.Encode(d)); });
        size_t k = 0;
        ForSavedValues([&](val_item* d) { *d = encoded[k++]; });
        std::memcpy(heap + r15, e.image.data(), e.image.size());
        std::vector<data_block> large;
        for (WsBlock* b : e.large) {
            if (!b->copy.empty()) std::memcpy(b->data, b->copy.data(), b->size);
            large.push_back(*b);
        }
        return large;
    }

    static uint64_t Word(const val_item& d) { return DataWord(&d); }
    // The arena block a descriptor's reference word names.
    static val_item* Named(const val_item& d) {
        return reinterpret_cast<val_item*>(heap + ARENA_SIZE - RefWhere(Word(d)));
    }
    static void SetWord(val_item* d, uint64_t w) {
        d->data = reinterpret_cast<char*>(static_cast<uintptr_t>(w));
    }
};

TEST_F(WsWalk, DataBecomesReferenceWordsAndComesBack) {
    val_item* a = Ints(18, 10, 1);
    val_item* big = Ints(19, 20000, 0);
    vtable[20] = *a;  // a second name shares a's block
    RefChange(a, 1);
    lstvx = 20;
    char* adata = a->data;
    char* bdata = big->data;
    WsEncoder e;
    ASSERT_EQ(e.Prepare(), 0);
    val_item ea = e.Encode(a), eb = e.Encode(big), io = e.Encode(&vtable[SLOT_IO]);
    EXPECT_EQ(RefTag(Word(ea)), REF_ARENA);
    EXPECT_EQ(heap + ARENA_SIZE - RefWhere(Word(ea)), a->data);
    EXPECT_EQ(Word(eb), RefWord(REF_LARGE, 0));
    EXPECT_EQ(Word(io), REF_NONE);  // one inline element
    EXPECT_EQ(Word(e.Encode(&vtable[20])), Word(ea));
    ASSERT_EQ(e.large.size(), 1u);

    std::vector<data_block> large = AsInFile();
    mem_node* h = ArenaHeader(&vtable[19]);  // not a pointer yet
    EXPECT_EQ(h, nullptr);
    ASSERT_EQ(WsDecode(large), 0);
    EXPECT_EQ(vtable[18].data, adata);
    EXPECT_EQ(vtable[20].data, adata);
    EXPECT_EQ(vtable[19].data, bdata);
    EXPECT_EQ(RefChange(&vtable[18], 0), 2);  // counted again from the holders
    EXPECT_EQ(ArenaHeader(&vtable[18])->owner->data, adata);
    EXPECT_EQ(reinterpret_cast<i64*>(vtable[19].data)[19999], 19999);
}

TEST_F(WsWalk, ListsSharedItemsAndLargeDescriptorBlocks) {
    Ints(30, 3, 7);
    Ints(31, 9000, 1);  // a large item
    List(18, {30, 31, 30});
    val_item* many = &vtable[19];
    many->type = TLIST;
    ASSERT_EQ(Updatead0(19, TLIST, 1, 1100), 0);  // its descriptors: a large block
    many->dim0 = 1100;
    for (i64 k = 0; k < 1100; k++) ASSERT_EQ(GenStoreV2(&items(many)[k], &vtable[30], true), 0);
    lstvx = 19;
    ReleaseValue(&vtable[30]);
    ReleaseValue(&vtable[31]);
    i64 counts[3] = {RefChange(&items(many)[500], 0), RefChange(&items(&vtable[18])[0], 0),
                     RefChange(&items(&vtable[18])[1], 0)};
    std::vector<data_block> large = AsInFile();
    ASSERT_EQ(large.size(), 2u);
    ASSERT_EQ(WsDecode(large), 0);
    EXPECT_EQ(reinterpret_cast<i64*>(items(&vtable[18])[1].data)[8999], 9000);
    EXPECT_EQ(reinterpret_cast<i64*>(items(&vtable[18])[2].data)[2], 9);
    EXPECT_EQ(reinterpret_cast<i64*>(items(many)[1099].data)[0], 7);
    EXPECT_EQ(RefChange(&items(many)[500], 0), counts[0]);
    EXPECT_EQ(RefChange(&items(&vtable[18])[0], 0), counts[1]);
    EXPECT_EQ(RefChange(&items(&vtable[18])[1], 0), counts[2]);
    GC();  // the collector finds every block again
    EXPECT_EQ(reinterpret_cast<i64*>(items(many)[1099].data)[1], 8);
}

TEST_F(WsWalk, EnumerationIsWrittenAsItIs) {
    // It names its domain (word 0) and keeps a record of its slot (word 1):
    // both come back unchanged, and no address is followed or written.
    val_item* dom = Ints(18, 3, 0);
    dom->type = TSYM;
    i64 a = getsymbol("a");
    getsymbol("b");
    val_item* en = &vtable[19];
    en->type = TENUM;
    ASSERT_EQ(Updatead0(19, TENUM, 1, 2), 0);
    en->dim0 = 2;
    i64* w = reinterpret_cast<i64*>(en->data);
    w[0] = a;
    w[1] = 18;
    w[2] = 0;
    w[3] = 2;
    lstvx = 19;
    std::vector<data_block> large = AsInFile();
    const i64* stored = reinterpret_cast<const i64*>(Named(vtable[19]));
    EXPECT_EQ(stored[0], a);
    EXPECT_EQ(stored[1], 18);
    ASSERT_EQ(WsDecode(large), 0);
    const i64* back = reinterpret_cast<const i64*>(vtable[19].data);
    EXPECT_EQ(std::vector<i64>(back, back + 4), (std::vector<i64>{a, 18, 0, 2}));
}

// Each damage to what a file holds is refused before anything uses it.
TEST_F(WsWalk, DamagedValuesAreRefused) {
    struct Case {
        const char* what;
        void (*damage)();
    };
    static const Case cases[] = {
        {"nothing: the undamaged values load", [] {}},
        {"an item referring to its own block",
         [] {
             val_item* it = &Named(vtable[18])[0];
             it->type = TLIST;
             SetWord(it, Word(vtable[18]));
         }},
        {"a reference word of no kind", [] { SetWord(&vtable[19], RefWord(REF_SLOT, 3)); }},
        {"an arena reference past the named bytes",
         [] { SetWord(&vtable[19], RefWord(REF_ARENA, ARENA_SIZE)); }},
        {"a large block that is not in the file",
         [] { SetWord(&vtable[19], RefWord(REF_LARGE, 9)); }},
        {"more elements than the block holds", [] { vtable[19].count = vtable[19].dim0 = 1000; }},
        {"a symbol id never made",
         [] {
             vtable[20].type = TSYM;
             vtable[20].dim0 = 77;
         }},
        {"an unknown type", [] { vtable[19].type = 13; }},
        {"a length that is not the count", [] { vtable[19].dim0 = 5; }},
        {"a matrix whose shape is not its count",
         [] {
             vtable[19].rank = 2;
             vtable[19].dim0 = 3;
             vtable[19].dim1 = 3;
         }},
        {"a shape run beyond the shape store",
         [] {
             vtable[19].rank = 3;
             vtable[19].dim0 = 1;
             vtable[19].dim1 = nxtglx;
         }},
        {"a list's descriptors read as numbers too",
         [] {
             vtable[20] = vtable[18];
             vtable[20].type = TFLOAT;
             vtable[20].count = vtable[20].dim0 = 2;
         }},
        {"a dictionary whose parts differ in length",
         [] {
             vtable[18].type = TDICT;
             vtable[18].dim0 = 1;
         }},
        {"a value nested too deep", nullptr},
        {"a negative rank", [] { vtable[19].rank = -2; }},
    };
    for (const Case& c : cases) {
        CleanEX(false);
        Ints(30, 2, 1);
        List(18, {30, 30});
        Ints(19, 10, 0);
        vtable[20].type = TINT;
        vtable[20].rank = 0;
        vtable[20].count = 1;
        lstvx = 20;
        if (!c.damage) {
            // 2001 lists, each holding the next.
            val_item cur = vtable[30];
            cur.bytes = 0;
            for (int k = 0; k <= WS_MAXDEPTH; k++) {
                val_item next{};
                next.type = TLIST;
                next.rank = 1;
                next.count = next.dim0 = 1;
                ASSERT_EQ(Updatead2(&next, true), 0);
                MoveItem(&items(&next)[0], &cur);
                cur = next;
                MoveItem(&cur, &next);
            }
            MoveItem(&vtable[21], &cur);
            lstvx = 21;
            WsEncoder e;
            EXPECT_EQ(e.Prepare(), E_SAVE_FAILED) << c.what;
            continue;
        }
        std::vector<data_block> large = AsInFile();
        c.damage();
        EXPECT_EQ(WsDecode(large), &c == cases ? E_OK : E_FILE_READ) << c.what;
        std::memset(vtable, 0, sizeof vtable);
    }
}

TEST(WsPaths, BaseNameAndExtension) {
    struct {
        const char *path, *base, *ext;
    } cases[] = {
        {"/data/trades.csv", "trades", "csv"},
        {"dir/file", "file", ""},
        {"a.verylongextension", "a", ""},
        {"a.123456789", "a", "123456789"},
        {"c:\\dir\\x.txt", "x", "txt"},
        {"noext", "noext", ""},
        {"", "", ""},
        {"dir/.hidden", "", "hidden"},
        {"x.tar.gz", "x.tar", "gz"},
        {"d.x/t", "t", ""},
        {"/a.b/c.d/name.csv", "name", "csv"},
    };
    for (auto& c : cases) {
        char base[100] = "junk", ext[10] = "junk";
        GetPathNames(c.path, base, ext);
        EXPECT_STREQ(base, c.base) << c.path;
        EXPECT_STREQ(ext, c.ext) << c.path;
    }
    std::string longest(99, 'b'), over(100, 'b');
    char base[100], ext[10];
    GetPathNames(("d/" + longest + ".e").c_str(), base, ext);
    EXPECT_EQ(std::string(base), longest);
    GetPathNames(("d/" + over + ".e").c_str(), base, ext);
    EXPECT_STREQ(base, "");
}

TEST(WsPaths, CommandArgumentToPath) {
    char out[PATH_SIZE];
    std::snprintf(CURDIR, sizeof CURDIR, "%s", "/lib");
    struct {
        const char *arg, *path;
    } good[] = {
        {"ws", "/lib/ws.zem"},    {"a.b.c", "/lib/a.b.c"}, {"ws more words", "/lib/ws.zem"},
        {"'my file'", "my file"}, {"'x.zem'", "x.zem"},    {"  ws  // comment", "/lib/ws.zem"},
        {"w x.y", "/lib/w"},
    };
    for (auto& c : good) {
        EXPECT_EQ(GetZemPath(c.arg, out, "zem", false), 0) << c.arg;
        EXPECT_STREQ(out, c.path) << c.arg;
    }
    std::string long_name(PATH_SIZE, 'n');
    for (const std::string& bad : std::vector<std::string>{"", "   ", "'", "''", "'a''", "'open",
                                                           long_name, "'" + long_name + "'"})
        EXPECT_EQ(GetZemPath(bad.c_str(), out, "zem", false), 76) << bad;
    CURDIR[0] = 0;
    EXPECT_EQ(GetZemPath("ws", out, "zsf", true), 0);
    EXPECT_STREQ(out, "/ws.zsf");
    EXPECT_EQ(compare_insensitive("aBc", "AbD", 2), 0);
    EXPECT_EQ(compare_insensitive("aBc", "AbD", 3), 1);
}

// Through a real file, in this process: every value and the tables come back.
TEST_F(WsWalk, FileRoundTrip) {
    Ints(18, 5, 10);
    Ints(19, 30000, 3);
    List(20, {18, 19});
    val_item* r3 = &vtable[21];
    *r3 = vtable[18];
    RefChange(r3, 1);
    r3->count = 4;
    i64 dims[3] = {1, 2, 2};
    r3->rank = 3;
    r3->dim0 = dims[0];
    r3->dim1 = nxtglx + 1;
    for (i64 k = 1; k < 3; k++) glist[++nxtglx] = dims[k];
    glist[++nxtglx] = -1;
    glist[++nxtglx] = 0;
    lstvx = 21;
    i64 r15_saved = r15, written = 0;
    RoundTrip(&written);
    EXPECT_EQ(written, r15_saved);
    EXPECT_EQ(r15, r15_saved);
    EXPECT_EQ(lstvx, 21);
    EXPECT_EQ(reinterpret_cast<i64*>(vtable[19].data)[29999], 30002);
    EXPECT_EQ(reinterpret_cast<i64*>(items(&vtable[20])[0].data)[4], 14);
    EXPECT_EQ(vtable[21].data, vtable[18].data);
    EXPECT_EQ(glist[vtable[21].dim1 + 1], 2);
    EXPECT_EQ(RefChange(&vtable[18], 0), 2);
}

// Every count of global slots the allocator hands out, up to the last, is
// one the reader takes back.
TEST_F(WsWalk, FullValueTableComesBack) {
    while (Incx('V') >= 0) {}
    errchk = 0;
    i64 last = lstvx, written = 0;
    EXPECT_EQ(last, LASTGLOBAL);
    RoundTrip(&written);
    EXPECT_EQ(lstvx, last);
}

// Tables the reader would refuse are not written: the save fails and the
// file keeps what it held.
TEST_F(WsWalk, SaveTheReaderWouldRefuseFails) {
    char name[] = "/tmp/zem-wsfile-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "old", 3), 3);
    close(fd);
    struct damage {
        const char* what;
        void (*make)();
    };
    const damage cases[] = {
        {"a row naming no global entry",
         [] {
             lstfx = FIRSTFN;
             functable[FIRSTFN].gname = lstgx + 5;
         }},
        {"a header past the name table",
         [] {
             lstfx = FIRSTFN;
             functable[FIRSTFN].gname = 0;
             functable[FIRSTFN].hdrmark = -1;
             functable[FIRSTFN].hdrlast = lstnx + 3;
         }},
        {"a parse node naming a constant not made",
         [] {
             lstndx = 0;
             parsetree[0].kind = 'C';
             parsetree[0].ref = lstcx + 5;
         }},
    };
    for (const damage& c : cases) {
        func_entry row = functable[FIRSTFN];
        parse_node node = parsetree[0];
        c.make();
        EXPECT_EQ(WsWrite(name), E_FILE_WRITE) << c.what;
        lstfx = FIRSTFN - 1;
        functable[FIRSTFN] = row;
        lstndx = -1;
        parsetree[0] = node;
        FILE* fp = std::fopen(name, "r");
        ASSERT_NE(fp, nullptr);
        char got[8] = {};
        EXPECT_EQ(std::fread(got, 1, sizeof got, fp), 3u) << c.what;
        std::fclose(fp);
        EXPECT_STREQ(got, "old") << c.what;
    }
    unlink(name);
}

}  // namespace
