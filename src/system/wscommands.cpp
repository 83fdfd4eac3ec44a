// The workspace commands )WSID, )SAVE and )LOAD, and the entry points of the
// workspace file.
#include <cstdio>
#include <cstring>

#include "eval/eval.h"
#include "parser/parser.h"
#include "system/handlers.h"
#include "system/system.h"
#include "system/workspace.h"
#include "system/wsfile.h"

char WSID[WSID_SIZE] = "";
char path[PATH_SIZE] = "";

namespace {

constexpr size_t WSID_MAX = 20;  // characters of a name given to )WSID

const char* ShownName() { return WSID[0] ? WSID : "CLEAR WS"; }

// The workspace takes the file's base name up to its first ".".
void NameFromFile(const char* file) {
    const char* slash = std::strrchr(file, '/');
    const char* base = slash ? slash + 1 : file;
    size_t n = std::strcspn(base, ".");
    if (n >= sizeof WSID) n = sizeof WSID - 1;
    std::memcpy(WSID, base, n);
    WSID[n] = 0;
}

// A command that failed: its message, and errchk 1 (whatever the code) so
// that a script stops.
i64 Failed(i64 code) {
    Output(code);
    return errchk = E_DOMAIN;
}

}  // namespace

i64 Wsid(char* arg) {
    if (!*arg) {
        std::printf("%s\n", ShownName());
        return 0;
    }
    i64 code = !isCname(arg)                 ? E_ILLEGAL_NAME
               : std::strlen(arg) > WSID_MAX ? E_WSID_TOO_LONG
                                             : E_OK;
    if (code) {
        Output(code);
        return errchk = code;
    }
    std::printf("was %s\n", ShownName());
    std::snprintf(WSID, sizeof WSID, "%s", arg);
    return 0;
}

i64 Save(char* arg) {
    char file[PATH_SIZE];
    if (*arg) {
        if (i64 rc = GetZemPath(arg, file, "zem", false)) return Failed(rc);
    } else if (!WSID[0]) {
        return Failed(E_CLEAR_WS_NOT_SAVED);
    } else if (std::snprintf(file, sizeof file, "%s/%s.zem", CURDIR, WSID) >= PATH_SIZE) {
        return Failed(E_PATH);
    }
    if (i64 rc = WSSave(file)) return Failed(rc);
    NameFromFile(file);
    FileInfo(file);
    std::printf(" %s\n", WSID);
    return 0;
}

i64 Load(char* arg) {
    char file[PATH_SIZE];
    if (!*arg) return Failed(E_FILE_NAME_MISSING);
    if (i64 rc = GetZemPath(arg, file, "zem", true)) return Failed(rc);
    if (i64 rc = WSLoad(file)) return Failed(rc);
    NameFromFile(file);
    std::printf("saved ");
    FileInfo(file);
    std::printf("\n");
    if (vtable[SLOT_LX].rank >= 0 && vtable[SLOT_LX].count >= 1) {
        char latent[] = "!.[]LX";
        ParseLine(latent, sizeof latent);
    }
    return 0;
}

i64 WSSave(const char* name) {
    std::snprintf(path, sizeof path, "%s", name);
    return Serialize(true);
}

i64 WSLoad(const char* name) {
    std::snprintf(path, sizeof path, "%s", name);
    return Serialize(false);
}

i64 Serialize(bool write) {
    if (!path[0]) {
        if (!WSID[0]) return errchk = E_CLEAR_WS_NOT_SAVED;
        std::printf("Check code here.\n");
        std::snprintf(path, sizeof path, "%s.zem", WSID);
    }
    if (write) return errchk = WsWrite(path);
    FILE* fp = nullptr;
    if (i64 rc = WsOpen(path, &fp)) return errchk = rc;
    // Rows that would crash a call refuse the file before the workspace
    // is touched.
    if (i64 rc = WsRowsSound(fp)) {
        std::fclose(fp);
        return errchk = rc;
    }
    // From here on a failure leaves a clear workspace, which must not be
    // saved back under the old name.
    CleanEX(true);
    WSID[0] = 0;
    i64 rc = WsRead(fp);
    std::fclose(fp);
    return errchk = rc;
}
