// Grants of the XML generation 2.5 (`PATDOC`, WIPO ST.32 element codes). The
// numeric codes are translated into the records the later generations use;
// character data sits in PDAT elements, usually wrapped in STEXT or PTEXT.
#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <vector>

#include "model/text/classification_forms.hpp"
#include "model/record/party_name.hpp"
#include "model/text/text.hpp"
#include "source/parsers.hpp"
#include "source/xml/item_lists.hpp"
#include "source/xml/readers.hpp"
#include "source/xml/sections.hpp"
#include "source/xml/xml_document.hpp"

namespace quillmark {

namespace {

constexpr std::string_view reference_target_attributes[] = {"ID"};
constexpr std::string_view text_wrappers[] = {"PTEXT", "STEXT"};
constexpr std::string_view level_attributes[] = {"LVL"};

constexpr std::array text_elements = {
    InlineElementRule{"BOLD", InlineKind::Bold, {}},
    InlineElementRule{"ITALIC", InlineKind::Italic, {}},
    InlineElementRule{"HIL", InlineKind::Highlight, {}},
    InlineElementRule{"FGREF", InlineKind::FigureReference, reference_target_attributes},
    InlineElementRule{"CLREF", InlineKind::ClaimReference, reference_target_attributes},
};

// Inside a claim, its leading paragraph and every step (steps may nest) are
// claim text; the rest is read as elsewhere.
constexpr auto claim_elements = [] {
    std::array<InlineElementRule, text_elements.size() + 2> elements{};
    std::copy(text_elements.begin(), text_elements.end(), elements.begin());
    elements[text_elements.size()] = {"PARA", InlineKind::ClaimText, {}};
    elements[text_elements.size() + 1] = {"CLMSTEP", InlineKind::ClaimText, {}};
    return elements;
}();

constexpr MarkupRules make_markup(std::span<const InlineElementRule> elements) {
    return MarkupRules{
        .inline_elements = elements,
        .transparent_elements = text_wrappers,
        .text_element = "PDAT",
        .keep_processing_instructions = false,
        .id_attribute = "ID",
        .level_attributes = level_attributes,
        .align_attribute = {},
    };
}

const MarkupRules markup = make_markup(text_elements);
const MarkupRules claim_markup = make_markup(claim_elements);

using Items = std::vector<BibliographicItem>;
using Path = std::initializer_list<std::string_view>;

class V25Reader {
public:
    explicit V25Reader(const XmlTree& tree) : tree_(tree) {}

    Section read_section(XmlId id) const { return read_section_by_name<V25Reader>(*this, tree_, id, section_rules); }

private:
    // Follows the path through first children of those names; path_text is
    // the text of the element reached, trimmed unless `text_of` says
    // otherwise, absent when a step is missing or the text is blank.
    XmlId path_node(XmlId id, Path path) const {
        for (std::string_view step : path) {
            id = find_child(tree_, id, {step});
            if (id == no_node) return no_node;
        }
        return id;
    }

    OptionalText path_text(XmlId id, Path path, TextReader text_of = trimmed_text) const {
        const XmlId found = path_node(id, path);
        return found ? text_of(tree_, found) : std::nullopt;
    }

    // Calls `visit` for each element of a block's body: its element children,
    // with the children of a BTEXT wrapper taking the wrapper's place.
    template <class Visit>
    void for_each_body_element(XmlId id, Visit&& visit) const {
        for (XmlId child : element_children(tree_, id)) {
            if (tree_.name(child) == "BTEXT")
                for (XmlId grandchild : element_children(tree_, child)) visit(grandchild);
            else
                visit(child);
        }
    }

    // ----- bibliographic data ---------------------------------------------

    Section read_bibliographic(XmlId id) const { return read_items_by_name<V25Reader>(*this, tree_, id, item_rules); }

    void add_publication(XmlId id, Items& items) const { items.emplace_back(PublicationReference{read_publication(id)}); }
    void add_application(XmlId id, Items& items) const { items.emplace_back(read_application(id)); }
    void add_related_documents(XmlId id, Items& items) const { items.emplace_back(read_related_documents(id)); }
    void add_priority(XmlId id, Items& items) const { add_priority_claim(items, read_priority_claim(id)); }

    DocumentId read_publication(XmlId id) const {
        DocumentId document_id;
        document_id.doc_number = path_text(id, {"B110", "DNUM", "PDAT"}).value_or(std::string());
        document_id.kind = path_text(id, {"B130", "PDAT"});
        document_id.date = path_text(id, {"B140", "DATE", "PDAT"});
        document_id.country = path_text(id, {"B190", "PDAT"});
        return document_id;
    }

