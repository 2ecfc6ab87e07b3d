// Grants (XML 4.0 to 4.7) and application publications (XML 4.0 to 4.6):
// one parser, parameterised by the root element, the bibliographic element
// and the wrong-root message.
#include <array>
#include <cstddef>
#include <optional>
#include <utility>

#include "model/record/party_name.hpp"
#include "model/text/text.hpp"
#include "source/parsers.hpp"
#include "source/xml/document_id.hpp"
#include "source/xml/item_lists.hpp"
#include "source/xml/readers.hpp"
#include "source/xml/sections.hpp"
#include "source/xml/xml_document.hpp"

namespace quillmark {

namespace {

constexpr std::string_view target_attributes[] = {"target"};
constexpr std::string_view figure_target_attributes[] = {"idref", "target"};
constexpr std::string_view claim_target_attributes[] = {"depends_on", "idref"};

constexpr InlineElementRule inline_elements[] = {
    {"number", InlineKind::Number, {}},
    {"cross-reference", InlineKind::CrossReference, target_attributes},
    {"figref", InlineKind::FigureReference, figure_target_attributes},
    {"claim-ref", InlineKind::ClaimReference, claim_target_attributes},
    {"dependent-claim-reference", InlineKind::ClaimReference, claim_target_attributes},
    {"b", InlineKind::Bold, {}},
    {"bold", InlineKind::Bold, {}},
    {"i", InlineKind::Italic, {}},
    {"italic", InlineKind::Italic, {}},
    {"highlight", InlineKind::Highlight, {}},
    {"claim-text", InlineKind::ClaimText, {}},
};
constexpr std::string_view level_attributes[] = {"level", "lvl"};

const MarkupRules markup{
    .inline_elements = inline_elements,
    .transparent_elements = {},
    .text_element = {},
    .keep_processing_instructions = true,
    .id_attribute = "id",
    .level_attributes = level_attributes,
    .align_attribute = "align",
};

// What the elements of the v4 grants and applications are to a reader.
constexpr std::array<NamedRole, 18> element_roles = {{
    {"b", ElementRole::Bold},
    {"br", ElementRole::LineBreak},
    {"del", ElementRole::Deleted},
    {"heading", ElementRole::Heading},
    {"i", ElementRole::Italic},
    {"img", ElementRole::Image},
    {"ins", ElementRole::Inserted},
    {"li", ElementRole::ListItem},
    {"maths", ElementRole::MathWrapper},
    {"ol", ElementRole::OrderedList},
    {"p", ElementRole::Paragraph},
    {"sub", ElementRole::Subscript},
    {"sub2", ElementRole::Subscript},
    {"sup", ElementRole::Superscript},
    {"sup2", ElementRole::Superscript},
    {"tables", ElementRole::NumberedTable},
    {"u", ElementRole::Underline},
    {"ul", ElementRole::List},
}};
static_assert(sorted_by_name(element_roles), "the role table must be sorted by name");

// What tells grants and applications apart: the root and the element that
// holds the bibliographic data.
struct Vocabulary {
    XmlFamily family;
    std::string_view bibliographic;
};

constexpr Vocabulary grant_vocabulary{{"us-patent-grant", "v4.x grants require us-patent-grant root", RootChildren::Elements, element_roles},
                                      "us-bibliographic-data-grant"};
constexpr Vocabulary application_vocabulary{
    {"us-patent-application", "v4.x applications require us-patent-application root", RootChildren::Elements,
     element_roles},
    "us-bibliographic-data-application"};

class V4Reader {
public:
    V4Reader(const XmlTree& tree, const Vocabulary& vocabulary) : tree_(tree), vocabulary_(vocabulary) {}

    Section read_section(XmlId id) const {
        if (tree_.name(id) == vocabulary_.bibliographic) return read_items_by_name<V4Reader>(*this, tree_, id, item_rules);
        return read_section_by_name<V4Reader>(*this, tree_, id, section_rules);
    }

private:
    using Items = std::vector<BibliographicItem>;

