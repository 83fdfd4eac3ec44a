// The statement parser: one left-to-right pass over a statement with an
// operand stack and a stack of open groups, building parse nodes,
// application records and at most one branch record.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "parser/parse_state.h"
#include "parser/parser.h"
#include "values/fcodes.h"
#include "values/operand.h"

char* line = nullptr;
i64 cursor = 0, curx = 0;
i64 onlyroot = -1, onlystn = -1;

i64 GetZemCursor() { return cursor; }
i64 GetZemOldCursor() { return curx; }

char Stmt::At(i64 p) const { return p < len - 1 && p >= 0 ? text[p] : 0; }

void Stmt::SkipBlanks() {
    while (At(cursor) == ' ') cursor++;
}

// ---- nodes and the operand stack ----------------------------------------------

i64 Stmt::Node(i64 kind, i64 ref) {
    i64 n = Incx('N');
    if (n < 0) return -1;
    parsetree[n].kind = kind;
    parsetree[n].ref = ref;
    parsetree[n].col = curx;
    return n;
}

i64 Stmt::App(i64 kind, i64 code, i64 left) {
    i64 f = Incx('E');
    if (f < 0) return -1;
    fnodetable[f].kind = kind;
    fnodetable[f].code = code;
    fnodetable[f].left = left;
    fnodetable[f].right = -1;
    i64 n = Node('F', f);
    if (n >= 0 && left >= 0) parsetree[left].parent = n;
    return n;
}

void Stmt::SetRight(i64 fnode, i64 right) {
    fnodetable[parsetree[fnode].ref].right = right;
    if (right >= 0) parsetree[right].parent = fnode;
}

void Stmt::Push(i64 node, bool pending) {
    ops.push_back(node);
    pend.push_back(pending);
}

i64 Stmt::Pop() {
    i64 n = ops.back();
    ops.pop_back();
    pend.pop_back();
    return n;
}

i64 Stmt::Above() const { return Riota(ops.data(), -1, (i64)ops.size() - 1); }

// Pushes a complete value.
i64 Stmt::PushValue(i64 node) {
    if (node < 0) return errchk;
    Push(node, false);
    state = 1;
    return 0;
}

// Applies function node f: with a value on the left it takes that value as
// its left operand; either way it waits for its right operand.
i64 Stmt::PushFunction(i64 kind, i64 code) {
    i64 left = -1;
    if (state) left = Pop();
    i64 f = App(kind, code, left);
    if (f < 0) return errchk;
    Push(f, true);
    state = 0;
    return 0;
}

// ---- closing a position of a group ----------------------------------------------

i64 Stmt::ClosePosition(char closer) {
    i64 n = Above();
    Group& g = groups.back();
    if (!state) {
        if (n > 0) return E_VALENCE;
        bool paren = g.kind == '(' || g.kind == 'c';
        if (closer == ')' && paren && g.count == 0) return E_DOMAIN;
        if (closer == 0) return E_RPAREN_EXPECTED;
        i64 v = Node('V', 0);
        if (v < 0) return errchk;
        Push(v, false);
        n = 1;
    }
    i64 base = (i64)ops.size() - n;
    for (i64 i = base; i < (i64)ops.size() - 1; i++) SetRight(ops[i], ops[i + 1]);
    i64 head = ops[base];
    while ((i64)ops.size() > base) Pop();
    Push(head, false);
    return 0;
}

// Folds the positions of a bracket or list: each code-2 node takes the
// following position as its right operand. Pops through the group's -1.
i64 Stmt::Fold(i64 count) {
    i64 cur = Pop();
    Pop();
    for (i64 k = 0; k < count; k++) {
        i64 f2 = Pop();
        SetRight(f2, cur);
        cur = f2;
        Pop();
    }
    return cur;
}

// ";" inside a bracket, list or table: the position just closed becomes the
// left operand of a code-2 node, and the next position opens.
i64 Stmt::Separator() {
    Group& g = groups.back();
    if (g.kind == 'c') return E_FN_NAME_EXPECTED;
    if (g.kind == 'b') return E_SYNTAX;
    i64 rc = ClosePosition(';');
    if (rc) return rc;
    i64 head = Pop();
    if (g.kind == '(' && g.count == 0) {
        // A list is an index application without an indexed value.
        Pop();
        i64 list = App('P', FC_INDEX, -1);
        if (list < 0) return errchk;
        Push(list, false);
        Push(-1, false);
    }
    i64 f2 = App('P', FC_ISEP, head);
    if (f2 < 0) return errchk;
    Push(f2, false);
    Push(-1, false);
    g.count++;
    state = 0;
    wanttarget = g.kind == 'T' || g.kind == 'K';
    cursor++;
    return 0;
}

