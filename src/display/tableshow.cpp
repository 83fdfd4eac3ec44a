// Display of tables and keyed tables: a header of column names, a rule of
// "-" and the rows, each column as wide as its widest name or cell, cells
// left-aligned one blank apart. A table shows 30 rows unless it is the
// print-everything slot; a keyed table shows all its rows, its key columns
// parted from its value columns by "|".
#include <algorithm>
#include <string>
#include <vector>

#include "display/display.h"
#include "display/showtext.h"

namespace {

constexpr i64 OMTL = 30;      // rows shown of a table
constexpr i64 RULEMAX = 149;  // longest rule
constexpr i64 SLOT_ALL = 2;   // the print-everything slot

val_item* part_of(const val_item* v, i64 k) { return reinterpret_cast<val_item*>(v->data) + k; }

struct table_widths {
    val_item* names;
    val_item* cols;
    i64 n;  // columns
    i64 rows;
    std::vector<i64> widths;
};

// Raises widths[j] to the widest cell of column j; the largest width.
i64 TableIndx(val_item* cols, i64 n, i64 rows, std::vector<i64>& widths) {
    i64 most = 0;
    for (i64 j = 0; j < n; j++) {
        val_item* col = part_of(cols, j);
        for (i64 k = 0; k < rows; k++)
            widths[j] = std::max(widths[j], static_cast<i64>(CellString(col, k).size()));
        most = std::max(most, widths[j]);
    }
    return most;
}

table_widths measure(val_item* table) {
    table_widths s{part_of(table, 0), part_of(table, 1), 0, 0, {}};
    s.n = s.cols->count;
    s.rows = s.cols->dim0;
    for (i64 j = 0; j < s.n; j++)
        s.widths.push_back(static_cast<i64>(ElementString(s.names, j).size()));
    TableIndx(s.cols, s.n, s.rows, s.widths);
    return s;
}

i64 total_width(const table_widths& s) {
    i64 sum = 0;
    for (i64 w : s.widths) sum += w;
    return sum;
}

void padded(outline* o, const std::string& text, i64 width) {
    OutText(o, text.data(), static_cast<i64>(text.size()));
    OutBlanks(o, width - static_cast<i64>(text.size()));
}

// The names, or the cells of row k, one blank apart (lead: before the first too).
void print_line(outline* o, table_widths& s, i64 k, bool lead) {
    for (i64 j = 0; j < s.n; j++) {
        if (j > 0 || lead) OutText(o, " ", 1);
        padded(o, k < 0 ? ElementString(s.names, j) : CellString(part_of(s.cols, j), k),
               s.widths[j]);
    }
}

void print_rule(outline* o, i64 length, i64 bar) {
    std::string rule(static_cast<size_t>(std::max<i64>(length, 0)), '-');
    if (bar >= 0 && bar < length) rule[bar] = '|';
    OutText(o, rule.data(), static_cast<i64>(rule.size()));
}

}  // namespace

i64 GenOutTab(i64 slot) {
    errchk = 0;
    table_widths s = measure(&vtable[slot]);
    if (errchk) return errchk;
    outline o;
    OutStart(&o, 0);
    print_line(&o, s, -1, false);
    OutNewline(&o);
    print_rule(&o, std::min(total_width(s) + s.n - 1, RULEMAX), -1);
    i64 shown = slot == SLOT_ALL ? s.rows : std::min(s.rows, OMTL);
    for (i64 k = 0; k < shown; k++) {
        OutNewline(&o);
        print_line(&o, s, k, false);
    }
    if (shown < s.rows) OutCutNotice(&o, s.rows - shown);
    OutFlush(&o);
    return 0;
}

i64 GenOutTak(i64 slot) {
    errchk = 0;
    table_widths keys = measure(part_of(&vtable[slot], 0));
    table_widths vals = measure(part_of(&vtable[slot], 1));
    if (errchk) return errchk;
    outline o;
    OutStart(&o, 0);
    print_line(&o, keys, -1, false);
    OutText(&o, "|", 1);
    print_line(&o, vals, -1, true);
    OutNewline(&o);
    i64 total = total_width(keys) + total_width(vals) + keys.n + vals.n;
    print_rule(&o, total >= RULEMAX + 1 ? RULEMAX : total, total_width(keys) + keys.n - 1);
    for (i64 k = 0; k < keys.rows; k++) {
        OutNewline(&o);
        print_line(&o, keys, k, false);
        OutText(&o, "|", 1);
        print_line(&o, vals, k, true);
    }
    OutFlush(&o);
    return 0;
}
