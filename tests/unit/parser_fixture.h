// Shared helpers of the parser unit tests: a clear workspace and one
// statement parsed into the tables.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "parser/parser.h"
#include "system/workspace.h"
#include "values/values.h"

struct Parsed {
    i64 rc;
    i64 out[3];
    i64 cursor;
    i64 col;  // token column of an error
};

// Parses the first statement of text (row -1: immediate line).
inline Parsed ParseText(const std::string& text, i64 row = -1, i64 lineno = 0) {
    static char buf[4096];
    snprintf(buf, sizeof buf, "%s", text.c_str());
    Parsed p{};
    p.rc = ZemParser(buf, (i64)strlen(buf) + 1, row, lineno, 0, 1, p.out);
    p.cursor = GetZemCursor();
    p.col = GetZemOldCursor();
    return p;
}

inline const parse_node& PNode(i64 n) { return parsetree[n]; }
inline const fn_node& Fn(i64 n) { return fnodetable[parsetree[n].ref]; }
// Function code of the application at node n.
inline i64 CodeOf(i64 n) { return Fn(n).code; }
inline const val_item& Const(i64 n) { return ctable[parsetree[n].ref]; }

class ParserTest : public ::testing::Test {
protected:
    void SetUp() override { ZemInit(); }
};

// A defined function row named name with labels (name, line) entered the
// way its first call enters them; lines are parsed as line 2.
inline i64 MakeFunction(const char* name,
                        std::initializer_list<std::pair<const char*, i64>> labels) {
    i64 g = Enter(name, 'F');
    i64 row = gnametable[g].index;
    functable[row].valence = 0;
    functable[row].result = -1;
    functable[row].lblmark = lstnx;
    for (auto& l : labels) {
        i64 e = Enter(l.first, 'L');
        nametable[e].index = l.second;
    }
    return row;
}