    // ----- bibliographic data ---------------------------------------------

    // Classifications and titles that follow each other share one item.
    static void add_technical_entry(Items& items, TechnicalEntry entry) {
        add_to_last_item(items, &TechnicalInformation::entries, std::move(entry));
    }

    void add_publication_reference(XmlId id, Items& items) const {
        if (XmlId document_id = find_child(tree_, id, {"document-id"}))
            items.emplace_back(PublicationReference{read_document_id(tree_, document_id)});
        else
            items.emplace_back(OtherItem{to_node(tree_, id)});
    }

    void add_application_reference(XmlId id, Items& items) const { items.emplace_back(read_application_reference(id)); }

    // A series code joins the application reference before it.
    void add_series_code(XmlId id, Items& items) const {
        add_to_last_item(items, &ApplicationReference::entries, SeriesCode{trimmed_text_or_empty(tree_, id)});
    }

    void add_ipc(XmlId id, Items& items) const { add_technical_entry(items, IpcClassification{read_classification(id)}); }
    void add_ipcr(XmlId id, Items& items) const { add_technical_entry(items, IpcClassification{read_ipcr(id)}); }
    // A US class keeps the spaces that pad its columns ("  2 61").
    void add_national(XmlId id, Items& items) const {
        add_technical_entry(items, NationalClassification{read_classification(id, padded_text)});
    }
    void add_locarno(XmlId id, Items& items) const {
        add_technical_entry(items, LocarnoClassification{read_classification(id)});
    }

    void add_title(XmlId id, Items& items) const {
        if (OptionalText title = trimmed_text(tree_, id)) add_technical_entry(items, InventionTitle{std::move(*title)});
    }

    void add_assignees(XmlId id, Items& items) const {
        items.emplace_back(Assignees{read_party_group(id, {"assignee"})});
    }

    void add_related_documents(XmlId id, Items& items) const { items.emplace_back(read_related_documents(id)); }

    // The main CPC symbol, then the further ones, like the IPCR symbols.
    void add_cpc(XmlId id, Items& items) const {
        Classification classification{attributes_of(tree_, id), std::nullopt, {}};
        for (XmlId group : element_children(tree_, id)) {
            const std::string_view name = tree_.name(group);
            if (name == "main-cpc" || name == "further-cpc")
                add_symbols(classification, group, "classification-cpc", name == "main-cpc");
        }
        add_technical_entry(items, CpcClassification{std::move(classification)});
    }

    // `references-cited` (to 2006) and `us-references-cited`: a cited patent
    // (`patcit`) or other literature (`nplcit`), and who cited it. The
    // record keeps the attributes of the patcit or nplcit element.
    void add_citations(XmlId id, Items& items) const {
        Citations citations{attributes_of(tree_, id), {}};
        std::size_t count = 0;
        for (XmlId child : element_children(tree_, id)) count += is_citation(child);
        citations.citations.reserve(count);
        for (XmlId child : element_children(tree_, id)) {
            if (!is_citation(child)) continue;
            Citation& citation = citations.citations.emplace_back();
            citation.category = child_text(tree_, child, {"category"});
            if (XmlId patent = find_child(tree_, child, {"patcit"})) {
                citation.attributes = attributes_of(tree_, patent);
                if (XmlId document_id = find_child(tree_, patent, {"document-id"})) {
                    citation.country = child_text(tree_, document_id, {"country"});
                    citation.doc_number = child_text(tree_, document_id, {"doc-number"});
                    citation.kind = child_text(tree_, document_id, {"kind"});
                    citation.name = child_text(tree_, document_id, {"name"});
                    citation.date = child_text(tree_, document_id, {"date"});
                }
            } else if (XmlId other = find_child(tree_, child, {"nplcit"})) {
                citation.attributes = attributes_of(tree_, other);
                const XmlId text = find_child(tree_, other, {"othercit"});
                citation.text = trimmed_text(tree_, text ? text : other);
            }
        }
        items.emplace_back(std::move(citations));
    }
    bool is_citation(XmlId id) const { return name_is_one_of(tree_.name(id), {"citation", "us-citation"}); }
    void add_priority_claims(XmlId id, Items& items) const { items.emplace_back(read_priority_claims(id)); }

