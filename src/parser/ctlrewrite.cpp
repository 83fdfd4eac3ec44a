// Control-structure rewriting: before a function's lines are parsed, "if",
// "else", "while", "for", "case", "break" and "continue" become plain
// statements, generated labels and conditional branches, one output line
// per statement, each tagged with the input line it came from.
#include <algorithm>
#include <cstring>

#include "parser/ctl_state.h"
#include "parser/parse_state.h"
#include "parser/parser.h"

Rewriter rw;
zem_line* line0 = nullptr;
i64 newln = 0;

namespace {

// The generated names come from a private generator with a fixed seed, so a
// function rewrites the same way every time and on every platform.
struct NameGen {
    i64 state = 1;
    i64 next() {
        state = state * 16807 % 2147483647;
        return state;
    }
};

// Extent of a plain statement: up to the first "}" or whole word "else"
// outside quoted strings.
size_t fid_else(const std::string& s, size_t from) {
    size_t i = from;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\'') {
            i64 p = static_cast<i64>(i);
            parse_new_skip(s.c_str(), &p);
            // An unclosed quote runs to the end of the line, not past it.
            i = std::min(s.size(), static_cast<size_t>(p) + 1);
            continue;
        }
        if (c == '}' || IsElse(s, i)) break;
        i++;
    }
    return i - from;
}

std::string trimmed(const std::string& s) {
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) e--;
    return s.substr(0, e);
}

void plain_statement() {
    size_t n = fid_else(rw.cur, rw.pos);
    std::string stmt = rw.cur.substr(rw.pos, n);
    rw.pos += n;
    std::string word = trimmed(stmt);
    if (word == "break" || word == "continue") {
        if (rw.ldep.empty()) {
            Fault();
            return;
        }
        const LoopLabels& loop = rw.ldep.back();
        ParseGlue("->" + Label(word == "continue" ? loop.next : loop.out));
        return;
    }
    ParseGlue(stmt);
}

// A keyword followed, after blanks, by "(": the structure it opens.
bool keyword(const char* word) {
    size_t n = std::strlen(word);
    if (rw.cur.compare(rw.pos, n, word) != 0) return false;
    size_t q = rw.pos + n;
    while (q < rw.cur.size() && IsBlank(rw.cur[q])) q++;
    if (q >= rw.cur.size() || rw.cur[q] != '(') return false;
    rw.pos = q;
    return true;
}

// A label prefix: a letter, letters or digits, then ":".
size_t label_prefix(const std::string& s) {
    if (s.empty() || !isletter(s[0])) return 0;
    size_t j = 1;
    while (j < s.size() && (isletter(s[j]) || isdig(s[j]))) j++;
    return j < s.size() && s[j] == ':' ? j + 1 : 0;
}

}  // namespace

zem_line* ParseGlue(const std::string& text) {
    rw.Mx++;
    if (!rw.linex->next) rw.linex->next = eLine_New();
    rw.linex = rw.linex->next;
    eLine_copy0(rw.linex, text.c_str());
    rw.linex->tag = rw.CLX;
    return rw.linex;
}

std::string Label(i64 n) { return std::string("L").append(std::to_string(n)); }

namespace {

bool own_label(const std::string& name) {
    for (const auto& l : rw.own)
        if (l == name) return true;
    return false;
}

// The labels written at the start of the function's lines, which generated
// labels must not take: a branch to one would land on the other.
void collect_own(zem_line* lines, i64 n) {
    i64 k = 0;
    for (zem_line* l = lines; l && k < n; l = l->next, k++) {
        std::string text = l->text ? l->text : "";
        size_t lp = label_prefix(text);
        if (lp) rw.own.push_back(text.substr(0, lp - 1));
    }
}

}  // namespace

i64 NewLabel() {
    do rw.LBX++;
    while (own_label(Label(rw.LBX)));
    return rw.LBX;
}

