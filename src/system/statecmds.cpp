// Debugging and inspection commands: the state indicator ()SI, )SIC), the
// trace of the last failing function ()TRACE), the tables' fill levels
// ()INDEX), where a name is bound ()ASK), the run time of a line ()TIME),
// and the self-tests )LIKE, )PT, )CK and )OPEN.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "dict/dict.h"
#include "display/display.h"
#include "eval/eval.h"
#include "parser/parser.h"
#include "scalar/scalar.h"
#include "system/handlers.h"
#include "system/system.h"
#include "system/toplevel.h"

namespace {

constexpr i64 TRACE_DEFAULT = 20;
constexpr i64 TRACE_MAX = 100;
constexpr size_t TRACE_LINE = 80;  // characters of a printed trace line

std::string FunctionName(i64 row) {
    FnGetFullname(functable[row].gname, 'G');
    return namep ? namep : "";
}

const char* LineText(i64 row, i64 line) {
    zem_func* f = functable[row].func;
    return f ? FunLineIndex(f, line) : "";
}

// A state-indicator entry shown with its function and line.
bool Shown(i64 row) { return row >= 0 && !DBListM(row); }

// The trace count: digits read while the value stays below 101; anything
// else, or digits left over, gives the default.
i64 TraceCount(const char* arg) {
    i64 n = 0;
    const char* p = arg;
    while (std::isdigit(static_cast<unsigned char>(*p)) && n < TRACE_MAX + 1)
        n = n * 10 + (*p++ - '0');
    if (*p) n = 0;
    return n < 1 ? TRACE_DEFAULT : n > TRACE_MAX ? TRACE_MAX : n;
}

void PrintTrace(i64 n) {
    i64 row = traces[0];
    std::printf("name[%4lld]: %s\ntotal lines: %3lld step    line  content\n",
                static_cast<long long>(row), FunctionName(row).c_str(),
                static_cast<long long>(traces[1]));
    i64 m = tracenum < n ? tracenum : n;
    for (i64 j = tracenum - m + 3; j < tracenum; j++) {
        char text[TRACE_LINE + 1];
        std::snprintf(text, sizeof text, "[%4lld]  [%3lld]  %s",
                      static_cast<long long>(traces[2] - (tracenum - 1 - j)),
                      static_cast<long long>(traces[j]), LineText(row, traces[j]));
        std::printf("%s\n", text);
    }
}

// One line of )INDEX: the fill levels, then the same line with capacities
// (a format of four numbers leaves the fifth out).
void IndexLines(const char* format, const i64 (&used)[5], const i64 (&cap)[5]) {
    for (const i64* v : {used, cap}) {
        char buf[256];
        std::snprintf(buf, sizeof buf, format, static_cast<long long>(v[0]),
                      static_cast<long long>(v[1]), static_cast<long long>(v[2]),
                      static_cast<long long>(v[3]), static_cast<long long>(v[4]));
        std::fputs(buf, stdout);
    }
    std::printf("\n");
}

i64 CmdLikeSub(const char* pattern, const char* subject) {
    int code;
    PCRE2_SIZE offset;
    pcre2_code* re = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, 0,
                                   &code, &offset, nullptr);
    if (!re) {
        PCRE2_UCHAR message[256];
        pcre2_get_error_message(code, message, sizeof message);
        std::printf("PCRE2 compilation failed at offset %d: %s\n", static_cast<int>(offset),
                    reinterpret_cast<const char*>(message));
        std::printf("failed1\n");
        return 1;
    }
    pcre2_match_data* match = pcre2_match_data_create_from_pattern(re, nullptr);
    int rc = match ? pcre2_match(re, reinterpret_cast<PCRE2_SPTR>(subject), std::strlen(subject), 0,
                                 0, match, nullptr)
                   : -1;
    if (rc < 0) std::printf("failed2\n");
    else
        std::printf("Match succeed at offset %d\n\n",
                    static_cast<int>(pcre2_get_ovector_pointer(match)[0]));
    pcre2_match_data_free(match);
    pcre2_code_free(re);
    return rc < 0 ? 1 : 0;
}

}  // namespace

i64 SiOut(char*) {
    size_t width = 0;
    std::vector<std::string> prefix(static_cast<size_t>(sidx + 1));
    for (i64 s = 0; s <= sidx; s++) {
        i64 row = sitable[s].row;
        if (!Shown(row)) continue;
        prefix[s] = FunctionName(row) + "[" + std::to_string(sitable[s].line) + "] ";
        if (prefix[s].size() > width) width = prefix[s].size();
    }
    for (i64 s = sidx; s >= 0; s--) {
        i64 row = sitable[s].row;
        if (row < 0) std::printf("*\n");
        else if (Shown(row))
            std::printf("%-*s%s\n", static_cast<int>(width), prefix[s].c_str(),
                        LineText(row, sitable[s].line));
    }
    return 0;
}