i64 Stmt::CloseGroup(char c) {
    char k = groups.back().kind;
    bool ok = c == ')' ? (k == '(' || k == 'T' || k == 'c') : (k == '[' || k == 'K' || k == 'b');
    if (!ok) return E_UNPAIRED;
    i64 rc = ClosePosition(c);
    if (rc) return rc;
    i64 count = groups.back().count;
    groups.pop_back();
    cursor++;
    state = 1;
    switch (k) {
    case '[':
    case '(': {
        if (k == '(' && count == 0) {
            i64 head = Pop();
            Pop();
            Push(head, false);
            break;
        }
        i64 cur = Fold(count);
        SetRight(ops.back(), cur);
        pend.back() = false;
        break;
    }
    case 'K': {
        i64 keys = Fold(count);
        i64 f1 = App('P', FC_INDEX, keys);
        if (f1 < 0) return errchk;
        Push(f1, false);
        Push(-1, false);
        state = 0;
        wanttarget = true;
        break;
    }
    case 'T': {
        i64 cur = Fold(count);
        i64 f1 = Pop();
        SetRight(f1, cur);
        Pop();
        Push(f1, false);
        intable = false;
        break;
    }
    default: {  // the condition or index of a branch statement
        i64 head = Pop();
        Pop();
        Push(head, false);
        groupdone = true;
        break;
    }
    }
    return 0;
}

// ---- tokens -----------------------------------------------------------------------

// The symbol name or text after a dot function closes the dot at once.
i64 Stmt::DotOperand() {
    afterdot = false;
    i64 k = SymbolDot(text);
    if (k < 0) return errchk ? errchk : E_SYNTAX;
    i64 c = Node('C', k);
    if (c < 0) return errchk;
    SetRight(ops.back(), c);
    pend.back() = false;
    state = 1;
    return 0;
}

// A column name inside a table literal.
i64 Stmt::Target() {
    if (state) return E_NAME_START;
    i64 start = cursor;
    if (Name(text)) return errchk;
    i64 id = getsymbol(namez);
    if (id < 0) return E_NAME_START;
    bool arrow = At(cursor) == '<' && At(cursor + 1) == '-';
    if (!arrow && At(cursor) != ';' && At(cursor) != ')') return E_SYNTAX;
    i64 z = Node('Z', id);
    if (z < 0) return errchk;
    parsetree[z].col = start;
    PushValue(z);
    if (arrow) return 0;
    // "name" alone stands for "name<-name": read the name again as a value.
    i64 rc = PushFunction('P', FC_ASSIGN);
    cursor = start;
    return rc;
}

// A defined function met by name.
i64 Stmt::Defined(i64 r) {
    const func_entry* f = &functable[r];
    if (f->valence == 0) {
        if (state) return E_PARSE;
        i64 rc = PushValue(App('D', r, -1));
        if (rc) return rc;
        if (f->result == -1) {
            SkipBlanks();
            char c = At(cursor);
            bool end = c == 0 || c == term || (c == ';' && groups.back().kind == '/');
            if (!end) {
                curx = cursor;
                return E_PARSE;
            }
        }
        return 0;
    }
    if (f->valence != state + 1) return E_VALENCE;
    return PushFunction('D', r);
}

i64 Stmt::NameToken(bool target) {
    if (afterdot) return DotOperand();
    if (target) return Target();
    i64 out[3];
    i64 rc = nGet(text, line, out, row, 0, false, 0);
    if (rc) return rc;
    switch (out[0]) {
    case 0: return Defined(out[1]);
    case 2: return E_NAME_EXPECTED;
    default: return VariableToken(out);
    }
}

// A variable read by name: out holds its value slot and local name index.
i64 Stmt::VariableToken(const i64 out[3]) {
    if (state) return E_PARSE;
    i64 v = Node('V', out[1]);
    if (v < 0) return errchk;
    parsetree[v].name = out[2];
    return PushValue(v);
}

i64 Stmt::NumberToken() {
    if (state) return E_MISSING_FN;
    i64 k = Number(text);
    if (k < 0) return errchk ? errchk : E_PARSE;
    return PushValue(Node('C', k));
}

i64 Stmt::QuoteToken() {
    if (At(cursor) == '\'' && afterdot) return DotOperand();
    if (state) return E_NAME_START;
    i64 k = At(cursor) == '\'' ? String(text) : Symbols(text);
    if (k < 0) return errchk ? errchk : E_PARSE;
    return PushValue(Node('C', k));
}

