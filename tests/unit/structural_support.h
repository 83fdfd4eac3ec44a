// Fixture of the structural primitive tests: values are placed in value
// slots directly and results read back as words, characters and shapes.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "primitives/primitives.h"
#include "scalar/scalar.h"
#include "values/values.h"
#include "workspace_fixture.h"

class Structural : public FreshWorkspace {
protected:
    // Operand slots (named) and the result slot (a temporary).
    static constexpr i64 A = 20, B = 21, C = 22, RES = 4;

    // A value of the given type and shape in slot vx, from 64-bit words.
    static void Words(i64 vx, i64 type, std::vector<i64> dims, std::vector<i64> words) {
        i64 n = 1;
        for (i64 d : dims) n *= d;
        ASSERT_EQ(static_cast<i64>(words.size()), n);
        ASSERT_EQ(NewResult(vx, type, dims.size(), dims.data(), n), 0);
        if (n > 0) std::memcpy(getptV(&vtable[vx]), words.data(), n * 8);
    }
    static void Ints(i64 vx, std::vector<i64> dims, std::vector<i64> w) {
        Words(vx, TINT, dims, w);
    }
    static void Floats(i64 vx, std::vector<i64> dims, std::vector<double> f) {
        std::vector<i64> w(f.size());
        std::memcpy(w.data(), f.data(), f.size() * 8);
        Words(vx, TFLOAT, dims, w);
    }
    static void Chars(i64 vx, std::vector<i64> dims, const std::string& s) {
        ASSERT_EQ(NewResult(vx, TCHAR, dims.size(), dims.data(), s.size()), 0);
        if (!s.empty()) std::memcpy(getptV(&vtable[vx]), s.data(), s.size());
    }
    // A list whose items are copies of the given slots.
    static void List(i64 vx, std::vector<i64> slots) {
        i64 n = slots.size();
        ASSERT_EQ(NewResult(vx, TLIST, 1, &n, n), 0);
        for (i64 k = 0; k < n; k++)
            ASSERT_EQ(GenStoreV2(reinterpret_cast<val_item*>(vtable[vx].data) + k,
                                 &vtable[slots[k]], isnamedslot(vx)),
                      0);
    }

    static std::vector<i64> Shape(const val_item* v) {
        std::vector<i64> d(v->rank > 0 ? v->rank : 0);
        shape_of(v, d.data());
        return d;
    }
    static std::vector<i64> Shape(i64 vx) { return Shape(&vtable[vx]); }
    static std::vector<i64> WordsOf(const val_item* v) {
        std::vector<i64> w(v->count);
        if (v->count) std::memcpy(w.data(), getptV(const_cast<val_item*>(v)), v->count * 8);
        return w;
    }
    static std::vector<i64> WordsOf(i64 vx) { return WordsOf(&vtable[vx]); }
    static std::vector<double> FloatsOf(i64 vx) {
        std::vector<double> f(vtable[vx].count);
        if (!f.empty()) std::memcpy(f.data(), getptV(&vtable[vx]), f.size() * 8);
        return f;
    }
    static std::string CharsOf(i64 vx) {
        return std::string(static_cast<const char*>(getptV(&vtable[vx])), vtable[vx].count);
    }
    static const val_item* Item(i64 vx, i64 k) {
        return reinterpret_cast<const val_item*>(vtable[vx].data) + k;
    }
};
