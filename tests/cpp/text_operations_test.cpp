// Contracts of the text helpers on any text and of the kept node on what no
// document makes, beyond what the case files show of documents.
#include <gtest/gtest.h>

#include "model/text/entities.hpp"
#include "model/record/serialise.hpp"
#include "model/text/text.hpp"

namespace quillmark {
namespace {

// The table as seventeen replacements applied one after the other, the way
// it is defined; the decoder does it in one pass and must agree.
std::string decode_in_sequence(std::string text) {
    static const std::pair<std::string, std::string> replacements[] = {
        {"&lsqb;", "["},  {"&rsqb;", "]"},   {"&ldquo;", "\""}, {"&rdquo;", "\""}, {"&lsquo;", "'"},  {"&rsquo;", "'"},
        {"&mdash;", "-"}, {"&ndash;", "-"},  {"&apos;", "'"},   {"&quot;", "\""},  {"&amp;", "&"},    {"&lt;", "<"},
        {"&gt;", ">"},    {"&Prime;", "\""}, {"&prime;", "'"},  {"&equals;", "="}, {"&deg;", " deg"},
    };
    for (const auto& [from, to] : replacements) {
        std::string out;
        std::size_t last = 0;
        for (std::size_t pos; (pos = text.find(from, last)) != std::string::npos; last = pos + from.size())
            out.append(text, last, pos - last).append(to);
        text = out.append(text, last);
    }
    return text;
}

// Texts of every sequence of four pieces that start, end or continue
// entity names, so that every name meets every other and "&amp;" in front
// of each.
TEST(DecodeEntities, OnePassAgreesWithTheReplacementsInSequence) {
    const std::string pieces[] = {"&", "amp;", "&amp;", "lt;", "&lt;", "rsquo;", "&rsquo", ";", "x", "Prime;",
                                  "deg;", "&deg;", "&amp;amp;", "equals", "quot;", "&&", "lsqb;"};
    for (const std::string& a : pieces)
        for (const std::string& b : pieces)
            for (const std::string& c : pieces)
                for (const std::string& d : pieces) {
                    const std::string text = a + b + c + d;
                    ASSERT_EQ(decode_entities(text), decode_in_sequence(text)) << text;
                }
}

// The size of ranges, and a text root or an empty node where an element
// is expected.
TEST(KeptNode, RangesTextRootsAndEmptyNodes) {
    EntryTable table;
    NodeWriter writer(table);
    writer.start_element("row", std::nullopt);
    writer.add_attribute("r", std::nullopt, "1");
    writer.start_element("entry", std::nullopt);
    writer.add_text({"p"});
    writer.end_element();
    writer.add_text({"tail"});
    writer.end_element();
    const Node row(std::move(table));
    EXPECT_EQ(row.root().children().size(), 2u);
    EXPECT_EQ(row.root().attributes().size(), 1u);
    EXPECT_EQ(row.root().text_value(), "");

    const Node text = Node::text("a&amp;b");
    EXPECT_EQ(text.root().name(), "");
    EXPECT_TRUE(text.root().children().empty());
    EXPECT_EQ(serialise_node(text.root()), "a&b");
    EXPECT_TRUE(Node().root().attributes().empty());
    EXPECT_EQ(serialise_node(Node().root()), "");
}

TEST(WhiteSpace, UnicodeWhiteSpaceIsTrimmedButNotTheByteOrderMark) {
    EXPECT_EQ(trim("\u00a0\u3000 x \u2028\u205f\t"), "x");
    EXPECT_EQ(trim("\ufeffx"), "\ufeffx");
    EXPECT_TRUE(is_white_space_only("\u0085\u1680\u2000\u200a\u202f\r\n\v\f"));
    EXPECT_FALSE(is_white_space_only("\u200b"));  // zero width space is not White_Space
}

struct Collapsing {
    const char* input;
    const char* expected;
};

class CollapseWhiteSpace : public testing::TestWithParam<Collapsing> {};

TEST_P(CollapseWhiteSpace, SplitsAtAnyWhiteSpaceInsideAndAroundWords) {
    EXPECT_EQ(collapse_white_space(GetParam().input), GetParam().expected);
    std::string appended = "[";
    append_collapsed_white_space(appended, GetParam().input);
    EXPECT_EQ(appended, std::string("[") + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CollapseWhiteSpace,
    testing::Values(Collapsing{"  H01L \u00a0 21/00\t ", "H01L 21/00"}, Collapsing{"a\u3000b\u2028c\u0085d", "a b c d"},
                    Collapsing{"a\vb\fc\rd\ne", "a b c d e"},
                    Collapsing{"caf\u00e9\u2014x\u200by\x01z", "caf\u00e9\u2014x\u200by\x01z"},  // none is white space
                    Collapsing{"\u202fend\u205f", "end"}, Collapsing{"  ", ""}, Collapsing{"", ""},
                    Collapsing{"\xe2\x80", "\xe2\x80"}));  // a cut-short character is kept

TEST(Digits, LeadingZerosAndEmptyNumbers) {
    EXPECT_EQ(strip_leading_zeros("0007"), "7");
    EXPECT_EQ(strip_leading_zeros("000"), "0");
    EXPECT_EQ(strip_leading_zeros(""), "0");
    EXPECT_TRUE(is_ascii_digits(""));
    EXPECT_FALSE(is_ascii_digits("3a"));
}

}  // namespace
}  // namespace quillmark
