// What the case files cannot show of the parsers: a root that detection
// never sends to the sequence-listing parser, and the root's attributes,
// which the record holds beside its sections.
#include <gtest/gtest.h>

#include "source/parsers.hpp"

namespace quillmark {
namespace {

TEST(SequenceListing, RequiresItsRoot) {
    const ParseResult result = parse_sequence_cwu("<sequence-listing/>");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().message(), "sequence listings require sequence-cwu root");
}

TEST(SequenceListing, KeepsTheRootAttributes) {
    const ParseResult result = parse_sequence_cwu("<sequence-cwu a='1'><publication-reference/></sequence-cwu>");
    ASSERT_TRUE(result);
    ASSERT_EQ(result.value().attributes.size(), 1u);
    EXPECT_EQ(result.value().attributes[0].name, "a");
    EXPECT_EQ(result.value().attributes[0].value, "1");
}

}  // namespace
}  // namespace quillmark
