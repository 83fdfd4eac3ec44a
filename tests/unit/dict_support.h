// Values built by hand for the dictionary unit tests: descriptors over data
// the test owns (never the arena), in the layouts the interpreter uses.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "parser/parser.h"
#include "values/values.h"

// Runs a line as typed, its output dropped; its error code.
inline i64 RunLine(const char* text) {
    static char buf[256];
    std::snprintf(buf, sizeof buf, "%s", text);
    testing::internal::CaptureStdout();
    ParseLine(buf, static_cast<i64>(std::strlen(buf)) + 1);
    testing::internal::GetCapturedStdout();
    return errchk;
}

// The value slot of a variable, by its name.
inline val_item* Variable(const char* name) {
    i64 slot = GetSymx(getsymbol(name));
    return slot < 0 ? nullptr : &vtable[slot];
}

class Held {
public:
    // A vector of n elements of the type, copied from data (width w each).
    val_item Vec(i64 type, const void* data, i64 n, i64 w) {
        val_item v{};
        v.type = type;
        v.rank = 1;
        v.count = n;
        // A single element is held in the descriptor: dim0, and dim1 for
        // the imaginary part of a complex number.
        if (n == 1 && type != TLIST && w <= 2 * static_cast<i64>(sizeof(i64))) {
            std::memcpy(&v.dim0, data, w);
            return v;
        }
        v.dim0 = n;
        auto& store = blocks.emplace_back(static_cast<size_t>(n * w + 16), 0);
        if (n > 0) std::memcpy(store.data(), data, n * w);
        v.data = store.data();
        return v;
    }
    val_item Ints(const std::vector<i64>& x, i64 type = TINT) {
        return Vec(type, x.data(), x.size(), 8);
    }
    val_item Floats(const std::vector<double>& x) { return Vec(TFLOAT, x.data(), x.size(), 8); }
    val_item Text(const std::string& s) { return Vec(TCHAR, s.data(), s.size(), 1); }
    val_item Cplx(const std::vector<double>& pairs) {
        return Vec(TCPLX, pairs.data(), pairs.size() / 2, 16);
    }
    val_item List(const std::vector<val_item>& items) {
        val_item v = Vec(TLIST, items.data(), items.size(), sizeof(val_item));
        return v;
    }
    // A character matrix of rows of equal length.
    val_item Matrix(const std::vector<std::string>& rows) {
        std::string all;
        for (const auto& r : rows) all += r;
        val_item v = Vec(TCHAR, all.data(), all.size(), 1);
        if (all.size() == 1) {  // a matrix never holds its element inline
            v = Vec(TCHAR, all.data(), 2, 1);
            v.count = 1;
        }
        v.rank = 2;
        v.dim0 = static_cast<i64>(rows.size());
        v.dim1 = rows.empty() ? 0 : static_cast<i64>(rows[0].size());
        return v;
    }
    // The column list of a table: the list's first dimension is the row count.
    val_item Columns(const std::vector<val_item>& cols, i64 rows) {
        val_item v = List(cols);
        v.dim0 = rows;
        return v;
    }
    val_item* Keep(const val_item& v) { return &kept.emplace_back(v); }

private:
    std::deque<std::vector<char>> blocks;
    std::deque<val_item> kept;
};