    // The application number as written, series code included ("09343526"),
    // and the series code of its own (B211US).
    ApplicationReference read_application(XmlId id) const {
        ApplicationReference reference{attributes_of(tree_, id), {}};
        if (OptionalText number = path_text(id, {"B210", "DNUM", "PDAT"}))
            reference.entries.emplace_back(ApplicationNumber{{}, std::nullopt, std::move(number)});
        if (OptionalText series = path_text(id, {"B211US", "PDAT"}))
            reference.entries.emplace_back(SeriesCode{std::move(*series)});
        if (OptionalText date = path_text(id, {"B220", "DATE", "PDAT"}))
            reference.entries.emplace_back(FilingDate{std::move(*date)});
        return reference;
    }

    // Classifications and the title become one technical-information item;
    // the citations (B560) follow it as an item of their own, and every
    // other child of B500 as an Other item. The title is the
    // whole text of its STEXT, so markup inside it (a subscript, say) does
    // not cut it short; a B540 without one is kept as an Other item.
    void read_technical_information(XmlId id, Items& items) const {
        TechnicalInformation information;
        Items unread;
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "B510") {
                information.entries.emplace_back(ipc_or_locarno(read_classification(child, "B511", "B512")));
            } else if (name == "B520") {
                // A US class keeps the spaces that pad its columns (" D2960").
                information.entries.emplace_back(
                    NationalClassification{read_classification(child, "B521", "B522", padded_text)});
            } else if (OptionalText title = name == "B540" ? path_text(child, {"STEXT"}) : std::nullopt) {
                information.entries.emplace_back(InventionTitle{std::move(*title)});
            } else if (name == "B560") {
                unread.emplace_back(read_citations(child));
            } else {
                unread.emplace_back(OtherItem{to_node(tree_, child)});
            }
        }
        if (!information.entries.empty()) items.emplace_back(std::move(information));
        std::move(unread.begin(), unread.end(), std::back_inserter(items));
    }

    // A design grant's B510 holds its Locarno class ("0202") where other
    // grants hold their IPC symbols.
    static TechnicalEntry ipc_or_locarno(Classification classification) {
        if (classification.main && is_locarno_class(*classification.main))
            return LocarnoClassification{std::move(classification)};
        return IpcClassification{std::move(classification)};
    }

    // The main classification and every further one, each from its PDAT.
    Classification read_classification(XmlId id, std::string_view main, std::string_view further,
                                       TextReader text_of = trimmed_text) const {
        Classification classification{attributes_of(tree_, id), path_text(id, {main, "PDAT"}, text_of), {}};
        for (XmlId child : element_children(tree_, id))
            if (tree_.name(child) == further)
                if (OptionalText text = path_text(child, {"PDAT"}, text_of))
                    classification.further.push_back(std::move(*text));
        return classification;
    }

