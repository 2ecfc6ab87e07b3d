// The front door's tree where the case files cannot reach it: the runs of
// entity references need ten kilobytes of text.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quillmark
