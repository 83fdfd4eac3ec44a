// Variable blocks of a script file: a header line "&name T r d1 .. dr", the
// values as one logical line (lines ending in "\" go on), and a closing "&".
// A list block ("L", rank 1) holds its items instead, each a header without
// "&" and name and one logical value line. Values are gathered first and
// placed only once the whole block has been read, so a block that fails
// changes nothing; no allocation is sized by a count before the file has
// shown that many values or lines.
#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "primitives/primitives.h"
#include "scalar/scalar.h"
#include "system/script.h"

namespace {

constexpr i64 LIST_DEPTH_MAX = 64;  // lists inside lists

struct var_block {
    i64 type = -1, rank = 0, count = 0;
    std::vector<i64> dims;
    std::string data;  // the elements read so far, ElemWidth bytes each
    i64 read = 0;
};

// One or more blanks or tabs at text[*p], skipped.
bool gap(const char* text, i64* p) {
    if (!IsBlank(text[*p])) return false;
    while (IsBlank(text[*p])) (*p)++;
    return true;
}

// The header's name, after "&" and blanks: a letter, then letters, digits
// and "_".
bool read_name(const char* text, i64* p, std::string* name) {
    i64 q = *p + 1;
    while (IsBlank(text[q])) q++;
    if (!IsLetter(text[q])) return false;
    i64 start = q;
    while (IsNameChar(text[q])) q++;
    name->assign(text + start, static_cast<size_t>(q - start));
    *p = q;
    return q - start <= SYMBOL_MAX;
}

// Type letter, rank and dimensions, up to the line's end.
bool read_shape(const char* text, i64* p, var_block* v) {
    char letter = text[*p];
    if (!IsLetter(letter) || (text[*p + 1] && !IsBlank(text[*p + 1]))) return false;
    v->type = letter == 'Q' ? TCPLX : gettyp(letter);
    (*p)++;
    if (v->type < 0 || !gap(text, p) || !ReadIntWord(text, p, &v->rank) || v->rank < 0)
        return false;
    for (i64 k = 0; k < v->rank; k++) {
        i64 d;
        if (!gap(text, p) || !ReadIntWord(text, p, &d) || d < 0) return false;
        v->dims.push_back(d);
    }
    if (text[*p] || (v->type == TLIST && v->rank != 1)) return false;
    return ShapeCount(v->dims.data(), v->rank, v->type, &v->count) == 0;
}

template <typename T>
void put(var_block* v, T x) {
    v->data.append(reinterpret_cast<const char*>(&x), sizeof x);
    v->read++;
}

// One element of a numeric, symbol or temporal block.
bool read_element(const char* text, i64* p, var_block* v) {
    i64 n;
    double x, y;
    std::string s;
    switch (v->type) {
    case TBOOL:
        if (!ReadIntWord(text, p, &n) || (n != 0 && n != 1)) return false;
        put(v, n);
        return true;
    case TINT:
        if (!ReadIntWord(text, p, &n)) return false;
        put(v, n);
        return true;
    case TFLOAT:
        if (!ReadFloatWord(text, p, &x)) return false;
        put(v, x);
        return true;
    case TCPLX: {
        if (!ReadComplexWord(text, p, &x, &y)) return false;
        put(v, complex2(x, y));
        return true;
    }
    case TSYM:
        if (!ReadSymbolWord(text, p, &s) || (n = getsymbol(s.c_str())) < 0) return false;
        put(v, n);
        return true;
    default: {
        std::vector<i64> elements;
        if (!isdate(v->type) || !ReadTemporalWords(v->type, text, p, &elements)) return false;
        if (static_cast<i64>(elements.size()) > v->count - v->read) return false;
        for (i64 e : elements) put(v, e);
        return true;
    }
    }
}

// A quoted piece of a character block: "''" inside stands for one quote,
// and so does a lone quote.
bool read_piece(const char* text, var_block* v) {
    i64 n = static_cast<i64>(std::strlen(text));
    if (n < 2 || text[0] != '\'' || text[n - 1] != '\'') return false;
    for (i64 i = 1; i < n - 1; i++) {
        if (v->read == v->count) return false;
        if (text[i] == '\'' && text[i + 1] == '\'' && i + 1 < n - 1) i++;
        v->data += text[i];
        v->read++;
    }
    return true;
}

// The elements of one value line; none may pass the count.
bool read_line_values(const char* text, var_block* v) {
    if (v->type == TCHAR) return read_piece(text, v);
    for (i64 p = 0;;) {
        while (IsBlank(text[p])) p++;
        if (!text[p]) return true;
        if (v->read == v->count || !read_element(text, &p, v)) return false;
        if (text[p] && !IsBlank(text[p])) return false;
    }
}

// The values after the header line, as one logical line; blank lines are
// skipped, and a line that begins with "&" ends them (the walk stays on
// it). True when exactly the count has been read.
bool read_values(script_walk* w, var_block* v) {
    for (WalkNext(w); w->line; WalkNext(w)) {
        char* text = WalkText(w);
        if (!*text) continue;
        if (*text == '&') break;
        i64 n = static_cast<i64>(std::strlen(text));
        bool more = text[n - 1] == '\\';
        if (more) {
            for (n--; n > 0 && IsBlank(text[n - 1]);) n--;
            text[n] = 0;
        }
        if (!read_line_values(text, v)) return false;
        if (!more) {
            WalkNext(w);
            break;
        }
    }
    return v->read == v->count;
}

// Skips blank lines; true on a line that begins with "&" (and alone holds
// it when alone is set), which is then passed.
bool closing_line(script_walk* w, bool alone) {
    for (; w->line; WalkNext(w)) {
        char* text = WalkText(w);
        if (!*text) continue;
        bool ok = *text == '&' && (!alone || !text[1]);
        if (ok) WalkNext(w);
        return ok;
    }
    return false;
}

// Makes slot hold the elements read.
bool place(i64 slot, const var_block* v) {
    if (NewResult(slot, v->type, v->rank, v->dims.data(), v->count)) return false;
    if (v->count > 0)
        std::memcpy(getptV(&vtable[slot]), v->data.data(), static_cast<size_t>(v->data.size()));
    return true;
}

bool read_list(script_walk* w, i64 slot, const var_block* v, i64 depth);

// A list item at the current line (its header) into slot. An item of no
// elements ends at the next line, which begins with "&".
bool read_item(script_walk* w, i64 slot, i64 depth) {
    var_block v;
    i64 p = 0;
    if (depth > LIST_DEPTH_MAX || !read_shape(WalkText(w), &p, &v)) return false;
    bool ok =
        v.type == TLIST ? read_list(w, slot, &v, depth) : read_values(w, &v) && place(slot, &v);
    return ok && (v.count > 0 || closing_line(w, false));
}

// The items of a list block, each read into a slot of its own and then
// moved into the list; the walk ends after the last item.
bool read_list(script_walk* w, i64 slot, const var_block* v, i64 depth) {
    i64 n = v->count;
    // Each item takes at least its header line.
    if (n > WalkLeft(w) - 1 || NewResult(slot, TLIST, 1, v->dims.data(), n)) return false;
    WalkNext(w);
    for (i64 k = 0; k < n; k++) {
        while (w->line && !*WalkText(w)) WalkNext(w);
        i64 item;
        if (!w->line || TakeSlots(1, &item)) return false;
        bool ok = read_item(w, item, depth + 1) && SettleItem(slot, k, item) == 0;
        GiveSlots(item, 1);
        if (!ok) return false;
    }
    return true;
}

}  // namespace