    ApplicationReference read_application_reference(XmlId id) const {
        ApplicationReference reference{attributes_of(tree_, id), {}};
        ApplicationNumber number;
        number.appl_type = attribute_text(tree_, id, "appl-type");
        OptionalText date;
        if (XmlId document_id = find_child(tree_, id, {"document-id"})) {
            number.doc_number = child_text(tree_, document_id, {"doc-number"});
            date = child_text(tree_, document_id, {"date"});
        }
        reference.entries.emplace_back(std::move(number));
        if (date) reference.entries.emplace_back(FilingDate{std::move(*date)});
        return reference;
    }

    Classification read_classification(XmlId id, TextReader text_of = trimmed_text) const {
        const XmlId main = find_child(tree_, id, {"main-classification"});
        Classification classification{attributes_of(tree_, id), main ? text_of(tree_, main) : std::nullopt, {}};
        for (XmlId child : element_children(tree_, id))
            if (tree_.name(child) == "further-classification")
                if (OptionalText text = text_of(tree_, child)) classification.further.push_back(std::move(*text));
        return classification;
    }

    // section + class + subclass + main-group "/" subgroup, all five present.
    OptionalText ipcr_symbol(XmlId id) const {
        const OptionalText section = child_text(tree_, id, {"section"});
        const OptionalText class_ = child_text(tree_, id, {"class"});
        const OptionalText subclass = child_text(tree_, id, {"subclass"});
        const OptionalText main_group = child_text(tree_, id, {"main-group"});
        const OptionalText subgroup = child_text(tree_, id, {"subgroup"});
        if (!section || !class_ || !subclass || !main_group || !subgroup) return std::nullopt;
        return *section + *class_ + *subclass + *main_group + "/" + *subgroup;
    }

    // The symbol of each `element` child of `parent`: the first becomes the
    // main one when `may_be_main` and none is set yet, the others further.
    void add_symbols(Classification& classification, XmlId parent, std::string_view element, bool may_be_main) const {
        for (XmlId child : element_children(tree_, parent)) {
            if (tree_.name(child) != element) continue;
            OptionalText symbol = ipcr_symbol(child);
            if (!symbol) continue;
            if (may_be_main && !classification.main)
                classification.main = std::move(symbol);
            else
                classification.further.push_back(std::move(*symbol));
        }
    }

    Classification read_ipcr(XmlId id) const {
        Classification classification{attributes_of(tree_, id), std::nullopt, {}};
        add_symbols(classification, id, "classification-ipcr", true);
        return classification;
    }

    // The parties wrappers (and the applicant data and inventors of record,
    // which list parties the same way) leave no item of their own.
    void add_parties(XmlId id, Items& items) const {
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "applicants" || name == "us-applicants")
                items.emplace_back(Parties{read_party_group(child, {"applicant", "us-applicant"})});
            else if (name == "assignees")
                items.emplace_back(Assignees{read_party_group(child, {"assignee"})});
            else if (name == "inventors")
                items.emplace_back(read_inventors(child));
            else
                items.emplace_back(OtherItem{to_node(tree_, child)});
        }
    }

    // Applicants of the type "applicant-inventor" are inventors too; before
    // 2012 they were the only place inventors were named.
    PartyGroup read_party_group(XmlId id, Names party_names) const {
        PartyGroup group{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            if (!name_is_one_of(tree_.name(child), party_names)) continue;
            Party party = named_party(attributes_of(tree_, child), read_party_name(child));
            if (!party.name) continue;
            party.inventor = tree_.attribute_value(child, "app-type") == "applicant-inventor";
            group.parties.push_back(std::move(party));
        }
        return group;
    }

