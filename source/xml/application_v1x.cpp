// Application publications of the XML generations 1.5 and 1.6
// (`patent-application-publication`): one parser for both, which differ
// only in the source format recorded.
#include <array>
#include <iterator>
#include <vector>

#include "model/record/party_name.hpp"
#include "source/parsers.hpp"
#include "source/xml/item_lists.hpp"
#include "source/xml/readers.hpp"
#include "source/xml/sections.hpp"
#include "source/xml/xml_document.hpp"

namespace quillmark {

namespace {

constexpr std::string_view target_attributes[] = {"target"};
constexpr std::string_view figure_target_attributes[] = {"idref", "target"};
constexpr std::string_view claim_target_attributes[] = {"depends_on"};

// The short forms `b` and `i` and `claim-ref` belong to later generations;
// here they stay kept elements.
constexpr InlineElementRule inline_elements[] = {
    {"number", InlineKind::Number, {}},
    {"cross-reference", InlineKind::CrossReference, target_attributes},
    {"figref", InlineKind::FigureReference, figure_target_attributes},
    {"dependent-claim-reference", InlineKind::ClaimReference, claim_target_attributes},
    {"bold", InlineKind::Bold, {}},
    {"italic", InlineKind::Italic, {}},
    {"highlight", InlineKind::Highlight, {}},
    {"claim-text", InlineKind::ClaimText, {}},
};
constexpr std::string_view level_attributes[] = {"lvl"};

const MarkupRules markup{
    .inline_elements = inline_elements,
    .transparent_elements = {},
    .text_element = {},
    .keep_processing_instructions = false,
    .id_attribute = "id",
    .level_attributes = level_attributes,
    .align_attribute = "align",
};

using Items = std::vector<BibliographicItem>;

class V1xReader {
public:
    explicit V1xReader(const XmlTree& tree) : tree_(tree) {}

    Section read_section(XmlId id) const { return read_section_by_name<V1xReader>(*this, tree_, id, section_rules); }

private:
    // The trimmed text of the first descendant named `name`, at any depth.
    OptionalText descendant_text(XmlId id, std::string_view name) const {
        const XmlId found = find_descendant(tree_, id, name);
        return found ? trimmed_text(tree_, found) : std::nullopt;
    }

    // ----- bibliographic data ---------------------------------------------

    Section read_bibliographic(XmlId id) const { return read_items_by_name<V1xReader>(*this, tree_, id, item_rules); }

    void add_publication_reference(XmlId id, Items& items) const {
        items.emplace_back(PublicationReference{read_document_id(id)});
    }

    void add_filing_type(XmlId id, Items& items) const {
        items.emplace_back(PublicationFilingType{trimmed_text_or_empty(tree_, id)});
    }

    void add_continuity_data(XmlId id, Items& items) const { items.emplace_back(read_continuity_data(id)); }

    void add_inventors(XmlId id, Items& items) const { items.emplace_back(read_inventors(id)); }

    void add_foreign_priority(XmlId id, Items& items) const { add_priority_claim(items, read_priority_claim(id)); }

    // Assignees that follow each other form one item.
    void add_assignee(XmlId id, Items& items) const {
        if (items.empty() || !std::holds_alternative<Assignees>(items.back())) items.emplace_back(Assignees{});
        std::get<Assignees>(items.back()).group.parties.push_back(read_assignee(id));
    }

    void add_correspondence_address(XmlId id, Items& items) const {
        items.emplace_back(read_correspondence_address(id));
    }

    DocumentId read_document_id(XmlId id) const {
        DocumentId document_id;
        document_id.doc_number = child_text(tree_, id, {"doc-number"}).value_or(std::string());
        document_id.kind = child_text(tree_, id, {"kind-code"});
        document_id.date = child_text(tree_, id, {"document-date"});
        document_id.country = child_text(tree_, id, {"country-code"});
        return document_id;
    }