bool IsVariableBlock(const char* text) {
    if (*text != '&') return false;
    while (IsBlank(*++text)) {}
    return IsLetter(*text);
}

i64 ReadVariableBlock(script_walk* w) {
    var_block v;
    std::string name;
    i64 p = 0;
    const char* text = WalkText(w);
    bool ok = read_name(text, &p, &name) && gap(text, &p) && read_shape(text, &p, &v);
    i64 g = ok ? FnFindName(name.c_str(), 'G') : -1;
    if (!ok || (g >= 0 && gnametable[g].kind != 'V')) return errchk = E_GET_VARIABLE;
    // A new name gets its slot with its entry; a known one is read into a
    // fresh slot, and its own slot takes the value once the whole block
    // stands (so a variable copied again and again keeps one slot).
    i64 old = g >= 0 ? gnametable[g].index : -1;
    i64 slot = -1;
    if (g < 0) {
        g = Enter(name.c_str(), 'G');
        if (g >= 0) slot = gnametable[g].index;
    } else {
        slot = Incx('V');
    }
    if (slot >= 0) {
        ok = v.type == TLIST ? read_list(w, slot, &v, 0) : read_values(w, &v) && place(slot, &v);
        ok = ok && closing_line(w, true);
    }
    if (slot < 0 || !ok) {
        if (slot >= 0) EmptySlot(slot);
        if (slot >= 0 && old >= 0 && slot == lstvx) lstvx--;
        return errchk = E_GET_VARIABLE;
    }
    if (old >= 0) {
        EmptySlot(old);
        GenStoreB(&vtable[old], slot);
        if (slot == lstvx) lstvx--;
    }
    return errchk = 0;
}
