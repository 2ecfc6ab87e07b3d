// Behaviour of the APS reader that the getters and the Markdown do not show:
// records of pass 1 (segments of unread fields, final line breaks, empty
// text, ill-formed UTF-8), the shape of the Document that pass 2 builds, and
// random input.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/summary.hpp"
#include "render/body.hpp"
#include "render/markdown.hpp"
#include "model/utf8.hpp"
#include "source/aps/bibliographic.hpp"
#include "source/aps/claims.hpp"
#include "source/aps/records.hpp"
#include "source/parsers.hpp"
#include "tests/cpp/node_lists.hpp"

namespace quillmark::aps {
namespace {

// ----- pass 1 ---------------------------------------------------------------
// The rules of pass 1 that show in the getters and the Markdown are cases of
// tests/data/cases/aps.cases; these are the ones that do not.

TEST(ApsRecords, EveryOneOfTheTwentySegmentNamesOpensASegment) {
    std::string text = "WKU  1\n";
    for (std::string_view name : segment_names) {
        text += std::string(name) + "\n";
        text += "XYZ  in " + std::string(name) + "\n";
    }
    const ApsRecords records = read_records(text);
    ASSERT_EQ(records.size(), 21u);
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(records[i + 1].segment, segment_names[i]);
        EXPECT_EQ(records[i + 1].value, "in " + std::string(segment_names[i]));
    }
    EXPECT_FALSE(is_segment_name("PAT"));
    EXPECT_FALSE(is_segment_name("patn"));
}

// A case of the case file never ends in a line break, so this stays here.
TEST(ApsRecords, FinalLineFeedStartsNoBlankLine) {
    EXPECT_EQ(read_records("WKU  1\nTBL  a\n")[1].value, "a");
    EXPECT_EQ(read_records("WKU  1\nTBL  a")[1].value, "a");
    EXPECT_EQ(read_records("WKU  1\nTBL  a\n\n")[1].value, "a\n");
}

TEST(ApsRecords, EmptyTextGivesNoRecord) { EXPECT_TRUE(read_records("").empty()); }

TEST(ApsRecords, InvalidUtf8IsRepairedNotCut) {
    // A lone continuation byte, a truncated three-byte sequence and an
    // overlong form each become U+FFFD before columns are counted.
    const ApsRecords records = read_records("WKU  1\n\x80\xE2\x82XY v\xC0\xAFw\xF0\x9F\x99\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1], (ApsRecord{"PATN", "\xEF\xBF\xBD\xEF\xBF\xBDXY", "v\xEF\xBF\xBD\xEF\xBF\xBDw\xEF\xBF\xBD"}));
    for (const ApsRecord& r : records) {
        EXPECT_TRUE(is_valid_utf8(r.code));
        EXPECT_TRUE(is_valid_utf8(r.value));
    }
}

// ----- pass 2: the shape of the Document ------------------------------------

Document parse_ok(std::string_view text) {
    ParseResult result = read_aps(text);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message());
    if (!result.ok()) return {};
    return std::move(result).value();
}

template <class T>
const T* find_section(const Document& document) {
    for (const Section& section : document.sections)
        if (const auto* found = std::get_if<T>(&section)) return found;
    return nullptr;
}

TEST(ApsDocument, MinimalDocumentHasOnlyThePublicationReference) {
    const Document document = parse_ok("PATN\nWKU  039305847\n");
    EXPECT_EQ(document.source_format, SourceFormat::UsptoGrantApsGreenBook);
    EXPECT_TRUE(document.attributes.empty());
    ASSERT_EQ(document.sections.size(), 1u);
    const auto& bibliographic = std::get<BibliographicSection>(document.sections[0]);
    ASSERT_EQ(bibliographic.items.size(), 1u);
    const DocumentId& id = std::get<PublicationReference>(bibliographic.items[0]).id;
    EXPECT_EQ(id.doc_number, "3930584");
    EXPECT_EQ(id.kind, "B1");
    EXPECT_EQ(id.date, std::nullopt);
    EXPECT_EQ(id.country, "US");
}

TEST(ApsDocument, BibliographicItemsInOrder) {
    const Document document = parse_ok(
        "PATN\nWKU  039305847\nAPN  1234567;\nAPT  1\nAPD  19740102\nTTL  Title\nISD  19760106\n"
        "INVT\nNAM  Doe; Jane\nCTY  Springfield\nSTA  IL\nCTY  Second City\nINVT\nNAM  Roe\nCNT  DEX\n"
        "ASSG\nNAM  Acme\nNAM\nNAM  Beta\n"
        "CLAS\nXCL  327  52\nOCL  327108\nICL  H03K  1900\nICL  H03K 17687\n");
    const auto& items = std::get<BibliographicSection>(document.sections[0]).items;
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(std::get<PublicationReference>(items[0]).id.date, "19760106");

    const auto& application = std::get<ApplicationReference>(items[1]);
    ASSERT_EQ(application.entries.size(), 2u);
    const auto& number = std::get<ApplicationNumber>(application.entries[0]);
    EXPECT_EQ(number.doc_number, "1234567");
    EXPECT_EQ(number.appl_type, "1");
    EXPECT_EQ(std::get<FilingDate>(application.entries[1]).text, "19740102");

    const auto& technical = std::get<TechnicalInformation>(items[2]);
    ASSERT_EQ(technical.entries.size(), 3u);
    const auto& ipc = std::get<IpcClassification>(technical.entries[0]);
    EXPECT_EQ(ipc.main, "H03K 1900");
    EXPECT_EQ(ipc.further, std::vector<std::string>{"H03K 17687"});
    const auto& national = std::get<NationalClassification>(technical.entries[1]);
    EXPECT_EQ(national.main, "327108");  // OCL first, then XCL
    EXPECT_EQ(national.further, std::vector<std::string>{"327 52"});
    EXPECT_EQ(std::get<InventionTitle>(technical.entries[2]).text, "Title");

    const auto& inventors = std::get<Inventors>(items[3]);
    ASSERT_EQ(inventors.entries.size(), 2u);
    const auto& first = std::get<FirstNamedInventor>(inventors.entries[0]);
    EXPECT_EQ(first.family_name, "Doe");
    EXPECT_EQ(first.given_name, "Jane");
    EXPECT_EQ(first.city, "Springfield");
    EXPECT_EQ(first.state, "IL");
    EXPECT_EQ(first.country, std::nullopt);
    EXPECT_TRUE(first.attributes.empty());
    const auto& second = std::get<Inventor>(inventors.entries[1]);
    EXPECT_EQ(second.family_name, "Roe");
    EXPECT_EQ(second.given_name, std::nullopt);
    EXPECT_EQ(second.city, std::nullopt);
    EXPECT_EQ(second.country, "DEX");

    const auto& assignees = std::get<Assignees>(items[4]).group.parties;
    ASSERT_EQ(assignees.size(), 3u);
    EXPECT_EQ(assignees[0].name, "Acme");
    EXPECT_EQ(assignees[1].name, std::nullopt);
    EXPECT_EQ(assignees[2].name, "Beta");
}

TEST(ApsDocument, ApplicationTypeAloneMakesANumberEntryWithoutNumber) {
    const Document document = parse_ok("PATN\nWKU  039305847\nAPT  1\n");
    const auto& items = std::get<BibliographicSection>(document.sections[0]).items;
    ASSERT_EQ(items.size(), 2u);
    const auto& number = std::get<ApplicationNumber>(std::get<ApplicationReference>(items[1]).entries.at(0));
    EXPECT_EQ(number.appl_type, "1");
    EXPECT_EQ(number.doc_number, std::nullopt);
}

TEST(ApsDocument, ParagraphsCarryLevelsAndTablesAreFenced) {
    const Document document = parse_ok(
        "PATN\nWKU  1\nDETD\nPAR  plain\nPA0  zero\nPA3  three\nTBL  a\n        b\nEQU  x = y\nPAR\n");
    const auto* description = find_section<DescriptionSection>(document);
    ASSERT_NE(description, nullptr);
    ASSERT_EQ(description->blocks.size(), 1u);
    const auto& part = std::get<DetailedDescriptionPart>(description->blocks[0]);
    ASSERT_EQ(part.children.size(), 1u);
    const auto& group = std::get<Subsection>(part.children[0]);
    ASSERT_EQ(group.children.size(), 5u);  // the empty PAR gives nothing
    const auto paragraph = [&](std::size_t i) -> const Paragraph& { return std::get<Paragraph>(group.children[i]); };
    EXPECT_EQ(paragraph(0).level, std::nullopt);
    EXPECT_EQ(paragraph(1).level, 0u);
    EXPECT_EQ(paragraph(2).level, 3u);
    EXPECT_EQ(node_list(paragraph(3).content).at(0).text_value(), "```\na\n   b\n```");
    EXPECT_EQ(node_list(paragraph(4).content).at(0).text_value(), "```\nx = y\n```");
    EXPECT_TRUE(paragraph(0).attributes.empty());
    EXPECT_EQ(paragraph(0).id, std::nullopt);
}

// ----- robustness ------------------------------------------------------------

bool summary_is_valid_utf8(const DocumentSummary& summary) {
    auto valid = [](const OptionalText& text) { return !text || is_valid_utf8(*text); };
    auto all_valid = [](const std::vector<std::string>& texts) {
        for (const std::string& text : texts)
            if (!is_valid_utf8(text)) return false;
        return true;
    };
    return valid(summary.publication_number) && valid(summary.patent_number) && valid(summary.publication_date) &&
           valid(summary.application_number) && valid(summary.filing_date) && valid(summary.title) &&
           all_valid(summary.inventors) && all_valid(summary.assignees) && all_valid(summary.ipc_classifications) &&
           all_valid(summary.us_classifications);
}

// Random lines built from field codes, segment names, multi-byte and
// ill-formed bytes, cut at random byte positions: reading never fails other
// than with the two messages, and every text that comes out is valid UTF-8.
TEST(ApsRobustness, RandomTextNeverCrashesAndStaysValidUtf8) {
    const std::vector<std::string> pieces = {
        "PATN", "WKU  ", "039305847", "RE€", "APN  ", "123;", "€", "é", "🙂", "\xF0\x9F", "\xE2", "\x80",
        "\xC0\xAF", "\xFF", "TBL  ", "EQU", "TBL3", "CLMS", "DCLM", "NUM  1.", "PAR  ", "PA1  ", "PA2", "PA3  ",
        "PAC  ", "INVT", "NAM  ", ";", "ASSG", "CLAS", "ICL  ", "OCL", "XCL  ", "ABST", "BSUM", "DRWD", "DETD",
        "TTL  ", "     ", " ", "\t", "\r", "HHHHH", "word", "&amp;", "&#x41;", "\xEF\xBF\xBD"};
    std::mt19937 random(20240611);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = pick(2) ? "PATN\nWKU  039305847\n" : (pick(2) ? "PATN\n" : "");
        const std::size_t lines = pick(30);
        for (std::size_t i = 0; i < lines; ++i) {
            std::string line;
            for (std::size_t k = pick(4); k > 0; --k) line += pieces[pick(pieces.size())];
            if (pick(4) == 0) line.resize(pick(line.size() + 1));  // may cut a character in half
            text += line;
            text += pick(3) ? "\n" : "\r\n";
        }
        if (pick(2)) text.resize(pick(text.size() + 1));

        ParseResult result = read_aps(text);
        if (!result.ok()) {
            const std::string message = result.error().message();
            EXPECT_TRUE(message == "APS record has no recognizable tagged fields" ||
                        message == "APS record missing WKU (patent number)")
                << message;
            continue;
        }
        const Document& document = result.value();
        ASSERT_TRUE(is_valid_utf8(render_markdown(document))) << text;
        EXPECT_TRUE(summary_is_valid_utf8(summarize(document))) << text;
        for (const Claim& claim : claims(document)) EXPECT_TRUE(is_valid_utf8(claim.text)) << text;
        if (OptionalText abstract = abstract_text(document)) {
            EXPECT_TRUE(is_valid_utf8(*abstract)) << text;
        }
        ++parsed;
    }
    EXPECT_GT(parsed, 1000);  // the texts that read as documents are not a rare few
}

}  // namespace
}  // namespace quillmark::aps
