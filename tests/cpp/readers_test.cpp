#include <gtest/gtest.h>

#include "source/xml/front_door.hpp"
#include "source/xml/xml_document.hpp"
#include "source/xml/readers.hpp"
#include "tests/cpp/node_lists.hpp"

namespace quillmark {
namespace {

// The v4.x inline table.
constexpr std::string_view target[] = {"target"};
constexpr std::string_view figure_target[] = {"idref", "target"};
constexpr std::string_view claim_target[] = {"depends_on", "idref"};
constexpr InlineElementRule inline_elements[] = {
    {"cross-reference", InlineKind::CrossReference, target},
    {"figref", InlineKind::FigureReference, figure_target},
    {"claim-ref", InlineKind::ClaimReference, claim_target},
    {"dependent-claim-reference", InlineKind::ClaimReference, claim_target},
    {"b", InlineKind::Bold, {}},
    {"i", InlineKind::Italic, {}},
    {"claim-text", InlineKind::ClaimText, {}},
};
constexpr std::string_view levels[] = {"level", "lvl"};
const MarkupRules rules{inline_elements, {}, {}, true, "id", levels, "align"};

class Readers : public testing::Test {
protected:
    XmlId parse(std::string_view text) {
        auto result = parse_xml(text);
        EXPECT_TRUE(result.ok());
        tree_ = std::move(result).value();
        return root_element(tree_);
    }
    XmlTree tree_;
};

TEST_F(Readers, LeadingWhiteSpaceIsDroppedAndTextKeptUnchanged) {
    const InlineContent read = read_inline(tree_, parse("<p> <b>Bold</b> text</p>"), rules);
    const auto content = node_list(read);
    ASSERT_EQ(content.size(), 2u);
    EXPECT_EQ(content[0].kind(), InlineKind::Bold);
    EXPECT_EQ(node_list(content[0].children()).at(0).text_value(), "Bold");
    EXPECT_EQ(content[1].text_value(), " text");
}

TEST_F(Readers, WhiteSpaceBetweenTwoKeptSiblingsBecomesOneSpace) {
    const InlineContent read = read_inline(tree_, parse("<p><i>in</i> \n <!-- c --> <i>vivo</i>\n</p>"), rules);
    const auto content = node_list(read);
    ASSERT_EQ(content.size(), 3u);
    EXPECT_EQ(content[1].kind(), InlineKind::Text);
    EXPECT_EQ(content[1].text_value(), " ");
}

TEST_F(Readers, CommentsVanishAndInstructionsAreKept) {
    const InlineContent read = read_inline(tree_, parse("<p>a<!--x-->b<?pi d?></p>"), rules);
    const auto content = node_list(read);
    ASSERT_EQ(content.size(), 3u);
    EXPECT_EQ(content[0].text_value(), "a");
    EXPECT_EQ(content[1].text_value(), "b");
    EXPECT_EQ(content[2].kind(), InlineKind::Element);
    EXPECT_EQ(content[2].element_value().text_value(), "<?pi d?>");
}

TEST_F(Readers, UnknownElementsAreKeptWhole) {
    const InlineContent read = read_inline(tree_, parse("<p>2<sup>8</sup> bits</p>"), rules);
    const auto content = node_list(read);
    ASSERT_EQ(content.size(), 3u);
    EXPECT_EQ(content[1].kind(), InlineKind::Element);
    EXPECT_EQ(content[1].element_value().name(), "sup");
}

struct TargetCase {
    const char* xml;
    std::optional<std::string> target;
};

class ReferenceTargets : public Readers, public testing::WithParamInterface<TargetCase> {};

TEST_P(ReferenceTargets, FirstPresentAttributeWins) {
    const InlineContent read = read_inline(tree_, parse(GetParam().xml), rules);
    const auto content = node_list(read);
    ASSERT_EQ(content.size(), 1u);
    EXPECT_EQ(content[0].target(), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, ReferenceTargets,
    testing::Values(TargetCase{"<p><figref idref=\"DRAWINGS\" target=\"x\">FIG. 1</figref></p>", "DRAWINGS"},
                    TargetCase{"<p><figref target=\"x\">FIG. 1</figref></p>", "x"},
                    TargetCase{"<p><figref>FIG. 1</figref></p>", std::nullopt},
                    TargetCase{"<p><claim-ref idref=\"CLM-00001\">claim 1</claim-ref></p>", "CLM-00001"},
                    TargetCase{"<p><dependent-claim-reference depends_on=\"CLM-00001\" idref=\"y\">claim 1</dependent-claim-reference></p>",
                               "CLM-00001"},
                    TargetCase{"<p><cross-reference target=\"\">x</cross-reference></p>", ""}));

TEST_F(Readers, ContainersKeepEveryAttributeAndTheirContent) {
    const InlineContent read =
        read_inline(tree_, parse("<p>see <figref target=\"t\" idref=\"DRAWINGS\" xmlns:q=\"u\" q:x=\"1\">FIG. <b>2</b></figref>.</p>"), rules);
    const auto content = node_list(read);
    ASSERT_EQ(content.size(), 3u);
    const auto attributes = attribute_list_of(content[1]);
    ASSERT_EQ(attributes.size(), 4u);
    // Namespace declarations come first, as the front door reports them.
    EXPECT_EQ(attributes[0].prefix, std::optional<std::string_view>("xmlns"));
    EXPECT_EQ(attributes[0].name, "q");
    EXPECT_EQ(attributes[2].name, "idref");
    EXPECT_EQ(attributes[2].value, "DRAWINGS");
    EXPECT_FALSE(attributes[2].prefix.has_value());
    EXPECT_EQ(attributes[3].name, "x");
    EXPECT_EQ(attributes[3].prefix, std::optional<std::string_view>("q"));
    EXPECT_EQ(content[1].target(), std::optional<std::string_view>("DRAWINGS"));
    const auto children = node_list(content[1].children());
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0].text_value(), "FIG. ");
    EXPECT_EQ(children[1].kind(), InlineKind::Bold);
    EXPECT_EQ(node_list(children[1].children()).at(0).text_value(), "2");
    EXPECT_EQ(content[2].text_value(), ".");
}

// A child that makes nothing takes its separating space with it, and what
// comes after is unharmed.
TEST_F(Readers, SeparatorBeforeADroppedChildIsTakenBack) {
    const InlineContent read = read_inline(tree_, parse("<p><b>a</b> <!--c--> <i>b</i> <!--d--></p>"), rules);
    const auto content = node_list(read);
    ASSERT_EQ(content.size(), 3u);
    EXPECT_EQ(content[1].text_value(), " ");
    EXPECT_EQ(node_list(content[2].children()).at(0).text_value(), "b");
}

struct LevelCase {
    const char* xml;
    std::optional<std::uint32_t> level;
};

class HeadingLevels : public Readers, public testing::WithParamInterface<LevelCase> {};

TEST_P(HeadingLevels, UnsignedNumberRule) {
    EXPECT_EQ(read_heading(tree_, parse(GetParam().xml), rules).level, GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(Levels, HeadingLevels,
                         testing::Values(LevelCase{"<heading level=\"+2\"/>", 2u}, LevelCase{"<heading level=\"-1\"/>", std::nullopt},
                                         LevelCase{"<heading level=\"two\"/>", std::nullopt},
                                         LevelCase{"<heading level=\"\"/>", std::nullopt},
                                         LevelCase{"<heading level=\"4294967295\"/>", 4294967295u},
                                         LevelCase{"<heading level=\"4294967296\"/>", std::nullopt},
                                         LevelCase{"<heading level=\" 2\"/>", std::nullopt},
                                         LevelCase{"<heading lvl=\"3\"/>", 3u},
                                         LevelCase{"<heading level=\"x\" lvl=\"3\"/>", std::nullopt}));

TEST_F(Readers, ChildTextIsTrimmedAndAbsentWhenBlank) {
    const XmlId id = parse("<document-id><doc-number>  </doc-number><date> 20240102 </date><country><b>US</b></country>"
                           "<date>19990101</date></document-id>");
    EXPECT_EQ(child_text(tree_, id, {"doc-number"}), std::nullopt);
    EXPECT_EQ(child_text(tree_, id, {"date"}), std::optional<std::string>("20240102"));
    EXPECT_EQ(child_text(tree_, id, {"country"}), std::optional<std::string>("US"));
    EXPECT_EQ(child_text(tree_, id, {"kind"}), std::nullopt);
}

TEST_F(Readers, ParagraphKeepsAttributesIdAndLevel) {
    const Paragraph paragraph = read_paragraph(tree_, parse("<p id=\"p-1\" num=\"0001\" lvl=\"2\">Text</p>"), rules);
    EXPECT_EQ(paragraph.attributes.size(), 3u);
    EXPECT_EQ(paragraph.id, std::optional<std::string>("p-1"));
    EXPECT_EQ(paragraph.level, std::optional<std::uint32_t>(2));
}

}  // namespace
}  // namespace quillmark
