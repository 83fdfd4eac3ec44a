// The table writer: a table or keyed table as CSV, tab-separated text, XML
// or JSON, every name and cell quoted so that other programs read back the
// texts written.
#include <string>
#include <vector>

#include "system/filetext.h"
#include "values/room.h"

namespace {

struct column {
    std::string name;
    val_item* cells;
    std::string open, close;  // the XML tags or the JSON key of the column
};

// The names and columns of a table, appended to cols; its row count.
i64 table_columns(val_item* table, std::vector<column>* cols) {
    val_item* names = &items_of(table)[0];
    val_item* list = &items_of(table)[1];
    for (i64 j = 0; j < list->count; j++) {
        column c{std::string(), &items_of(list)[j], {}, {}};
        FileElementText(names, j, c.name);
        cols->push_back(c);
    }
    return list->dim0;
}

void write_delimited(const std::vector<column>& cols, i64 rows, char sep, text_out* out) {
    std::string line, text;
    for (size_t j = 0; j < cols.size(); j++) {
        if (j) line.push_back(sep);
        CsvCell(line, cols[j].name.data(), static_cast<i64>(cols[j].name.size()), sep);
    }
    line.push_back('\n');
    out->put(line);
    for (i64 r = 0; r < rows; r++) {
        line.clear();
        for (size_t j = 0; j < cols.size(); j++) {
            if (j) line.push_back(sep);
            FillTempX(cols[j].cells, r, sep, WM_CSV, line, text);
        }
        // A lone empty cell is quoted: an empty line is read as no cell at all.
        if (line.empty()) line = "\"\"";
        line.push_back('\n');
        out->put(line);
    }
}

void write_xml(std::vector<column>& cols, i64 rows, text_out* out) {
    for (column& c : cols) {
        std::string tag;
        XmlName(tag, c.name.data(), static_cast<i64>(c.name.size()));
        c.open = "<" + tag + ">";
        c.close = "</" + tag + ">";
    }
    out->put("<zem>\n", 6);
    std::string line, text;
    for (i64 r = 0; r < rows; r++) {
        line = "<row>";
        for (const column& c : cols) {
            line += c.open;
            FillTempX(c.cells, r, ' ', WM_XML, line, text);
            line += c.close;
        }
        line += "</row>\n";
        out->put(line);
    }
    out->put("</zem>\n", 7);
}

void write_json(std::vector<column>& cols, i64 rows, text_out* out) {
    for (column& c : cols) {
        JsonString(c.open, c.name.data(), static_cast<i64>(c.name.size()));
        c.open += ":";
    }
    out->put("{\"zem\":[\n", 9);
    std::string line, text;
    for (i64 r = 0; r < rows; r++) {
        line.assign(1, '{');
        for (size_t j = 0; j < cols.size(); j++) {
            if (j) line.push_back(',');
            line += cols[j].open;
            FillTempX(cols[j].cells, r, '"', WM_JSON, line, text);
        }
        line += r + 1 < rows ? "},\n" : "}\n";
        out->put(line);
    }
    out->put("]}\n", 3);
}

}  // namespace

void FillTempX(val_item* column, i64 row, char sep, i64 mode, std::string& out,
               std::string& text) {
    text.clear();
    CellText(column, row, text);
    i64 n = static_cast<i64>(text.size());
    if (mode == WM_XML) XmlText(out, text.data(), n);
    else if (mode == WM_JSON) JsonString(out, text.data(), n);
    else CsvCell(out, text.data(), n, sep);
}

i64 WriteCX(val_item* value, text_out* out, i64 mode) {
    std::vector<column> cols;
    i64 rows;
    if (value->type == TTABLE) {
        rows = table_columns(value, &cols);
    } else if (value->type == TDICT && value->dim0 == 2) {
        rows = table_columns(&items_of(value)[0], &cols);
        table_columns(&items_of(value)[1], &cols);
    } else {
        return errchk = ErrSay(E_UNDER_CONSTRUCTION, "[]write writes a table or a keyed table only");
    }
    // A line holds whole cells, as long as the texts are: guarded.
    return errchk = Guarded([&] {
               switch (mode) {
               case WM_XML: write_xml(cols, rows, out); break;
               case WM_JSON: write_json(cols, rows, out); break;
               case WM_CSV: write_delimited(cols, rows, ',', out); break;
               default: write_delimited(cols, rows, '\t', out); break;
               }
               return i64{E_OK};
           });
}
