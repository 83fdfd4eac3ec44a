// The file quad functions' arguments and small results (system/fileargs.h).
#include "system/fileargs.h"

#include <cstdio>
#include <cstring>

#include "system/system.h"
#include "values/operand.h"

i64 IntScalarResult(i64 res, i64 x) {
    if (NewResult(res, TINT, 0, nullptr, 1)) return errchk;
    vtable[res].dim0 = x;
    return errchk = 0;
}

i64 TextResult(i64 res, const char* text, i64 n) {
    i64 dims[1] = {n};
    if (NewResult(res, TCHAR, 1, dims, n)) return errchk;
    char* data = static_cast<char*>(getptV(&vtable[res]));
    if (n > 0) std::memcpy(data, text, static_cast<size_t>(n));
    if (n != 1 && data) data[n] = 0;
    return errchk = 0;
}

i64 TextListResult(i64 res, const std::vector<std::string_view>& texts) {
    i64 n = static_cast<i64>(texts.size());
    bool named = isnamedslot(res);
    if (CheckSize(TLIST, n) || NewList(res, n)) return errchk;
    for (i64 k = 0; k < n; k++) {
        i64 len = static_cast<i64>(texts[k].size());
        // The list is found afresh: allocating an item may move it.
        val_item* item = items_of(&vtable[res]) + k;
        *item = val_item{TCHAR, 1, len == 1 ? 0 : len, 0, 0, len, 0, nullptr};
        if (Updatead2(item, named)) return errchk;
        char* data = static_cast<char*>(getptV(items_of(&vtable[res]) + k));
        if (len > 0) std::memcpy(data, texts[k].data(), static_cast<size_t>(len));
        if (len != 1 && data) data[len] = 0;
    }
    return errchk = 0;
}

i64 QuadPath(const std::string& name, char* file) {
    if (name.find('\0') != std::string::npos) return E_PATH;
    return ResolvePath(name.c_str(), file);
}

bool OperandText(const val_item* v, std::string* out) {
    if (v->type != TCHAR || v->rank > 1) return false;
    const char* data = static_cast<const char*>(getptV(const_cast<val_item*>(v)));
    out->assign(data ? data : "", static_cast<size_t>(v->count));
    return true;
}

i64 ReadWholeFile(const char* file, std::string* text) {
    FILE* fp = OpenRegular(file);
    if (!fp) return E_PATH;
    char chunk[1 << 16];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0) text->append(chunk, n);
    bool failed = std::ferror(fp);
    std::fclose(fp);
    return failed ? static_cast<i64>(E_FILE_READ) : 0;
}
