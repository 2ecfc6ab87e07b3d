#include <gtest/gtest.h>

#include "source/xml/front_door.hpp"
#include "source/xml/xml_document.hpp"
#include "tests/cpp/node_lists.hpp"

namespace quillmark {
namespace {

XmlTree parse_ok(std::string_view text) {
    auto tree = parse_xml(text);
    EXPECT_TRUE(tree.ok()) << (tree.ok() ? "" : tree.error().message());
    return std::move(tree).value();
}

TEST(FrontDoor, MismatchedTagIsAnErrorWithPosition) {
    auto tree = parse_xml("<a><b></a>");
    ASSERT_FALSE(tree.ok());
    EXPECT_EQ(tree.error().kind, ParseError::Kind::Xml);
    EXPECT_EQ(tree.error().message().rfind("parse error at 1:", 0), 0u) << tree.error().message();
}

TEST(FrontDoor, KeptElementKeepsCommentsAndInstructionsAsText) {
    const XmlTree tree = parse_ok("<x>1<!--c-->2<?pi d?></x>");
    const Node node = to_node(tree, root_element(tree));
    ASSERT_EQ(node.root().kind(), Node::Kind::Element);
    EXPECT_EQ(node.root().name(), "x");
    const auto children = child_list(node.root());
    ASSERT_EQ(children.size(), 4u);
    EXPECT_EQ(children[0].text_value(), "1");
    EXPECT_EQ(children[1].text_value(), "<!--c-->");
    EXPECT_EQ(children[2].text_value(), "2");
    EXPECT_EQ(children[3].text_value(), "<?pi d?>");
}

TEST(FrontDoor, InstructionWithoutData) {
    const XmlTree tree = parse_ok("<x><?marker?></x>");
    const Node node = to_node(tree, root_element(tree));
    EXPECT_EQ(child_list(node.root()).at(0).text_value(), "<?marker?>");
}

TEST(FrontDoor, UndeclaredEntityWithExternalDtdSurvivesAsReference) {
    const XmlTree tree = parse_ok("<!DOCTYPE x SYSTEM \"x.dtd\"><x>a&rsquo;b</x>");
    const Node node = to_node(tree, root_element(tree));
    const auto children = child_list(node.root());
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[1].text_value(), "&rsquo;");
}

TEST(FrontDoor, UndeclaredEntityWithoutDtdIsAnError) {
    EXPECT_FALSE(parse_xml("<x>a&rsquo;b</x>").ok());
}

TEST(FrontDoor, DeclaredInternalEntityBecomesItsText) {
    const XmlTree tree = parse_ok("<!DOCTYPE x [<!ENTITY co \"Acme Corp.\">]><x>by &co; and &co;</x>");
    const Node node = to_node(tree, root_element(tree));
    std::string joined;
    for (Node::Ref child : node.root().children()) joined += child.text_value();
    EXPECT_EQ(joined, "by Acme Corp. and Acme Corp.");
}

TEST(FrontDoor, ExternalEntityIsRefused) {
    auto tree = parse_xml("<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/hostname\">]><x>&e;</x>");
    ASSERT_FALSE(tree.ok());
    EXPECT_NE(tree.error().message().find("parse error at"), std::string::npos);
}

TEST(FrontDoor, PredefinedAndCharacterReferencesAreText) {
    const XmlTree tree = parse_ok("<x a=\"1 &amp; 2 &#38; &lt;3\">a&amp;b&#x2019;c</x>");
    const XmlId root = root_element(tree);
    const Node node = to_node(tree, root);
    const auto children = child_list(node.root());
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0].text_value(), "a&b\u2019c");
    const auto attributes = attribute_list(node.root());
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_EQ(attributes[0].value, "1 & 2 & <3");
}