    // Application and technical entries have no kept-node kind, so a child
    // without an entry rule follows the item as an Other item of its own.
    void add_domestic_filing_data(XmlId id, Items& items) const {
        ApplicationReference reference{attributes_of(tree_, id), {}};
        Items unread;
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "application-number")
                reference.entries.emplace_back(ApplicationNumber{attributes_of(tree_, child),
                                                                 attribute_text(tree_, child, "appl-type"),
                                                                 child_text(tree_, child, {"doc-number"})});
            else if (name == "application-number-series-code")
                reference.entries.emplace_back(SeriesCode{trimmed_text_or_empty(tree_, child)});
            else if (name == "filing-date")
                reference.entries.emplace_back(FilingDate{trimmed_text_or_empty(tree_, child)});
            else
                unread.emplace_back(OtherItem{to_node(tree_, child)});
        }
        items.emplace_back(std::move(reference));
        std::move(unread.begin(), unread.end(), std::back_inserter(items));
    }

    void add_technical_information(XmlId id, Items& items) const {
        TechnicalInformation information{attributes_of(tree_, id), {}};
        Items unread;
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "classification-ipc")
                information.entries.emplace_back(IpcClassification{
                    read_classification(child, "classification-ipc-primary", "classification-ipc-secondary",
                                        &V1xReader::ipc_text)});
            else if (name == "classification-us")
                information.entries.emplace_back(NationalClassification{
                    read_classification(child, "classification-us-primary", "classification-us-secondary",
                                        &V1xReader::us_class_text)});
            else if (name == "title-of-invention")
                information.entries.emplace_back(InventionTitle{trimmed_text_or_empty(tree_, child)});
            else
                unread.emplace_back(OtherItem{to_node(tree_, child)});
        }
        items.emplace_back(std::move(information));
        std::move(unread.begin(), unread.end(), std::back_inserter(items));
    }

    using ClassText = OptionalText (V1xReader::*)(XmlId) const;

    // The primary classification is the main one, each secondary one a
    // further one. Without a primary wrapper, the first class below the
    // element is the main one.
    Classification read_classification(XmlId id, std::string_view primary, std::string_view secondary,
                                       ClassText text_of) const {
        Classification classification{attributes_of(tree_, id), std::nullopt, {}};
        const XmlId primary_id = find_child(tree_, id, {primary});
        classification.main = (this->*text_of)(primary_id ? primary_id : id);
        for (XmlId child : element_children(tree_, id))
            if (tree_.name(child) == secondary)
                if (OptionalText text = (this->*text_of)(child)) classification.further.push_back(std::move(*text));
        return classification;
    }

    OptionalText ipc_text(XmlId id) const { return descendant_text(id, "ipc"); }

    // A US classification is its class, right-justified in its three
    // columns, followed by its subclass, as the later generations write it
    // ("210" and "670000" give "210670000"; a class written "2", "  2").
    OptionalText us_class_text(XmlId id) const {
        const OptionalText class_ = descendant_text(id, "class");
        const OptionalText subclass = descendant_text(id, "subclass");
        if (!class_ && !subclass) return std::nullopt;
        std::string text = class_.value_or(std::string());
        if (text.size() < class_columns) text.insert(0, class_columns - text.size(), ' ');
        return text + subclass.value_or(std::string());
    }

    static constexpr std::size_t class_columns = 3;

    // Relations are named as the later generations name them; the
    // `continuations` wrapper holds relations of its own.
    static std::optional<std::string_view> relationship_of(std::string_view name) {
        if (name == "continuation-of") return "continuation";
        if (name == "continuation-in-part-of") return "continuation-in-part";
        if (name == "division-of") return "division";
        if (name == "a-371-of-international") return name;
        return std::nullopt;
    }

    RelatedDocuments read_continuity_data(XmlId id) const {
        RelatedDocuments related{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "continuations") {
                for (XmlId relation : element_children(tree_, child)) add_related_document(relation, related);
            } else {
                add_related_document(child, related);
            }
        }
        return related;
    }

    void add_related_document(XmlId id, RelatedDocuments& related) const {
        const std::string_view name = tree_.name(id);
        if (const auto relationship = relationship_of(name)) {
            related.entries.emplace_back(read_relation(id, *relationship));
        } else if (name == "non-provisional-of-provisional") {
            OtherRelatedDocument provisional;
            provisional.attributes = attributes_of(tree_, id);
            provisional.relationship = "us-provisional-application";
            provisional.parent_doc_number = descendant_text(id, "doc-number");
            provisional.parent_date = descendant_text(id, "document-date");
            related.entries.emplace_back(std::move(provisional));
        } else {
            related.entries.emplace_back(to_node(tree_, id));
        }
    }

    // A relation names its parent application. When the block separates a
    // `parent` from the `child` (this application), the parent's number and
    // date are read from there, whichever of the two is written first.
    Relation read_relation(XmlId id, std::string_view relationship) const {
        Relation relation;
        relation.attributes = attributes_of(tree_, id);
        relation.relationship = std::string(relationship);
        const XmlId parent = find_descendant(tree_, id, "parent");
        const XmlId holder = parent ? parent : id;
        relation.parent_doc_number = descendant_text(holder, "doc-number");
        relation.parent_date = descendant_text(holder, "document-date");
        if (const XmlId child = find_descendant(tree_, id, "child"))
            relation.child_doc_number = descendant_text(child, "doc-number");
        return relation;
    }

    PriorityClaim read_priority_claim(XmlId id) const {
        PriorityClaim claim;
        claim.attributes = attributes_of(tree_, id);
        claim.country = child_text(tree_, id, {"country-code"});
        claim.doc_number = descendant_text(id, "doc-number");
        claim.date = child_text(tree_, id, {"filing-date"});
        return claim;
    }

    Person read_person(XmlId id) const {
        Person person;
        person.attributes = attributes_of(tree_, id);
        person.given_name = descendant_text(id, "given-name");
        person.middle_name = descendant_text(id, "middle-name");
        person.family_name = descendant_text(id, "family-name");
        person.suffix = descendant_text(id, "name-suffix");
        person.city = descendant_text(id, "city");
        person.state = descendant_text(id, "state");
        person.country = descendant_text(id, "country-code");
        return person;
    }

    // An organisation, or a person by the parts of their name.
    Party read_assignee(XmlId id) const {
        Person person = read_person(id);
        person.organisation = child_text(tree_, id, {"organization-name"});
        return named_party(person.attributes, person);
    }

    Inventors read_inventors(XmlId id) const {
        Inventors inventors{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "first-named-inventor")
                inventors.entries.emplace_back(FirstNamedInventor{read_person(child)});
            else if (name == "inventor")
                inventors.entries.emplace_back(Inventor{read_person(child)});
            else
                inventors.entries.emplace_back(to_node(tree_, child));
        }
        return inventors;
    }

    Address read_address(XmlId id) const {
        Address address;
        address.attributes = attributes_of(tree_, id);
        for (XmlId child : element_children(tree_, id))
            if (tree_.name(child).starts_with("address-"))
                if (OptionalText line = trimmed_text(tree_, child)) address.lines.push_back(std::move(*line));
        address.city = child_text(tree_, id, {"city"});
        address.state = child_text(tree_, id, {"state"});
        address.country = descendant_text(id, "country-code");
        address.postal_code = child_text(tree_, id, {"postalcode"});
        return address;
    }

    CorrespondenceAddress read_correspondence_address(XmlId id) const {
        CorrespondenceAddress correspondence{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "name-1" || name == "name-2")
                correspondence.entries.emplace_back(NameLine{trimmed_text_or_empty(tree_, child)});
            else if (name == "address")
                correspondence.entries.emplace_back(read_address(child));
            else
                correspondence.entries.emplace_back(to_node(tree_, child));
        }
        return correspondence;
    }

    // ----- body ------------------------------------------------------------

    // Headings, paragraphs and kept nodes: the content of a cross-reference
    // part and of a `section`.
    std::vector<SubsectionChild> read_headed_text(XmlId id) const {
        std::vector<SubsectionChild> children;
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "heading")
                children.emplace_back(read_heading(tree_, child, markup));
            else if (name == "paragraph")
                children.emplace_back(read_paragraph(tree_, child, markup));
            else
                children.emplace_back(to_node(tree_, child));
        }
        return children;
    }

    // Summary, drawings-description and detailed-description parts group
    // their text in `section` elements; anything else in them is kept.
    DescriptionPart read_part(XmlId id) const {
        DescriptionPart part{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            if (tree_.name(child) == "section")
                part.children.emplace_back(Subsection{attributes_of(tree_, child), read_headed_text(child)});
            else
                part.children.emplace_back(to_node(tree_, child));
        }
        return part;
    }

    Section read_description(XmlId id) const {
        DescriptionSection section{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "cross-reference-to-related-applications")
                section.blocks.emplace_back(CrossReferencePart{attributes_of(tree_, child), read_headed_text(child)});
            else if (name == "summary-of-invention")
                section.blocks.emplace_back(SummaryPart{read_part(child)});
            else if (name == "brief-description-of-drawings")
                section.blocks.emplace_back(DrawingsDescriptionPart{read_part(child)});
            else if (name == "detailed-description")
                section.blocks.emplace_back(DetailedDescriptionPart{read_part(child)});
            else
                section.blocks.emplace_back(to_node(tree_, child));
        }
        return section;
    }

    Section read_drawings_section(XmlId id) const { return read_drawings(tree_, id, "image", markup); }
    Section read_abstract_section(XmlId id) const { return read_abstract(tree_, id, {"paragraph"}, markup); }
    Section read_claims_section(XmlId id) const { return read_claims(tree_, id, markup); }

    static constexpr SectionRule<V1xReader> section_rules[] = {
        {"subdoc-bibliographic-information", &V1xReader::read_bibliographic},
        {"subdoc-abstract", &V1xReader::read_abstract_section},
        {"subdoc-description", &V1xReader::read_description},
        {"subdoc-claims", &V1xReader::read_claims_section},
        {"subdoc-drawings", &V1xReader::read_drawings_section},
    };

    static constexpr ItemRule<V1xReader> item_rules[] = {
        {"document-id", &V1xReader::add_publication_reference},
        {"publication-filing-type", &V1xReader::add_filing_type},
        {"domestic-filing-data", &V1xReader::add_domestic_filing_data},
        {"technical-information", &V1xReader::add_technical_information},
        {"continuity-data", &V1xReader::add_continuity_data},
        {"inventors", &V1xReader::add_inventors},
        {"foreign-priority-data", &V1xReader::add_foreign_priority},
        {"assignee", &V1xReader::add_assignee},
        {"correspondence-address", &V1xReader::add_correspondence_address},
    };

    const XmlTree& tree_;
};

