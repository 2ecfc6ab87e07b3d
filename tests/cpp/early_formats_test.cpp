// Record structure of the application v1.x, grant v2.5 and sequence-listing
// parsers that the Markdown and the getters do not show.
#include <gtest/gtest.h>

#include <string>

#include "source/parsers.hpp"

namespace quillmark {
namespace {

Document parsed(const ParseResult& result) {
    EXPECT_TRUE(result) << (result ? "" : result.error().message());
    return result ? result.value() : Document{};
}

std::string error_of(const ParseResult& result) { return result ? "" : result.error().message(); }

const std::vector<BibliographicItem>& items_of(const Document& document) {
    return std::get<BibliographicSection>(document.sections.at(0)).items;
}

std::string kept_name(const BibliographicItem& item) { return std::get<OtherItem>(item).node.name; }

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
    EXPECT_EQ(kept_name(items[4]), "assignee");
}

TEST(EarlyFormats, ApplicationPeopleAndAddresses) {
    const Document document = parsed(parse_application_v1x(
        "<patent-application-publication><subdoc-bibliographic-information>"
        "<inventors><first-named-inventor><name><given-name>Otto</given-name></name><residence><residence-us>"
        "<city>Duluth</city><state>MN</state><country-code>US</country-code></residence-us></residence>"
        "</first-named-inventor><deceased-inventor/></inventors>"
        "<correspondence-address><name-1> OTTO </name-1><name-2></name-2><address><address-1>18 Lake St</address-1>"
        "<address-2> </address-2><city>Duluth</city><postalcode>55802</postalcode><country><country-code>US"
        "</country-code></country></address></correspondence-address>"
        "</subdoc-bibliographic-information></patent-application-publication>",
        SourceFormat::UsptoApplicationV16));
    const auto& items = items_of(document);
    const auto& inventors = std::get<Inventors>(items.at(0)).entries;
    ASSERT_EQ(inventors.size(), 2u);
    const Person& first = std::get<FirstNamedInventor>(inventors[0]);
    EXPECT_EQ(first.given_name, "Otto");
    EXPECT_EQ(first.family_name, std::nullopt);
    EXPECT_EQ(first.city, "Duluth");
    EXPECT_EQ(first.state, "MN");
    EXPECT_EQ(first.country, "US");
    EXPECT_EQ(std::get<Node>(inventors[1]).name, "deceased-inventor");

    const auto& entries = std::get<CorrespondenceAddress>(items.at(1)).entries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(std::get<NameLine>(entries[0]).text, "OTTO");
    EXPECT_EQ(std::get<NameLine>(entries[1]).text, "");
    const Address& address = std::get<Address>(entries[2]);
    EXPECT_EQ(address.lines, std::vector<std::string>{"18 Lake St"});
    EXPECT_EQ(address.city, "Duluth");
    EXPECT_EQ(address.postal_code, "55802");
    EXPECT_EQ(address.country, "US");
}

TEST(EarlyFormats, ApplicationDrawings) {
    const Document document = parsed(parse_application_v1x(
        "<patent-application-publication><subdoc-drawings id='DRAWINGS'><heading lvl='0'>Drawings</heading>"
        "<representative-figure> 1 </representative-figure><figure id='figure-D00000'>"
        "<image id='EMI-D00000' file='D00000.TIF'/><caption/></figure></subdoc-drawings>"
        "</patent-application-publication>",
        SourceFormat::UsptoApplicationV16));
    const auto& children = std::get<DrawingsSection>(document.sections.at(0)).children;
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(std::get<Heading>(children[0]).level, 0u);
    EXPECT_EQ(std::get<RepresentativeFigure>(children[1]).text, "1");
    const Figure& figure = std::get<Figure>(children[2]);
    EXPECT_EQ(figure.id, "figure-D00000");
    ASSERT_EQ(figure.children.size(), 2u);
    EXPECT_EQ(std::get<Image>(figure.children[0]).file, "D00000.TIF");
    EXPECT_EQ(std::get<Node>(figure.children[1]).name, "caption");
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

TEST(EarlyFormats, GrantPartiesAreTheFirstInventorAndAssigneeGroups) {
    const Document document = parsed(parse_grant_v25(
        "<PATDOC><SDOBI><B700><B730><B731><PARTY-US><NAM><ONM><STEXT><PDAT>Co</PDAT></STEXT></ONM></NAM>"
        "</PARTY-US></B731></B730><B720 x='1'><B721 y='2'><PARTY-US><NAM><FNM><PDAT>A</PDAT></FNM></NAM>"
        "</PARTY-US></B721></B720><B740/></B700></SDOBI></PATDOC>"));
    const auto& items = items_of(document);
    ASSERT_EQ(items.size(), 2u);
    const PartyGroup& inventors = std::get<Parties>(items[0]).group;
    ASSERT_EQ(inventors.attributes.size(), 1u);
    ASSERT_EQ(inventors.parties.size(), 1u);
    EXPECT_EQ(inventors.parties[0].name, "A");
    EXPECT_EQ(inventors.parties[0].attributes.at(0).value, "2");
    EXPECT_EQ(std::get<Assignees>(items[1]).group.parties.at(0).name, "Co");
}

TEST(EarlyFormats, GrantDrawingsMakeOneFigurePerImage) {
    const Document document = parsed(parse_grant_v25(
        "<PATDOC><SDODR ID='DRAWINGS'><EMI ID='EMI-D00001' HE='187' FILE='D00001.TIF' IMF='TIFF' TI='DR'/>"
        "<FIGNOTE/></SDODR></PATDOC>"));
    const auto& children = std::get<DrawingsSection>(document.sections.at(0)).children;
    ASSERT_EQ(children.size(), 2u);
    const Figure& figure = std::get<Figure>(children[0]);
    EXPECT_TRUE(figure.attributes.empty());
    EXPECT_EQ(figure.id, "EMI-D00001");
    ASSERT_EQ(figure.children.size(), 1u);
    const Image& image = std::get<Image>(figure.children[0]);
    EXPECT_EQ(image.attributes.size(), 5u);
    EXPECT_EQ(image.id, "EMI-D00001");
    EXPECT_EQ(image.file, "D00001.TIF");
    EXPECT_EQ(image.imf, "TIFF");
    EXPECT_EQ(image.ti, "DR");
    EXPECT_EQ(std::get<Node>(children[1]).name, "FIGNOTE");
}

TEST(EarlyFormats, GrantParagraphFields) {
    const Document document = parsed(parse_grant_v25(
        "<PATDOC><SDOAB><BTEXT><PARA ID='P-00001' LVL='+2'><PTEXT><PDAT>x</PDAT></PTEXT></PARA>"
        "<PARA LVL='two'/></BTEXT></SDOAB></PATDOC>"));
    const auto& blocks = std::get<AbstractSection>(document.sections.at(0)).blocks;
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(std::get<Paragraph>(blocks[0]).id, "P-00001");
    EXPECT_EQ(std::get<Paragraph>(blocks[0]).level, 2u);
    EXPECT_EQ(std::get<Paragraph>(blocks[1]).id, std::nullopt);
    EXPECT_EQ(std::get<Paragraph>(blocks[1]).level, std::nullopt);
}

TEST(EarlyFormats, SequenceListingKeepsEveryRootChildNode) {
    const Document document = parsed(parse_sequence_cwu(
        "<sequence-cwu a='1'>\n<publication-reference><document-id><doc-number>1</doc-number></document-id>"
        "</publication-reference>\n<publication-reference/></sequence-cwu>"));
    EXPECT_EQ(document.source_format, SourceFormat::UsptoSequenceCwu);
    EXPECT_EQ(document.attributes.size(), 1u);
    ASSERT_EQ(document.sections.size(), 4u);
    EXPECT_EQ(std::get<OtherSection>(document.sections[0]).node.text_value(), "\n");
    const auto& items = std::get<BibliographicSection>(document.sections[1]).items;
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(std::get<PublicationReference>(items[0]).id.doc_number, "1");
    EXPECT_EQ(std::get<OtherSection>(document.sections[2]).node.text_value(), "\n");
    EXPECT_EQ(std::get<OtherSection>(document.sections[3]).node.name, "publication-reference");
}

}  // namespace
}  // namespace quillmark
