// The gfm flavour's text rules on their own: headings compared as a reader
// would, values as the characters they stand for, text escaped only where
// CommonMark reads markup (in time linear in the text) with its notation
// read, and markers put where CommonMark reads them.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <utility>

#include "model/text/entities.hpp"
#include "render/ascii_case.hpp"
#include "render/gfm_markers.hpp"
#include "render/gfm_text.hpp"
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

// The marks a text's dot codes set, in order: "+" and "-" open an insertion
// and a deletion, "/+" closes the insertion, "/-" and the character after
// it close the deletion, each at the size of the text written so far.
class RecordedMarks final : public ReissueMarks {
public:
    explicit RecordedMarks(const std::string& out) : out_(out) {}
    void open_inserted() override { record("+"); }
    void close_inserted() override { record("/+"); }
    void open_deleted() override { record("-"); }
    void close_deleted(char next) override { record(std::string("/-") + next); }
    std::string marks;

private:
    void record(const std::string& mark) { marks += mark + "@" + std::to_string(out_.size()) + " "; }
    const std::string& out_;
};

struct Written {
    std::string text;
    std::string marks;
};

Written write(std::string_view text, GfmText::Mode mode = GfmText::Mode::Markdown, bool in_cell = false) {
    GfmText writer(mode);
    if (in_cell) writer.set_in_cell();
    std::string out;
    RecordedMarks marks(out);
    writer.append(out, text, marks);
    writer.end_block(out);
    return {out, marks.marks};
}

std::string written(std::string_view text) { return write(text).text; }

TEST(GfmEscaping, OnlyWhereCommonMarkReadsMarkup) {
    EXPECT_EQ(written("L_b and _x_"), "L_b and \\_x\\_");
    EXPECT_EQ(written("AT&amp;T &amp;amp; &amp;#931;x"), "AT&T \\&amp; \\&#931;x");
    EXPECT_EQ(written("d&lt;&lt;D, a &lt; b, &lt;b&gt;"), "d<<D, a < b, \\<b>");
    EXPECT_EQ(written("x &lt;tag"), "x \\<tag");  // what follows is not known
    EXPECT_EQ(written("a\\b c\\*"), "a\\b c\\\\\\*");
    EXPECT_EQ(written("see www.example.com/a_b~c$d and http://x.org/_y_"), "see www.example.com/a_b~c$d and http://x.org/_y_");
    EXPECT_EQ(written("not.a.url_x_ ~1"), "not.a.url_x\\_ \\~1");
    EXPECT_EQ(written("[0012] see [1](2) `x` $y$ a|b"), "[0012] see [1\\](2) \\`x\\` \\$y\\$ a|b");
}

TEST(GfmEscaping, WhiteSpaceCollapsesAndCellsAndHtmlHaveTheirOwnMarkup) {
    EXPECT_EQ(written("  a \t\n b"), "a b");
    EXPECT_EQ(write("a|b *c*", GfmText::Mode::Markdown, true).text, "a\\|b \\*c\\*");
    EXPECT_EQ(write("a|b *c* &lt;i&gt; &amp;amp; x_y", GfmText::Mode::Html).text, "a|b *c* &lt;i&gt; &amp;amp; x_y");
}

TEST(GfmEscaping, NotationBecomesWhatItStandsFor) {
    EXPECT_EQ(written("{umlaut over (o)}l and {fraction (1/2)} cup"), "\u00f6l and \u00bd cup");
    EXPECT_EQ(written("open {umlaut over (a"), "open {umlaut over (a");  // never finished: kept as written
    EXPECT_EQ(written("H.sub.2 O at 30.degree. C., x.sup.-1, e.g. 1.5"), "H<sub>2</sub> O at 30\u00b0 C., x<sup>-1</sup>, e.g. 1.5");
    EXPECT_EQ(written("x.sub._y"), "x.sub.\\_y");
    // An entity name after escapes and notation: the whole text is decoded.
    EXPECT_EQ(written("_a_ x.sub.2 *y* {umlaut over (o)} 5&deg; &lt;b&gt;"), "\\_a\\_ x<sub>2</sub> \\*y\\* \u00f6 5\u00b0 \\<b>");  // no sub- or superscript without letters or digits
    const Written reissue = write("a .Iadd.b.Iaddend. c.[.d.]., e");
    EXPECT_EQ(reissue.text, "a b cd, e");
    EXPECT_EQ(reissue.marks, "+@2 /+@3 -@5 /-,@6 ");
}

// The text is looked at sixteen bytes at a time: whatever stands first,
// last or across the border of sixteen bytes is written the same.
TEST(GfmEscaping, TheSameWhereverTheTextStands) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"L_b and _x_", "L_b and \\_x\\_"},
        {"AT&amp;T &amp;amp; x", "AT&T \\&amp; x"},
        {"a &lt; b, &lt;b&gt;", "a < b, \\<b>"},
        {"a\\b c\\*`$~|", "a\\b c\\\\\\*\\`\\$\\~|"},
        {"see www.example.com/a_b~c$d", "see www.example.com/a_b~c$d"},
        {"[1](2) [0012]", "[1\\](2) [0012]"},
        {"a\tb\n\r\f\vc d", "a b c d"},
        {"H.sub.2 O at 30.degree. C., x.sup.-1, e.g. 1.5", "H<sub>2</sub> O at 30\u00b0 C., x<sup>-1</sup>, e.g. 1.5"},
        {"(1) a) {fraction (1/2)} cup (b)", "(1) a) \u00bd cup (b)"},
        {"1.2.3. a.b. {x}^", "1.2.3. a.b. {x}^"},
    };
    for (const auto& [text, expected] : cases) {
        for (std::size_t lead = 1; lead <= 40; ++lead) {
            const std::string filler = std::string(lead, 'x') + ' ';
            EXPECT_EQ(written(filler + std::string(text)), filler + std::string(expected)) << text << " after " << lead;
        }
    }
}

TEST(BlockStart, EscapedWhereABlockWouldOpen) {
    EXPECT_EQ(block_start_escape("# x"), 0u);
    EXPECT_EQ(block_start_escape("- x"), 0u);
    EXPECT_EQ(block_start_escape("[x] done"), 0u);
    EXPECT_EQ(block_start_escape("12. x"), 2u);
    EXPECT_EQ(block_start_escape("3)"), 1u);
    EXPECT_EQ(block_start_escape("1234567890. x"), std::string_view::npos);  // ten digits start no list
    EXPECT_EQ(block_start_escape("12.5 x"), std::string_view::npos);
    EXPECT_EQ(block_start_escape("[0012] x"), std::string_view::npos);
}

TEST(Markers, GoInsideSpacesWhereCommonMarkReadsThem) {
    std::string out = "see  bold  ";
    wrap(out, 3, "**", "**");
    EXPECT_EQ(out, "see  **bold**  ");
    EXPECT_TRUE(markers_fit("a word", 1, ' '));
    EXPECT_FALSE(markers_fit("a(word)", 1, 'x'));  // punctuation inside, a letter outside
    EXPECT_TRUE(markers_fit("a (word)", 1, ' '));
    EXPECT_FALSE(markers_fit("*a word", 1, ' '));  // next to another marker
    EXPECT_FALSE(markers_fit("a   ", 1, ' '));     // nothing to mark
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
