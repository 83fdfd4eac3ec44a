// The list reader and value records. List reads the rest of a parenthesised
// list literal, items separated by ";", into a list whose items refer to
// variables and to fresh copies of constants. ListSizeChar and ListWritChar
// measure and write a value as one flat byte record.
#include <cstdlib>
#include <cstring>

#include "parser/parse_state.h"
#include "parser/parser.h"

// Position of the quote that closes the string opening at p (a doubled
// quote inside it is a quote), or of the text's end.
static i64 StringEnd(const char* text, i64 p) {
    for (p++; text[p]; p++) {
        if (text[p] != '\'') continue;
        if (text[p + 1] != '\'') return p;
        p++;
    }
    return p;
}

// Items of the list from the cursor on: one more than the ";" met before
// the closing ")" (quoted strings skipped). *closed tells whether a ")"
// ended the scan.
static i64 CountItems(const char* text, bool* closed) {
    i64 n = 1;
    for (i64 p = cursor; text[p]; p++) {
        if (text[p] == '\'') {
            p = StringEnd(text, p);
            if (!text[p]) break;
        } else if (text[p] == ';') {
            n++;
        } else if (text[p] == ')') {
            *closed = true;
            return n;
        }
    }
    *closed = false;
    return n;
}

i64 ListNget(char* text, i64 scope) {
    i64 out[3];
    if (nGet(text, line, out, scope >= 0 ? scope : -1, 0, false, 0)) return -1;
    return out[0] == 1 || out[0] == 3 ? out[1] : -1;
}

// A copy of constant c in a fresh value slot, as the complement of the slot.
static i64 ConstantRef(i64 c) {
    i64 slot = Incx('V');
    if (slot < 0) return 0;
    if (GenStore(slot, c, -1)) return 0;
    return ~slot;
}

// Reads one item after the first; its reference in *ref, or an error code.
static i64 ReadItem(char* text, i64 scope, i64* ref, bool* named) {
    char c = text[cursor];
    i64 got;
    *named = false;
    if (isletter(c)) {
        got = ListNget(text, scope);
        if (got < 0) return errchk ? errchk : (errchk = E_SYNTAX);
        *ref = scope < 0 ? -got : got;
        *named = true;
        return 0;
    }
    if (isdig(c) || c == '_') got = Number(text);
    else if (c == '`') got = Symbols(text);
    else if (c == '\'') got = String(text);
    else return errchk = E_SYNTAX;
    if (got < 0) return errchk ? errchk : (errchk = E_SYNTAX);
    *ref = ConstantRef(got);
    return *ref == 0 ? errchk : 0;
}

// The list value: a constant of n items, each holding its reference in its
// first word (the rest zero, so the items read as empty descriptors), and
// the reserved slot sharing that data with a reference of its own.
static i64 MakeList(i64 slot, const i64* refs, i64 n, bool allnames) {
    i64 c = Incx('C');
    if (c < 0) return errchk;
    val_item* k = &ctable[c];
    k->type = TLIST;
    k->rank = 1;
    k->count = n;
    k->dim0 = n;
    if (Updatead1(c, TLIST, n)) return errchk;
    k = &ctable[c];
    for (i64 i = 0; i < n; i++)
        ((val_item*)k->data)[i] = val_item{refs[i], 0, 0, 0, 0, 0, 0, nullptr};
    val_item* v = &vtable[slot];
    *v = *k;
    v->dim1 = allnames ? 2 : 1;
    RefChange(v, 1);
    return 0;
}

i64 List(char* text, char kind, i64 first, i64 scope) {
    errchk = 0;
    i64 slot = Incx('V');
    if (slot < 0) return errchk;
    cursor = PastBlanks(text, cursor);
    bool closed;
    i64 n = CountItems(text, &closed);
    if (!closed) return errchk = E_RPAREN_EXPECTED;
    if (n < 2) return errchk = E_DOMAIN;
    i64* refs = (i64*)AL2(sizeof(i64), n);
    bool allnames = kind == 'A';
    refs[0] = kind == 'A' ? (scope < 0 ? -first : first) : ConstantRef(first);
    i64 rc = kind != 'A' && refs[0] == 0 ? errchk : 0, got = 1;
    while (rc == 0 && text[cursor] == ';') {
        if (got == n) {
            rc = errchk = E_DOMAIN;
            break;
        }
        cursor = PastBlanks(text, cursor + 1);
        bool named;
        rc = ReadItem(text, scope, &refs[got++], &named);
        allnames = allnames && named;
        cursor = PastBlanks(text, cursor);
    }
    if (rc == 0 && (text[cursor] != ')' || got != n)) rc = errchk = E_DOMAIN;
    if (rc == 0) rc = MakeList(slot, refs, n, allnames);
    free(refs);
    if (rc) return errchk = rc;
    cursor++;
    return slot;
}

// ---- value records ------------------------------------------------------------

constexpr i64 NOT_PLAIN = 16;  // bytes of the record of an item that is no plain value

// Data bytes of the record of v: none for a value that has none.
static i64 RecordData(const val_item* v) { return v->rank < 0 ? 0 : typC(v->type, v->count); }

static i64 RecordWords(const val_item* v) { return v->rank < 2 ? 3 : v->rank + 3; }

i64 ListSizeChar(i64 cidx, i64 vidx, i64 mode) {
    if (mode != -1) return NOT_PLAIN;
    const val_item* v = opnd(cidx, vidx);
    return 8 * RecordWords(v) + RecordData(v);
}

i64 ListWritChar(i64 cidx, i64 vidx, i64 mode, char* out) {
    i64 words[2];
    if (mode != -1) {
        words[0] = -1;
        words[1] = vidx;
        memcpy(out, words, sizeof words);
        return NOT_PLAIN;
    }
    val_item* v = opnd(cidx, vidx);
    i64 nw = RecordWords(v), at = 0;
    i64* head = (i64*)AL2(sizeof(i64), nw);
    head[at++] = v->type;
    head[at++] = v->rank;
    if (v->rank >= 2) {
        for (i64 k = 0; k < v->rank; k++) {
            if (k == 0) head[at++] = v->dim0;
            else if (v->rank == 2) head[at++] = v->dim1;
            else head[at++] = glist != nullptr ? glist[v->dim1 + k - 1] : 0;
        }
    }
    head[at++] = v->rank < 0 ? 0 : v->count;
    memcpy(out, head, (size_t)(8 * nw));
    free(head);
    i64 bytes = RecordData(v);
    char* data = out + 8 * nw;
    const char* from = v->rank < 0 ? nullptr : (const char*)getptV(v);
    if (from == nullptr) {
        memset(data, 0, (size_t)bytes);
    } else if (v->type == TCHAR) {
        // The characters and their terminating zero.
        memcpy(data, from, (size_t)(bytes - 1));
        data[bytes - 1] = 0;
    } else {
        memcpy(data, from, (size_t)bytes);
    }
    return 8 * nw + bytes;
}