i64 SiClr(char*) {
    SiUnwind(0);
    ReleaseClearedLines();
    return 0;
}

i64 TraceE(char* arg) {
    i64 n = TraceCount(arg);
    bool none = tracenum < 3 || traces[0] < FIRSTFN || traces[0] > lstfx || DBListM(traces[0]);
    if (none) std::printf("nothing here\n");
    else PrintTrace(n);
    std::printf("--trace--version--0.02a--\n");
    return 0;
}

i64 SysIndex(char*) {
    IndexLines("lstvx=%6lld, lstgx=%5lld, lstfndx=%5lld, nxtglx=%6lld, lstndx=%6lld\n",
               {lstvx, lstgx, lstfndx, nxtglx, lstndx},
               {VTSIZE, GNSIZE, FNSIZE, GLIST_SIZE, PTSIZE});
    IndexLines("lstcx=%5lld, lstnx=%5lld, lstfx=%5lld, lstbrx=%5lld, ET.sidx=%5lld\n",
               {lstcx, lstnx, lstfx, lstbrx, sidx}, {CTSIZE, NTSIZE, FTSIZE, BRSIZE, SITSIZE});
    IndexLines("lstvxend=%5lld, lsttnam=%5lld, dfxstack=%5lld, overflow=%5lld\n",
               {lstvxend, lsttnam, lststkx, nxtovx, 0}, {SYSTART, TNSIZE, DFXSIZE, OVSIZE, 0});
    i64 large = GetAloc();
    std::printf("  r15=%5lld, stacktop=%5lld, Allocate=%lld\n\n", static_cast<long long>(r15),
                static_cast<long long>(stacktop), static_cast<long long>(large));
    std::printf("symbols: max=%5lld, used=%5lld\n", static_cast<long long>(sybmax),
                static_cast<long long>(sindex));
    std::printf("---the end of )index---\n");
    return 0;
}

i64 QueryName(char* arg) {
    i64 k = sidx >= 0 ? FnQueryStack(arg) : -1;
    if (k >= 0) {
        // A local where the interpreter stands: its value, as a line shows it.
        i64 slot = dfxstack[k].slot;
        if (vtable[slot].rank == -1) std::printf("%s: a local with no value\n", arg);
        else {
            CleanEPf();
            GenOutpt(0, slot);
        }
        return 0;
    }
    const char* what = "no value";
    for (i64 g = 0; g <= lstgx; g++) {
        FnGetFullname(g, 'G');
        if (std::strcmp(namep, arg) != 0) continue;
        const name_entry& e = gnametable[g];
        if (e.kind == 'F') what = e.index >= FIRSTFN ? "a defined function" : "a reserved function";
        else if (e.kind == 'V' && arg[0] == '[') what = "a system variable";
        else if (e.kind == 'V' && vtable[e.index].rank != -1) what = "a global variable";
        break;
    }
    std::printf("%s: %s\n", arg, what);
    return 0;
}

i64 CmdTime(char* arg) {
    std::clock_t start = std::clock();
    bool was = PRINT_OFF;
    PRINT_OFF = true;
    errchk = 0;
    ProcessMainSub(arg);
    PRINT_OFF = was;
    if (errchk == 0) std::printf("%lldms\n", static_cast<long long>((std::clock() - start) / 1000));
    return 0;
}

i64 CmdLike(char*) {
    static const char* const pairs[][2] = {
        {"h.*$", "how"},      {"h.*$", "hercules"}, {".*h$", "wealth"},    {".*h.*$", "flight"},
        {"J.ne.*$", "Jones"}, {"J.ne.*$", "Jomes"}, {".*[^0-9]$", "M26d"}, {".*[^0-9]$", "abc123"},
    };
    for (const auto& p : pairs) CmdLikeSub(p[0], p[1]);
    return 0;
}

i64 PureTest(char*) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17lf", clex_test());
    std::fprintf(stderr, "Debug[%s:%4d] %s\n", "src/ecmd", 1511, text);
    return 0;
}

i64 TimeStamp(char*) {
    std::printf("Check code here.\n");
    return 0;
}

i64 OpenZemFile(char*) {
    FILE* f = std::fopen("zem_open.dat", "wb");
    if (!f) return 0;
    std::fwrite("America", 1, 7, f);
    std::fclose(f);
    return 0;
}