std::string NewCaseLabel() {
    std::string l;
    do l = "CS" + std::to_string(++rw.CSX);
    while (own_label(l));
    return l;
}

bool Fault() {
    rw.perr = true;
    return false;
}

void SkipBlanksCur() {
    while (rw.pos < rw.cur.size() && IsBlank(rw.cur[rw.pos])) rw.pos++;
}

bool AtEnd() {
    SkipBlanksCur();
    return rw.pos >= rw.cur.size();
}

bool IsElse(const std::string& s, size_t i) {
    if (s.compare(i, 4, "else") != 0) return false;
    if (i > 0 && isnamechar(s[i - 1])) return false;
    return i + 4 >= s.size() || !isnamechar(s[i + 4]);
}

bool NextLine() {
    if (rw.CLX + 1 >= rw.TNL || !rw.linep->next) return false;
    rw.CLX++;
    rw.linep = rw.linep->next;
    std::string copy = rw.linep->text ? rw.linep->text : "";
    char* p = copy.data();
    i64 n = CleanB(&p);
    rw.cur.assign(p, static_cast<size_t>(n));
    rw.pos = 0;
    return true;
}

// Calls visit(i, c) for each parenthesis of s from position from on,
// skipping quoted texts and the "[)" print form; stops when visit says so.
template <class Visit>
static void scan_parens(const std::string& s, size_t from, Visit visit) {
    for (size_t i = from; i < s.size(); i++) {
        char c = s[i];
        if (c == '\'') {
            i64 p = static_cast<i64>(i);
            parse_new_skip(s.c_str(), &p);
            i = static_cast<size_t>(p);
        } else if (c == '[' && i + 1 < s.size() && s[i + 1] == ')') {
            i++;
        } else if ((c == '(' || c == ')') && !visit(i, c)) {
            return;
        }
    }
}

i64 ParseNxubrp(const std::string& s, size_t from) {
    i64 open = 0, close = 0;
    scan_parens(s, from, [&](size_t, char c) {
        (c == '(' ? open : close)++;
        return true;
    });
    if (close != open + 1) return -1;
    i64 depth = 1, found = -1;
    scan_parens(s, from, [&](size_t i, char c) {
        depth += c == '(' ? 1 : -1;
        if (depth == 0) found = static_cast<i64>(i);
        return depth != 0;
    });
    return found;
}

i64 ParseProcess() {
    if (rw.perr || AtEnd()) return rw.perr ? -1 : 0;
    if (keyword("if")) ParseIfStm();
    else if (keyword("while")) ParseWhileStm();
    else if (keyword("for")) ParseForStm();
    else if (keyword("case")) ParseCaseStm();
    else plain_statement();
    return rw.perr ? -1 : 0;
}

i64 ParseStatement() {
    if (AtEnd()) {
        if (!NextLine()) return Fault(), -1;
        if (AtEnd()) return Fault(), -1;
    }
    if (rw.cur[rw.pos] != '{') return ParseProcess();
    rw.pos++;
    rw.parenum++;
    for (;;) {
        if (ParseProcess()) return -1;
        // An "else" the statement before it did not take follows no "if".
        if (!AtEnd() && IsElse(rw.cur, rw.pos)) return Fault(), -1;
        i64 k = csfind(rw.cur.c_str() + rw.pos, '}');
        if (k >= 0) {
            rw.parenum--;
            rw.pos += static_cast<size_t>(k) + 1;
            return ParseProcess();
        }
        if (!NextLine()) return Fault(), -1;
    }
}

