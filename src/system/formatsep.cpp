// Format with a separator: a value as a list of texts, one per element,
// column, list position or table row, the element display texts joined by
// the separator.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "display/display.h"
#include "system/filetext.h"
#include "system/quadfns.h"
#include "system/system.h"
#include "values/operand.h"

namespace {

constexpr const char* CSV_WORD = "csv";  // the symbol that names the comma

bool simple_type(i64 t) { return isbasic(t); }

// Element k's display text; a character array counts its characters.
void element_text(const val_item* v, i64 k, std::string& out) {
    val_item flat = FlatView(v);
    char buf[ELEMTEXT];
    out.append(buf, static_cast<size_t>(FillTemp(&flat, k, buf, -1)));
}

// Texts of the items of a list of equally long simple vectors: text k joins
// the k-th elements of all items.
void item_texts(val_item* list, char sep, std::vector<std::string>* texts) {
    const val_item* items = items_of(list);
    i64 n = list->count > 0 ? items[0].count : 0;
    for (i64 k = 0; k < n; k++) {
        std::string t;
        for (i64 i = 0; i < list->count; i++) {
            if (i) t.push_back(sep);
            element_text(&items[i], k, t);
        }
        texts->push_back(t);
    }
}

void array_texts(val_item* v, char sep, std::vector<std::string>* texts) {
    if (v->rank <= 1) {
        for (i64 k = 0; k < v->count; k++) {
            texts->push_back(std::string());
            element_text(v, k, texts->back());
        }
        return;
    }
    i64 dims[MAXRANK];
    shape_of(v, dims);
    i64 cols = dims[v->rank - 1];
    for (i64 j = 0; j < cols; j++) {
        std::string t;
        for (i64 k = j; k < v->count; k += cols) {
            if (k > j) t.push_back(sep);
            element_text(v, k, t);
        }
        texts->push_back(t);
    }
}

void table_texts(val_item* table, char sep, std::vector<std::string>* texts) {
    val_item* names = &items_of(table)[0];
    val_item* columns = &items_of(table)[1];
    std::string head;
    for (i64 j = 0; j < names->count; j++) {
        if (j) head.push_back(sep);
        element_text(names, j, head);
    }
    texts->push_back(head);
    item_texts(columns, sep, texts);
}

// The separator the left operand gives.
i64 separator(const val_item* left, char* sep) {
    if (left->type == TCHAR) {
        if (left->count != 1) return E_RANK;
        *sep = static_cast<const char*>(getptV(const_cast<val_item*>(left)))[0];
        return 0;
    }
    if (left->type != TSYM) return E_TYPE;
    if (left->count != 1) return E_RANK;
    i64 id = static_cast<const i64*>(getptV(const_cast<val_item*>(left)))[0];
    if (id <= 0 || id > sindex || !psym[id] || std::strcmp(psym[id]->str.text, CSV_WORD) != 0)
        return E_DOMAIN;
    *sep = ',';
    return 0;
}

// Whether format can take the value: a simple array, or a list or table
// of simple items of rank 0 or 1 and one length.
i64 format_check(val_item* v) {
    if (v->type == TTABLE) return islist0(&items_of(v)[1]);
    if (v->type == TLIST) return islist0(v);
    return simple_type(v->type) ? 0 : errchk = E_TYPE;
}

void format_texts(val_item* v, char sep, std::vector<std::string>* texts) {
    if (v->type == TTABLE) table_texts(v, sep, texts);
    else if (v->type == TLIST) item_texts(v, sep, texts);
    else array_texts(v, sep, texts);
}

}  // namespace

i64 PfForma2(i64 res, i64 lc, i64 lv, i64 rc, i64 rv) {
    val_item* left = opnd(lc, lv);
    val_item* right = opnd(rc, rv);
    if (left->rank < 0 || right->rank < 0) return errchk = E_VALUE;
    if (format_check(right)) return errchk;
    char sep;
    if (i64 code = separator(left, &sep)) return errchk = code;
    std::vector<std::string> texts;
    format_texts(right, sep, &texts);
    std::vector<std::string_view> views(texts.begin(), texts.end());
    return TextListResult(res, views);
}
