// Definition lines: the header of a "@." definition makes or re-uses the
// function's row and record; a one-line definition "{name: body}" derives its
// header from the names its body uses and splits the body into lines at
// its top-level semicolons.
#include <cstring>
#include <string>
#include <vector>

#include "parser/parse_state.h"
#include "parser/parser.h"

i64 FGetName(const char* text, i64* pos) {
    i64 p = *pos, q = p;
    while (isnamechar(text[q])) q++;
    while (q > p && text[q - 1] == '_') q--;
    if (q == p) return 0;
    i64 n = q - p;
    i64 keep = n < NAMESIZE ? n : NAMESIZE - 1;
    std::memcpy(namez, text + p, static_cast<size_t>(keep));
    namez[keep] = 0;
    namep = namez;
    q = PastBlanks(text, q);
    *pos = q;
    return n;
}

int isRvWord(const char* s) {
    static const char* const words[] = {"case", "else", "for", "if", "while"};
    for (const char* w : words)
        if (std::strcmp(s, w) == 0) return 1;
    return 0;
}

namespace {

// Parses the header into a row, giving the row back as it was when that fails.
i64 head_into(const char* name, i64 row, const char* header) {
    func_entry saved = functable[row];
    i64 rc = FnHead(name, row, header, static_cast<i64>(std::strlen(header)) + 1);
    if (rc) {
        functable[row] = saved;
        errchk = rc;
    }
    return rc;
}

// Takes back a function entry made for a header that failed.
void unmake(i64 g, i64 row, i64 oldslot) {
    if (oldslot >= 0) {
        gnametable[g].kind = 'V';
        gnametable[g].index = oldslot;
    } else if (g == lstgx) {
        std::memset(&gnametable[g], 0, sizeof(name_entry));
        gnametable[g].index = gnametable[g].tail = -1;
        lstgx--;
    }
    if (row == lstfx) lstfx--;
}

// A header that has none of the forms: the message names them.
constexpr const char* HEADER_FORMS =
    "defn error: a header is f, f y, x f y or f (a;b), with z<- before it and ;locals after it";

// The row of the function whose header this is, made or re-used; -1 when
// the header cannot be taken.
i64 define(const char* header) {
    char name[NAMESIZE];
    i64 rc = FnGetName(header, name);
    if (rc) {
        errchk = rc == E_DEFN ? ErrSay(E_DEFN, HEADER_FORMS) : rc;
        return -1;
    }
    if (std::strlen(name) >= static_cast<size_t>(FNAMESIZE)) return errchk = E_DEFN, -1;
    i64 g = FnFindName(name, 'G');
    if (g >= 0 && gnametable[g].kind == 'F' && gnametable[g].index >= FIRSTFN) {
        i64 row = gnametable[g].index;
        if (head_into(name, row, header)) return -1;
        if (functable[row].func) FunSetLine0(functable[row].func, header);
        return row;
    }
    i64 row, oldslot = -1;
    if (g >= 0 && gnametable[g].kind == 'V') {
        if (vtable[gnametable[g].index].rank != -1) return errchk = E_VAR_AS_FN, -1;
        if ((row = Incx('F')) < 0) return -1;
        oldslot = gnametable[g].index;
        gnametable[g].kind = 'F';
        gnametable[g].index = row;
        functable[row].gname = g;
    } else {
        if ((g = Enter(name, 'F')) < 0) return -1;
        row = gnametable[g].index;
    }
    if (head_into(name, row, header)) {
        unmake(g, row, oldslot);
        return -1;
    }
    zem_func* f = static_cast<zem_func*>(AL2(sizeof(zem_func), 1));
    FunInit(f, name);
    functable[row].func = f;
    FunSetLine0(f, header);
    return row;
}

}  // namespace

// A header entered anew leaves the entries of the one it replaces, given
// back at once when nothing runs.
i64 FnLine0(const char* header) {
    i64 row = define(header);
    GiveBackNames();
    return row;
}

namespace {

// The scan of a one-line body: statements, the x/y/z marks and the locals.
struct ShotScan {
    std::string b;     // the body without its closing brace
    const char* self;  // the function's own name
    bool xu = false, yu = false, zu = false;
    std::string locals;  // ";name" per local
    std::vector<std::string> names;
    std::vector<std::string> lines;

    void add_local(const std::string& n) {
        for (const auto& l : names)
            if (l == n) return;
        names.push_back(n);
        locals += ";" + n;
    }

