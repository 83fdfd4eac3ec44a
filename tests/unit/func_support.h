// Shared helper of the defined-function unit tests.
#pragma once
#include <string>
#include <vector>

#include "eval/eval.h"
#include "parser/parser.h"
#include "values/values.h"

// A line list holding the given texts, each tagged with its position.
inline zem_line* MakeList(const std::vector<std::string>& lines) {
    zem_line* head = eLine_New();
    zem_line* at = head;
    i64 n = 0;
    for (const auto& l : lines) {
        at->next = eLine_New();
        at = at->next;
        eLine_copy0(at, l.c_str());
        at->tag = n++;
    }
    return head;
}
