// )OUT: the workspace, or the objects named, written as a script file that
// the reader takes back exactly: functions as "@." blocks and variables of
// the simple types as "&" blocks. Floats and complex numbers are written
// exactly, quotes in texts doubled, and symbols the plain form cannot
// carry quoted. A value no line can carry (a text holding a line end or a
// zero byte, a date no literal stands for) is left out and reported, and so
// are the values the format has no block for (tables, dictionaries, lists,
// enumerations), named on one line.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "datetime/datetime.h"
#include "dict/dict.h"
#include "display/display.h"
#include "scalar/scalar.h"
#include "system/handlers.h"
#include "system/script.h"

namespace {

constexpr i64 PIECE = 3000;  // characters of one quoted piece

enum out_result { WRITTEN, SKIPPED, NOT_CARRIED };

// Elements per value line.
i64 per_line(i64 type) {
    if (type == TFLOAT || type == TCPLX) return 500;
    if (isdate(type)) return 30;
    return 450;
}

// Appends text with each quote doubled.
void quoted(std::string* out, const char* text, i64 n) {
    for (i64 i = 0; i < n; i++) {
        if (text[i] == '\'') *out += '\'';
        *out += text[i];
    }
}

bool has_line_end(const char* text, i64 n) {
    return std::memchr(text, '\n', n) || std::memchr(text, '\r', n);
}

// Two temporal elements alike; any two datetime nulls are.
bool same_element(i64 type, i64 a, i64 b) {
    if (type != TDATETIME) return a == b;
    double x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y || (std::isnan(x) && std::isnan(y));
}

// The text of element i; false when no value line can carry it.
bool element_text(const val_item* v, const char* data, i64 i, std::string* out) {
    char buf[ELEMTEXT];
    i64 n = 0;
    switch (v->type) {
    case TBOOL:
    case TINT: n = GenInt(reinterpret_cast<const i64*>(data)[i], buf); break;
    case TFLOAT: n = GenFloatExact(reinterpret_cast<const double*>(data)[i], buf); break;
    case TCPLX: {
        const complex2& z = reinterpret_cast<const complex2*>(data)[i];
        n = GenFloatExact(z.real, buf);
        buf[n++] = 'j';
        n += GenFloatExact(z.imag, buf + n);
        break;
    }
    case TSYM: {
        i64 id = reinterpret_cast<const i64*>(data)[i];
        const char* text = id >= 0 && id <= sindex && psym[id] ? psym[id]->str.text : "";
        i64 len = static_cast<i64>(std::strlen(text));
        if (has_line_end(text, len)) return false;
        *out += '`';
        if (IsPlainSymbol(text)) {
            *out += text;
        } else {
            *out += '\'';
            quoted(out, text, len);
            *out += '\'';
        }
        return true;
    }
    default: {
        i64 value = reinterpret_cast<const i64*>(data)[i];
        n = v->type == TDATETIME ? optime2(buf, reinterpret_cast<const double*>(data)[i])
                                 : optime1(value, v->type, buf);
        // Only a text that reads back as the same element is written.
        i64 p = 0, back;
        if (!ReadTemporalWord(v->type, buf, &p, &back) || buf[p] ||
            !same_element(v->type, back, value))
            return false;
    }
    }
    out->append(buf, static_cast<size_t>(n));
    return true;
}

// The header line: name, type letter, rank and dimensions.
std::string header(const val_item* v, const char* name) {
    std::string h =
        std::string("&") + name + " " + gettyp0(v->type) + " " + std::to_string(v->rank);
    if (v->rank == 1) h.append(" ").append(std::to_string(v->count));
    if (v->rank >= 2) h.append(" ").append(std::to_string(v->dim0));
    if (v->rank == 2) h.append(" ").append(std::to_string(v->dim1));
    for (i64 k = 0; v->rank > 2 && k < v->rank - 1; k++)
        h.append(" ").append(std::to_string(glist[v->dim1 + k]));
    return h + "\n";
}

// Character data as quoted pieces of at most PIECE characters, one a line,
// each but the last continued; no pair of quotes is split.
void write_text(const char* data, i64 count, FILE* out) {
    std::string line;
    for (i64 at = 0; at < count; at += PIECE) {
        i64 n = count - at < PIECE ? count - at : PIECE;
        line.assign(1, '\'');
        quoted(&line, data + at, n);
        line += at + n < count ? "'\\\n" : "'\n";
        std::fwrite(line.data(), 1, line.size(), out);
    }
}

// The values, a full line of them continued with "\" (every element
// known to be carried).
void write_values(const val_item* v, const char* data, FILE* out) {
    std::string line;
    i64 full = per_line(v->type);
    for (i64 i = 0; i < v->count; i++) {
        if (!line.empty()) line += ' ';
        element_text(v, data, i, &line);
        if ((i + 1) % full == 0) {
            line += "\\\n";
            std::fwrite(line.data(), 1, line.size(), out);
            line.clear();
        }
    }
    if (!line.empty()) {
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
}

// Whether every element of v can be written (checked before anything of
// the block is).
bool carried(const val_item* v, const char* data) {
    if (v->type == TCHAR) return !has_line_end(data, v->count) && !std::memchr(data, 0, v->count);
    if (v->type != TSYM && !isdate(v->type)) return true;
    std::string text;
    for (i64 i = 0; i < v->count; i++) {
        text.clear();
        if (!element_text(v, data, i, &text)) return false;
    }
    return true;
}

out_result VarOutput(i64 slot, const char* name, FILE* out) {
    val_item* v = &vtable[slot];
    if (v->rank < 0 || v->type < TBOOL || v->type > TTIME || v->type == TLIST) return SKIPPED;
    const char* data = static_cast<const char*>(getptV(v));
    if (v->count > 0 && !carried(v, data)) return NOT_CARRIED;
    std::string h = header(v, name);
    std::fwrite(h.data(), 1, h.size(), out);
    if (v->count > 0) {
        if (v->type == TCHAR) write_text(data, v->count, out);
        else write_values(v, data, out);
    }
    std::fputs("&\n", out);
    return WRITTEN;
}

// The variables left out: those no line can carry, and those of kinds the
// format has no block for.
struct left_out {
    std::vector<std::string> uncarried;
    std::vector<std::string> noform;
    bool empty() const { return uncarried.empty() && noform.empty(); }
};

// Writes the variable, noting it when it is left out; true when written.
bool write_variable(i64 slot, const std::string& name, FILE* out, left_out* left) {
    out_result r = VarOutput(slot, name.c_str(), out);
    if (r == NOT_CARRIED) left->uncarried.push_back(name);
    if (r == SKIPPED) left->noform.push_back(name);
    return r == WRITTEN;
}

void report(const left_out& left) {
    for (const std::string& name : left.uncarried) std::printf("not written: %s\n", name.c_str());
    if (left.noform.empty()) return;
    std::fputs("not written (no script form):", stdout);
    for (const std::string& name : left.noform) std::printf(" %s", name.c_str());
    std::fputc('\n', stdout);
}

// Every function but the prelude's, then every global variable that holds
// a value (a name only mentioned, as in a line that failed, is none).
void write_all(FILE* out, left_out* left) {
    for (i64 row = FIRSTFN; row <= lstfx; row++)
        if (functable[row].func && !DBListM(row)) FunOutput(functable[row].func, out);
    for (i64 g = SYMGN; g <= lstgx; g++) {
        if (gnametable[g].kind != 'V' || undefined(-1, gnametable[g].index)) continue;
        FnGetFullname(g, 'G');
        write_variable(gnametable[g].index, fullname, out, left);
    }
    std::sort(left->noform.begin(), left->noform.end());
}

// The objects named in turn, each name printed once written; a name bound
// to nothing ends the command with 36.
i64 write_named(const char* names, FILE* out, left_out* left) {
    bool printed = false;
    for (const char* p = names; *p;) {
        while (IsBlank(*p)) p++;
        const char* end = p;
        while (*end && !IsBlank(*end)) end++;
        if (end == p) break;
        std::string name(p, static_cast<size_t>(end - p));
        p = end;
        i64 found[2];
        GetNamex(name.c_str(), found);
        i64 at = found[0];
        bool function = found[1] != 0;
        // A system variable has no block the reader takes: it is refused too.
        bool bound = at >= 0 && (function ? at >= FIRSTFN && functable[at].func && !DBListM(at)
                                          : vtable[at].rank >= 0 && isCname(name.c_str()));
        if (!bound) {
            if (printed) std::fputc('\n', stdout);
            std::printf("invalid name found: %s\n", name.c_str());
            return E_QUIET;
        }
        if (function) {
            FunOutput(functable[at].func, out);
        } else if (!write_variable(at, name, out, left)) {
            continue;
        }
        std::printf(printed ? " %s" : "%s", name.c_str());
        printed = true;
    }
    if (printed) std::fputc('\n', stdout);
    return 0;
}

// The names after the file word ("" when the file name is quoted: it is
// then the whole argument).
const char* names_of(const char* arg) {
    while (IsBlank(*arg)) arg++;
    if (*arg == '\'') return "";
    while (*arg && !IsBlank(*arg)) arg++;
    while (IsBlank(*arg)) arg++;
    return arg;
}

}  // namespace

i64 WsOut(char* arg) {
    errchk = 0;
    char path[PATH_SIZE];
    safe_file sf;
    if (GetZemPath(arg, path, "zsf", false) || SafeOpen(&sf, path)) {
        errmsg(E_PATH);
        return errchk = E_PATH;
    }
    left_out left;
    const char* names = names_of(arg);
    i64 code = 0;
    if (*names) code = write_named(names, sf.fp, &left);
    else write_all(sf.fp, &left);
    report(left);
    if (SafeClose(&sf)) {
        errmsg(E_FILE_WRITE);
        return errchk = E_FILE_WRITE;
    }
    return errchk = code || !left.empty() ? E_QUIET : E_OK;
}
