// Sequence listings on their own: each listing as kept XML and the fenced
// block expected.
#include <gtest/gtest.h>

#include "render/st25_listing.hpp"
#include "tests/cpp/kept_xml.hpp"

namespace quillmark {
namespace {

struct Listing {
    std::string_view xml;
    std::string_view text;
};

constexpr Listing listings[] = {
    {"<sequence-list><s100><s110>Smith, Ann</s110><s120>Relay   proteins</s120></s100>"
     "<s200><s210>1</s210><s211>12</s211><s212>PRT</s212><s220><s221>misc</s221></s220>"
     "<s400>1\nMet Ala Ser\n1               5   </s400></s200></sequence-list>",
     "```text\n<110>  Smith, Ann\n<120>  Relay proteins\n\n<210>  1\n<211>  12\n<212>  PRT\n\n<220>\n<221>  misc\n\n"
     "<400>  1\nMet Ala Ser\n1               5\n```"},
    {"<sequence-list>  SEQUENCE LISTING\n\n&lt;110&gt; Smith  \n</sequence-list>",
     "```text\n  SEQUENCE LISTING\n\n<110> Smith\n```"},
    {"<sequence-list><s200><s400></s400></s200></sequence-list>", "```text\n<400>\n```"},
    {"<sequence-list> </sequence-list>", ""},
};

TEST(St25Listing, EachListingGivesItsBlock) {
    for (const Listing& listing : listings) {
        const Node node = testing::kept_xml(listing.xml);
        EXPECT_EQ(st25_listing(node.root()), listing.text) << listing.xml;
    }
}

TEST(St25Listing, TableOfLinesKeepsEachRowAsALine) {
    const Node node = testing::kept_xml(
        "<table><tgroup cols=\"2\"><tbody><row><entry>SEQ ID</entry><entry>1</entry></row>"
        "<row><entry> </entry></row><row><entry>ACGT  ACGT</entry></row></tbody></tgroup></table>");
    EXPECT_EQ(table_listing(node.root()), "```text\nSEQ ID  1\nACGT  ACGT\n```");
}

}  // namespace
}  // namespace quillmark