TEST(FrontDoor, AttributesKeepPrefixesAndNamespaceDeclarations) {
    const XmlTree tree = parse_ok(
        "<x xmlns:m=\"http://www.w3.org/1998/Math/MathML\"><m:math display=\"block\" m:a=\"1\"/></x>");
    const Node node = to_node(tree, root_element(tree));
    const auto attributes = attribute_list(node.root());
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_EQ(attributes[0].name, "m");
    EXPECT_EQ(attributes[0].prefix, std::optional<std::string_view>("xmlns"));
    const Node::Ref math = child_list(node.root()).at(0);
    EXPECT_EQ(math.name(), "math");
    EXPECT_EQ(math.prefix(), std::optional<std::string_view>("m"));
    EXPECT_EQ(math.qualified_name(), "m:math");
    const auto math_attributes = attribute_list(math);
    ASSERT_EQ(math_attributes.size(), 2u);
    EXPECT_EQ(math_attributes[0].name, "display");
    EXPECT_EQ(math_attributes[0].value, "block");
    EXPECT_FALSE(math_attributes[0].prefix.has_value());
    EXPECT_EQ(math_attributes[1].name, "a");
    EXPECT_EQ(math_attributes[1].prefix, std::optional<std::string_view>("m"));
    EXPECT_TRUE(math.children().empty());
}

TEST(FrontDoor, DeclaredEncodingIsIgnoredTheTextIsUtf8) {
    const XmlTree tree = parse_ok("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><x>caf\xc3\xa9</x>");
    const Node node = to_node(tree, root_element(tree));
    EXPECT_EQ(child_list(node.root()).at(0).text_value(), "caf\xc3\xa9");
}

TEST(FrontDoor, CDataAndWhiteSpaceTextAreKept) {
    const XmlTree tree = parse_ok("<x> <![CDATA[<b>]]> </x>");
    const Node node = to_node(tree, root_element(tree));
    const auto children = child_list(node.root());
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[0].text_value(), " ");
    EXPECT_EQ(children[1].text_value(), "<b>");
}

TEST(FrontDoor, ExcessiveDepthFails) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "<a>";
    auto tree = parse_xml(text);
    EXPECT_FALSE(tree.ok());
}

TEST(FrontDoor, BillionLaughsFails) {
    std::string text = "<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">";
    char previous = 'a';
    for (char name = 'b'; name <= 'k'; ++name) {
        text += std::string("<!ENTITY ") + name + " \"";
        for (int i = 0; i < 10; ++i) text += std::string("&") + previous + ";";
        text += "\">";
        previous = name;
    }
    text += "]><x>&k;</x>";
    EXPECT_FALSE(parse_xml(text).ok());
}

TEST(FrontDoor, RootElementSkipsPrologNodes) {
    const XmlTree tree = parse_ok("<?pi x?><!-- c --><root/>");
    EXPECT_EQ(tree.name(root_element(tree)), "root");
}

TEST(FrontDoor, UndeclaredEntityInAnAttributeValueLeavesTheContentAlone) {
    const XmlTree tree = parse_ok(
        "<!DOCTYPE x SYSTEM \"x.dtd\"><x>a<y t=\"1 &rsquo; 'q\">b</y>&ldquo;c<!-- it's --><z u=\"&mdash;\"/></x>");
    const Node node = to_node(tree, root_element(tree));
    const auto children = child_list(node.root());
    ASSERT_EQ(children.size(), 6u);
    EXPECT_EQ(children[0].text_value(), "a");
    EXPECT_EQ(children[1].name(), "y");
    EXPECT_EQ(attribute_list(children[1]).at(0).value, "1  'q");
    EXPECT_EQ(children[2].text_value(), "&ldquo;");
    EXPECT_EQ(children[3].text_value(), "c");
    EXPECT_EQ(children[4].text_value(), "<!-- it's -->");
    EXPECT_EQ(children[5].name(), "z");
}

// References one after the other, in content and in attribute values, after
// long text and right after markup: only those in content become nodes.
TEST(FrontDoor, RunsOfUndeclaredEntitiesInContentAndAttributes) {
    const std::string long_text(5000, 'w');
    const XmlTree tree = parse_ok("<!DOCTYPE x SYSTEM \"x.dtd\"><x>&a;<y t=\"&b;&c;\" u=\"v &d;\">&e;&f;" + long_text +
                                  "&g;</y><z w=\"" + long_text + "&h;\"/>&i;&j;<q r=\"&k;\"/></x>");
    std::string references;
    for (XmlId id = 0; id < tree.node_count(); ++id)
        if (tree.kind(id) == XmlKind::EntityReference) references += tree.name(id);
    EXPECT_EQ(references, "aefgij");
}

}  // namespace
}  // namespace quillmark
