// Element texts for files and the quoting of CSV, XML and JSON texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "datetime/datetime.h"
#include "system/filetext.h"
#include "workspace_fixture.h"

namespace {

std::string csv(const std::string& s, char sep = ',') {
    std::string out;
    CsvCell(out, s.data(), static_cast<i64>(s.size()), sep);
    return out;
}
std::string xml(const std::string& s) {
    std::string out;
    XmlText(out, s.data(), static_cast<i64>(s.size()));
    return out;
}
std::string xml_name(const std::string& s) {
    std::string out;
    XmlName(out, s.data(), static_cast<i64>(s.size()));
    return out;
}
std::string json(const std::string& s) {
    std::string out;
    JsonString(out, s.data(), static_cast<i64>(s.size()));
    return out;
}

TEST(FileQuoting, CsvCells) {
    const struct {
        std::string in, out;
        char sep;
    } cases[] = {
        {"abc", "abc", ','},
        {"", "", ','},
        {"a,b", "\"a,b\"", ','},
        {"a\"b,c", "\"a\"\"b,c\"", ','},
        {"\"", "\"\"\"\"", ','},
        {"a\nb", "\"a\nb\"", ','},
        {"a\rb", "\"a\rb\"", ','},
        {" a", "\" a\"", ','},
        {"a\t", "\"a\t\"", ','},
        {"a b", "a b", ','},
        {"a,b", "a,b", '\t'},
        {"a\tb", "\"a\tb\"", '\t'},
        {"a\\b", "a\\b", ','},
    };
    for (const auto& c : cases) EXPECT_EQ(csv(c.in, c.sep), c.out) << c.in;
}

TEST(FileQuoting, XmlTexts) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"a&b<c>d", "a&amp;b&lt;c&gt;d"},
        {"\"'", "\"'"},
        {"t\tl\nr\r", "t\tl\nr&#xD;"},
        {std::string("\x01\x1f\0", 3), "&#xFFFD;&#xFFFD;&#xFFFD;"},
        {"\xc3\xa9", "\xc3\xa9"},                      // valid UTF-8 stays
        {"\xe9", "&#xE9;"},                            // a Latin-1 byte
        {"\xc3", "&#xC3;"},                            // a cut sequence
        {"\xc0\xaf", "&#xC0;&#xAF;"},                  // an overlong form
        {"\xed\xa0\x80", "&#xED;&#xA0;&#x80;"},        // a surrogate
        {"\xef\xbf\xbe", "&#xFFFD;"},                  // U+FFFE is no XML character
        {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
        {"\xf4\x90\x80\x80", "&#xF4;&#x90;&#x80;&#x80;"},  // past U+10FFFF
    };
    for (const auto& c : cases) EXPECT_EQ(xml(c.in), c.out) << c.in;
}

TEST(FileQuoting, XmlNames) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"price", "price"}, {"_x", "_x"},     {"a1.b-c", "a1.b-c"}, {"1a", "_1a"},
        {"a b", "a_b"},     {"", "_"},        {"-x", "_-x"},        {"a:b", "a_b"},
        {"\xc3\xa9", "___"}, {"a<b>", "a_b_"},
    };
    for (const auto& c : cases) EXPECT_EQ(xml_name(c.in), c.out) << c.in;
}

TEST(FileQuoting, JsonStrings) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"abc", "\"abc\""},
        {"", "\"\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\n\r\t", "\"\\n\\r\\t\""},
        {std::string("\x01\x7f\0", 3), "\"\\u0001\x7f\\u0000\""},
        {"\xe9", "\"\\u00E9\""},
        {"\xc3\xa9/", "\"\xc3\xa9/\""},
    };
    for (const auto& c : cases) EXPECT_EQ(json(c.in), c.out) << c.in;
}

// The UTF-8 bytes of a code point; their count.
i64 encode(i64 cp, unsigned char* b) {
    if (cp < 0x80) {
        b[0] = static_cast<unsigned char>(cp);
        return 1;
    }
    i64 n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    for (i64 i = n - 1; i > 0; i--, cp >>= 6) b[i] = static_cast<unsigned char>(0x80 | (cp & 63));
    b[0] = static_cast<unsigned char>((0xF00 >> n) | cp);
    return n;
}

TEST(FileQuoting, Utf8SequencesAgreeWithTheirCodePoints) {
    // Every code point encodes to a sequence the decoder takes whole, back to
    // the same code point; surrogates are refused.
    for (i64 cp = 0; cp <= 0x10FFFF; cp += (cp < 0x3000 ? 1 : 97)) {
        unsigned char b[4];
        i64 n = encode(cp, b);
        i64 got = -1;
        bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
        EXPECT_EQ(Utf8Sequence(b, n, &got), surrogate ? 0 : n) << cp;
        if (!surrogate) {
            EXPECT_EQ(got, cp);
        }
        if (n > 1) {
            EXPECT_EQ(Utf8Sequence(b, n - 1, &got), 0) << cp;  // cut short
        }
    }
}

class FileTexts : public FreshWorkspace {};

std::string element(i64 type, i64 word) {
    val_item v{type, 0, word, 0, 0, 1, 0, nullptr};
    std::string out;
    FileElementText(&v, 0, out);
    return out;
}
std::string real(double x) {
    i64 word;
    std::memcpy(&word, &x, 8);
    return element(TFLOAT, word);
}

TEST_F(FileTexts, NumbersAsCReadsThem) {
    EXPECT_EQ(element(TINT, -5), "-5");
    EXPECT_EQ(element(TINT, INT64_MAX), "9223372036854775807");
    EXPECT_EQ(element(TINT, -INT64_MAX), "-9223372036854775807");
    EXPECT_EQ(element(TINT, INULL), "");
    EXPECT_EQ(element(TBOOL, 1), "1");
    EXPECT_EQ(real(-2.5), "-2.5");
    EXPECT_EQ(real(1e-5), "1e-05");
    EXPECT_EQ(real(1e300), "1e+300");
    EXPECT_EQ(real(INFINITY), "inf");
    EXPECT_EQ(real(-INFINITY), "-inf");
    EXPECT_EQ(real(std::nan("")), "");
    EXPECT_EQ(element(TDATE, 20150810), "2015.08.10");
    EXPECT_EQ(element(TDATE, INULL), "");
    EXPECT_EQ(element(TSYM, 0), "");
}

TEST_F(FileTexts, FloatsReadBackToTheSameDouble) {
    std::mt19937_64 gen(20);
    for (int i = 0; i < 100000; i++) {
        i64 bits = static_cast<i64>(gen());
        double x;
        std::memcpy(&x, &bits, 8);
        if (std::isnan(x)) continue;
        std::string t = real(x);
        double back = std::strtod(t.c_str(), nullptr);
        EXPECT_EQ(std::memcmp(&back, &x, 8), 0) << t;
        if (::testing::Test::HasFailure()) break;
    }
}

}  // namespace
