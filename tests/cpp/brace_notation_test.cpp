// Brace notation on its own, driven as a writer drives it: each opening
// opens an item, each ")}" finishes the innermost, and whatever is left open
// at the end keeps its opening as written.
#include <gtest/gtest.h>

#include "render/brace_notation.hpp"

namespace quillmark {
namespace {

std::string written(std::string_view text) {
    std::string out;
    BraceItems items;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::string_view rest = text.substr(pos);
        if (const auto opening = brace_opening(rest)) {
            items.open(out, rest.substr(0, opening->length), opening->mark);
            pos += opening->length;
        } else if (!items.empty() && rest.starts_with(brace_closing)) {
            items.close(out);
            pos += brace_closing.size();
        } else {
            out += text[pos++];
        }
    }
    items.keep_unclosed(out);
    return out;
}

struct Notation {
    std::string_view text;
    std::string_view characters;
};

constexpr Notation notations[] = {
    {"Schr{umlaut over (o)}der", "Schr\u00f6der"},
    {"{HACEK OVER (S)}", "\u0160"},
    {"{dot over (m)}", "\u1e41"},
    {"{umlaut over (q)}", "q\u0308"},
    {"{overscore (AB)}", "A\u0305B\u0305"},
    {"{overscore ({overscore (x)})}", "x\u0304\u0305"},
    {"{square root over (km)}", "\u221a(km)"},
    {"\u221a{square root over (km)}", "\u221a(km)"},
    {"{cube root over (8)}", "\u221b(8)"},
    {"{fraction (1/2)}", "\u00bd"},
    {"{fraction (3/20)}", "3\u204420"},
    {"{fraction ({fraction (1/2)}/3)}", "\u00bd\u20443"},
    {"{wiggle over (q)}", "q"},
    {"{x over (y)}", "{x over (y)}"},
    {"{tilde over ({dot over (x)})}", "\u1e8b\u0303"},
    // Never finished: the opening stays, the base and what follows too.
    {"value {umlaut over (o) and more text", "value {umlaut over (o) and more text"},
    {"{square root over (x", "{square root over (x"},
    {"a {umlaut over ({acute over (e)} b", "a {umlaut over (\u00e9 b"},
    {"{umlaut over ({umlaut over (", "{umlaut over ({umlaut over ("},
    {"x)} y", "x)} y"},
};

TEST(BraceNotation, EachNotationGivesItsCharacters) {
    for (const Notation& notation : notations) EXPECT_EQ(written(notation.text), notation.characters) << notation.text;
}

// Deep nesting and long bases cost a constant per item: a long overscored
// base takes its mark once, a long fraction keeps its slash.
TEST(BraceNotation, LongBasesTakeTheirMarkOnce) {
    const std::string base(100, 'a');
    EXPECT_EQ(written("{overscore (" + base + ")}"), base + "\u0304");
    EXPECT_EQ(written("{fraction (" + base + "/2)}"), base + "/2");
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "{umlaut over (";
    deep += "a";
    for (int i = 0; i < 100000; ++i) deep += ")}";
    EXPECT_EQ(written(deep).size(), 2 + 100000 * 2 - 2);
}

}  // namespace
}  // namespace quillmark
