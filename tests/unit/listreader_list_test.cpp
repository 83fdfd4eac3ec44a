// The list reader (the rest of a list literal into a list of item
// references) and the flat value records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "parser/parser.h"
#include "workspace_fixture.h"

namespace {

class ListReader : public FreshWorkspace {
protected:
    char text[256];
    void TearDown() override { GM_free(); }
    // Runs List over s with the cursor at position at (after the first item).
    i64 Read(const char* s, i64 at, char kind, i64 first, i64 scope = -1) {
        snprintf(text, sizeof text, "%s", s);
        cursor = at;
        return List(text, kind, first, scope);
    }
    // The value slot of a global variable (entered when new).
    static i64 Var(const char* name) { return gnametable[Enter(name, 'G')].index; }
    static i64 Ref(i64 slot, i64 k) { return ((val_item*)vtable[slot].data)[k].type; }
};

TEST_F(ListReader, NamesOnly) {
    i64 a = Var("a"), b = Var("b"), c = Var("c");
    i64 slot = Read("(a; b ;c) 5", 2, 'A', a);
    ASSERT_GT(slot, c);
    EXPECT_EQ(errchk, 0);
    val_item* v = &vtable[slot];
    EXPECT_EQ(v->type, TLIST);
    EXPECT_EQ(v->rank, 1);
    EXPECT_EQ(v->count, 3);
    EXPECT_EQ(v->dim1, 2);  // every item a name
    // At top level (negative scope) name references are negated.
    EXPECT_EQ(Ref(slot, 0), -a);
    EXPECT_EQ(Ref(slot, 1), -b);
    EXPECT_EQ(Ref(slot, 2), -c);
    EXPECT_EQ(text[cursor], ' ');  // just after the ")"
}

TEST_F(ListReader, ConstantsAreCopiedIntoFreshSlots) {
    i64 a = Var("a");
    i64 slot = Read("(a;12 13;`x`y;'hi')", 2, 'A', a, 7);
    ASSERT_GT(slot, a);
    EXPECT_EQ(vtable[slot].dim1, 1);  // not every item a name
    EXPECT_EQ(Ref(slot, 0), a);       // the caller's scope is not negative
    struct {
        i64 type, count;
    } want[] = {{TINT, 2}, {TSYM, 2}, {TCHAR, 2}};
    for (i64 k = 1; k <= 3; k++) {
        i64 ref = Ref(slot, k);
        ASSERT_LT(ref, 0);
        val_item* item = &vtable[~ref];
        EXPECT_EQ(item->type, want[k - 1].type) << k;
        EXPECT_EQ(item->count, want[k - 1].count) << k;
        EXPECT_TRUE(isnamedslot(~ref)) << k;
    }
    EXPECT_EQ(((i64*)vtable[~Ref(slot, 1)].data)[1], 13);
    EXPECT_EQ(std::string(vtable[~Ref(slot, 3)].data, 2), "hi");
}

TEST_F(ListReader, FirstItemConstant) {
    snprintf(text, sizeof text, "7 8");
    cursor = 0;
    i64 c = Number(text);
    ASSERT_GE(c, 0);
    i64 slot = Read("(7 8;9)", 4, 'C', c);
    ASSERT_GT(slot, 0);
    val_item* first = &vtable[~Ref(slot, 0)];
    EXPECT_EQ(first->count, 2);
    EXPECT_EQ(((i64*)first->data)[0], 7);
    EXPECT_EQ(vtable[~Ref(slot, 1)].dim0, 9);
}

TEST_F(ListReader, TheSlotSharesTheConstantsData) {
    i64 a = Var("a"), b = Var("b");
    i64 before = lstcx;
    i64 slot = Read("(a;b)", 2, 'A', a);
    ASSERT_GT(slot, 0);
    ASSERT_EQ(lstcx, before + 1);
    val_item* k = &ctable[lstcx];
    EXPECT_EQ(k->type, TLIST);
    EXPECT_EQ(vtable[slot].data, k->data);
    EXPECT_EQ(RefChange(&vtable[slot], 0), 2);  // both hold a reference
    // A collection moves the block for both and keeps the references.
    GC();
    EXPECT_EQ(vtable[slot].data, ctable[lstcx].data);
    EXPECT_EQ(Ref(slot, 0), -a);
    EXPECT_EQ(Ref(slot, 1), -b);
}

TEST_F(ListReader, Errors) {
    i64 a = Var("a");
    struct {
        const char* text;
        i64 code;
    } cases[] = {
        {"(a)", 1},                        // one item
        {"(a;b", 22},                      // no closing parenthesis
        {"(a;'x;y'", 22},                  // the ";" inside the string does not count
        {"(a;+)", 16},                     // not a name, number, symbol or string
        {"(a;)", 16},     {"(a;b c)", 1},  // junk after an item
    };
    for (auto& c : cases) {
        errchk = 0;
        EXPECT_EQ(Read(c.text, 2, 'A', a), c.code) << c.text;
        EXPECT_EQ(errchk, c.code) << c.text;
    }
}

// ---- value records ----------------------------------------------------------------

struct Record {
    std::vector<i64> words;
    std::string data;
};

Record Written(i64 c, i64 v, i64 mode, i64 nwords) {
    std::vector<char> out(ListSizeChar(c, v, mode) + 8, '#');
    i64 n = ListWritChar(c, v, mode, out.data());
    EXPECT_EQ(n, ListSizeChar(c, v, mode));
    Record r;
    r.words.resize(nwords);
    memcpy(r.words.data(), out.data(), 8 * nwords);
    r.data.assign(out.data() + 8 * nwords, n - 8 * nwords);
    EXPECT_EQ(out[n], '#');  // nothing past the record
    return r;
}

TEST_F(ListReader, Records) {
    vtable[20] = val_item{TINT, 2, 2, 3, 0, 6, 0, nullptr};
    i64 m[6] = {1, 2, 3, 4, 5, 6};
    vtable[20].data = (char*)m;
    i64 run = nxtglx + 1;
    glist[run] = 3;
    glist[run + 1] = 4;
    glist[run + 2] = -1;
    nxtglx += 3;
    i64 cube[24];
    for (i64 k = 0; k < 24; k++) cube[k] = k;
    vtable[21] = val_item{TINT, 3, 2, run, 0, 24, 0, (char*)cube};
    vtable[22] = val_item{TCHAR, 0, 'x', 0, 0, 1, 0, nullptr};
    vtable[23] = val_item{TINT, -1, 0, 0, 0, 5, 0, nullptr};
    vtable[24] = val_item{TCHAR, 1, 3, 0, 0, 3, 0, (char*)"abc"};
    struct {
        i64 slot, size;
        std::vector<i64> words;
        std::string data;
    } cases[] = {
        {20, 88, {TINT, 2, 2, 3, 6}, std::string((char*)m, 48)},
        {21, 48 + 192, {TINT, 3, 2, 3, 4, 24}, std::string((char*)cube, 192)},
        {22, 26, {TCHAR, 0, 1}, std::string("x\0", 2)},
        {23, 24, {TINT, -1, 0}, ""},  // no value: count 0, no data
        {24, 28, {TCHAR, 1, 3}, std::string("abc\0", 4)},
    };
    for (auto& c : cases) {
        EXPECT_EQ(ListSizeChar(-1, c.slot, -1), c.size) << c.slot;
        Record r = Written(-1, c.slot, -1, (i64)c.words.size());
        EXPECT_EQ(r.words, c.words) << c.slot;
        EXPECT_EQ(r.data, c.data) << c.slot;
    }
    // An item that is not a plain value: the pair -1 and its value index.
    EXPECT_EQ(ListSizeChar(-1, 20, 0), 16);
    Record r = Written(-1, 20, 0, 2);
    EXPECT_EQ(r.words, (std::vector<i64>{-1, 20}));
    for (i64 s = 20; s <= 24; s++) vtable[s] = val_item{};
}

}  // namespace
