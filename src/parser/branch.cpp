// Branch statements "->...": the branch record, its labels, and the tree of
// the condition or computed target.
#include <cctype>
#include <cstring>

#include "parser/parse_state.h"
#include "parser/parser.h"
#include "values/fcodes.h"

// The end of a branch statement: the text's end, the terminator or "//".
bool Stmt::BranchEnd() {
    SkipBlanks();
    char c = At(cursor);
    return c == 0 || c == term || (c == '/' && At(cursor + 1) == '/');
}

// 0 at the end of the statement, else E_BRANCH_FORMAT at the text left over.
i64 Stmt::ExpectEnd() {
    if (BranchEnd()) return 0;
    curx = cursor;
    return E_BRANCH_FORMAT;
}

// The line of a label of the function being parsed, -1 when the name is none.
i64 Stmt::LabelLine(const char* name) {
    if (row < 0) return -1;
    i64 e = FnFindName1(name, row);
    return e >= 0 && nametable[e].kind == 'L' ? nametable[e].index : -1;
}

// Label names or "0", separated by ",".
i64 Stmt::Labels(std::vector<i64>& labels) {
    for (;;) {
        curx = cursor;
        char c = At(cursor);
        if (c == '0' && !isnamechar(At(cursor + 1))) {
            labels.push_back(0);
            cursor++;
        } else if (isletter(c)) {
            if (Name(text)) return errchk;
            i64 l = LabelLine(namez);
            if (l < 0) return E_BRANCH_FORMAT;
            labels.push_back(l);
        } else {
            return E_BRANCH_FORMAT;
        }
        SkipBlanks();
        if (At(cursor) != ',') return 0;
        cursor++;
        SkipBlanks();
    }
}

// First label to the target (to next with "!."), the rest to overflow.
i64 Stmt::StoreLabels(i64 b, const std::vector<i64>& labels, bool bang) {
    br_entry* r = &brtable[b];
    r->next = bang ? labels[0] : lineno + 1;
    r->target = bang ? lineno + 1 : labels[0];
    i64 n = (i64)labels.size();
    if (n < 2) return 0;
    i64 at = Incx0(n);
    if (at < 0) return errchk;
    for (i64 i = 1; i < n; i++) overflow[at + i - 1] = labels[i];
    overflow[at + n - 1] = -1;
    r->list = at;
    return 0;
}

// An expression parsed as a group of the given kind ('c' closed by ")",
// 'b' closed by "]", '/' up to the statement's end); its value is the root.
i64 Stmt::SubExpression(char kind, i64* root) {
    groups.push_back({kind, 0});
    Push(-1, false);
    state = 0;
    cursor++;
    SkipBlanks();
    i64 rc = Loop();
    if (rc) return rc;
    if (groups.back().kind != '/') return E_RPAREN_EXPECTED;
    if (Above() != 1) return E_FN_NAME_EXPECTED;
    *root = ops.back();
    parsetree[*root].parent = -1;
    return 0;
}

// After "->0" or "->label": nothing, or a suffix and a condition expression.
i64 Stmt::Suffix(i64 b, bool afterlabel, i64* root) {
    if (BranchEnd()) return 0;
    br_entry* r = &brtable[b];
    char c = At(cursor), d = At(cursor + 1);
    curx = cursor;
    if (c == '*' && d == '!') {
        if (iook && io == 0) r->target = 0;
        r->next = lineno + 1;
        cursor += 2;
    } else if (c == '+' && d == '!') {
        if (!(iook && io == 0)) return E_BRANCH_FORMAT;
        r->next = lineno + 1;
        cursor += 2;
    } else if (c == '*') {
        if (afterlabel) r->next = 0;
        cursor++;
    } else if (c == ',') {
        cursor++;
        if (At(cursor) == '#') cursor++;
    } else {
        return E_BRANCH_FORMAT;
    }
    SkipBlanks();
    state = 0;
    i64 rc = Loop();
    if (!rc) rc = Finish(root);
    return rc;
}

// "->name[i]" or "->name[i;j]": the indexing of a variable; positions are
// variable names, numbers or empty.
i64 Stmt::BranchIndex(i64 var, i64* root, i64* positions) {
    curx = cursor;
    i64 f1 = App('P', FC_INDEX, var);
    if (f1 < 0) return errchk;
    cursor++;
    SkipBlanks();
    i64 pos[2], n = 0, f2 = -1;
    for (;;) {
        curx = cursor;
        char c = At(cursor);
        i64 node;
        if (c == ';' || c == ']') {
            node = Node('V', 0);
        } else if (isletter(c)) {
            i64 out[3];
            i64 rc = nGet(text, line, out, row, 0, false, 1);
            if (rc) return rc;
            if (out[0] != 1 && out[0] != 3) return E_BRANCH_FORMAT;
            if ((node = Node('V', out[1])) >= 0) parsetree[node].name = out[2];
        } else if (isdigit((unsigned char)c) || c == '_') {
            i64 k = Number(text);
            if (k < 0) return errchk ? errchk : E_PARSE;
            node = Node('C', k);
        } else {
            return E_BRANCH_FORMAT;
        }
        if (node < 0) return errchk;
        pos[n++] = node;
        SkipBlanks();
        if (At(cursor) == ']') break;
        if (At(cursor) != ';' || n == 2) {
            curx = cursor;
            return E_BRANCH_RESTRICTION;
        }
        f2 = App('P', FC_ISEP, node);
        if (f2 < 0) return errchk;
        cursor++;
        SkipBlanks();
    }
    cursor++;
    if (n == 2) SetRight(f2, pos[1]);
    SetRight(f1, n == 2 ? f2 : pos[0]);
    *root = f1;
    *positions = n;
    return 0;
}

