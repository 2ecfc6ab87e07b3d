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
