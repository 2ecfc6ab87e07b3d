// What the case files cannot show of the parsers: a root that detection
// never sends to the sequence-listing parser.
#include <gtest/gtest.h>

#include "source/parsers.hpp"

namespace quillmark {
namespace {

TEST(SequenceListing, RequiresItsRoot) {
    const ParseResult result = parse_sequence_cwu("<sequence-listing/>");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().message(), "sequence listings require sequence-cwu root");
}

}  // namespace
}  // namespace quillmark