    // B560: cited patents (B561, a PCIT) and other literature (B562, an
    // NCIT), each followed by an empty element that names who cited it
    // (CITED-BY-EXAMINER gives "cited by examiner").
    Citations read_citations(XmlId id) const {
        Citations citations{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name != "B561" && name != "B562") continue;
            Citation citation;
            citation.attributes = attributes_of(tree_, child);
            if (const XmlId patent = find_child(tree_, child, {"PCIT"})) {
                citation.doc_number = path_text(patent, {"DOC", "DNUM", "PDAT"});
                citation.date = path_text(patent, {"DOC", "DATE", "PDAT"});
                citation.kind = path_text(patent, {"DOC", "KIND", "PDAT"});
                citation.country = path_text(patent, {"DOC", "CTRY", "PDAT"});
                citation.name = path_text(patent, {"PARTY-US", "NAM", "SNM", "STEXT", "PDAT"});
            } else if (const XmlId other = find_child(tree_, child, {"NCIT"})) {
                citation.text = trimmed_text(tree_, other);
            }
            for (XmlId mark : element_children(tree_, child))
                if (tree_.name(mark).starts_with("CITED-BY-")) citation.category = category_of(tree_.name(mark));
            citations.citations.push_back(std::move(citation));
        }
        return citations;
    }

    static std::string category_of(std::string_view mark) {
        std::string category(mark);
        for (char& c : category) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c == '-') c = ' ';
        }
        return category;
    }

    // B300: the number (B310), filing date (B320) and country (B330) of a
    // foreign application whose priority this grant claims.
    PriorityClaim read_priority_claim(XmlId id) const {
        return PriorityClaim{attributes_of(tree_, id), path_text(id, {"B330", "CTRY", "PDAT"}),
                             path_text(id, {"B310", "DNUM", "PDAT"}), path_text(id, {"B320", "DATE", "PDAT"})};
    }

    // B620 names the parent US application (PDOC) of this one (CDOC);
    // B630 holds continuations (B631) and continuations-in-part (B632) in
    // the same form; B680US names a provisional application.
    RelatedDocuments read_related_documents(XmlId id) const {
        RelatedDocuments related{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "B620") {
                related.entries.emplace_back(read_parent_us(child, "parent-us"));
            } else if (name == "B630") {
                for (XmlId continuation : element_children(tree_, child)) {
                    const std::string_view kind = tree_.name(continuation);
                    if (kind == "B631")
                        related.entries.emplace_back(read_parent_us(continuation, "continuation"));
                    else if (kind == "B632")
                        related.entries.emplace_back(read_parent_us(continuation, "continuation-in-part"));
                    else
                        related.entries.emplace_back(to_node(tree_, continuation));
                }
            } else if (name == "B680US") {
                OtherRelatedDocument link;
                link.attributes = attributes_of(tree_, child);
                link.relationship = "us-provisional-application";
                link.parent_doc_number = path_text(child, {"DOC", "DNUM", "PDAT"});
                link.parent_date = path_text(child, {"DOC", "DATE", "PDAT"});
                related.entries.emplace_back(std::move(link));
            } else {
                related.entries.emplace_back(to_node(tree_, child));
            }
        }
        return related;
    }

    OtherRelatedDocument read_parent_us(XmlId id, std::string_view relationship) const {
        OtherRelatedDocument link;
        link.attributes = attributes_of(tree_, id);
        link.relationship = std::string(relationship);
        if (XmlId parent_us = find_child(tree_, id, {"PARENT-US"})) {
            if (XmlId cdoc = find_child(tree_, parent_us, {"CDOC"}))
                link.child_doc_number = path_text(cdoc, {"DOC", "DNUM", "PDAT"});
            if (XmlId pdoc = find_child(tree_, parent_us, {"PDOC"})) {
                link.parent_doc_number = path_text(pdoc, {"DOC", "DNUM", "PDAT"});
                link.parent_date = path_text(pdoc, {"DOC", "DATE", "PDAT"});
            }
        }
        return link;
    }

    // Inventors (B720), who are the applicants of a US grant, and assignees
    // (each B730 one item); agents, examiners and the other parties of B700
    // are not kept.
    void read_parties(XmlId id, Items& items) const {
        if (XmlId inventors = find_child(tree_, id, {"B720"})) {
            PartyGroup group = read_party_group(inventors, "B721");
            for (Party& party : group.parties) party.inventor = true;
            items.emplace_back(Parties{std::move(group)});
        }
        for (XmlId child : element_children(tree_, id))
            if (tree_.name(child) == "B730") items.emplace_back(Assignees{read_party_group(child, "B731")});
    }

    // A party without any name is skipped; the parties after it still count.
    PartyGroup read_party_group(XmlId id, std::string_view party_element) const {
        PartyGroup group{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            if (tree_.name(child) != party_element) continue;
            if (Party party = read_party(child); party.name) group.parties.push_back(std::move(party));
        }
        return group;
    }

    // Named by the organisation name, else by the first name, surname and
    // suffix.
    Party read_party(XmlId id) const {
        const XmlId name = path_node(id, {"PARTY-US", "NAM"});
        if (name == no_node) return {};
        PartyName party_name;
        party_name.given_name = path_text(name, {"FNM", "PDAT"});
        party_name.family_name = path_text(name, {"SNM", "STEXT", "PDAT"});
        party_name.suffix = path_text(name, {"SFX", "PDAT"});
        party_name.organisation = path_text(name, {"ONM", "STEXT", "PDAT"});
        return named_party(attributes_of(tree_, id), std::move(party_name));
    }

    // ----- body ------------------------------------------------------------

    Section read_abstract(XmlId id) const {
        AbstractSection section{attributes_of(tree_, id), {}};
        for_each_body_element(
            id, [&](XmlId child) { section.blocks.push_back(read_abstract_block(tree_, child, {"PARA"}, markup)); });
        return section;
    }

    // Every heading opens a subsection; paragraphs before the first heading
    // form one without a heading. Other elements join the open subsection,
    // or stand on their own before any is open.
    DescriptionPart read_part(XmlId id) const {
        DescriptionPart part{attributes_of(tree_, id), {}};
        std::optional<Subsection> open;
        for_each_body_element(id, [&](XmlId child) {
            const std::string_view name = tree_.name(child);
            if (name == "H") {
                if (open) part.children.emplace_back(std::move(*open));
                open.emplace();
                open->children.emplace_back(read_heading(tree_, child, markup));
            } else if (name == "PARA") {
                if (!open) open.emplace();
                open->children.emplace_back(read_paragraph(tree_, child, markup));
            } else if (open) {
                open->children.emplace_back(to_node(tree_, child));
            } else {
                part.children.emplace_back(to_node(tree_, child));
            }
        });
        if (open) part.children.emplace_back(std::move(*open));
        return part;
    }

    Section read_description(XmlId id) const {
        DescriptionSection section{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "BRFSUM")
                section.blocks.emplace_back(SummaryPart{read_part(child)});
            else if (name == "DRWDESC")
                section.blocks.emplace_back(DrawingsDescriptionPart{read_part(child)});
            else if (name == "DETDESC")
                section.blocks.emplace_back(DetailedDescriptionPart{read_part(child)});
            else
                section.blocks.emplace_back(to_node(tree_, child));
        }
        return section;
    }

    ClaimEntry read_claim(XmlId id) const {
        return ClaimEntry{attributes_of(tree_, id), attribute_text(tree_, id, "ID"), read_inline(tree_, id, claim_markup)};
    }

    // Claims stand directly in SDOCL or inside a CL wrapper, which leaves no
    // record of its own.
    Section read_claims(XmlId id) const {
        ClaimsSection section{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            const std::string_view name = tree_.name(child);
            if (name == "H") {
                section.children.emplace_back(read_heading(tree_, child, markup));
            } else if (name == "CLM") {
                section.children.emplace_back(read_claim(child));
            } else if (name == "CL") {
                for (XmlId grandchild : element_children(tree_, child)) {
                    if (tree_.name(grandchild) == "CLM")
                        section.children.emplace_back(read_claim(grandchild));
                    else
                        section.children.emplace_back(to_node(tree_, grandchild));
                }
            } else {
                section.children.emplace_back(to_node(tree_, child));
            }
        }
        return section;
    }

    // Each embedded image (EMI) is a figure holding that one image.
    Section read_drawings(XmlId id) const {
        DrawingsSection section{attributes_of(tree_, id), {}};
        for (XmlId child : element_children(tree_, id)) {
            if (tree_.name(child) != "EMI") {
                section.children.emplace_back(to_node(tree_, child));
                continue;
            }
            OptionalText image_id = attribute_text(tree_, child, "ID");
            Figure figure{{}, image_id, {}};
            figure.children.emplace_back(Image{attributes_of(tree_, child), std::move(image_id),
                                               attribute_text(tree_, child, "FILE"), attribute_text(tree_, child, "IMF"),
                                               attribute_text(tree_, child, "TI")});
            section.children.emplace_back(std::move(figure));
        }
        return section;
    }

    static constexpr SectionRule<V25Reader> section_rules[] = {
        {"SDOBI", &V25Reader::read_bibliographic}, {"SDOAB", &V25Reader::read_abstract},
        {"SDODE", &V25Reader::read_description},   {"SDOCL", &V25Reader::read_claims},
        {"SDODR", &V25Reader::read_drawings},
    };

    static constexpr ItemRule<V25Reader> item_rules[] = {
        {"B100", &V25Reader::add_publication},   {"B200", &V25Reader::add_application},
        {"B300", &V25Reader::add_priority},      {"B500", &V25Reader::read_technical_information},
        {"B600", &V25Reader::add_related_documents}, {"B700", &V25Reader::read_parties},
    };

    const XmlTree& tree_;
};

