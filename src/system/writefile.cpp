// []write: the variable named by a file's base name, written as CSV, XML,
// JSON or tab-separated text by the file's extension. The file is replaced
// only once the whole text is written: any failure leaves it as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "parser/parser.h"
#include "system/filetext.h"
#include "system/quadfns.h"
#include "system/system.h"

namespace {

// The layout an extension asks for.
i64 mode_of(const char* ext) {
    if (std::strcmp(ext, "csv") == 0) return WM_CSV;
    if (std::strcmp(ext, "xml") == 0) return WM_XML;
    if (std::strcmp(ext, "json") == 0) return WM_JSON;
    return WM_TAB;
}

// An existing file that may not be replaced: a directory, or one this
// process may not write.
bool protected_target(const char* file) {
    struct stat st;
    if (stat(file, &st) != 0) return errno != ENOENT;
    return S_ISDIR(st.st_mode) || access(file, W_OK) != 0;
}

// The value bound to the name, local bindings first; nullptr when the name
// has no value.
val_item* bound_value(const char* name) {
    if (!*name) return nullptr;
    i64 at[2];
    GetNamex(name, at);
    if (at[0] < 0 || at[1] || at[0] >= VTSIZE || vtable[at[0]].rank < 0) return nullptr;
    return &vtable[at[0]];
}

}  // namespace

i64 QdWrite(i64 res, i64 rc, i64 rv) {
    std::string name;
    if (!OperandText(opnd(rc, rv), &name)) return errchk = E_TYPE;
    char file[PATH_SIZE];
    if (QuadPath(name, file) || protected_target(file)) return errchk = E_PATH;
    safe_file sf;
    if (SafeOpen(&sf, file)) return errchk = E_PATH;
    char base[100], ext[10];
    GetPathNames(file, base, ext);
    val_item* value = bound_value(base);
    i64 code = value ? E_OK : E_VALUE;
    if (!value) std::printf("no variable %s to write\n", base);
    if (!code) {
        text_out out{sf.fp, {}};
        code = WriteCX(value, &out, mode_of(ext));
        if (!code && !out.flush()) code = E_FILE_WRITE;
    }
    if (code) {
        SafeDiscard(&sf);
        return errchk = code;
    }
    if (SafeClose(&sf)) return errchk = E_FILE_WRITE;
    return TextResult(res, name.data(), static_cast<i64>(name.size()));
}
