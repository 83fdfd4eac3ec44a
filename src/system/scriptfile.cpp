// Reading a script file: its lines into a list, then run by the line runner
// ()FLOAD, )FCOPY and batch mode).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "eval/eval.h"
#include "system/handlers.h"
#include "system/script.h"
#include "system/workspace.h"

namespace {

constexpr size_t CHUNK = 65536;

// Appends one line of the file to the list: trailing blanks, tabs, CR and
// LF cut, and a zero byte read as a blank.
zem_line* add_line(zem_line* at, std::string* line, i64* count) {
    BlankZeros(line->data(), static_cast<i64>(line->size()));
    size_t n = line->size();
    while (n > 0 && std::strchr(" \t\r\n", (*line)[n - 1])) n--;
    line->resize(n);
    at = eLine_push(at, line->c_str(), *count);
    ++*count;
    line->clear();
    return at;
}

// Reads every line of the file to its real end (a byte 0xFF is a character
// like any other) into the list after its head; the text after the last
// newline is a line too. Returns the longest line's length, -1 when the
// file cannot be read.
i64 Egets(zem_line* list, FILE* f) {
    std::string line;
    static char chunk[CHUNK];
    zem_line* at = list;
    i64 count = 0, longest = 0;
    for (size_t got; (got = std::fread(chunk, 1, CHUNK, f)) > 0;) {
        for (size_t i = 0; i < got;) {
            const char* nl = static_cast<const char*>(std::memchr(chunk + i, '\n', got - i));
            size_t end = nl ? static_cast<size_t>(nl - chunk) : got;
            line.append(chunk + i, end - i);
            i = end;
            if (!nl) break;
            longest = std::max(longest, static_cast<i64>(line.size()));
            at = add_line(at, &line, &count);
            i++;
        }
    }
    if (std::ferror(f)) return -1;
    longest = std::max(longest, static_cast<i64>(line.size()));
    add_line(at, &line, &count);
    return longest;
}

}  // namespace

i64 RunScript(const char* path, bool keep) {
    if (ScriptNestCheck()) return errchk;
    FILE* f = OpenRegular(path);
    zem_line* list = eLine_New();
    i64 longest = f ? Egets(list, f) : -1;
    if (f) std::fclose(f);
    if (longest < 0) {
        eLine_free(list);
        if (!loadb) errmsg(E_BAD_PATH_OR_NAME);
        errchk = 1;
        return -1;
    }
    if (!keep) CleanEX(true);
    i64 code = GetLines(list, path, std::max(longest, SCRIPT_WIDTH_MIN));
    eLine_free(list);
    return errchk = code;
}

i64 Get(const char* name, i64 keep) {
    errchk = 0;
    char path[PATH_SIZE];
    i64 code = GetZemPath(name, path, "zsf", true);
    if (code) {
        if (loadb) return errchk = code;
        errmsg(code);
        return errchk = 1;
    }
    RunScript(path, keep != 0);
    return errchk;
}

i64 Fload(char* arg) { return errchk = Get(arg, 0); }

i64 Fcopy(char* arg) { return errchk = Get(arg, 1); }
