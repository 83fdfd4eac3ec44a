// Rewriting of "for" (numeric and over a vector) and "case".
#include <cstring>

#include "parser/ctl_state.h"
#include "parser/parse_state.h"
#include "parser/parser.h"

namespace {

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) b++;
    while (e > b && IsBlank(s[e - 1])) e--;
    return s.substr(b, e - b);
}

// The text of a structure's parentheses; false (a fault) when they do not close.
bool head(std::string* h, size_t* after) {
    i64 close = ParseNxubrp(rw.cur, rw.pos + 1);
    if (close < 0) return Fault();
    *h = rw.cur.substr(rw.pos + 1, static_cast<size_t>(close) - rw.pos - 1);
    *after = static_cast<size_t>(close) + 1;
    return true;
}

// Sign of a step written as a number literal: 1, -1, or 0 when it is an
// expression whose sign is known only at run time.
int literal_sign(const std::string& step) {
    std::string s = trim(step);
    size_t i = 0;
    int sign = 1;
    if (i < s.size() && s[i] == '_') {
        sign = -1;
        i++;
    }
    size_t digits = i;
    while (i < s.size() && (isdig(s[i]) || s[i] == '.')) i++;
    if (i == digits) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        i++;
        if (i < s.size() && s[i] == '_') i++;
        while (i < s.size() && isdig(s[i])) i++;
    }
    return i == s.size() ? sign : 0;
}

// The check that the variable, the limit and the step are single numbers.
std::string singles_check(const std::string& v, const std::string& limit, const std::string& step,
                          i64 label) {
    return SingleCheck("(#," + v + "),(#,(" + limit + ")),#,(" + step + ")", label);
}

// The loop steps and tests at La and runs the body while the test holds
// (a branch that goes to the next line on 1, else to Lb): a test of no
// value leaves the loop. The variable, the limit and the step are checked
// on entering the loop and at Lb on leaving it.
void numeric_for(const std::string& v, const std::string& range, size_t after) {
    i64 s1 = csfind(range.c_str(), ';');
    std::string start = range.substr(0, static_cast<size_t>(s1));
    std::string rest = range.substr(static_cast<size_t>(s1) + 1);
    i64 s2 = csfind(rest.c_str(), ';');
    std::string limit = s2 < 0 ? rest : rest.substr(0, static_cast<size_t>(s2));
    std::string step = s2 < 0 ? "1" : rest.substr(static_cast<size_t>(s2) + 1);
    i64 La = NewLabel(), Lb = NewLabel();
    rw.ldep.push_back({La, Lb});
    ParseGlue(v + "<-(" + start + ")-" + step);
    ParseGlue(singles_check(v, limit, step, Lb));
    std::string next = v + "<-" + v + "+" + step;
    int sign = literal_sign(step);
    std::string test;
    if (sign > 0) test = "(" + limit + ")<" + next;
    else if (sign < 0) test = "(" + limit + ")>" + next;
    else test = "0<(*(" + step + "))*(" + next + ")-(" + limit + ")";
    ParseGlue(Label(La) + ":->(~" + test + ")!." + Label(Lb));
    rw.pos = after;
    if (ParseStatement()) return;
    ParseGlue("->" + Label(La));
    ParseGlue(Label(Lb) + ":" + singles_check(v, limit, step, Lb));
    rw.ldep.pop_back();
}

// Over a vector: its items one by one through three temporaries, which the
// function binds as its own locals. An empty vector skips the loop.
void vector_for(const std::string& v, const std::string& e, size_t after) {
    std::string k = std::to_string(++rw.FOX);
    std::string vn = "idx_v" + k, ln = "idx_l" + k, in = "idx_i" + k;
    rw.temps.push_back(vn);
    rw.temps.push_back(ln);
    rw.temps.push_back(in);
    i64 La = NewLabel(), Lc = NewLabel(), Lb = NewLabel();
    rw.ldep.push_back({Lc, Lb});
    ParseGlue("->(0=" + ln + "<-#" + vn + "<-" + e + ")/" + Label(Lb));
    ParseGlue(in + "<-0");
    ParseGlue(Label(La) + ":" + v + "<-" + vn + "[" + in + "+[]IO]");
    rw.pos = after;
    if (ParseStatement()) return;
    ParseGlue(Label(Lc) + ":->(" + ln + ">" + in + "<-" + in + "+1)/" + Label(La));
    ParseGlue(Label(Lb) + ":");
    rw.ldep.pop_back();
}

}  // namespace

std::string SingleCheck(const std::string& counts, i64 label) {
    std::string l = Label(label);
    return "->(((2-^/1=" + counts + ")#1),0)!." + l + "," + l;
}

