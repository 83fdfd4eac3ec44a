// Function headers: "f", "r<-f", "f x", "r<-f x", "a f x", "r<-a f x", with
// "(x;y;z)" for several right arguments and ";name" locals after any form.
// The header's names are entered as the function's own names, in the order
// of the text, so that the row's header mark and last-header-name words
// bracket them. Also the label pre-pass of a function's lines.
#include <cstring>
#include <string>

#include "parser/parse_state.h"
#include "parser/parser.h"

namespace {

struct Header {
    const char* s;
    i64 p = 0;
    bool enter;  // enter the names (FnHead) or only check (FnNewHead)
    i64 entered = 0;
    char name[NAMESIZE];

    void skip() { p = PastBlanks(s, p); }
    bool starts_name() const {
        return isletter(s[p]) || (s[p] == '[' && s[p + 1] == ']' && isletter(s[p + 2]));
    }
    // A name or system-variable name at p into `name`, blanks after it skipped.
    bool read() {
        i64 q = p;
        if (s[q] == '[' && s[q + 1] == ']') q += 2;
        if (!isletter(s[q])) return false;
        while (isnamechar(s[q])) q++;
        while (q > p && s[q - 1] == '_') q--;
        if (q - p >= NAMESIZE) return false;
        std::memcpy(name, s + p, static_cast<size_t>(q - p));
        name[q - p] = 0;
        p = q;
        skip();
        return true;
    }
    // Enters the name just read; its index (or 0 when only checking), -1 full.
    i64 add() {
        entered++;
        return enter ? Enter(name, 'V') : 0;
    }
};

i64 parse_header(const char* fname, func_entry* f, const std::string& text, bool enter) {
    Header h{text.c_str(), 0, enter, 0, {}};
    f->nright = 0;
    f->valence = 0;
    f->result = -1;
    i64 mark = lstnx;
    if (enter) f->hdrmark = mark;
    h.skip();
    if (!h.read()) return E_NAME_START;
    bool dyadic = false, right = true;
    if (std::strcmp(h.name, fname) != 0) {
        i64 e = h.add();
        if (e < 0) return errchk;
        if (h.s[h.p] == '<') {
            if (h.s[h.p + 1] != '-') return E_ASSIGN_EXPECTED;
            if (enter) f->result = e;
            h.p += 2;
            h.skip();
            if (!h.read()) return E_NAME_START;
            if (std::strcmp(h.name, fname) == 0) goto arguments;
            if ((e = h.add()) < 0) return errchk;
        }
        if (enter) f->left = e;
        if (!h.read() || std::strcmp(h.name, fname) != 0) return E_FN_NAME_EXPECTED;
        dyadic = true;
    } else {
        right = h.starts_name() || h.s[h.p] == '(';
    }
arguments:
    if (right && (h.starts_name() || h.s[h.p] == '(')) {
        f->valence = dyadic ? 2 : 1;
        if (h.s[h.p] == '(') {
            h.p++;
            h.skip();
            for (;;) {
                if (!h.read()) return E_NAME_START;
                i64 e = h.add();
                if (e < 0) return errchk;
                if (enter && f->nright == 0) f->right = e;
                f->nright++;
                if (h.s[h.p] == ')') break;
                if (h.s[h.p] != ';') return E_FN_NAME_EXPECTED;
                h.p++;
                h.skip();
            }
            h.p++;
            h.skip();
        } else {
            h.read();
            i64 e = h.add();
            if (e < 0) return errchk;
            if (enter) f->right = e;
            f->nright = 1;
        }
    } else if (dyadic) {
        return E_SYNTAX;
    }
    while (h.s[h.p]) {
        if (h.s[h.p] != ';') return E_SYNTAX;
        h.p++;
        h.skip();
        if (!h.read()) return E_NAME_START;
        if (h.add() < 0) return errchk;
    }
    if (enter) {
        f->hdrlast = h.entered ? lstnx : -1;
        if (!h.entered) f->hdrmark = -1;
    }
    return 0;
}

}  // namespace

i64 FnHead(const char* fname, i64 row, const char* header, i64 len) {
    std::string text(header, strnlen(header, static_cast<size_t>(len > 0 ? len : 0)));
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    row_epoch++;
    return parse_header(fname, &functable[row], text, true);
}

i64 FnNewHead(const char* fname, i64 row, const char* header, i64 len) {
    std::string text(header, strnlen(header, static_cast<size_t>(len > 0 ? len : 0)));
    func_entry probe = functable[row];
    i64 rc = parse_header(fname, &probe, text, false);
    if (rc == 0 && probe.valence) functable[row].valence = probe.valence;
    row_epoch++;
    return rc;
}

void FnPrepoc(zem_line* lines, i64 n) {
    zem_line* l = lines ? lines->next : nullptr;
    for (i64 i = 0; i < n && l; i++, l = l->next) {
        if (i == 0 || !l->text) continue;
        const char* s = l->text;
        i64 p = 0;
        p = PastBlanks(s, p);
        if (!CheckLabel(s, nullptr, p)) continue;
        i64 q = p;
        while (isnamechar(s[q])) q++;
        if (q - p >= NAMESIZE) continue;
        std::string name(s + p, static_cast<size_t>(q - p));
        i64 e = Enter(name.c_str(), 'L');
        if (e >= 0) nametable[e].index = i;
    }
}