    // The name stands in the party's `addressbook`, or directly in the
    // party element when it has none.
    XmlId name_holder(XmlId party) const {
        const XmlId addressbook = find_child(tree_, party, {"addressbook"});
        return addressbook ? addressbook : party;
    }

    // A person's name parts may be wrapped in a `name` element; a `name`
    // without a given or family name is a name written whole, like an
    // organisation's.
    PartyName read_party_name(XmlId party) const {
        const XmlId holder = name_holder(party);
        const XmlId name = find_child(tree_, holder, {"name"});
        const bool wrapped = name && find_child(tree_, name, {"first-name", "given-name", "last-name", "family-name"});
        const XmlId parts = wrapped ? name : holder;
        PartyName party_name;
        party_name.given_name = child_text(tree_, parts, {"first-name", "given-name"});
        party_name.middle_name = child_text(tree_, parts, {"middle-name"});
        party_name.family_name = child_text(tree_, parts, {"last-name", "family-name"});
        party_name.suffix = child_text(tree_, parts, {"suffix", "name-suffix"});
        party_name.organisation = wrapped ? child_text(tree_, holder, {"orgname", "organization-name"})
                                          : child_text(tree_, holder, {"orgname", "organization-name", "name"});
        return party_name;
    }

    Inventors read_inventors(XmlId id) const {
        Inventors inventors{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            if (tree_.name(child) == "inventor")
                inventors.entries.emplace_back(Inventor{read_person(child)});
            else
                inventors.entries.emplace_back(to_node(tree_, child));
        }
        return inventors;
    }

    Person read_person(XmlId id) const {
        const XmlId holder = name_holder(id);
        Person person;
        static_cast<PartyName&>(person) = read_party_name(id);
        person.attributes = attributes_of(tree_, id);
        if (const XmlId address = find_child(tree_, holder, {"address"})) {
            person.city = child_text(tree_, address, {"city"});
            person.state = child_text(tree_, address, {"state"});
            person.country = child_text(tree_, address, {"country"});
        }
        return person;
    }

    PriorityClaims read_priority_claims(XmlId id) const {
        PriorityClaims claims{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            if (tree_.name(child) != "priority-claim") continue;
            claims.claims.push_back({attributes_of(tree_, child), child_text(tree_, child, {"country"}),
                                     child_text(tree_, child, {"doc-number"}), child_text(tree_, child, {"date"})});
        }
        return claims;
    }

