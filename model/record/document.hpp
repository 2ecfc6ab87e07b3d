// The document record every source parser produces. Plain owning values:
// nothing is shared, nothing points back to a parent, every list keeps
// source order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/record/inline_content.hpp"
#include "model/record/node.hpp"
#include "model/record/optional_string.hpp"
#include "model/record/source_format.hpp"

namespace quillmark {

using OptionalText = std::optional<std::string>;

struct Attribute {
    std::string name;
    std::string value;
    OptionalString prefix;
};

using Attributes = std::vector<Attribute>;

struct Paragraph {
    Attributes attributes;
    InlineContent content;
    OptionalText id;
    std::optional<std::uint32_t> level;
};

struct Heading {
    Attributes attributes;
    InlineContent content;
    std::optional<std::uint32_t> level;
    OptionalText align;
};

// ----- bibliographic data -------------------------------------------------

struct DocumentId {
    std::string doc_number;
    OptionalText kind;
    OptionalText date;
    OptionalText country;
};

struct ApplicationNumber {
    Attributes attributes;
    OptionalText appl_type;
    OptionalText doc_number;
};
struct SeriesCode {
    std::string text;
};
struct FilingDate {
    std::string text;
};
using ApplicationEntry = std::variant<ApplicationNumber, SeriesCode, FilingDate>;

struct Classification {
    Attributes attributes;
    OptionalText main;
    std::vector<std::string> further;
};
struct IpcClassification : Classification {};
struct NationalClassification : Classification {};
struct InventionTitle {
    std::string text;
};
struct CpcClassification : Classification {};
// The Locarno class of a design grant.
struct LocarnoClassification : Classification {};
using TechnicalEntry = std::variant<IpcClassification, NationalClassification, InventionTitle, CpcClassification,
                                    LocarnoClassification>;

struct RelatedLink {
    Attributes attributes;
    OptionalText relationship;
    OptionalText parent_doc_number;
    OptionalText parent_date;
    OptionalText child_doc_number;
};
struct Relation : RelatedLink {};
struct OtherRelatedDocument : RelatedLink {};
using RelatedDocumentEntry = std::variant<Relation, OtherRelatedDocument, Node>;

// A name as the source gives it: the parts of a person's name, or a name
// written whole (an organisation's, as a rule), or both.
struct PartyName {
    OptionalText given_name;
    OptionalText middle_name;
    OptionalText family_name;
    OptionalText suffix;
    OptionalText organisation;
};

// `name` is the name the party is listed by: the organisation, else the
// parts of a person's name joined (`full_name`).
struct Party : PartyName {
    Attributes attributes;
    OptionalText name;
    bool inventor = false;  // an applicant who is also an inventor
};
struct PartyGroup {
    Attributes attributes;
    std::vector<Party> parties;
};

struct Person : PartyName {
    Attributes attributes;
    OptionalText city;
    OptionalText state;
    OptionalText country;
};
struct FirstNamedInventor : Person {};
struct Inventor : Person {};
using PersonEntry = std::variant<FirstNamedInventor, Inventor, Node>;

struct NameLine {
    std::string text;
};
struct Address {
    Attributes attributes;
    std::vector<std::string> lines;
    OptionalText city;
    OptionalText state;
    OptionalText country;
    OptionalText postal_code;
};
using CorrespondenceEntry = std::variant<NameLine, Address, Node>;

struct PublicationReference {
    DocumentId id;
};
struct PublicationFilingType {
    std::string text;
};
struct ApplicationReference {
    Attributes attributes;
    std::vector<ApplicationEntry> entries;
};
struct TechnicalInformation {
    Attributes attributes;
    std::vector<TechnicalEntry> entries;
};
struct RelatedDocuments {
    Attributes attributes;
    std::vector<RelatedDocumentEntry> entries;
};
struct Parties {
    PartyGroup group;
};
struct Assignees {
    PartyGroup group;
};
struct Inventors {
    Attributes attributes;
    std::vector<PersonEntry> entries;
};
struct CorrespondenceAddress {
    Attributes attributes;
    std::vector<CorrespondenceEntry> entries;
};
struct OtherItem {
    Node node;
};

// A foreign or international application whose filing date this
// publication claims; each value as written.
struct PriorityClaim {
    Attributes attributes;
    OptionalText country;
    OptionalText doc_number;
    OptionalText date;
};
struct PriorityClaims {
    Attributes attributes;
    std::vector<PriorityClaim> claims;
};

// A document the publication cites: a patent by its country, number, kind,
// name and date, or other literature by its text; each value as written,
// with who cited it ("cited by examiner").
struct Citation {
    Attributes attributes;
    OptionalText country;
    OptionalText doc_number;
    OptionalText kind;
    OptionalText name;
    OptionalText date;
    OptionalText category;
    OptionalText text;
};
struct Citations {
    Attributes attributes;
    std::vector<Citation> citations;
};

using BibliographicItem =
    std::variant<PublicationReference, PublicationFilingType, ApplicationReference, TechnicalInformation,
                 RelatedDocuments, Parties, Assignees, Inventors, CorrespondenceAddress, OtherItem, PriorityClaims,
                 Citations>;

// ----- body ---------------------------------------------------------------

using SubsectionChild = std::variant<Heading, Paragraph, Node>;
struct Subsection {
    Attributes attributes;
    std::vector<SubsectionChild> children;
};
using PartChild = std::variant<Subsection, Node>;

// Cross-reference parts hold headings, paragraphs and kept nodes directly;
// the other three kinds hold subsections and kept nodes.
struct CrossReferencePart {
    Attributes attributes;
    std::vector<SubsectionChild> children;
};
// What the source marks a part as beyond its kind: the detailed-description
// part that v4 text opens for its related-application or government-interest
// statement.
enum class PartTopic : std::uint8_t { None, CrossReference, GovernmentInterest };
struct DescriptionPart {
    Attributes attributes;
    std::vector<PartChild> children;
    PartTopic topic = PartTopic::None;
};
struct SummaryPart : DescriptionPart {};
struct DrawingsDescriptionPart : DescriptionPart {};
struct DetailedDescriptionPart : DescriptionPart {};
using DescriptionBlock =
    std::variant<CrossReferencePart, SummaryPart, DrawingsDescriptionPart, DetailedDescriptionPart, Node>;

using AbstractBlock = std::variant<Paragraph, Node>;

struct ClaimEntry {
    Attributes attributes;
    OptionalText id;
    InlineContent content;
};
using ClaimsChild = std::variant<Heading, ClaimEntry, Node>;

struct Image {
    Attributes attributes;
    OptionalText id;
    OptionalText file;
    OptionalText imf;
    OptionalText ti;
};
using FigureChild = std::variant<Image, Node>;
struct Figure {
    Attributes attributes;
    OptionalText id;
    std::vector<FigureChild> children;
};
struct RepresentativeFigure {
    std::string text;
};
using DrawingsChild = std::variant<Heading, RepresentativeFigure, Figure, Node>;

// ----- sections -----------------------------------------------------------

struct BibliographicSection {
    Attributes attributes;
    std::vector<BibliographicItem> items;
};
struct AbstractSection {
    Attributes attributes;
    std::vector<AbstractBlock> blocks;
};
struct DescriptionSection {
    Attributes attributes;
    std::vector<DescriptionBlock> blocks;
};
struct ClaimsSection {
    Attributes attributes;
    std::vector<ClaimsChild> children;
};
struct DrawingsSection {
    Attributes attributes;
    std::vector<DrawingsChild> children;
};
struct OtherSection {
    Node node;
    // Part of the document's text, shown after its description (the parts
    // of a sequence-listing document); else kept for the record alone.
    bool shown_as_text = false;
};

using Section = std::variant<BibliographicSection, AbstractSection, DescriptionSection, ClaimsSection,
                             DrawingsSection, OtherSection>;

struct Document {
    Attributes attributes;
    std::vector<Section> sections;
    SourceFormat source_format = SourceFormat::UsptoGrantV45;
};

}  // namespace quillmark
