// Reading a binary workspace file. The file is recognised by its text
// header before anything is cleared; from the version word on it is read
// into a cleared workspace, every count, index and reference checked against
// the tables and the file, and a failure clears the workspace again.
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "parser/parser.h"
#include "system/system.h"
#include "system/workspace.h"
#include "system/wsfile.h"

namespace {

bool Within(i64 v, i64 lo, i64 hi) { return v >= lo && v <= hi; }

// The global slots end at or below the last a global may take, and the
// locals of suspended calls lie above them and their scratch slots.
bool SlotsFit(i64 last, i64 locals) {
    return Within(last, FIRSTVAR - 1, LASTGLOBAL) &&
           Within(locals, 0, SYSTART - last - SCRATCHGAP - 1);
}

// ---- header ---------------------------------------------------------------------

// Reads up to and including the next line end; the line's first bytes (at
// most n - 1) go to head. False at the end of the file.
bool ReadLine(FILE* fp, char* head, size_t n) {
    size_t k = 0;
    int c;
    while ((c = std::fgetc(fp)) != EOF && c != '\n')
        if (k + 1 < n) head[k++] = static_cast<char>(c);
    head[k] = 0;
    return c != EOF || k > 0;
}

// The text header: "**" lines up to one opening with five stars, then one
// more (empty) line. Any other start is no workspace file.
bool ReadHeader(FILE* fp) {
    char head[8];
    int c;
    while ((c = std::fgetc(fp)) == ' ' || c == '\t' || c == '\n' || c == '\r') {}
    if (c != '*' || std::fgetc(fp) != '*') return false;
    ReadLine(fp, head, sizeof head);  // the rest of the first line
    do {
        if (!ReadLine(fp, head, sizeof head)) return false;
    } while (std::strncmp(head, "*****", 5) != 0);
    return ReadLine(fp, head, sizeof head);
}

// ---- tables ---------------------------------------------------------------------

// A table's last-used index within lo..hi, then its entries 0..last.
template <class T>
bool Table(WsIn& in, i64* last, i64 lo, i64 hi, T* table) {
    i64 n;
    if (!in.Word(&n, lo, hi) || !in.Bytes(table, (n + 1) * static_cast<i64>(sizeof(T))))
        return false;
    *last = n;
    return true;
}

// The permanent entries the file carries must be the ones a clear makes;
// other ones are put back (the clear that follows keeps them).
template <class T>
bool Permanent(WsIn& in, i64* last, i64 lo, i64 hi, T* table, i64 fixed) {
    std::vector<T> kept(table, table + fixed);
    bool ok = Table(in, last, lo, hi, table);
    if (std::memcmp(kept.data(), table, fixed * sizeof(T)) == 0) return ok;
    std::memcpy(table, kept.data(), fixed * sizeof(T));
    return false;
}

// Function rows: the words that hold addresses are never taken from the file.
bool Rows(WsIn& in) {
    i64 n;
    if (!in.Word(&n, FIRSTFN - 1, FTSIZE - 1)) return false;
    std::vector<func_entry> rows(static_cast<size_t>(n + 1));
    if (!in.Bytes(rows.data(), (n + 1) * static_cast<i64>(sizeof(func_entry)))) return false;
    if (std::memcmp(rows.data(), functable, FIRSTFN * sizeof(func_entry)) != 0) return false;
    for (i64 r = FIRSTFN; r <= n; r++) {
        rows[r].func = nullptr;
        rows[r].stcount = nullptr;
        rows[r].stlist = nullptr;
        rows[r].parsed = 0;
        functable[r] = rows[r];
    }
    row_epoch++;
    lstfx = n;
    return true;
}

bool Overflow(WsIn& in) {
    i64 n;
    i64 words[OVSIZE + 1];
    if (!in.Word(&n, 0, OVSIZE) || !in.Bytes(words, (n + 1) * 8)) return false;
    std::memcpy(overflow, words, static_cast<size_t>(n < OVSIZE ? n + 1 : OVSIZE) * 8);
    nxtovx = n;
    return true;
}

// Each symbol's text comes back under its saved id.
bool Symbols(WsIn& in) {
    i64 n;
    if (!in.Word(&n, 0, in.Left() / 5)) return false;
    for (i64 id = 0; id <= n; id++) {
        i64 len;
        char text[129];
        if (!in.Word(&len, 1, 128) || !in.Bytes(text, len)) return false;
        if (text[len - 1] != 0 || static_cast<i64>(std::strlen(text)) != len - 1) return false;
        if (getsymbol(text) != id) return false;
    }
    return true;
}

// The named arena bytes, then the large blocks the values use.
bool Arena(WsIn& in, std::vector<data_block>& large) {
    i64 n, blocks;
    if (!in.Word(&n, 0, ARENA_SIZE - stacktop) || (n & 7)) return false;
    r15 = ARENA_SIZE - n;
    if (!in.Bytes(ArenaByte(r15), n) || !in.Word(&blocks, 0, in.Left() / 8)) return false;
    for (i64 k = 0; k < blocks; k++) {
        i64 lo, hi;
        if (!in.Word(&lo) || !in.Word(&hi, 0, INT32_MAX)) return false;
        i64 size = static_cast<i64>(static_cast<uint32_t>(lo)) | hi << 32;
        if (size < 1 || size > in.Left()) return false;
        data_block b = NewLargeBlock(size);
        if (!b.data) return false;
        large.push_back(b);
        if (!in.Bytes(b.data, size)) return false;
    }
    return true;
}

bool Slots(WsIn& in, val_item* first, i64 n) {
    return n <= 0 || in.Bytes(first, n * static_cast<i64>(sizeof(val_item)));
}

bool Functions(WsIn& in) {
    for (i64 r = FIRSTFN; r <= lstfx; r++) {
        // An empty record in the row first: a failure frees whatever the
        // reading gave it.
        zem_func* f = static_cast<zem_func*>(acalloc(1, sizeof(zem_func)));
        functable[r].func = f;
        i64 rc = FunSerialize(f, in.fp, false);
        in.Sync();
        if (rc) return false;
    }
    return true;
}

// The tables, in file order.
bool Tables(WsIn& in) {
    i64 size;
    return in.Word(&size, ARENA_SIZE, ARENA_SIZE) && Table(in, &lstnx, -1, NTSIZE - 1, nametable) &&
           Permanent(in, &lstgx, SYMGN - 1, GNSIZE - 1, gnametable, SYMGN) && Rows(in) &&
           Table(in, &lstndx, -1, PTSIZE - 1, parsetree) &&
           Table(in, &lstfndx, -1, FNSIZE - 1, fnodetable) &&
           Permanent(in, &lstbrx, 0, BRSIZE - 1, brtable, 1) && Overflow(in) &&
           Table(in, &nxtglx, -1, GLIST_SIZE - 1, glist) &&
           Table(in, &sidx, -1, SITSIZE - 1, sitable) &&
           Table(in, &lsttnam, -1, TNSIZE - 1, tnam) && Symbols(in);
}

// The slots and constants: []IO, the system variables, the globals, the
// literals, the locals of suspended functions.
bool Values(WsIn& in) {
    i64 n, k = SYMGN - SYMFN;
    if (!Slots(in, &vtable[SLOT_IO], 1) || !in.Word(&n, SYMGN, SYMGN) || !in.Word(&n, k, k) ||
        !Slots(in, &vtable[SYSTART], k - 1))
        return false;
    i64 last;
    if (!in.Word(&last) || !SlotsFit(last, 0)) return false;
    lstvx = last;
    if (!Slots(in, &vtable[FIRSTVAR], lstvx - FIRSTVAR + 1)) return false;
    if (!in.Word(&lstcx, NFIXCONST - 1, CTSIZE - 1) ||
        !Slots(in, &ctable[NFIXCONST], lstcx - NFIXCONST + 1))
        return false;
    if (!in.Word(&n, SYSTART, SYSTART) || !in.Word(&n) || !SlotsFit(lstvx, n)) return false;
    lstvxend = SYSTART - n;
    return Slots(in, &vtable[lstvxend], n);
}

// The binding stack, the trace, then the call frames of the state
// indicator and the two print targets.
bool CallState(WsIn& in) {
    i64 n;
    return Table(in, &lststkx, -1, DFXSIZE - 1, dfxstack) && in.Word(&tracenum, -1, TRACESIZE) &&
           in.Bytes(traces, (tracenum > 0 ? tracenum : 0) * 8) && in.Word(&n, sidx, sidx) &&
           in.Bytes(siframe, (sidx + 1) * static_cast<i64>(sizeof(si_frame))) &&
           Slots(in, &vtable[2], 2);
}

bool Sections(WsIn& in, std::vector<data_block>& large) {
    i64 n;
    return Tables(in) && in.Word(&n, 0, 10005) && in.Skip(n * 64) && Arena(in, large) &&
           Values(in) && Functions(in) && CallState(in) && in.Left() == 0;
}

// ---- checks of the tables ------------------------------------------------------------

bool NameSound(const name_entry& e) {
    if (e.name[8] != 0) return false;
    if (e.tail != -1 && !Within(e.tail, 0, lsttnam)) return false;
    return true;
}

bool LocalNamesSound() {
    for (i64 i = 0; i <= lstnx; i++) {
        const name_entry& e = nametable[i];
        if (!NameSound(e) || !(e.kind == 0 || e.kind == 'V' || e.kind == 'F' || e.kind == 'L'))
            return false;
        if (e.kind != 'L' && !Within(e.index, -1, VTSIZE - 1)) return false;
        if (e.index < -1) return false;
    }
    return true;
}

bool GlobalNamesSound() {
    for (i64 g = SYMGN; g <= lstgx; g++) {
        const name_entry& e = gnametable[g];
        if (!NameSound(e)) return false;
        if (e.kind == 'V' ? !Within(e.index, FIRSTVAR, lstvx)
                          : e.kind != 'F' || !Within(e.index, FIRSTFN, lstfx))
            return false;
    }
    return true;
}

// The names a row's header uses lie in the local name table, its arguments
// and result among them. Its body's names and parse nodes are the parse's
// at the function's last call; a line's end may have given them back, and
// the function is parsed again before they are used, so only where their
// ranges start matters (the ranges are read up to lstnx and lstndx).
// names and globals: the last local and global name entries of the file.
bool RowSound(const func_entry& f, i64 names_last, i64 globals_last) {
    auto header = [&](i64 e) { return Within(e, f.hdrmark + 1, f.hdrlast); };
    bool names = f.hdrlast <= f.hdrmark || (f.hdrmark >= -1 && f.hdrlast <= names_last);
    if (!names || !Within(f.hdrmark, -1, NTSIZE) || !Within(f.lblmark, -1, NTSIZE)) return false;
    if (!Within(f.valence, 0, 2) || f.nright < 0) return false;
    // A call reads the left, right and result words whatever the valence,
    // whenever they are not negative: each is -1 or a local name entry, and
    // a header name where the valence uses it.
    auto entry = [&](i64 e) { return e == -1 || Within(e, 0, names_last); };
    if (!entry(f.left) || !entry(f.right)) return false;
    if (f.result != -1 && !header(f.result)) return false;
    if (f.valence == 2 && f.left != -1 && !header(f.left)) return false;
    if (f.valence == 0 && f.nright != 0) return false;
    // The right arguments are the header names from right on; right lies
    // in the header, so hdrlast - right cannot overflow.
    if (f.nright > 0 && (!header(f.right) || f.nright - 1 > f.hdrlast - f.right)) return false;
    return f.nodefirst >= -1 && Within(f.gname, 0, globals_last);
}

bool ParseRecordsSound() {
    for (i64 i = 0; i <= lstndx; i++) {
        const parse_node& n = parsetree[i];
        i64 top = n.kind == 'C'   ? lstcx
                  : n.kind == 'V' ? VTSIZE - 1
                  : n.kind == 'F' ? lstfndx
                  : n.kind == 'Z' ? sindex
                  : n.kind == 0   ? INT64_MAX
                                  : -2;
        // A name of a line whose parse failed before its call bound it
        // keeps -1, which the walker reads as no value.
        i64 low = n.kind == 0 ? INT64_MIN : n.kind == 'V' ? -1 : 0;
        if (!Within(n.ref, low, top)) return false;
        if (!Within(n.parent, -1, lstndx) || !Within(n.name, -1, lstnx) ||
            !Within(n.col, -1, LINE_SIZE))
            return false;
    }
    for (i64 i = 0; i <= lstfndx; i++) {
        const fn_node& a = fnodetable[i];
        if (!(a.kind == 0 || a.kind == 'P' || a.kind == 'D')) return false;
        if (a.kind == 'D' && !Within(a.code, 0, lstfx)) return false;
        if (!Within(a.left, -1, lstndx) || !Within(a.right, -1, lstndx)) return false;
    }
    for (i64 i = 0; i <= lstbrx; i++)
        if (!Within(brtable[i].list, -1, OVSIZE - 1)) return false;
    return true;
}

// The state indicator, the call frames, the binding stack and the trace.
bool CallStateSound() {
    if (sidx < 0 && (lstvxend != SYSTART || lststkx != -1)) return false;
    for (i64 s = 0; s <= sidx; s++) {
        i64 row = sitable[s].row;
        const si_frame& f = siframe[s];
        if (row != -1 && !Within(row, FIRSTFN, lstfx)) return false;
        // What a level bound is given back when it is unwound.
        if (!Within(f.bound, 0, 1)) return false;
        if (f.bound && (!Within(f.stack, -1, lststkx) || !Within(f.vxend, lstvxend, SYSTART)))
            return false;
    }
    for (i64 k = 0; k <= lststkx; k++) {
        const dfx_entry& e = dfxstack[k];
        bool ok = e.name == -1 ? Within(e.slot, lstvxend, SYSTART)
                               : Within(e.name, 0, lstnx) && isnamedslot(e.slot);
        if (!ok) return false;
    }
    return tracenum < 3 || Within(traces[0], FIRSTFN, lstfx);
}

bool TablesSound() {
    if (lsttnam >= 0 && tnam[lsttnam] != 0) return false;
    if (!LocalNamesSound() || !GlobalNamesSound() || !ParseRecordsSound() || !CallStateSound())
        return false;
    for (i64 r = FIRSTFN; r <= lstfx; r++)
        if (!RowSound(functable[r], lstnx, lstgx)) return false;
    return true;
}

// A failed read leaves words from the file in the slots; they are dropped
// before the clear, which would otherwise take them for addresses.
void ClearAfterFailure() {
    sidx = -1;
    lststkx = -1;
    lstvxend = SYSTART;
    std::memset(vtable, 0, sizeof vtable);
    std::memset(ctable, 0, sizeof ctable);
    lstcx = NFIXCONST - 1;
    CleanEX(true);
}

// Functions parse again at their next call: no statement index, no loop
// temporaries from the saving process.
void FreshFunctions() {
    for (i64 r = FIRSTFN; r <= lstfx; r++) {
        IbClean(r);
        fntemps[r][0] = 0;
        fntemps[r][1] = -1;
    }
    row_epoch++;
}

}  // namespace