    RelatedDocuments read_related_documents(XmlId id) const {
        RelatedDocuments related{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "continuation" || name == "continuation-in-part" || name == "division") {
                related.entries.emplace_back(read_relation(child));
            } else if (name == "us-provisional-application") {
                OtherRelatedDocument provisional;
                provisional.attributes = attributes_of(tree_, child);
                provisional.relationship = "us-provisional-application";
                if (XmlId document_id = find_child(tree_, child, {"document-id"})) {
                    provisional.parent_doc_number = child_text(tree_, document_id, {"doc-number"});
                    provisional.parent_date = child_text(tree_, document_id, {"date"});
                }
                related.entries.emplace_back(std::move(provisional));
            } else {
                related.entries.emplace_back(to_node(tree_, child));
            }
        }
        return related;
    }

    // The first document-id of the first `holder` child of `id`.
    XmlId document_id_in(XmlId id, std::string_view holder) const {
        const XmlId found = find_child(tree_, id, {holder});
        return found ? find_child(tree_, found, {"document-id"}) : no_node;
    }

    Relation read_relation(XmlId id) const {
        Relation relation;
        relation.attributes = attributes_of(tree_, id);
        relation.relationship = std::string(tree_.name(id));
        const XmlId body = find_child(tree_, id, {"relation"});
        if (body == no_node) return relation;
        if (XmlId parent = document_id_in(body, "parent-doc")) {
            relation.parent_doc_number = child_text(tree_, parent, {"doc-number"});
            relation.parent_date = child_text(tree_, parent, {"date"});
        }
        if (XmlId child = document_id_in(body, "child-doc"))
            relation.child_doc_number = child_text(tree_, child, {"doc-number"});
        return relation;
    }

    // ----- body ------------------------------------------------------------

    Section read_abstract_section(XmlId id) const { return read_abstract(tree_, id, {"p", "paragraph"}, markup); }
    Section read_claims_section(XmlId id) const { return read_claims(tree_, id, markup); }
    Section read_drawings_section(XmlId id) const { return read_drawings(tree_, id, "img", markup); }

    Section read_description(XmlId id) const;

    static constexpr SectionRule<V4Reader> section_rules[] = {
        {"abstract", &V4Reader::read_abstract_section},
        {"description", &V4Reader::read_description},
        {"claims", &V4Reader::read_claims_section},
        {"drawings", &V4Reader::read_drawings_section},
    };

    static constexpr ItemRule<V4Reader> item_rules[] = {
        {"publication-reference", &V4Reader::add_publication_reference},
        {"application-reference", &V4Reader::add_application_reference},
        {"us-application-series-code", &V4Reader::add_series_code},
        {"classification-ipc", &V4Reader::add_ipc},
        {"classification-national", &V4Reader::add_national},
        {"classification-locarno", &V4Reader::add_locarno},
        {"classifications-ipcr", &V4Reader::add_ipcr},
        {"invention-title", &V4Reader::add_title},
        {"parties", &V4Reader::add_parties},
        {"us-parties", &V4Reader::add_parties},
        {"applicant-data", &V4Reader::add_parties},
        {"us-inventors-of-record", &V4Reader::add_parties},
        {"assignees", &V4Reader::add_assignees},
        {"us-related-documents", &V4Reader::add_related_documents},
        {"priority-claims", &V4Reader::add_priority_claims},
        {"classifications-cpc", &V4Reader::add_cpc},
        {"references-cited", &V4Reader::add_citations},
        {"us-references-cited", &V4Reader::add_citations},
    };

    const XmlTree& tree_;
    const Vocabulary& vocabulary_;
};

// The description is a flat run of headings, paragraphs and processing
// instruction markers; the walk groups it into parts and subsections.
class DescriptionWalk {
public:
    enum class PartKind { Summary, DrawingsDescription, DetailedDescription };

    explicit DescriptionWalk(const XmlTree& tree) : tree_(tree) {}

    std::vector<DescriptionBlock> run(XmlId description) {
        for (XmlId child = tree_.first_child(description); child != no_node; child = tree_.next_sibling(child))
            visit_top_level(child);
        close_part();
        return std::move(blocks_);
    }

private:
    struct OpenPart {
        PartKind kind;
        DescriptionPart part;
    };

    void visit_top_level(XmlId id) {
        switch (tree_.kind(id)) {
            case XmlKind::Element: {
                const std::string_view name = tree_.name(id);
                if (name == "description-of-drawings")
                    visit_drawings_description(id);
                else if (!visit_heading_or_paragraph(id))
                    add_kept(to_node(tree_, id));
                return;
            }
            case XmlKind::ProcessingInstruction: visit_marker(id); return;
            case XmlKind::Text:
            case XmlKind::CData:
                if (!is_white_space_only(tree_.text(id))) add_kept(to_node(tree_, id));
                return;
            default: return;  // comments, entity references
        }
    }

    bool visit_heading_or_paragraph(XmlId id) {
        const std::string_view name = tree_.name(id);
        if (name == "p" || name == "paragraph") {
            if (!part_) open_part(PartKind::DetailedDescription);
            if (!subsection_) subsection_.emplace();
            subsection_->children.emplace_back(read_paragraph(tree_, id, markup));
            return true;
        }
        if (name == "heading") {
            if (!part_) open_part(PartKind::DetailedDescription);
            close_subsection();
            subsection_.emplace();
            subsection_->children.emplace_back(read_heading(tree_, id, markup));
            return true;
        }
        return false;
    }

