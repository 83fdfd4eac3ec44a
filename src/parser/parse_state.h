// State of one statement being parsed; shared by the parser's own files only.
#pragma once
#include <vector>

#include "parser/parser.h"

inline bool isletter(char c) { return IsLetter(c); }
inline bool isdig(char c) { return c >= '0' && c <= '9'; }
inline bool isnamechar(char c) { return IsNameChar(c); }

// A name entry as a free one reads: no name, kind or index, no tail.
void ClearName(name_entry* e);

struct Group {
    char kind;  // '/' base, '(' ')' '[' ']', 'T'/'K' table parts, 'c'/'b' branch parts
    i64 count;  // ";" seen directly inside
};

struct Stmt {
    char* text = nullptr;
    i64 len = 0, row = -1, lineno = 0;
    char term = 0;
    i64 io = 1;         // []IO in force
    bool iook = false;  // it is a valid 0/1 scalar

    std::vector<i64> ops;    // operand stack; -1 opens a group
    std::vector<char> pend;  // entry is a function awaiting its right operand
    std::vector<Group> groups;

    int state = 0;            // a value stands just left of the scan position
    bool afterdot = false;    // a dot function waits for its name or text
    bool wanttarget = false;  // the next name is a table column target
    bool intable = false;
    bool groupdone = false;  // a branch condition or index group just closed
    i64 hashend = -1;        // position just after a dyadic "#"

    char At(i64 p) const;
    void SkipBlanks();

    i64 Node(i64 kind, i64 ref);
    i64 App(i64 kind, i64 code, i64 left);
    void SetRight(i64 fnode, i64 right);
    void Push(i64 node, bool pending);
    i64 Pop();
    i64 Above() const;
    i64 PushValue(i64 node);
    i64 PushFunction(i64 kind, i64 code);

    i64 ClosePosition(char closer);
    i64 Fold(i64 count);
    i64 Separator();
    i64 CloseGroup(char c);

    i64 DotOperand();
    i64 Target();
    i64 Defined(i64 row);
    i64 NameToken(bool target);
    i64 VariableToken(const i64 out[3]);
    i64 NumberToken();
    i64 QuoteToken();
    i64 EmptyItemList();
    i64 UnderscoreToken();
    i64 SymbolToken(char c);
    bool OpensTable() const;
    i64 ParenToken();
    i64 QuadName();
    i64 BracketToken();
    i64 DotToken();

    i64 ApplySymbol(i64 s);
    i64 ApplyCode(i64 code, bool quad);
    i64 Axis(i64 s, bool dyadic, i64* code);
    i64 ReduceCode(i64 s, i64* code);
    bool InnerCode(i64 s, i64* code);

    i64 Loop();
    i64 Finish(i64* root);

    i64 Branch(i64* root, i64 out[3]);
    i64 BranchName(i64 b, i64* root);
    i64 BranchParen(i64 b, i64* root);
    i64 BranchIndex(i64 var, i64* root, i64* positions);
    i64 Suffix(i64 b, bool afterlabel, i64* root);
    i64 Labels(std::vector<i64>& labels);
    i64 LabelLine(const char* name);
    bool BranchEnd();
    i64 ExpectEnd();
    i64 StoreLabels(i64 b, const std::vector<i64>& labels, bool bang);
    i64 SubExpression(char kind, i64* root);
};
