#include <gtest/gtest.h>

#include "source/parsers.hpp"

namespace quillmark {
namespace {

constexpr std::string_view grant_text = "<us-patent-grant dtd-version=\"v4.5\"><abstract/></us-patent-grant>";
constexpr std::string_view application_text = "<us-patent-application dtd-version=\"v4.4\"><abstract/></us-patent-application>";

TEST(V4Entries, EachEntryInsistsOnItsOwnRoot) {
    auto as_application = parse_application_v4(grant_text, SourceFormat::UsptoApplicationV44);
    ASSERT_FALSE(as_application.ok());
    EXPECT_EQ(as_application.error().message(), "v4.x applications require us-patent-application root");
    EXPECT_EQ(as_application.error().kind, ParseError::Kind::Structure);

    auto as_grant = parse_grant_v4(application_text, SourceFormat::UsptoGrantV45);
    ASSERT_FALSE(as_grant.ok());
    EXPECT_EQ(as_grant.error().message(), "v4.x grants require us-patent-grant root");
}

TEST(V4Entries, TheGivenFormatIsStored) {
    for (SourceFormat format : {SourceFormat::UsptoGrantV40, SourceFormat::UsptoGrantV47}) {
        auto document = parse_grant_v4(grant_text, format);
        ASSERT_TRUE(document.ok());
        EXPECT_EQ(document.value().source_format, format);
        EXPECT_EQ(document.value().attributes.size(), 1u);
        EXPECT_EQ(document.value().sections.size(), 1u);
    }
}

TEST(V4Entries, MalformedXmlIsTheFrontDoorError) {
    auto document = parse_grant_v4("<us-patent-grant><p></us-patent-grant>", SourceFormat::UsptoGrantV45);
    ASSERT_FALSE(document.ok());
    EXPECT_EQ(document.error().kind, ParseError::Kind::Xml);
    EXPECT_EQ(document.error().message().rfind("parse error at 1:", 0), 0u);
}

TEST(V4Entries, TwoPublicationReferencesStayTwoItems) {
    auto document = parse_grant_v4(
        "<us-patent-grant><us-bibliographic-data-grant>"
        "<publication-reference><document-id><doc-number>1</doc-number><kind></kind></document-id></publication-reference>"
        "<publication-reference><document-id><doc-number>2</doc-number></document-id></publication-reference>"
        "<publication-reference/>"
        "</us-bibliographic-data-grant></us-patent-grant>",
        SourceFormat::UsptoGrantV45);
    ASSERT_TRUE(document.ok());
    const auto& items = std::get<BibliographicSection>(document.value().sections.at(0)).items;
    ASSERT_EQ(items.size(), 3u);
    const DocumentId& first = std::get<PublicationReference>(items[0]).id;
    EXPECT_EQ(first.doc_number, "1");
    EXPECT_FALSE(first.kind.has_value());  // an empty kind element is absent
    EXPECT_EQ(std::get<PublicationReference>(items[1]).id.doc_number, "2");
    EXPECT_TRUE(std::holds_alternative<OtherItem>(items[2]));
}

}  // namespace
}  // namespace quillmark