    void visit_drawings_description(XmlId id) {
        if (!part_) open_part(PartKind::DrawingsDescription);
        for (XmlId child = tree_.first_child(id); child != no_node; child = tree_.next_sibling(child))
            if (!tree_.is_element(child) || !visit_heading_or_paragraph(child)) add_kept(to_node(tree_, child));
    }

    static std::string lowered(std::string_view target) {
        std::string lower(target);
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return lower;
    }

    static std::optional<PartKind> marker_kind(std::string_view target) {
        const std::string lower = lowered(target);
        if (lower == "brfsum" || lower == "summary-of-invention") return PartKind::Summary;
        if (lower == "brief-description-of-drawings") return PartKind::DrawingsDescription;
        if (lower == "detdesc" || lower == "detailed-description") return PartKind::DetailedDescription;
        return std::nullopt;
    }

    void visit_marker(XmlId id) {
        if (tree_.has_text(id) && tree_.text(id).find("end=\"tail\"") != std::string_view::npos) {
            topic_ = PartTopic::None;
            close_part();
            blocks_.emplace_back(to_node(tree_, id));
            return;
        }
        if (auto kind = marker_kind(tree_.name(id))) {
            close_part();
            blocks_.emplace_back(to_node(tree_, id));
            open_part(*kind);
            return;
        }
        if (const PartTopic topic = marker_topic(tree_.name(id)); topic != PartTopic::None && !part_) topic_ = topic;
        add_kept(to_node(tree_, id));
    }

    // The statements that stand in a part of their own without a part marker.
    static PartTopic marker_topic(std::string_view target) {
        const std::string lower = lowered(target);
        if (lower == "relapp" || lower == "cross-reference-to-related-applications") return PartTopic::CrossReference;
        if (lower == "govint" || lower == "federal-research-statement") return PartTopic::GovernmentInterest;
        return PartTopic::None;
    }

    void add_kept(Node node) {
        if (subsection_)
            subsection_->children.emplace_back(std::move(node));
        else if (part_)
            part_->part.children.emplace_back(std::move(node));
        else
            blocks_.emplace_back(std::move(node));
    }

    void open_part(PartKind kind) {
        part_.emplace(OpenPart{kind, {}});
        part_->part.topic = std::exchange(topic_, PartTopic::None);
    }

    void close_subsection() {
        if (!subsection_) return;
        part_->part.children.emplace_back(std::move(*subsection_));
        subsection_.reset();
    }

    void close_part() {
        if (!part_) return;
        close_subsection();
        DescriptionPart& part = part_->part;
        switch (part_->kind) {
            case PartKind::Summary: blocks_.emplace_back(SummaryPart{std::move(part)}); break;
            case PartKind::DrawingsDescription: blocks_.emplace_back(DrawingsDescriptionPart{std::move(part)}); break;
            case PartKind::DetailedDescription: blocks_.emplace_back(DetailedDescriptionPart{std::move(part)}); break;
        }
        part_.reset();
    }

    const XmlTree& tree_;
    std::vector<DescriptionBlock> blocks_;
    std::optional<OpenPart> part_;
    std::optional<Subsection> subsection_;
    PartTopic topic_ = PartTopic::None;  // of the part the next paragraph opens
};

Section V4Reader::read_description(XmlId id) const {
    return DescriptionSection{attributes_of(tree_, id), DescriptionWalk(tree_).run(id)};
}

ParseResult parse_v4(std::string_view text, SourceFormat format, const Vocabulary& vocabulary) {
    return read_xml_document(text, format, vocabulary.family, [&vocabulary](const XmlTree& tree, XmlId child) {
        return V4Reader(tree, vocabulary).read_section(child);
    });
}

}  // namespace

ParseResult parse_grant_v4(std::string_view text, SourceFormat format) {
    return parse_v4(text, format, grant_vocabulary);
}

ParseResult parse_application_v4(std::string_view text, SourceFormat format) {
    return parse_v4(text, format, application_vocabulary);
}

}  // namespace quillmark
