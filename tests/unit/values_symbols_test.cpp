// Interned symbols: ids, growth of the id array, printing forms.
#include <gtest/gtest.h>

#include <string>

#include "values/values.h"
#include "workspace_fixture.h"

class ValuesSymbols : public FreshWorkspace {};

// Height of the tree below node.
static int Height(const sym_node* node) {
    if (!node) return 0;
    return 1 + std::max(Height(node->left), Height(node->right));
}

TEST_F(ValuesSymbols, EmptyTextIsZeroAfterClear) {
    EXPECT_EQ(sindex, 0);
    EXPECT_EQ(getsymbol(""), 0);
    EXPECT_EQ(getsymbol("x"), 1);
    EXPECT_EQ(getsymbol("x"), 1);
    EXPECT_EQ(sindex, 1);
}

TEST_F(ValuesSymbols, IdsInOrderOfFirstUse) {
    EXPECT_EQ(getsymbol("b"), 1);
    EXPECT_EQ(getsymbol("a"), 2);
    EXPECT_EQ(getsymbol("c"), 3);
    EXPECT_EQ(getsymbol("a"), 2);
    EXPECT_STREQ(psym[2]->str.text, "a");
}

TEST_F(ValuesSymbols, GrowthKeepsIds) {
    i64 before = sybmax;
    for (int i = 1; i <= 1100; i++) ASSERT_EQ(getsymbol(std::string("s").append(std::to_string(i)).c_str()), i);
    EXPECT_GE(sybmax, 2048);
    EXPECT_GT(sybmax, before);
    for (int i = 1; i <= 1100; i++) {
        std::string text = std::string("s").append(std::to_string(i));
        ASSERT_STREQ(psym[i]->str.text, text.c_str());
        ASSERT_EQ(getsymbol(text.c_str()), i);
    }
    EXPECT_LE(Height(T), 16);  // ascending-ish inserts keep the tree balanced
}

TEST_F(ValuesSymbols, AscendingInsertsStayBalanced) {
    char text[8];
    for (int i = 0; i < 1000; i++) {
        std::snprintf(text, sizeof text, "%04d", i);
        getsymbol(text);
    }
    EXPECT_LE(Height(T), 15);  // 1.44 log2(1001)
}

TEST_F(ValuesSymbols, PrintingForms) {
    char buffer[300];
    const sym_node* ny = psym[getsymbol("new york")];
    EXPECT_EQ(estring_fill(ny, buffer), 10);
    EXPECT_STREQ(buffer, "'new york'");
    EXPECT_EQ(estring_len(ny), 10);
    EXPECT_EQ(estring_fill_tick(ny, buffer), 11);
    EXPECT_STREQ(buffer, "`'new york'");
    const sym_node* abc = psym[getsymbol("abc")];
    EXPECT_EQ(estring_fill_tick(abc, buffer), 4);
    EXPECT_STREQ(buffer, "`abc");
    EXPECT_EQ(estring_len(abc), 3);
}

TEST_F(ValuesSymbols, LongTextIsCut) {
    std::string longer(200, 'q');
    i64 id = getsymbol(longer.c_str());
    EXPECT_EQ(psym[id]->str.len, 127);
    EXPECT_EQ(getsymbol(std::string(127, 'q').c_str()), id);
}

TEST_F(ValuesSymbols, ClearForgetsSymbols) {
    getsymbol("gone");
    CleanEX(false);
    EXPECT_EQ(getsymbol("new"), 1);
}