// "_" after a dyadic "#": a one-item list whose item is an empty integer
// vector, kept as a literal constant.
i64 Stmt::EmptyItemList() {
    i64 c = Incx('C');
    if (c < 0) return errchk;
    val_item* v = &ctable[c];
    v->type = TLIST;
    v->rank = 1;
    v->count = 1;
    v->dim0 = 1;
    i64 rc = Updatead1(c, TLIST, 1);
    if (rc) return errchk = rc;
    v->data = cad0;
    val_item* item = (val_item*)v->data;
    memset(item, 0, sizeof(val_item));
    item->type = TINT;
    item->rank = 1;
    cursor++;
    return PushValue(Node('C', c));
}

i64 Stmt::UnderscoreToken() {
    char d = At(cursor + 1);
    if (d == '.') return SymbolToken('_');
    if (isdig(d)) return NumberToken();
    if (cursor == hashend) return EmptyItemList();
    return E_SYNTAX;
}

i64 Stmt::SymbolToken(char c) {
    i64 s = GetAsymb(c, state, text);
    if (s < 0) return E_SYNTAX;
    cursor++;
    return ApplySymbol(s);
}

// Whether the "([" at cursor opens a table literal: a key part, or an empty
// one followed by a blank or a column name. "[]" directly followed by a
// system name is that name, and "[]" followed by anything else the read of
// a line or a print form, each inside an ordinary parenthesis.
bool Stmt::OpensTable() const {
    if (At(cursor + 2) != ']') return true;
    char next = At(cursor + 3);
    if (next == ' ') return true;
    return isletter(next) && !SystemNameAt(text, cursor + 1);
}

// Whether the "(" at cursor follows "if", "for", "while", "case" or "else" that
// begins the statement: a control structure outside a defined function.
static bool control_word_before(const char* text, i64 cursor) {
    i64 end = cursor;
    while (end > 0 && IsBlank(text[end - 1])) end--;
    i64 start = end;
    while (start > 0 && isnamechar(text[start - 1])) start--;
    for (i64 p = 0; p < start; p++)
        if (!IsBlank(text[p])) return false;
    char word[NAMESIZE];
    if (end == start || end - start >= NAMESIZE) return false;
    std::memcpy(word, text + start, static_cast<size_t>(end - start));
    word[end - start] = 0;
    return isRvWord(word);
}

constexpr const char* CONTROL_OUTSIDE =
    "control structures (if, for, while, case) belong inside a defined function";

i64 Stmt::ParenToken() {
    char d = At(cursor + 1);
    if (d == ')') {
        if (state) return E_PAREN_MISSING_FN;
        i64 c = Incx('C');
        if (c < 0) return errchk;
        ctable[c].type = TLIST;
        ctable[c].rank = 1;
        cursor += 2;
        return PushValue(Node('C', c));
    }
    if (state) return control_word_before(text, cursor)
                          ? ErrSay(E_PAREN_MISSING_FN, CONTROL_OUTSIDE)
                          : E_PAREN_MISSING_FN;
    if (d == '[' && OpensTable()) {
        if (intable) return E_SYNTAX;
        intable = true;
        groups.push_back({'T', 0});
        Push(-1, false);
        groups.push_back({'K', 0});
        Push(-1, false);
        cursor += 2;
        SkipBlanks();
        wanttarget = true;
        return 0;
    }
    groups.push_back({'(', 0});
    cursor++;
    SkipBlanks();
    Push(-1, false);
    return 0;
}

i64 Stmt::QuadName() {
    i64 out[3];
    i64 rc = qdGet(text, out, row);
    if (rc == E_DOMAIN) return E_NOT_BUILT;
    if (rc) return rc;
    if (out[0] == 0) return ApplyCode(out[1], true);
    return VariableToken(out);
}

i64 Stmt::BracketToken() {
    char d = At(cursor + 1);
    if (d == ']' && isletter(At(cursor + 2))) return QuadName();
    // After a value, "[]" is an index with one elided position: V[] is the
    // whole vector and V[]<-0 assigns every element.
    if ((d == ']' && !state) || d == ')') {
        bool printform = d == ')' || (At(cursor + 2) == '<' && At(cursor + 3) == '-');
        cursor += 2;
        if (!printform) return ApplyCode(FC_QD_READ, true);
        if (state) return E_PARSE;
        return PushValue(Node('V', d == ']' ? 2 : 3));
    }
    if (!state) return E_SYNTAX;
    i64 a = Pop();
    i64 f1 = App('P', FC_INDEX, a);
    if (f1 < 0) return errchk;
    Push(f1, false);
    Push(-1, false);
    groups.push_back({'[', 0});
    cursor++;
    state = 0;
    return 0;
}

