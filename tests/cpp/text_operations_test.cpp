#include <gtest/gtest.h>

#include "model/entities.hpp"
#include "model/serialise.hpp"
#include "model/text.hpp"

namespace quillmark {
namespace {

struct Decoding {
    const char* input;
    const char* expected;
};

class DecodeEntities : public testing::TestWithParam<Decoding> {};

TEST_P(DecodeEntities, ReplacesTheFixedTableInOrder) {
    EXPECT_EQ(decode_entities(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeEntities,
    testing::Values(Decoding{"5&deg;C", "5 degC"}, Decoding{"&AMP; &Mdash;", "&AMP; &Mdash;"},
                    Decoding{"&lsqb;0001&rsqb;", "[0001]"}, Decoding{"&ldquo;x&rdquo; &lsquo;y&rsquo;", "\"x\" 'y'"},
                    Decoding{"a&mdash;b&ndash;c", "a-b-c"}, Decoding{"&apos;&quot;", "'\""},
                    Decoding{"&amp;lt;", "<"},             // decoded a second time after "&amp;"
                    Decoding{"&amp;mdash;", "&mdash;"},    // em dash comes before "&amp;"
                    Decoding{"&lt;&gt;&Prime;&prime;&equals;", "<>\"'="}, Decoding{"&rsquo", "&rsquo"},
                    Decoding{"no entities", "no entities"}, Decoding{"", ""}));

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

Node element(std::string name, Attributes attributes, std::vector<Node> children) {
    return Node{Node::Kind::Element, std::move(name), std::nullopt, std::move(attributes), std::move(children)};
}

TEST(SerialiseNode, WritesFullTagsWithoutWhiteSpace) {
    const Node chem = element("chem", {{"id", "c1", std::nullopt}}, {element("b", {}, {Node::text("x")})});
    EXPECT_EQ(serialise_node(chem), "<chem id=\"c1\"><b>x</b></chem>");
}

TEST(SerialiseNode, EmptyElementIsNeverSelfClosing) {
    EXPECT_EQ(serialise_node(element("br", {}, {})), "<br></br>");
}

TEST(SerialiseNode, ValuesAreNotEscapedAndTextIsDecoded) {
    Node math{Node::Kind::Element, "math", std::string("m"),
              {{"alt", "a \"b\"", std::nullopt}, {"m", "u", std::string("xmlns")}}, {Node::text("&lt;&amp;")}};
    EXPECT_EQ(serialise_node(math), "<m:math alt=\"a \"b\"\" xmlns:m=\"u\"><&</m:math>");
}

TEST(WhiteSpace, UnicodeWhiteSpaceIsTrimmedButNotTheByteOrderMark) {
    EXPECT_EQ(trim("\u00a0\u3000 x \u2028\u205f\t"), "x");
    EXPECT_EQ(trim("\ufeffx"), "\ufeffx");
    EXPECT_TRUE(is_white_space_only("\u0085\u1680\u2000\u200a\u202f\r\n\v\f"));
    EXPECT_FALSE(is_white_space_only("\u200b"));  // zero width space is not White_Space
}

TEST(WhiteSpace, CollapseSplitsAtAnyWhiteSpace) {
    EXPECT_EQ(collapse_white_space("  H01L \u00a0 21/00\t "), "H01L 21/00");
}

TEST(Digits, LeadingZerosAndEmptyNumbers) {
    EXPECT_EQ(strip_leading_zeros("0007"), "7");
    EXPECT_EQ(strip_leading_zeros("000"), "0");
    EXPECT_EQ(strip_leading_zeros(""), "0");
    EXPECT_TRUE(is_ascii_digits(""));
    EXPECT_FALSE(is_ascii_digits("3a"));
}

}  // namespace
}  // namespace quillmark
