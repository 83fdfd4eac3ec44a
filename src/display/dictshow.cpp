// Display of a plain dictionary: one line per entry, the key padded to the
// widest key, "| ", then the value. Nested entries are written as
// (item;item), texts in quotes. Blanks are written out directly, so a long
// text is never cut.
#include <string>

#include "display/display.h"
#include "display/showtext.h"

namespace {

val_item* item_at(const val_item* list, i64 k) {
    return reinterpret_cast<val_item*>(list->data) + k;
}

bool is_text(const val_item* v) { return v->type == TCHAR && v->rank <= 1; }

// Display width of the widest key: texts count 1; a list its widest item;
// other values their widest element, or below the top their elements
// written as one row.
i64 PfDictMaxl(val_item* v, i64 depth) {
    if (is_text(v)) return 1;
    if (v->type == TLIST) {
        i64 most = -1;
        for (i64 k = 0; k < v->count; k++) {
            i64 w = PfDictMaxl(item_at(v, k), depth + 1);
            if (w > most) most = w;
        }
        return most;
    }
    i64 n = ElementCount(v), most = 0, sum = 0;
    for (i64 k = 0; k < n; k++) {
        i64 w = static_cast<i64>(ElementString(v, k).size());
        if (w > most) most = w;
        sum += w;
    }
    return depth == 0 ? most : sum + (n > 0 ? n - 1 : 0);
}

// One nested entry: a list in parentheses (unless it holds one item) with
// ";" between its items, a text in quotes, any other value as its elements
// one blank apart; padded to the width.
void ListGenptr(outline* o, val_item* item, i64 width) {
    if (item->type == TLIST) {
        bool parens = item->count != 1;
        if (parens) OutText(o, "(", 1);
        for (i64 k = 0; k < item->count; k++) {
            if (k > 0) OutText(o, ";", 1);
            ListGenptr(o, item_at(item, k), width);
        }
        if (parens) OutText(o, ")", 1);
        return;
    }
    std::string text;
    if (is_text(item)) text.append("'").append(ElementsString(item)).append("'");
    else text = ElementsString(item);
    OutText(o, text.data(), static_cast<i64>(text.size()));
    OutBlanks(o, width - static_cast<i64>(text.size()));
}

// Entry i of a key or value part, padded to the width (-1: none).
void FillGenptr(outline* o, val_item* v, i64 i, i64 width) {
    if (v->type == TLIST) {
        ListGenptr(o, item_at(v, i), width);
        return;
    }
    std::string text = ElementString(v, i);
    OutText(o, text.data(), static_cast<i64>(text.size()));
    OutBlanks(o, width - static_cast<i64>(text.size()));
}

}  // namespace

i64 GenOutdic(i64 slot) {
    val_item* d = &vtable[slot];
    if (d->dim0 == 2) return GenOutTak(slot);
    if (d->dim0 != 1) return errchk = E_DOMAIN;
    val_item* keys = item_at(d, 0);
    val_item* vals = item_at(d, 1);
    i64 width = PfDictMaxl(keys, 0);
    outline o;
    OutStart(&o, 0);
    for (i64 i = 0; i < keys->count && i < vals->count; i++) {
        if (i > 0) OutNewline(&o);
        FillGenptr(&o, keys, i, width);
        OutText(&o, "| ", 2);
        FillGenptr(&o, vals, i, -1);
    }
    OutFlush(&o);
    return 0;
}
