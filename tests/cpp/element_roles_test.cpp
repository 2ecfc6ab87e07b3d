// The roles the reader of each XML generation gives the elements it keeps:
// a generation's own names and the shared standards' play their role, a
// name of another generation is transparent.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "source/parsers.hpp"

namespace quillmark {
namespace {

// "name:role" for every element below the kept root child, in document order.
void list_roles(Node::Ref node, std::string& out) {
    for (Node::Ref child : node.children()) {
        if (!child.is_element()) continue;
        out += std::string(child.name()) + ":" + std::to_string(static_cast<int>(child.role())) + " ";
        list_roles(child, out);
    }
}

std::string kept_roles(const ParseResult& result) {
    EXPECT_TRUE(result);
    if (!result) return {};
    for (const Section& section : result.value().sections)
        if (const auto* other = std::get_if<OtherSection>(&section)) {
            std::string out;
            list_roles(other->node.root(), out);
            return out;
        }
    return {};
}

std::string role(ElementRole role) { return std::to_string(static_cast<int>(role)); }

TEST(ElementRoles, EachGenerationItsOwnNames) {
    const std::string sub = role(ElementRole::Subscript);
    const std::string none = role(ElementRole::Transparent);
    const std::string table = role(ElementRole::Table);
    const std::string math = role(ElementRole::Math);
    EXPECT_EQ(kept_roles(parse_grant_v25("<PATDOC><X><SB>1</SB><sub>2</sub><RELAPP/><table/></X></PATDOC>")),
              "SB:" + sub + " sub:" + none + " RELAPP:" + role(ElementRole::CrossReferenceStatement) + " table:" +
                  table + " ");
    EXPECT_EQ(kept_roles(parse_application_v1x(
                  "<patent-application-publication><X><subscript>1</subscript><SB>2</SB>"
                  "<federal-research-statement/><math/></X></patent-application-publication>",
                  SourceFormat::UsptoApplicationV16)),
              "subscript:" + sub + " SB:" + none + " federal-research-statement:" +
                  role(ElementRole::GovernmentInterestStatement) + " math:" + math + " ");
    EXPECT_EQ(kept_roles(parse_grant_v4("<us-patent-grant><X><sub>1</sub><subscript>2</subscript><tables/>"
                                        "</X></us-patent-grant>",
                                        SourceFormat::UsptoGrantV45)),
              "sub:" + sub + " subscript:" + none + " tables:" + role(ElementRole::NumberedTable) + " ");
    EXPECT_EQ(kept_roles(parse_sequence_cwu("<sequence-cwu><X><number>1</number><sequence-list-new-rules/>"
                                            "<sub/></X></sequence-cwu>")),
              "number:" + role(ElementRole::Number) + " sequence-list-new-rules:" +
                  role(ElementRole::SequenceListing) + " sub:" + none + " ");
}

}  // namespace
}  // namespace quillmark