i64 Stmt::BranchName(i64 b, i64* root) {
    i64 out[3];
    i64 rc = nGet(text, line, out, row, 0, false, 1);
    if (rc) return rc;
    br_entry* r = &brtable[b];
    if (out[0] == 2) {
        r->target = out[1];
        return Suffix(b, true, root);
    }
    i64 node;
    if (out[0] == 0) {
        if (At(cursor) != '/') return E_BRANCH_FORMAT;
        node = App('D', out[1], -1);
    } else {
        node = Node('V', out[1]);
        if (node >= 0) parsetree[node].name = out[2];
    }
    if (node < 0) return errchk;
    *root = node;
    i64 positions = 0;
    if (out[0] != 0 && At(cursor) == '[') {
        if ((rc = BranchIndex(node, root, &positions))) return rc;
        SkipBlanks();
    }
    if (At(cursor) == '/' && positions < 2) {
        cursor++;
        std::vector<i64> labels;
        if ((rc = Labels(labels))) return rc;
        if ((rc = ExpectEnd())) return rc;
        return StoreLabels(b, labels, false);
    }
    if ((rc = ExpectEnd())) return rc;
    r->target = BR_COMPUTED;
    return 0;
}

// "->(L1,L2,...)[expr]" or "->(expr)" with an optional label list.
i64 Stmt::BranchParen(i64 b, i64* root) {
    i64 p = cursor + 1;
    bool labelform = false;
    if (isletter(At(p))) {
        char name[NAMESIZE];
        i64 n = 0;
        while (isnamechar(At(p + n)) && n < NAMESIZE - 1) {
            name[n] = At(p + n);
            n++;
        }
        while (n > 0 && name[n - 1] == '_') n--;
        name[n] = 0;
        labelform = LabelLine(name) >= 0;
    } else if (At(p) == '0') {
        i64 e = len - 2;
        while (e > p && At(e) == ' ') e--;
        labelform = At(e) == ']';
    }
    br_entry* r = &brtable[b];
    i64 rc;
    if (labelform) {
        cursor = p;
        std::vector<i64> labels;
        if ((rc = Labels(labels))) return rc;
        curx = cursor;
        if (At(cursor) != ')' || At(cursor + 1) != '[' || labels.size() < 2) return E_BRANCH_FORMAT;
        cursor++;
        i64 f1 = -1;
        if (labels.size() == 2) {
            r->next = labels[0];
            r->target = labels[1];
        } else {
            if ((rc = StoreLabels(b, labels, false))) return rc;
            i64 k0 = Node(0, 0);
            if (k0 < 0) return errchk;
            if ((f1 = App('P', FC_INDEX, k0)) < 0) return errchk;
        }
        if ((rc = SubExpression('b', root))) return rc;
        if (f1 >= 0) {
            SetRight(f1, *root);
            *root = f1;
        }
        return ExpectEnd();
    }
    if ((rc = SubExpression('c', root))) return rc;
    if (BranchEnd()) {
        r->target = BR_COMPUTED;
        return 0;
    }
    char c = At(cursor), d = At(cursor + 1);
    curx = cursor;
    bool bang = c == '!' && d == '.';
    if (c == '/' || c == '#') cursor++;
    else if ((c == '^' || c == '!') && d == '.') cursor += 2;
    else return E_BRANCH_FORMAT;
    std::vector<i64> labels;
    if ((rc = Labels(labels))) return rc;
    if ((rc = ExpectEnd())) return rc;
    return StoreLabels(b, labels, bang);
}

i64 Stmt::Branch(i64* root, i64 out[3]) {
    cursor += 2;
    i64 b = Incx('B');
    if (b < 0) return errchk;
    out[2] = b;
    char c = At(cursor);
    curx = cursor;
    if (c == '0') {
        brtable[b].target = 0;
        cursor++;
        return Suffix(b, false, root);
    }
    if (isdigit((unsigned char)c)) return E_BRANCH_RESTRICTION;
    if (isletter(c)) return BranchName(b, root);
    if (c == '(') return BranchParen(b, root);
    if (c == '\'') {  // a text: the computed target is its value
        i64 k = String(text);
        if (k < 0) return errchk ? errchk : E_PARSE;
        if ((*root = Node('C', k)) < 0) return errchk;
        brtable[b].target = BR_COMPUTED;
        return ExpectEnd();
    }
    return c == '[' ? E_BRANCH_FORMAT : E_BRANCH_RESTRICTION;
}