void ParseIfStm() {
    i64 La = NewLabel();
    i64 close = ParseNxubrp(rw.cur, rw.pos + 1);
    if (close < 0) {
        Fault();
        return;
    }
    std::string cond = rw.cur.substr(rw.pos + 1, static_cast<size_t>(close) - rw.pos - 1);
    ParseGlue("->(~" + cond + ")/" + Label(La));
    rw.pos = static_cast<size_t>(close) + 1;
    if (ParseStatement()) return;
    i64 Lb = NewLabel();
    zem_line* placeholder = ParseGlue("  ");
    ParseGlue(Label(La) + ":");
    if (AtEnd()) {
        if (rw.CLX >= rw.TNL - 1 || !rw.linep->next) return;
        const char* next = rw.linep->next->text ? rw.linep->next->text : "";
        while (IsBlank(*next)) next++;
        if (!IsElse(next, 0)) return;
        NextLine();
        SkipBlanksCur();
    }
    if (!IsElse(rw.cur, rw.pos)) return;
    rw.pos += 4;
    SkipBlanksCur();
    if (ParseStatement()) return;
    eLine_copy0(placeholder, ("->" + Label(Lb)).c_str());
    ParseGlue(Label(Lb) + ":");
}

// The condition's value goes to a temporary that the function binds as its
// own local. A single truth value runs the body (1) or leaves (0); any other
// value stops with a length error at the while line. The two tests ahead of
// the body let only a single 1 through: an empty or all-0 value goes to Lc,
// two items or four and more are a length error against the three labels,
// and three against the two. Lc checks the value is single on the way out.
void ParseWhileStm() {
    i64 La = NewLabel(), Lb = NewLabel(), Lc = NewLabel();
    i64 close = ParseNxubrp(rw.cur, rw.pos + 1);
    if (close < 0) {
        Fault();
        return;
    }
    i64 line = rw.CLX;
    std::string t = "idx_w" + std::to_string(++rw.FOX);
    rw.temps.push_back(t);
    rw.ldep.push_back({La, Lb});
    std::string cond = rw.cur.substr(rw.pos + 1, static_cast<size_t>(close) - rw.pos - 1);
    std::string out = Label(Lc);
    ParseGlue(Label(La) + ":->(" + t + "<-~~" + cond + ")!." + out + "," + out + "," + out);
    ParseGlue("->(" + t + ")!." + out + "," + out);
    rw.pos = static_cast<size_t>(close) + 1;
    if (ParseStatement()) return;
    ParseGlue("->" + Label(La));
    ParseGlue(Label(Lc) + ":" + SingleCheck("#," + t, Lb))->tag = line;
    ParseGlue(Label(Lb) + ":");
    rw.ldep.pop_back();
    ParseProcess();
}

i64 ZemParserNewInit(zem_line* lines, i64 n) {
    if (!line0) line0 = eLine_New();
    NameGen gen;
    rw = Rewriter();
    rw.FOX = gen.next() % 30 + 1;
    rw.CSX = gen.next() % 30 + 1;
    rw.TNL = n;
    rw.linex = line0;
    rw.linep = lines;
    if (lines) collect_own(lines->next, n);
    while (rw.CLX + 1 < rw.TNL && rw.linep->next) {
        rw.CLX++;
        rw.linep = rw.linep->next;
        rw.cur = rw.linep->text ? rw.linep->text : "";
        rw.pos = 0;
        if (rw.CLX == 0) {
            ParseGlue(rw.cur);
            continue;
        }
        size_t lp = label_prefix(rw.cur);
        if (lp) {
            ParseGlue(rw.cur.substr(0, lp));
            rw.pos = lp;
        }
        ParseProcess();
        // A "}" left at the end of a line's structures closes no "{", and
        // an "else" left there follows no "if".
        if (!AtEnd() && (rw.cur[rw.pos] == '}' || IsElse(rw.cur, rw.pos))) Fault();
        if (rw.perr) {
            errchk = E_STRUCTURE;
            return rw.CLX;
        }
    }
    newln = rw.Mx;
    return 0;
}

i64 ParseTempCount() { return static_cast<i64>(rw.temps.size()); }

const char* ParseTempName(i64 i) {
    return i >= 0 && i < ParseTempCount() ? rw.temps[static_cast<size_t>(i)].c_str() : "";
}
