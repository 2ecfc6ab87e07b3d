// Sections no rule of their reader reads: the parts of a sequence-listing
// document are its text, marked so by its reader and shown after the
// description in both flavours whatever the source format says; another
// document's are kept for the record alone.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "render/markdown.hpp"
#include "source/parsers.hpp"

namespace quillmark {
namespace {

// "1" for each Other section shown as text, "0" for each kept alone.
std::string marks(const Document& document) {
    std::string out;
    for (const Section& section : document.sections)
        if (const auto* other = std::get_if<OtherSection>(&section)) out += other->shown_as_text ? '1' : '0';
    return out;
}

TEST(OtherSections, ASequenceListingsPartsAreItsText) {
    const ParseResult listing = parse_sequence_cwu(
        "<sequence-cwu><publication-reference><document-id><country>US</country><doc-number>07654321</doc-number>"
        "</document-id></publication-reference><number>1</number><p>Listing text</p></sequence-cwu>");
    ASSERT_TRUE(listing);
    EXPECT_EQ(marks(listing.value()), "11");
    const ParseResult grant = parse_grant_v4("<us-patent-grant><p>Kept text</p></us-patent-grant>", SourceFormat::UsptoGrantV45);
    ASSERT_TRUE(grant);
    EXPECT_EQ(marks(grant.value()), "0");
}

TEST(OtherSections, TheMarkDecidesWhatIsShown) {
    for (const bool shown : {true, false}) {
        ParseResult parsed = parse_grant_v4("<us-patent-grant><p>Kept text</p></us-patent-grant>", SourceFormat::UsptoGrantV45);
        ASSERT_TRUE(parsed);
        Document document = std::move(parsed).value();
        std::get<OtherSection>(document.sections.at(0)).shown_as_text = shown;
        for (const Flavor flavor : {Flavor::Default, Flavor::Gfm})
            EXPECT_EQ(render_markdown(document, flavor).find("Kept text") != std::string::npos, shown);
    }
}

}  // namespace
}  // namespace quillmark