void ParseForStm() {
    std::string h;
    size_t after;
    if (!head(&h, &after)) return;
    i64 colon = csfind(h.c_str(), ':');
    if (colon <= 0) {
        Fault();
        return;
    }
    std::string v = h.substr(0, static_cast<size_t>(colon));
    for (char c : v)
        if (!isnamechar(c)) {
            Fault();
            return;
        }
    std::string range = h.substr(static_cast<size_t>(colon) + 1);
    if (csfind(range.c_str(), ';') >= 0) numeric_for(v, range, after);
    else vector_for(v, range, after);
}

i64 ParseCasFirst(const char* s, bool* nameform) {
    i64 i = 0;
    *nameform = false;
    if (s[0] == '\'') {
        parse_new_skip(s, &i);
        return s[i] == '\'' ? i + 1 : 0;
    }
    if (isdig(s[0]) || (s[0] == '_' && isdig(s[1]))) {
        i = s[0] == '_';
        bool dot = false, exp = false;
        for (;; i++) {
            if (isdig(s[i])) continue;
            if (s[i] == '.' && !dot && !exp) dot = true;
            else if ((s[i] == 'e' || s[i] == 'E') && !exp) exp = true;
            else break;
        }
        return i;
    }
    if (s[0] == '`' && isletter(s[1])) i = 1;
    else if (!isletter(s[0])) return 0;
    while (isnamechar(s[i])) i++;
    *nameform = true;
    return i;
}

namespace {

// A line that opens a case entry: label tokens (numbers, strings, names,
// symbols), apart by blanks or commas, then ":". A list of several labels
// opens an entry on any line, as it does on the first.
bool entry_line(const std::string& t) {
    size_t i = 0;
    for (;;) {
        bool nameform;
        i64 n = ParseCasFirst(t.c_str() + i, &nameform);
        if (n <= 0) return false;
        i += static_cast<size_t>(n);
        size_t j = i;
        while (j < t.size() && (t[j] == ' ' || t[j] == '\t' || t[j] == ',')) j++;
        if (j < t.size() && t[j] == ':') return nameform || j == i;
        if (j == i) return false;
        i = j;
    }
}

struct CaseBlock {
    std::string subject, end, test;  // test: the open entry's test label
    i64 braceline;
    bool open = false;

    bool entry(const std::string& text) {
        i64 c = csfind(text.c_str(), ':');
        if (c < 0) return Fault();
        std::string labels = text.substr(0, static_cast<size_t>(c));
        std::string next = NewCaseLabel();
        std::string prefix = test.empty() ? "" : test + ":";
        zem_line* l = ParseGlue(prefix + "->(~" + subject + "?" + labels + ")/" + next);
        l->tag = braceline;
        test = next;
        open = true;
        rw.cur = text.substr(static_cast<size_t>(c) + 1);
        rw.pos = 0;
        return ParseStatement() == 0;
    }

    void close_branch() {
        ParseGlue("->" + end);
        if (!test.empty()) ParseGlue(test + ":");
        open = false;
    }

    // At the "}" that closes the case: it is taken, so no enclosing block
    // takes it for its own.
    void finish() {
        rw.pos++;
        if (open) close_branch();
        ParseGlue(end + ":");
        ParseGlue("");
    }

    // The entries, up to a "}" that opens a line or ends an entry's line.
    void run(bool first, const std::string& text) {
        if (first && !entry(text)) return;
        for (;;) {
            if (first && !AtEnd() && rw.cur[rw.pos] == '}') {
                finish();
                return;
            }
            first = true;
            if (!NextLine()) {
                ParseGlue(end + ":");
                ParseGlue("");
                return;
            }
            if (AtEnd()) continue;
            std::string t = rw.cur.substr(rw.pos);
            if (IsElse(t, 0)) {
                if (open) close_branch();
                rw.cur = t.substr(4);
                rw.pos = 0;
                if (ParseStatement()) return;
            } else if (t[0] == '}') {
                finish();
                return;
            } else if (entry_line(t)) {
                if (open) ParseGlue("->" + end);
                if (!entry(t)) return;
            } else if (ParseProcess()) {
                return;
            }
        }
    }
};

}  // namespace

void ParseCaseStm() {
    std::string h;
    size_t after;
    if (!head(&h, &after)) return;
    CaseBlock cb;
    cb.subject = "(" + h + ")";
    cb.end = Label(NewLabel());
    cb.braceline = rw.CLX;
    std::string rest = rw.cur.substr(after);
    i64 b = csfind(rest.c_str(), '{');
    if (b < 0) {
        if (!trim(rest).empty()) {
            Fault();
            return;
        }
        if (rw.CLX >= rw.TNL - 1) return;
        NextLine();
        if (AtEnd() || rw.cur[rw.pos] != '{') {
            Fault();
            return;
        }
        cb.braceline = rw.CLX;
        rest = rw.cur.substr(rw.pos);
        b = 0;
    }
    std::string first = trim(rest.substr(static_cast<size_t>(b) + 1));
    rw.cur = first;
    rw.pos = 0;
    if (first.empty() && rw.CLX >= rw.TNL - 1) {
        Fault();
        return;
    }
    cb.run(!first.empty(), first);
}
