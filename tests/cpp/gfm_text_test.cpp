// The gfm flavour's text rules on their own: headings compared as a reader
// would, values as the characters they stand for, and text escaped only
// where CommonMark reads markup, in time linear in the text.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "model/text/entities.hpp"
#include "render/ascii_case.hpp"
#include "render/gfm_writer.hpp"
#include "render/plain_characters.hpp"

namespace quillmark {
namespace {

TEST(SameHeading, IgnoresCasePunctuationAndPlural) {
    EXPECT_TRUE(same_heading("CROSS-REFERENCE TO RELATED APPLICATION:", "### Cross-Reference To Related Applications"));
    EXPECT_TRUE(same_heading("DESCRIPTIONS", "## Description"));
    EXPECT_TRUE(same_heading("", "  --  "));
    EXPECT_FALSE(same_heading("BRIEF DESCRIPTION OF DRAWINGS", "Brief Description Of The Drawings"));
    EXPECT_FALSE(same_heading("DESCRIPTION OF THE INVENTION", "Description"));
    EXPECT_FALSE(same_heading("CLASS", "CLAS"));  // "ss" is no plural
}

TEST(PlainCharacters, EntityNamesAndBraceNotationBecomeCharacters) {
    EXPECT_EQ(plain_characters("{hacek over (S)}tefan Kolumber"), "\u0160tefan Kolumber");
    EXPECT_EQ(plain_characters("130&deg; C, 5&mdash;7 &amp; &lt;b&gt;"), "130\u00b0 C, 5\u20147 & <b>");
    EXPECT_EQ(plain_characters("{fraction (1/2)} inch"), "\u00bd inch");
    EXPECT_EQ(plain_characters("a {b} (c)}"), "a {b} (c)}");
}

TEST(AppendCharacters, AgreesWithTheFixedTableButForTheCharacters) {
    std::string fixed;
    std::string characters;
    const std::string_view text = "&lsqb;1&rsqb; &amp;deg; &amp;amp; &Prime; &unknown; &";
    append_decoded(fixed, text);
    append_characters(characters, text);
    EXPECT_EQ(fixed, "[1]  deg &amp; \" &unknown; &");
    EXPECT_EQ(characters, "[1] \u00b0 &amp; \u2033 &unknown; &");
}

std::string written(std::string_view text) {
    GfmWriter writer(nullptr);
    writer.text(text);
    return writer.take();
}

TEST(GfmEscaping, OnlyWhereCommonMarkReadsMarkup) {
    EXPECT_EQ(written("L_b and _x_"), "L_b and \\_x\\_");
    EXPECT_EQ(written("AT&amp;T &amp;amp; &amp;#931;x"), "AT&T \\&amp; \\&#931;x");
    EXPECT_EQ(written("d&lt;&lt;D, a &lt; b, &lt;b&gt;"), "d<<D, a < b, \\<b>");
    EXPECT_EQ(written("x &lt;tag"), "x \\<tag");  // what follows is not known
    EXPECT_EQ(written("a\\b c\\*"), "a\\b c\\\\\\*");
    EXPECT_EQ(written("see www.example.com/a_b~c$d and http://x.org/_y_"), "see www.example.com/a_b~c$d and http://x.org/_y_");
    EXPECT_EQ(written("not.a.url_x_ ~1"), "not.a.url_x\\_ \\~1");
}

double cpu_seconds(const std::string& text) {
    const std::clock_t start = std::clock();
    for (int round = 0; round < 3; ++round) written(text);
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

std::string repeated(std::string_view piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

// Text made of what needs a look ahead or back: "<" without ">", "_" in a
// long word, a long URL.
TEST(GfmEscaping, TakesTimeLinearInTheText) {
    for (const std::string_view piece : {std::string_view("&lt;a"), std::string_view("a_"), std::string_view("www.x_")}) {
        const std::size_t n = 40000;
        const double small = cpu_seconds(repeated(piece, n));
        const double large = cpu_seconds(repeated(piece, 4 * n));
        EXPECT_LT(large, 8 * small + 0.05) << piece;
    }
}

}  // namespace
}  // namespace quillmark
