// The column printer of name and file listings.
#include <cstdio>
#include <cstring>
#include <vector>

#include "system/system.h"

namespace {

constexpr i64 WIDTH = 107;

// Column count that the first row allows: names in order while their lengths
// and the gaps between them stay within the width.
i64 first_row(const std::vector<i64>& lens, i64 gap, i64* width) {
    i64 k = 0, w = 0;
    for (i64 len : lens) {
        i64 next = w + (k ? gap : 0) + len;
        if (next > WIDTH) break;
        w = next;
        k++;
    }
    *width = w;
    return k;
}

// Fits the columns: every name widens its column as needed; a row grown past
// the width drops one column and starts over. Returns the column count.
i64 fit(const std::vector<i64>& lens, i64 gap, std::vector<i64>& widths) {
    i64 w;
    i64 k = first_row(lens, gap, &w);
    widths.assign(static_cast<size_t>(k), 0);
    while (k > 0) {
        bool done = true;
        for (size_t i = 0; i < lens.size(); i++) {
            size_t col = i % static_cast<size_t>(k);
            if (i < static_cast<size_t>(k)) {
                widths[col] = lens[i];
            } else if (lens[i] > widths[col]) {
                w += lens[i] - widths[col];
                widths[col] = lens[i];
            }
            if (w > WIDTH) {
                done = false;
                break;
            }
        }
        if (done) break;
        k--;
        w = 0;
        for (i64 c = 0; c < k; c++) w += widths[static_cast<size_t>(c)] + (c ? gap : 0);
    }
    return k;
}

void pad(i64 n) {
    for (; n > 0; n--) std::fputc(' ', stdout);
}

}  // namespace

void BeautifulList(zem_line* list, i64 gap, bool rightAlign) {
    std::vector<const char*> names;
    std::vector<i64> lens;
    for (zem_line* l = list ? list->next : nullptr; l; l = l->next) {
        const char* t = l->text ? l->text : "";
        names.push_back(t);
        lens.push_back(static_cast<i64>(std::strlen(t)));
    }
    std::vector<i64> widths;
    i64 k = fit(lens, gap, widths);
    if (k == 0) {
        for (const char* t : names) std::printf("%s\n", t);
        return;
    }
    for (size_t i = 0; i < names.size(); i++) {
        size_t col = i % static_cast<size_t>(k);
        if (col) pad(gap);
        i64 fill = widths[col] - lens[i];
        if (rightAlign) pad(fill);
        std::fputs(names[i], stdout);
        if (!rightAlign) pad(fill);
        if (col + 1 == static_cast<size_t>(k) || i + 1 == names.size()) std::fputc('\n', stdout);
    }
}
