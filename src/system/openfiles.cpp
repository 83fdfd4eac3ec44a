// The open-file table behind []open, []close and the append function: 1000
// slots, a handle being 1000 plus its slot. Every append is flushed, so
// what was appended is on the disk even when the file is never closed.
#include <cstring>
#include <string>

#include "display/display.h"
#include "system/filetext.h"
#include "system/quadfns.h"
#include "system/system.h"
#include "values/operand.h"
#include "values/room.h"

namespace {

constexpr i64 FILE_SLOTS = 1000;
constexpr i64 HANDLE_BASE = 1000;

FILE* FILEARR[FILE_SLOTS];  // nullptr: free
i64 filearrx = 0;           // slots used so far (a high-water mark)

// The open file of a handle, or nullptr.
FILE* handle_file(i64 handle) {
    if (handle < HANDLE_BASE || handle - HANDLE_BASE >= filearrx) return nullptr;
    return FILEARR[handle - HANDLE_BASE];
}

// The first element of an integer or boolean operand, or false.
bool first_integer(const val_item* v, i64* out) {
    if (!isinttype(v->type) || v->count < 1) return false;
    *out = static_cast<const i64*>(getptV(const_cast<val_item*>(v)))[0];
    return true;
}

}  // namespace

void CloseAllFiles() {
    for (i64 s = 0; s < filearrx; s++) {
        if (FILEARR[s]) std::fclose(FILEARR[s]);
        FILEARR[s] = nullptr;
    }
    filearrx = 0;
}

i64 QdOpen(i64 res, const val_item* arg) {
    std::string name;
    if (arg->count < 1 || !OperandText(arg, &name)) return errchk = E_DOMAIN;
    char file[PATH_SIZE];
    if (QuadPath(name, file)) return errchk = E_PATH;
    i64 slot = 0;
    while (slot < filearrx && FILEARR[slot]) slot++;
    if (slot >= FILE_SLOTS) return errchk = E_TOO_MANY_FILES;
    FILE* fp = std::fopen(file, "w");
    if (!fp) return errchk = E_PATH;
    FILEARR[slot] = fp;
    if (slot == filearrx) filearrx++;
    return IntScalarResult(res, HANDLE_BASE + slot);
}

i64 QdClose(i64 res, const val_item* arg) {
    i64 handle;
    FILE* fp = first_integer(arg, &handle) ? handle_file(handle) : nullptr;
    bool failed = true;
    if (fp) {
        // A write that failed earlier also leaves the file incomplete.
        failed = std::ferror(fp) != 0;
        failed = std::fclose(fp) != 0 || failed;
        FILEARR[handle - HANDLE_BASE] = nullptr;
    }
    if (NewResult(res, TBOOL, 0, nullptr, 1)) return errchk;
    vtable[res].dim0 = failed;
    return errchk = 0;
}

// Lines of the rows of a simple value: a vector one line, a matrix one line
// per row, a higher rank one line per run of its last axis with an empty
// line after each matrix of its last two axes.
static void write_lines(val_item* v, text_out* out) {
    std::string line;
    if (v->rank <= 1) {
        ElementsText(v, true, line);
        out->put(line);
        out->ch('\n');
        return;
    }
    i64 dims[MAXRANK];
    shape_of(v, dims);
    i64 cols = dims[v->rank - 1], rows = dims[v->rank - 2];
    i64 lines = cols > 0 ? v->count / cols : 0;
    for (i64 r = 0; r < lines; r++) {
        line.clear();
        val_item row = RowView(v, r * cols, cols);
        ElementsText(&row, true, line);
        out->put(line);
        out->ch('\n');
        if (v->rank > 2 && (r + 1) % rows == 0) out->ch('\n');
    }
}

i64 QdWriteFile(FILE* fp, val_item* v) {
    text_out out{fp, {}};
    i64 rc;
    if (v->type == TTABLE || (v->type == TDICT && v->dim0 == 2)) {
        rc = WriteCX(v, &out, WM_CSV);
    } else if (HoldsItems(v->type) || v->type == TENUM) {
        return errchk = E_TYPE;
    } else {
        // A vector's line is as long as its text: guarded.
        rc = Guarded([&] {
            write_lines(v, &out);
            return i64{E_OK};
        });
    }
    if (rc) return errchk = rc;
    return errchk = out.flush() ? E_OK : E_FILE_WRITE;
}

i64 PfFileAp(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    val_item* left = opnd(lc, lv);
    val_item* right = opnd(rc, rv);
    if (left->rank < 0 || right->rank < 0) return errchk = E_VALUE;
    if (!isinttype(left->type)) return errchk = E_DOMAIN;
    i64 handle;
    FILE* fp = first_integer(left, &handle) ? handle_file(handle) : nullptr;
    if (!fp) return errchk = E_NOT_OPENED;
    if (QdWriteFile(fp, right)) return errchk;
    i64 dims[2] = {0, 0};
    return NewResult(res, TINT, 2, dims, 0);
}
