// The front door's tree where the case files cannot reach it: the runs of
// entity references need ten kilobytes of text.
#include <gtest/gtest.h>

#include "source/parse_workspace.hpp"
#include "source/xml/front_door.hpp"

namespace quillmark {
namespace {

// References one after the other, in content and in attribute values, after
// long text and right after markup: only those in content become nodes.
TEST(FrontDoor, RunsOfUndeclaredEntitiesInContentAndAttributes) {
    const std::string long_text(5000, 'w');
    auto tree = parse_xml("<!DOCTYPE x SYSTEM \"x.dtd\"><x>&a;<y t=\"&b;&c;\" u=\"v &d;\">&e;&f;" + long_text + "&g;</y><z w=\"" +
                          long_text + "&h;\"/>&i;&j;<q r=\"&k;\"/></x>");
    ASSERT_TRUE(tree.ok());
    std::string references;
    for (XmlId id = 0; id < tree.value().node_count(); ++id)
        if (tree.value().kind(id) == XmlKind::EntityReference) references += tree.value().name(id);
    EXPECT_EQ(references, "aefgij");
}

// A thread builds each tree in the tables of the one it freed before: a
// small document after a large one, or after a failed parse, holds only its
// own nodes, attributes and text.
TEST(FrontDoor, TreeBuiltAfterAnotherHoldsOnlyItsOwn) {
    const ParseWorkspace workspace;
    std::string large = "<a>";
    for (int i = 0; i < 2000; ++i) large += "<b n=\"" + std::to_string(i) + "\">text " + std::to_string(i) + "</b>";
    large += "</a>";
    ASSERT_TRUE(parse_xml(large).ok());
    ASSERT_FALSE(parse_xml("<a><b n=\"1\">").ok());
    for (int round = 0; round < 2; ++round) {
        auto tree = parse_xml("<p k=\"v\">one<q/>two</p>");
        ASSERT_TRUE(tree.ok());
        const XmlTree& t = tree.value();
        EXPECT_EQ(t.node_count(), 6u);  // none, document, p, "one", q, "two"
        const XmlId p = t.first_child(t.document());
        EXPECT_EQ(t.name(p), "p");
        EXPECT_EQ(t.attribute_count(p), 1u);
        EXPECT_EQ(t.attribute_value(p, "k"), "v");
        EXPECT_EQ(t.text(t.first_child(p)), "one");
        EXPECT_EQ(t.text(t.next_sibling(t.next_sibling(t.first_child(p)))), "two");
        EXPECT_EQ(t.next_sibling(p), no_node);
    }
}

}  // namespace
}  // namespace quillmark