// What ST.32's element codes are to a reader.
constexpr std::array<NamedRole, 14> element_roles = {{
    {"B", ElementRole::Bold},
    {"BOLD", ElementRole::Bold},
    {"BR", ElementRole::LineBreak},
    {"EMI", ElementRole::Image},
    {"GOVINT", ElementRole::GovernmentInterestStatement},
    {"H", ElementRole::Heading},
    {"I", ElementRole::Italic},
    {"ITALIC", ElementRole::Italic},
    {"MATH-US", ElementRole::MathWrapper},
    {"PARA", ElementRole::Paragraph},
    {"RELAPP", ElementRole::CrossReferenceStatement},
    {"SB", ElementRole::Subscript},
    {"SP", ElementRole::Superscript},
    {"U", ElementRole::Underline},
}};
static_assert(sorted_by_name(element_roles), "the role table must be sorted by name");

constexpr XmlFamily family{"PATDOC", "UsptoGrantV25 requires PATDOC root", RootChildren::Elements, element_roles};

}  // namespace

ParseResult parse_grant_v25(std::string_view text) {
    return read_xml_document(text, SourceFormat::UsptoGrantV25, family,
                             [](const XmlTree& tree, XmlId child) { return V25Reader(tree).read_section(child); });
}

}  // namespace quillmark