bool WsTablesSound() { return SlotsFit(lstvx, SYSTART - lstvxend) && TablesSound(); }

// The words for a file that is no sound workspace of this version.
constexpr const char* DAMAGED = "the workspace file is damaged or cut short";

i64 WsOpen(const char* file, FILE** out) {
    FILE* fp = OpenRegular(file);
    if (!fp) return E_NO_FILE;
    if (!ReadHeader(fp)) {
        // A header the file ends inside is a file cut short, not another version.
        bool cut = std::feof(fp);
        std::fclose(fp);
        return cut ? ErrSay(E_WS_VERSION, DAMAGED) : E_WS_VERSION;
    }
    *out = fp;
    return 0;
}

i64 WsRowsSound(FILE* fp) {
    long start = std::ftell(fp);
    struct stat st;
    WsIn in{fp, 0, 0};
    if (start < 0 || fstat(fileno(fp), &st) != 0) return 0;
    in.size = st.st_size;
    in.Sync();
    i64 version, date, arena, names, globals, last;
    bool read = in.Word(&version) && in.Word(&date) && version == WS_VERSION &&
                in.Word(&arena) && in.Word(&names, -1, NTSIZE - 1) &&
                in.Skip((names + 1) * static_cast<i64>(sizeof(name_entry))) &&
                in.Word(&globals, SYMGN - 1, GNSIZE - 1) &&
                in.Skip((globals + 1) * static_cast<i64>(sizeof(name_entry))) &&
                in.Word(&last, FIRSTFN - 1, FTSIZE - 1);
    std::vector<func_entry> rows;
    if (read) {
        rows.resize(static_cast<size_t>(last + 1));
        read = in.Bytes(rows.data(), (last + 1) * static_cast<i64>(sizeof(func_entry)));
    }
    bool sound = true;
    for (i64 r = FIRSTFN; read && r <= last; r++) sound = sound && RowSound(rows[r], names, globals);
    std::fseek(fp, start, SEEK_SET);
    return sound ? E_OK : E_FILE_READ;
}

i64 WsRead(FILE* fp) {
    struct stat st;
    WsIn in{fp, 0, 0};
    if (fstat(fileno(fp), &st) == 0) in.size = st.st_size;
    in.Sync();
    i64 version, date;
    if (!in.Word(&version) || !in.Word(&date)) return ErrSay(E_FILE_READ, DAMAGED);
    if (version < 0) return E_WS_VERSION;
    if (version != WS_VERSION) {
        std::printf("Error: workspace version (%lld, %lld), current (5,20150810)",
                    static_cast<long long>(version), static_cast<long long>(date));
        return E_QUIET;
    }
    std::vector<data_block> large;
    errchk = 0;
    if (!Sections(in, large) || !TablesSound() || WsDecode(large) != 0) {
        // Memory the values need and cannot get is no fault of the file.
        i64 rc = errchk == E_WS_FULL ? E_WS_FULL : ErrSay(E_FILE_READ, DAMAGED);
        ClearAfterFailure();
        return rc;
    }
    FreshFunctions();
    // Entries the saving process had not given back yet (an older file).
    GiveBackNames();
    return 0;
}
