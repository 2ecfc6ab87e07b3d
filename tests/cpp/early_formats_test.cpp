// Record structure of the application v1.x, grant v2.5 and sequence-listing
// parsers that the Markdown and the getters do not show.
#include <gtest/gtest.h>

#include <string>

#include "source/parsers.hpp"

namespace quillmark {
namespace {

Document parsed(ParseResult result) {
    EXPECT_TRUE(result) << (result ? "" : result.error().message());
    return result ? std::move(result).value() : Document{};
}

std::string error_of(const ParseResult& result) { return result ? "" : result.error().message(); }

const std::vector<BibliographicItem>& items_of(const Document& document) {
    return std::get<BibliographicSection>(document.sections.at(0)).items;
}

std::string kept_name(const BibliographicItem& item) { return std::string(std::get<OtherItem>(item).node.root().name()); }

TEST(EarlyFormats, WrongRootMessages) {
    EXPECT_EQ(error_of(parse_application_v1x("<patent-application/>", SourceFormat::UsptoApplicationV16)),
              "UsptoApplicationV15 requires patent-application-publication root");
    EXPECT_EQ(error_of(parse_grant_v25("<PATDOC-US/>")), "UsptoGrantV25 requires PATDOC root");
    EXPECT_EQ(error_of(parse_sequence_cwu("<sequence-listing/>")), "sequence listings require sequence-cwu root");
    EXPECT_EQ(error_of(parse_sequence_cwu("<sequence-cwu>")).rfind("parse error at 1:", 0), 0u);
}

TEST(EarlyFormats, ApplicationChildrenWithoutAnEntryKindFollowTheirItem) {
    const Document document = parsed(parse_application_v1x(
        "<patent-application-publication><subdoc-bibliographic-information>"
        "<domestic-filing-data><filing-date>20010320</filing-date><cpa-flag>Y</cpa-flag></domestic-filing-data>"
        "<technical-information><title-of-invention>T</title-of-invention><ipc-note>n</ipc-note>"
        "</technical-information>"
        "<assignee><organization-name>A</organization-name></assignee>"
        "</subdoc-bibliographic-information></patent-application-publication>",
        SourceFormat::UsptoApplicationV15));
    EXPECT_EQ(document.source_format, SourceFormat::UsptoApplicationV15);
    const auto& items = items_of(document);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(std::get<ApplicationReference>(items[0]).entries.size(), 1u);
    EXPECT_EQ(kept_name(items[1]), "cpa-flag");
    EXPECT_EQ(std::get<TechnicalInformation>(items[2]).entries.size(), 1u);
    EXPECT_EQ(kept_name(items[3]), "ipc-note");
    EXPECT_EQ(std::get<Assignees>(items[4]).group.parties.at(0).name, "A");
}

TEST(EarlyFormats, GrantTechnicalInformationComesFirstThenUnreadChildren) {
    const Document document = parsed(parse_grant_v25(
        "<PATDOC><SDOBI><B500><B580><B581><PDAT>455</PDAT></B581></B580>"
        "<B540><PDAT>Title outside STEXT</PDAT></B540><B520><B521><PDAT>455323</PDAT></B521></B520>"
        "</B500><B500><B590/></B500></SDOBI></PATDOC>"));
    const auto& items = items_of(document);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(std::get<TechnicalInformation>(items[0]).entries.size(), 1u);
    EXPECT_EQ(kept_name(items[1]), "B580");
    EXPECT_EQ(kept_name(items[2]), "B540");
    EXPECT_EQ(kept_name(items[3]), "B590");
}

TEST(EarlyFormats, SequenceListingKeepsEveryRootChildNode) {
    const Document document = parsed(parse_sequence_cwu(
        "<sequence-cwu a='1'>\n<publication-reference><document-id><doc-number>1</doc-number></document-id>"
        "</publication-reference>\n<publication-reference/></sequence-cwu>"));
    EXPECT_EQ(document.source_format, SourceFormat::UsptoSequenceCwu);
    EXPECT_EQ(document.attributes.size(), 1u);
    ASSERT_EQ(document.sections.size(), 4u);
    EXPECT_EQ(std::get<OtherSection>(document.sections[0]).node.root().text_value(), "\n");
    const auto& items = std::get<BibliographicSection>(document.sections[1]).items;
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(std::get<PublicationReference>(items[0]).id.doc_number, "1");
    EXPECT_EQ(std::get<OtherSection>(document.sections[2]).node.root().text_value(), "\n");
    EXPECT_EQ(std::get<OtherSection>(document.sections[3]).node.root().name(), "publication-reference");
}

}  // namespace
}  // namespace quillmark
