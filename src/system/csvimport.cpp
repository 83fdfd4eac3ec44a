// []CSV: a delimited text file read into a table, one typed column per cell
// position. The file is read whole; a first pass finds its records and
// checks that all have the same number of cells, the table is then made
// at its final size, and a second pass stores the cells in place.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "parser/parser.h"
#include "system/csv.h"
#include "system/quadfns.h"
#include "system/system.h"
#include "values/room.h"

namespace {

constexpr const char* CSV_EXT = "csv";
constexpr const char* HEADER_ON = "true";
constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";
constexpr const char* TYPE_LETTERS = "B I E C S L M D Z U V T";

struct csv_request {
    std::string path, letters;
    bool header = true;
    char sep = ',';
};

// The argument: a list of the path, the type letters, and optionally the
// header flag and the separator.
i64 read_request(const val_item* arg, csv_request* rq) {
    if (arg->type != TLIST || arg->rank != 1 || arg->count < 2 || arg->count > 4)
        return E_CSV_ARGUMENT;
    const val_item* items = items_of(arg);
    std::string flag, sep;
    if (!OperandText(&items[0], &rq->path) || !OperandText(&items[1], &rq->letters))
        return E_CSV_ARGUMENT;
    if (arg->count >= 3) {
        if (!OperandText(&items[2], &flag)) return E_CSV_ARGUMENT;
        rq->header = flag == HEADER_ON;
    }
    if (arg->count == 4) {
        if (!OperandText(&items[3], &sep) || sep.size() != 1) return E_CSV_ARGUMENT;
        rq->sep = sep[0];
        // The quote and the line ends have their own meaning in the file.
        if (rq->sep == '"' || rq->sep == '\r' || rq->sep == '\n') return E_CSV_ARGUMENT;
    }
    return 0;
}

// The column types of the letters; E_CSV_ARGUMENT for a letter that names
// no column type, which is named.
i64 column_types(const std::string& letters, std::vector<i64>* types) {
    for (char c : letters) {
        i64 t = gettyp(c);
        if (t < 0) {
            std::printf("[]CSV type letters are %s, not %c\n", TYPE_LETTERS, c);
            return E_CSV_ARGUMENT;
        }
        types->push_back(t);
    }
    return 0;
}

// The file the path names, ".csv" added when its name has no extension;
// a name with another extension is refused with its message.
i64 csv_file(const std::string& path, char* file) {
    if (QuadPath(path, file)) return E_PATH;
    const char* ext = PathExtension(file);
    if (ext && std::strcmp(ext, CSV_EXT) != 0)
        return ErrSay(E_QUIET, ("[]CSV reads only .csv files, not " + path).c_str());
    if (!ext) {
        size_t n = std::strlen(file);
        if (n + 1 + std::strlen(CSV_EXT) >= PATH_SIZE) return E_PATH;
        std::snprintf(file + n, PATH_SIZE - n, ".%s", CSV_EXT);
    }
    return 0;
}

struct record {
    i64 start, end;
    i64 cells;  // separators outside quotes, plus one
};

// ---- refusals: each names the file's line, the column and what was expected

constexpr size_t SHOWN = 40;  // characters of a cell a refusal shows

// The file's line (from 1) at byte at.
i64 line_at(const std::string& text, i64 at) {
    return 1 + std::count(text.begin(), text.begin() + at, '\n');
}

std::string shown(const std::string& cell) {
    return cell.size() <= SHOWN ? cell : cell.substr(0, SHOWN) + "...";
}

// The cell as a refusal quotes it.
std::string in_quotes(const std::string& cell) {
    return std::string("\"").append(shown(cell)).append("\"");
}

// The name of column j: its cell of the header record, or c0, c1, ...
// without a header; its place (from 1) when the header has no such cell or
// is not read yet (head nullptr).
std::string column_name(const std::string& text, const record* head, const csv_request& rq, i64 j) {
    if (!rq.header) return std::string("c").append(std::to_string(j));
    std::string cell;
    csv_cells cells{};
    if (head) cells = CsvCells(text.data() + head->start, text.data() + head->end, rq.sep);
    for (i64 k = 0; k <= j; k++)
        if (!head || !CsvNextCell(&cells, &cell)) return std::to_string(j + 1);
    return shown(cell);
}

// One line ahead of the error's: where and what.
void refuse(i64 line, const std::string& column, const std::string& what) {
    if (column.empty()) std::printf("line %lld: %s\n", static_cast<long long>(line), what.c_str());
    else
        std::printf("line %lld, column %s: %s\n", static_cast<long long>(line), column.c_str(),
                    what.c_str());
}

// What an integer column takes, for a cell of too many digits.
constexpr const char* INT_RANGE = "an integer from -9223372036854775807 to 9223372036854775807";

// What a column of the type takes, for a cell it refused.
std::string expected(i64 type) {
    switch (type) {
    case TBOOL: return "0, 1 or an empty cell";
    case TINT: return "an integer";
    case TFLOAT: return "a number";
    case TSYM: return "a text of at most " + std::to_string(CSV_SYMBOL_MAX) + " characters";
    case TMONTH: return "a month as 2024.01m";
    case TDATE: return "a date as m/d/yy or yyyy.mm.dd";
    case TDATETIME: return "a datetime as 2024.01.15T09:30:00 or 2024.01.15T09:30:00.000";
    case TMINUTE: return "a minute as 09:30";
    case TSECOND: return "a second as 09:30:00";
    default: return "a time as 09:30:00.000";
    }
}

// "1 cell", "n cells".
std::string cells_text(i64 n) { return std::to_string(n) + (n == 1 ? " cell" : " cells"); }

// The records of the text, each trimmed, with their numbers of cells.
i64 find_records(const std::string& text, const csv_request& rq, std::vector<record>* recs) {
    i64 n = static_cast<i64>(text.size());
    for (i64 at = 0; at < n;) {
        i64 count;
        i64 end = CsvRecordEnd(text.data(), n, at, rq.sep, &count);
        if (end < 0) {
            // The quote opened in the last cell counted.
            const record* head = recs->empty() ? nullptr : &(*recs)[0];
            refuse(line_at(text, at), column_name(text, head, rq, count - 1),
                   "a quote is never closed, expected a closing \"");
            return E_DOMAIN;
        }
        record r{at, end, count};
        CsvTrim(text.data(), &r.start, &r.end, rq.sep);
        recs->push_back(r);
        at = end + 1;
    }
    if (recs->empty()) {
        refuse(1, "", "the file is empty, expected a line of cells");
        return E_DOMAIN;
    }
    return E_OK;
}

// The number of cells every record should have: the type letters' count
// when a record has that many, else the count most records have (the
// earlier on a tie). *model is the first record that has it.
i64 cells_wanted(const std::vector<record>& recs, i64 letters, size_t* model) {
    struct seen {
        i64 times;
        size_t first;
    };
    std::map<i64, seen> counts;
    for (size_t i = 0; i < recs.size(); i++) {
        if (recs[i].cells == letters) {
            *model = i;
            return letters;
        }
        counts.try_emplace(recs[i].cells, seen{0, i}).first->second.times++;
    }
    const seen* best = nullptr;
    i64 want = 0;
    for (const auto& [cells, c] : counts)
        if (!best || c.times > best->times || (c.times == best->times && c.first < best->first)) {
            best = &c;
            want = cells;
        }
    *model = best->first;
    return want;
}

// Every record has as many cells as there are type letters; else the first
// record that disagrees (with the letters, or without a record that agrees
// with them, with the most records) is refused, or, when all records agree,
// the letters are.
i64 check_cells(const std::string& text, const csv_request& rq, const std::vector<record>& recs,
                i64 letters) {
    size_t model = 0;
    i64 want = cells_wanted(recs, letters, &model);
    for (size_t i = 0; i < recs.size(); i++) {
        i64 count = recs[i].cells;
        if (count == want) continue;
        std::string why = want == letters && model > i
                              ? "as the type letters " + rq.letters + " give"
                              : "as on line " + std::to_string(line_at(text, recs[model].start));
        refuse(line_at(text, recs[i].start), column_name(text, &recs[0], rq, std::min(count, want)),
               std::string(count < want ? "no cell" : "a cell too many") + ", expected " +
                   cells_text(want) + " " + why);
        return E_DOMAIN;
    }
    if (want == letters) return 0;
    refuse(line_at(text, recs[0].start), "",
           cells_text(want) + ", expected " + std::to_string(letters) + " as the type letters " +
               rq.letters + " give");
    return E_CSV_ARGUMENT;
}

// A column being filled: its type and data; a column of texts gathers
// them here and becomes a list of character vectors at the end.
struct column_fill {
    i64 type;
    char* data;
    std::string texts;
    std::vector<i64> ends;
};

i64 symbol_of(const std::string& cell, i64* id) {
    if (static_cast<i64>(cell.size()) > CSV_SYMBOL_MAX) return E_DOMAIN;
    *id = cell.empty() ? 0 : getsymbol(cell.c_str());
    return 0;
}

// Stores cell into element row of the column; *beyond tells an integer
// cell refused for its size.
i64 store_cell(column_fill* col, i64 row, const std::string& cell, bool* beyond) {
    i64* words = reinterpret_cast<i64*>(col->data);
    double* reals = reinterpret_cast<double*>(col->data);
    bool empty = cell.empty();
    // A number cell of blanks alone is empty, as it is at a line's ends.
    if (col->type == TINT || col->type == TFLOAT) empty = cell.find_first_not_of(" \t") == cell.npos;
    switch (col->type) {
    case TBOOL:
        if (!empty && cell != "0" && cell != "1") return E_DOMAIN;
        words[row] = !empty && cell[0] == '1';
        return 0;
    case TINT: {
        if (empty) {
            words[row] = INULL;
            return 0;
        }
        csv_number n = CsvInt(cell.c_str(), &words[row]);
        *beyond = n == CSV_BEYOND;
        if (n != CSV_NUMBER) return E_DOMAIN;
        return 0;
    }
    case TFLOAT:
        if (empty) reals[row] = std::nan("");
        else if (CsvFloat(cell.c_str(), &reals[row])) return E_DOMAIN;
        return 0;
    case TCHAR: col->data[row] = empty ? ' ' : cell[0]; return 0;
    case TSYM: return symbol_of(cell, &words[row]);
    case TLIST:
        col->texts += cell;
        col->ends.push_back(static_cast<i64>(col->texts.size()));
        return 0;
    case TDATETIME:
        if (empty) reals[row] = std::nan("");
        else return CsvTemporal(cell.c_str(), col->type, nullptr, &reals[row]);
        return 0;
    default:
        if (empty) words[row] = INULL;
        else return CsvTemporal(cell.c_str(), col->type, &words[row], nullptr);
        return 0;
    }
}

val_item* table_names(i64 res) { return &items_of(&vtable[res])[0]; }
val_item* table_column(i64 res, i64 j) { return &items_of(&items_of(&vtable[res])[1])[j]; }

// Column names from the header record: each a symbol, none twice.
i64 header_names(i64 res, const std::string& text, const record& r, const csv_request& rq) {
    i64* names = static_cast<i64*>(getptV(table_names(res)));
    std::string cell;
    csv_cells cells = CsvCells(text.data() + r.start, text.data() + r.end, rq.sep);
    i64 line = line_at(text, r.start);
    for (i64 j = 0; j < table_names(res)->count && CsvNextCell(&cells, &cell); j++) {
        if (symbol_of(cell, &names[j])) {
            refuse(line, std::to_string(j + 1),
                   "a name of " + std::to_string(cell.size()) + " characters, expected " +
                       expected(TSYM));
            return E_DOMAIN;
        }
        for (i64 k = 0; k < j; k++)
            if (names[k] == names[j]) {
                refuse(line, std::to_string(j + 1),
                       in_quotes(cell) + " named twice, expected a name of its own");
                return E_DOMAIN;
            }
    }
    return 0;
}

void numbered_names(i64 res, i64 ncols) {
    i64* names = static_cast<i64*>(getptV(table_names(res)));
    char name[32];
    for (i64 j = 0; j < ncols; j++) {
        std::snprintf(name, sizeof name, "c%lld", static_cast<long long>(j));
        names[j] = getsymbol(name);
    }
}

// Moves the gathered texts of a column into its list items.
i64 settle_texts(i64 res, i64 j, const column_fill& col) {
    bool named = isnamedslot(res);
    for (size_t r = 0; r < col.ends.size(); r++) {
        i64 from = r ? col.ends[r - 1] : 0;
        i64 len = col.ends[r] - from;
        // Found afresh each time: an allocation may move the table.
        val_item* item = &items_of(table_column(res, j))[r];
        *item = val_item{TCHAR, 1, len == 1 ? 0 : len, 0, 0, len, 0, nullptr};
        if (Updatead2(item, named)) return errchk;
        char* data = static_cast<char*>(getptV(&items_of(table_column(res, j))[r]));
        if (len > 0) std::memcpy(data, col.texts.data() + from, static_cast<size_t>(len));
        if (len != 1 && data) data[len] = 0;
    }
    return 0;
}

i64 fill_rows(i64 res, const std::string& text, const std::vector<record>& recs, size_t first,
              const csv_request& rq, std::vector<i64>& types) {
    i64 ncols = static_cast<i64>(types.size());
    std::vector<column_fill> cols(static_cast<size_t>(ncols));
    for (i64 j = 0; j < ncols; j++) {
        cols[j].type = types[j];
        cols[j].data = static_cast<char*>(getptV(table_column(res, j)));
    }
    std::string cell;
    for (size_t i = first; i < recs.size(); i++) {
        i64 row = static_cast<i64>(i - first);
        csv_cells cells = CsvCells(text.data() + recs[i].start, text.data() + recs[i].end, rq.sep);
        for (i64 j = 0; j < ncols && CsvNextCell(&cells, &cell); j++) {
            bool beyond = false;
            i64 code = store_cell(&cols[j], row, cell, &beyond);
            if (!code) continue;
            std::string what = cols[j].type == TSYM ? std::to_string(cell.size()) + " characters"
                                                    : in_quotes(cell);
            refuse(line_at(text, recs[i].start), column_name(text, &recs[0], rq, j),
                   what + ", expected " + (beyond ? INT_RANGE : expected(cols[j].type)));
            return code;
        }
    }
    for (i64 j = 0; j < ncols; j++)
        if (cols[j].type == TLIST && settle_texts(res, j, cols[j])) return errchk;
    return 0;
}

i64 import(i64 res, const val_item* arg) {
    csv_request rq;
    if (i64 code = read_request(arg, &rq)) return code;
    char file[PATH_SIZE];
    if (i64 code = csv_file(rq.path, file)) return code;
    std::vector<i64> types;
    if (i64 code = column_types(rq.letters, &types)) return code;
    std::string text;
    if (i64 code = ReadWholeFile(file, &text)) {
        if (code != E_PATH) return code;
        std::printf("file not found\n");
        return E_QUIET;
    }
    // The byte-order mark spreadsheets write first is no part of a cell.
    if (text.compare(0, UTF8_BOM.size(), UTF8_BOM) == 0) text.erase(0, UTF8_BOM.size());
    std::vector<record> recs;
    if (i64 code = find_records(text, rq, &recs)) return code;
    i64 ncols = static_cast<i64>(types.size());
    if (i64 code = check_cells(text, rq, recs, ncols)) return code;
    i64 rows = static_cast<i64>(recs.size()) - (rq.header ? 1 : 0);
    CSVEnter(res, file, TTABLE, rows, ncols, types.data());
    if (errchk) return errchk;
    if (rq.header) {
        if (i64 code = header_names(res, text, recs[0], rq)) return code;
    } else {
        numbered_names(res, ncols);
    }
    return fill_rows(res, text, recs, rq.header ? 1 : 0, rq, types);
}

}  // namespace

// The file's text and records grow with the file: guarded.
i64 QdCSV(i64 res, const val_item* arg) {
    return errchk = Guarded([&] { return import(res, arg); });
}
