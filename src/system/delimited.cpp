// Delimited output: value text for CSV-like writers, and the split of a
// complex element's text used to align complex columns on their "j".
#include "system/system.h"

void GenClex2(const char* text, i64 length, i64* a, i64* b) {
    if (length > 0 && text[length - 1] == 'j') {
        // "0nj", "0wj", "_0wj": no imaginary text to align
        *a = length - 1;
        *b = -1;
        return;
    }
    i64 j = 0;
    while (j < length && text[j] != 'j') j++;
    *a = j;
    *b = j < length ? length - j - 1 : 0;
}
