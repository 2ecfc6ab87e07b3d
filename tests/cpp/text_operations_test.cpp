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

// Names of the ISO 8879 and MathML sets that the seventeen leave become
// their characters; unknown names, and names an "&amp;" spells out, stay.
INSTANTIATE_TEST_SUITE_P(
    CharacterNames, DecodeEntities,
    testing::Values(Decoding{"5 &mgr;m", "5 \u03bcm"}, Decoding{"&lgr;=&Dgr;&OHgr;", "\u03bb=\u0394\u03a9"},
                    Decoding{"1&times;10&plusmn;2", "1\u00d710\u00b12"}, Decoding{"M&uuml;ller", "M\u00fcller"},
                    Decoding{"a&emsp;b", "a\u2003b"}, Decoding{"&frac12;", "\u00bd"},
                    Decoding{"&NotEqualTilde;", "\u2242\u0338"}, Decoding{"&alpha;&agr;", "\u03b1\u03b1"},
                    Decoding{"&Circlesolid; &LeftBracketingBar;", "&Circlesolid; &LeftBracketingBar;"},
                    Decoding{"&amp;alpha;", "&alpha;"}, Decoding{"&mgr", "&mgr"}, Decoding{"&;&mgr ;", "&;&mgr ;"},
                    Decoding{"&deg;&mdash;&rsquo;", " deg-'"}, Decoding{"&QUOT;&COPY;", "&QUOT;&COPY;"},
                    Decoding{"&averyveryveryveryverylongentitynamethatisnotknown;", "&averyveryveryveryverylongentitynamethatisnotknown;"}));

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

// Builds a kept node with a writer.
template <typename Write>
Node kept(Write write) {
    EntryTable table;
    NodeWriter writer(table);
    write(writer);
    return Node(std::move(table));
}

TEST(SerialiseNode, WritesFullTagsWithoutWhiteSpace) {
    const Node chem = kept([](NodeWriter& out) {
        out.start_element("chem", std::nullopt);
        out.add_attribute("id", std::nullopt, "c1");
        out.start_element("b", std::nullopt);
        out.add_text({"x"});
        out.end_element();
        out.end_element();
    });
    EXPECT_EQ(serialise_node(chem.root()), "<chem id=\"c1\"><b>x</b></chem>");
}

TEST(SerialiseNode, EmptyElementIsNeverSelfClosing) {
    const Node br = kept([](NodeWriter& out) {
        out.start_element("br", std::nullopt);
        out.end_element();
    });
    EXPECT_EQ(serialise_node(br.root()), "<br></br>");
}

TEST(SerialiseNode, ValuesAreNotEscapedAndTextIsDecoded) {
    const Node math = kept([](NodeWriter& out) {
        out.start_element("math", "m");
        out.add_attribute("alt", std::nullopt, "a \"b\"");
        out.add_attribute("m", "xmlns", "u");
        out.add_text({"&lt;", "&amp;"});
        out.end_element();
    });
    EXPECT_EQ(serialise_node(math.root()), "<m:math alt=\"a \"b\"\" xmlns:m=\"u\"><&</m:math>");
}

TEST(SerialiseNode, TextAndEmptyNodes) {
    EXPECT_EQ(serialise_node(Node::text("a&amp;b").root()), "a&b");
    EXPECT_EQ(serialise_node(Node().root()), "");
}

// Children skip whole subtrees and attributes are not children, at any depth.
TEST(KeptNode, ChildrenAndAttributesOfNestedElements) {
    const Node row = kept([](NodeWriter& out) {
        out.start_element("row", std::nullopt);
        out.add_attribute("r", std::nullopt, "1");
        for (const char* text : {"p", "q"}) {
            out.start_element("entry", std::nullopt);
            out.add_attribute("colname", std::nullopt, text);
            out.add_attribute("align", std::nullopt, "left");
            out.start_element("b", std::nullopt);
            out.add_text({text});
            out.end_element();
            out.add_text({"!"});
            out.end_element();
        }
        out.add_text({"tail"});
        out.end_element();
    });
    std::vector<std::string> seen;
    for (Node::Ref child : row.root().children()) {
        if (!child.is_element()) {
            seen.push_back("text " + std::string(child.text_value()));
            continue;
        }
        for (const AttributeView& attribute : child.attributes())
            seen.push_back(std::string(attribute.name) + "=" + std::string(attribute.value));
        for (Node::Ref grandchild : child.children())
            seen.push_back(std::string(grandchild.is_element() ? grandchild.name() : grandchild.text_value()));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"colname=p", "align=left", "b", "!", "colname=q", "align=left", "b",
                                               "!", "text tail"}));
    EXPECT_EQ(row.root().children().size(), 3u);
    EXPECT_EQ(row.root().attributes().size(), 1u);
    EXPECT_EQ(row.root().text_value(), "");
    EXPECT_EQ(Node::text("t").root().name(), "");
    EXPECT_TRUE(Node::text("t").root().children().empty());
    EXPECT_TRUE(Node().root().attributes().empty());
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
