// Lines of text as values: a line of input (the bare quad) and a text file
// as a list of its lines ([]get).
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "eval/eval.h"
#include "system/quadfns.h"
#include "system/system.h"
#include "values/operand.h"
#include "values/room.h"

i64 PfQdzeroInput(i64 res) {
    std::string line;
    int got = ReadInputAny(&line);
    if (got < 0) return errchk = E_LENGTH;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return TextResult(res, line.data(), static_cast<i64>(line.size()));
}

// The lines of a text: a line feed ends a line, and a carriage return just
// before it is not part of it; a last line without a line feed counts when
// it is not empty.
static std::vector<std::string_view> split_lines(const std::string& text) {
    std::vector<std::string_view> lines;
    std::string_view rest(text);
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return lines;
}

i64 QdGet(i64 res, const val_item* arg) {
    std::string name, text;
    if (!OperandText(arg, &name)) return errchk = E_TYPE;
    char file[PATH_SIZE];
    if (QuadPath(name, file)) return errchk = E_PATH;
    // The text and its lines grow with the file: guarded.
    return errchk = Guarded([&] {
               if (i64 rc = ReadWholeFile(file, &text)) return rc;
               return TextListResult(res, split_lines(text));
           });
}