i64 Stmt::DotToken() {
    char d = At(cursor + 1);
    if (d == ':') {
        if (!state) return E_UNDER_CONSTRUCTION;
        cursor += 2;
        i64 f = GetAsymb(At(cursor), 1, text);
        if (!inSF0(f) && !inSF2(f))
            return ErrSay(E_OUTER_NOT_DYADIC,
                          "the outer product .: takes a scalar function or a comparison, "
                          "such as + * = <");
        cursor++;
        return PushFunction('P', FC_OUTER + PfnList(f) + inSF0(f));
    }
    if (state && (isletter(d) || d == '\'')) return SymbolToken('.');
    return E_SYNTAX;
}

// ---- the main loop ---------------------------------------------------------------

i64 Stmt::Loop() {
    for (;;) {
        char c = At(cursor);
        unsigned char uc = (unsigned char)c;
        curx = cursor;
        if (c != 0 && (uc < 32 || uc > 126)) return E_SYNTAX;
        char g = groups.back().kind;
        if (c == 0) {
            if (g == '/') return 0;
            return g == '(' || g == 'T' || g == 'c' ? E_RPAREN_EXPECTED : E_UNPAIRED;
        }
        if (g == '/' && (c == term || c == ';')) return 0;
        bool target = wanttarget;
        if (c != ' ') wanttarget = false;
        i64 rc;
        switch (line[cursor]) {
        case 'A': rc = NameToken(target); break;
        case 'N': rc = NumberToken(); break;
        case 'M': rc = UnderscoreToken(); break;
        case 'Q': rc = QuoteToken(); break;
        case 'P': rc = SymbolToken(c); break;
        case 'J': rc = SymbolToken(':'); break;
        case 'O': rc = DotToken(); break;
        case 'D': rc = c == '(' ? ParenToken() : BracketToken(); break;
        case 'E': rc = Separator(); break;
        case 'T': rc = CloseGroup(c); break;
        case 'X':
            if (c != ' ') return E_SYNTAX;
            cursor++;
            rc = 0;
            break;
        default: rc = E_SYNTAX; break;  // braces
        }
        if (rc) return rc;
        if (groupdone) {
            groupdone = false;
            return 0;
        }
    }
}

// Closes the statement's base level; the one entry left is the root.
i64 Stmt::Finish(i64* root) {
    curx = cursor;
    i64 rc = ClosePosition(0);
    if (rc) return rc;
    *root = ops.back();
    parsetree[*root].parent = -1;
    return 0;
}

// The []IO in force, when it is a valid 0 or 1 scalar.
static void ReadOrigin(i64 ioslot, i64* io, bool* ok) {
    i64 origin = ioslot >= 0 && ioslot < VTSIZE ? IoOrigin(ioslot) : -1;
    *ok = origin >= 0;
    *io = *ok ? origin : 1;
}

static void BuildClasses(const char* text, i64 len) {
    free(line);
    line = (char*)malloc(len > 0 ? len : 1);
    for (i64 i = 0; i < len - 1; i++) line[i] = (char)cclass[(unsigned char)text[i]];
    line[len > 0 ? len - 1 : 0] = 0;
}

static void Empty(i64 out[3]) {
    out[0] = out[1] = out[2] = -1;
    onlyroot = onlystn = -1;
}

i64 ZemParser(char* text, i64 len, i64 row, i64 lineno, char term, i64 ioslot, i64 out[3]) {
    cursor = curx = 0;
    errchk = 0;
    Empty(out);
    if (len <= 1 || text[0] == term || (text[0] == '/' && text[1] == '/')) {
        if (text[0] == '/' && len > 1) cursor = len - 1;
        return 0;
    }
    BuildClasses(text, len);
    Stmt st;
    st.text = text;
    st.len = len;
    st.row = row;
    st.lineno = lineno;
    st.term = term;
    ReadOrigin(ioslot, &st.io, &st.iook);
    st.Push(-1, false);
    st.groups.push_back({'/', 0});
    i64 first = lstndx;
    st.SkipBlanks();
    i64 rc = 0, root = -1;
    if (row >= 0 && CheckLabel(text, line, cursor)) {
        i64 lab[3];
        curx = cursor;
        rc = nGet(text, line, lab, row, 0, true, 0);
        if (rc) return rc;
        cursor++;  // the ":"
        st.SkipBlanks();
    }
    if (st.At(cursor) == '-' && st.At(cursor + 1) == '>') {
        curx = cursor;
        rc = st.Branch(&root, out);
    } else if (st.At(cursor) == 0 || st.At(cursor) == ';' ||
               (st.At(cursor) == '/' && st.At(cursor + 1) == '/')) {
        if (st.At(cursor) == '/') cursor = len - 1;
        return 0;
    } else {
        rc = st.Loop();
        if (!rc) rc = st.Finish(&root);
    }
    if (rc) return rc;
    out[0] = onlyroot = root;
    out[1] = onlystn = lstndx > first ? lstndx : -1;
    return 0;
}