    void take_name(i64* i) {
        i64 p = *i;
        i64 len = FGetName(b.c_str(), &p);
        std::string n = b.substr(static_cast<size_t>(*i), static_cast<size_t>(len));
        *i = p;
        if (n == "x") xu = true;
        else if (n == "y") yu = true;
        else if (n == "z") zu = true;
        else if (!isRvWord(n.c_str()) && n != self) {
            i64 g = FnFindName(n.c_str(), 'G');
            if (!(g >= 0 && gnametable[g].kind == 'F')) add_local(n);
        }
    }

    static std::string trimmed(const std::string& s) {
        size_t e = s.size();
        while (e > 0 && IsBlank(s[e - 1])) e--;
        return s.substr(0, e);
    }

    bool run(i64 start) {
        i64 n = static_cast<i64>(b.size()), i = start, S = start, pd = 0, sd = 0;
        while (i < n) {
            char c = b[static_cast<size_t>(i)];
            if (c == '\'') {
                i++;
                while (i < n && !(b[static_cast<size_t>(i)] == '\'' &&
                                  (i + 1 >= n || b[static_cast<size_t>(i + 1)] != '\'')))
                    i += b[static_cast<size_t>(i)] == '\'' ? 2 : 1;
                i++;
            } else if (c == '(' || c == ')') {
                pd += c == '(' ? 1 : -1;
                i++;
            } else if (c == '[' && b.compare(static_cast<size_t>(i), 4, "[]IO") == 0) {
                if (i == start) add_local("[]IO");
                i += 4;
            } else if (c == '[' && b.compare(static_cast<size_t>(i), 2, "[)") == 0) {
                i += 2;
            } else if (c == '[' || c == ']') {
                sd += c == '[' ? 1 : -1;
                i++;
            } else if (c == '`') {
                i++;
                while (i < n && isnamechar(b[static_cast<size_t>(i)])) i++;
            } else if (isletter(c)) {
                take_name(&i);
            } else if (isdig(c)) {
                // A number (1e5, 2j3, 0n, a date) holds letters that are no names.
                while (i < n &&
                       (isnamechar(b[static_cast<size_t>(i)]) || b[static_cast<size_t>(i)] == '.'))
                    i++;
            } else if (c == ';' && pd == 0 && sd == 0) {
                if (i > S)
                    lines.push_back(
                        trimmed(b.substr(static_cast<size_t>(S), static_cast<size_t>(i - S))));
                i++;
                while (i < n && IsBlank(b[static_cast<size_t>(i)])) i++;
                S = i;
            } else {
                i++;
            }
            if (pd < 0 || sd < 0) return false;
        }
        if (pd || sd) return false;
        std::string last = trimmed(b.substr(static_cast<size_t>(S < n ? S : n)));
        if (!last.empty()) {
            lines.push_back(zu ? last : "z<-" + last);
            zu = true;
        }
        return true;
    }

    std::string header(const char* name) const {
        std::string h = zu ? "z<-" : "";
        if (xu && yu) h += "y ";
        h += name;
        if (xu) h += " x";
        else if (yu) h += " y";
        return h + locals;
    }
};

// Stores the header and body lines as the function's source and trimmed lines.
void store_lines(zem_func* f, const std::string& header, const std::vector<std::string>& body) {
    zem_line* work = eLine_New();
    i64 n = 0;
    zem_line* at = eLine_push(work, header.c_str(), n++);
    for (const auto& l : body) at = eLine_push(at, l.c_str(), n++);
    FunSetLines(f, work, n);
    eLine_free(work);
}

}  // namespace

i64 FnShotLine(const char* text, char* name_buffer) {
    std::string copy(text);
    char* p = copy.data();
    i64 len = CleanB(&p);
    std::string t(p, static_cast<size_t>(len));
    i64 pos = 0;
    if (t.empty() || !isletter(t[0])) return 1;
    i64 nlen = FGetName(t.c_str(), &pos);
    if (nlen <= 0 || static_cast<size_t>(pos) >= t.size() || t[static_cast<size_t>(pos)] != ':')
        return 1;
    std::string name = t.substr(0, static_cast<size_t>(nlen));
    std::strcpy(name_buffer, namez);
    if (nlen >= NAMESIZE || t.back() != '}') {
        errchk = E_DOMAIN;  // a name too long, or no closing brace
        return 1;
    }
    pos++;
    while (IsBlank(t[static_cast<size_t>(pos)])) pos++;
    ShotScan scan;
    scan.b = t.substr(0, t.size() - 1);
    scan.self = name.c_str();
    if (!scan.run(pos)) {
        errchk = E_UNPAIRED;
        return 1;
    }
    std::string header = scan.header(name.c_str());
    errchk = 0;
    i64 row = FnLine0(header.c_str());
    if (row < 0 || !functable[row].func) {
        if (!errchk) errchk = E_DEFN;
        return 1;
    }
    store_lines(functable[row].func, header, scan.lines);
    return 0;
}