// What the elements of the v1.x applications are to a reader.
constexpr std::array<NamedRole, 17> element_roles = {{
    {"bold", ElementRole::Bold},
    {"chemistry-chemdraw-file", ElementRole::Unrendered},
    {"chemistry-mol-file", ElementRole::Unrendered},
    {"federal-research-statement", ElementRole::GovernmentInterestStatement},
    {"heading", ElementRole::Heading},
    {"image", ElementRole::Image},
    {"in-line-formula", ElementRole::InlineFormula},
    {"italic", ElementRole::Italic},
    {"math-cwu", ElementRole::MathWrapper},
    {"mathematica-file", ElementRole::Unrendered},
    {"number", ElementRole::Number},
    {"paragraph", ElementRole::Paragraph},
    {"subscript", ElementRole::Subscript},
    {"superscript", ElementRole::Superscript},
    {"table-cwu", ElementRole::NumberedTable},
    {"uline", ElementRole::Underline},
    {"underline", ElementRole::Underline},
}};
static_assert(sorted_by_name(element_roles), "the role table must be sorted by name");

// Both generations refuse another root with the same message, which names
// the first of them.
constexpr XmlFamily family{"patent-application-publication",
                           "UsptoApplicationV15 requires patent-application-publication root", RootChildren::Elements,
                           element_roles};

}  // namespace

ParseResult parse_application_v1x(std::string_view text, SourceFormat format) {
    return read_xml_document(text, format, family,
                             [](const XmlTree& tree, XmlId child) { return V1xReader(tree).read_section(child); });
}

}  // namespace quillmark
