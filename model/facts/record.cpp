#include "model/facts/record.hpp"

#include <utility>
#include <variant>

#include "model/facts/getters.hpp"

namespace quillmark {

namespace {

class RecordWalk {
public:
    explicit RecordWalk(RecordSink& sink) : sink_(sink) {}

    void document(const Document& document, const DocumentSummary& summary) {
        sink_.begin_object();
        attributes_field(document.attributes);
        list("sections", document.sections);
        getters(document, summary);
        sink_.end_object();
    }

    // The value of every Document getter under its name, into the open object.
    void getters(const Document& document, const DocumentSummary& summary) {
        for (const Getter& getter : document_getters) {
            sink_.key(getter.name);
            read_getter(getter, document, summary, [this](const auto& read) { getter_value(read); });
        }
    }

private:
    // ----- plain values ------------------------------------------------------

    void value(std::string_view text) { sink_.text(text); }
    void value(const std::string& text) { sink_.text(text); }
    void value(const OptionalText& text) { text ? sink_.text(*text) : sink_.null(); }
    void value(const OptionalString& text) { text ? sink_.text(*text) : sink_.null(); }
    void value(const std::optional<std::uint32_t>& number) { number ? sink_.number(*number) : sink_.null(); }
    void value(bool flag) { sink_.boolean(flag); }

    template <class T>
    void field(std::string_view name, const T& content) {
        sink_.key(name);
        value(content);
    }

    template <class T>
    void list(std::string_view name, const std::vector<T>& items) {
        sink_.key(name);
        value(items);
    }

    template <class T>
    void value(const std::vector<T>& items) {
        sink_.begin_list();
        for (const T& item : items) value(item);
        sink_.end_list();
    }

    template <class... Alternatives>
    void value(const std::variant<Alternatives...>& choice) {
        std::visit([this](const auto& alternative) { value(alternative); }, choice);
    }

    // An object whose "type" names what it is, its fields written by `body`.
    template <class Body>
    void typed(std::string_view type, Body&& body) {
        sink_.begin_object();
        sink_.key("type");
        sink_.symbol(type);
        body();
        sink_.end_object();
    }

    // Attributes are an object of qualified names ("prefix:name" where the
    // library reports a prefix) and values, in source order; an element or
    // record without attributes has no "attributes" key.
    static void qualified_name(std::string& out, std::string_view name, std::optional<std::string_view> prefix) {
        out.clear();
        if (prefix && !prefix->empty()) {
            out += *prefix;
            out += ':';
        }
        out += name;
    }

    static std::optional<std::string_view> prefix_of(const Attribute& attribute) {
        if (!attribute.prefix) return std::nullopt;
        return std::string_view(*attribute.prefix);
    }
    static std::optional<std::string_view> prefix_of(const AttributeView& attribute) { return attribute.prefix; }

    // Records keep their attributes in a list, kept XML in its entry table;
    // both are written alike.
    template <class Range>
    void attributes_field(const Range& attributes) {
        if (attributes.begin() == attributes.end()) return;
        sink_.key("attributes");
        sink_.begin_object();
        for (const auto& attribute : attributes) {
            qualified_name(name_, attribute.name, prefix_of(attribute));
            sink_.attribute_key(name_);
            sink_.text(attribute.value);
        }
        sink_.end_object();
    }

    // ----- kept XML and inline content ---------------------------------------

    void value(const Node& node) { kept(node.root()); }

    // A text run is a plain text; an element an object.
    void kept(Node::Ref node) {
        if (!node.is_element()) {
            sink_.text(node.text_value());
            return;
        }
        typed("element", [&] {
            field("name", node.name());
            if (const auto prefix = node.prefix()) field("prefix", *prefix);
            attributes_field(node.attributes());
            sink_.key("children");
            sink_.begin_list();
            for (Node::Ref child : node.children()) kept(child);
            sink_.end_list();
        });
    }

    static std::string_view inline_type(InlineKind kind) {
        switch (kind) {
            case InlineKind::Text: return "text";
            case InlineKind::Number: return "number";
            case InlineKind::CrossReference: return "cross_reference";
            case InlineKind::FigureReference: return "figure_reference";
            case InlineKind::ClaimReference: return "claim_reference";
            case InlineKind::Bold: return "bold";
            case InlineKind::Italic: return "italic";
            case InlineKind::Highlight: return "highlight";
            case InlineKind::ClaimText: return "claim_text";
            case InlineKind::Element: return "element";
        }
        return {};
    }

    void inline_nodes(InlineContent::Nodes nodes) {
        sink_.begin_list();
        for (InlineContent::Ref node : nodes) {
            const InlineKind kind = node.kind();
            if (kind == InlineKind::Element) {
                kept(node.element_value());
            } else if (kind == InlineKind::Text) {
                sink_.text(node.text_value());
            } else {
                typed(inline_type(kind), [&] {
                    attributes_field(node.attributes());
                    const bool reference = kind == InlineKind::CrossReference ||
                                           kind == InlineKind::FigureReference || kind == InlineKind::ClaimReference;
                    if (reference) {
                        sink_.key("target");
                        if (const auto target = node.target())
                            sink_.text(*target);
                        else
                            sink_.null();
                    }
                    sink_.key("children");
                    inline_nodes(node.children());
                });
            }
        }
        sink_.end_list();
    }

    void content(const InlineContent& content) {
        sink_.key("content");
        inline_nodes(content.nodes());
    }

    void value(const Paragraph& paragraph) {
        typed("paragraph", [&] {
            attributes_field(paragraph.attributes);
            field("id", paragraph.id);
            field("level", paragraph.level);
            content(paragraph.content);
        });
    }

    void value(const Heading& heading) {
        typed("heading", [&] {
            attributes_field(heading.attributes);
            field("level", heading.level);
            field("align", heading.align);
            content(heading.content);
        });
    }

    // ----- bibliographic data --------------------------------------------------

    void value(const DocumentId& id) {
        field("doc_number", id.doc_number);
        field("kind", id.kind);
        field("date", id.date);
        field("country", id.country);
    }

    void value(const PublicationReference& item) { typed("publication_reference", [&] { value(item.id); }); }
    void value(const PublicationFilingType& item) {
        typed("publication_filing_type", [&] { field("text", item.text); });
    }

    void value(const ApplicationNumber& entry) {
        typed("application_number", [&] {
            attributes_field(entry.attributes);
            field("appl_type", entry.appl_type);
            field("doc_number", entry.doc_number);
        });
    }
    void value(const SeriesCode& entry) { typed("series_code", [&] { field("text", entry.text); }); }
    void value(const FilingDate& entry) { typed("filing_date", [&] { field("text", entry.text); }); }
    // An item that is its attributes and a list of entries.
    template <class Item>
    void entries_item(std::string_view type, const Item& item) {
        typed(type, [&] {
            attributes_field(item.attributes);
            list("entries", item.entries);
        });
    }
    void value(const ApplicationReference& item) { entries_item("application_reference", item); }

    void classification(std::string_view type, const Classification& entry) {
        typed(type, [&] {
            attributes_field(entry.attributes);
            field("main", entry.main);
            list("further", entry.further);
        });
    }
    void value(const IpcClassification& entry) { classification("ipc_classification", entry); }
    void value(const NationalClassification& entry) { classification("national_classification", entry); }
    void value(const CpcClassification& entry) { classification("cpc_classification", entry); }
    void value(const LocarnoClassification& entry) { classification("locarno_classification", entry); }
    void value(const InventionTitle& entry) { typed("title", [&] { field("text", entry.text); }); }
    void value(const TechnicalInformation& item) { entries_item("technical_information", item); }

    void link(std::string_view type, const RelatedLink& entry) {
        typed(type, [&] {
            attributes_field(entry.attributes);
            field("relationship", entry.relationship);
            field("parent_doc_number", entry.parent_doc_number);
            field("parent_date", entry.parent_date);
            field("child_doc_number", entry.child_doc_number);
        });
    }
    void value(const Relation& entry) { link("relation", entry); }
    void value(const OtherRelatedDocument& entry) { link("related_document", entry); }
    void value(const RelatedDocuments& item) { entries_item("related_documents", item); }

    void party_name(const PartyName& name) {
        field("given_name", name.given_name);
        field("middle_name", name.middle_name);
        field("family_name", name.family_name);
        field("suffix", name.suffix);
        field("organisation", name.organisation);
    }
    void value(const Party& party) {
        sink_.begin_object();
        attributes_field(party.attributes);
        field("name", party.name);
        party_name(party);
        field("inventor", party.inventor);
        sink_.end_object();
    }
    void party_group(std::string_view type, const PartyGroup& group) {
        typed(type, [&] {
            attributes_field(group.attributes);
            list("parties", group.parties);
        });
    }
    void value(const Parties& item) { party_group("parties", item.group); }
    void value(const Assignees& item) { party_group("assignees", item.group); }

    void person(std::string_view type, const Person& entry) {
        typed(type, [&] {
            attributes_field(entry.attributes);
            party_name(entry);
            field("city", entry.city);
            field("state", entry.state);
            field("country", entry.country);
        });
    }
    void value(const FirstNamedInventor& entry) { person("first_named_inventor", entry); }
    void value(const Inventor& entry) { person("inventor", entry); }
    void value(const Inventors& item) { entries_item("inventors", item); }

    void value(const NameLine& entry) { typed("name_line", [&] { field("text", entry.text); }); }
    void value(const Address& entry) {
        typed("address", [&] {
            attributes_field(entry.attributes);
            list("lines", entry.lines);
            field("city", entry.city);
            field("state", entry.state);
            field("country", entry.country);
            field("postal_code", entry.postal_code);
        });
    }
    void value(const CorrespondenceAddress& item) { entries_item("correspondence_address", item); }

    void value(const OtherItem& item) { typed("other", [&] { field("node", item.node); }); }

    void value(const PriorityClaim& claim) {
        sink_.begin_object();
        attributes_field(claim.attributes);
        field("country", claim.country);
        field("doc_number", claim.doc_number);
        field("date", claim.date);
        sink_.end_object();
    }
    void value(const PriorityClaims& item) {
        typed("priority_claims", [&] {
            attributes_field(item.attributes);
            list("claims", item.claims);
        });
    }

    void citation_values(const Citation& citation) {
        for (const CitationField& entry : citation_fields) field(entry.name, citation.*entry.value);
    }
    void value(const Citation& citation) {
        sink_.begin_object();
        attributes_field(citation.attributes);
        citation_values(citation);
        sink_.end_object();
    }
    void value(const Citations& item) {
        typed("citations", [&] {
            attributes_field(item.attributes);
            list("citations", item.citations);
        });
    }

    // ----- body ----------------------------------------------------------------

    void value(const Subsection& subsection) {
        typed("subsection", [&] {
            attributes_field(subsection.attributes);
            list("children", subsection.children);
        });
    }
    void part(std::string_view type, const DescriptionPart& part) {
        typed(type, [&] {
            attributes_field(part.attributes);
            list("children", part.children);
        });
    }
    void value(const CrossReferencePart& part) {
        typed("cross_reference", [&] {
            attributes_field(part.attributes);
            list("children", part.children);
        });
    }
    void value(const SummaryPart& entry) { part("summary", entry); }
    void value(const DrawingsDescriptionPart& entry) { part("drawings_description", entry); }
    void value(const DetailedDescriptionPart& entry) { part("detailed_description", entry); }

    void value(const ClaimEntry& claim) {
        typed("claim", [&] {
            attributes_field(claim.attributes);
            field("id", claim.id);
            content(claim.content);
        });
    }

    void value(const Image& image) {
        typed("image", [&] {
            attributes_field(image.attributes);
            field("id", image.id);
            field("file", image.file);
            field("imf", image.imf);
            field("ti", image.ti);
        });
    }
    void value(const Figure& figure) {
        typed("figure", [&] {
            attributes_field(figure.attributes);
            field("id", figure.id);
            list("children", figure.children);
        });
    }
    void value(const RepresentativeFigure& figure) {
        typed("representative_figure", [&] { field("text", figure.text); });
    }

    // ----- sections --------------------------------------------------------------

    template <class Section, class Children>
    void section(std::string_view type, const Section& section, std::string_view key, const Children& children) {
        typed(type, [&] {
            attributes_field(section.attributes);
            list(key, children);
        });
    }
    void value(const BibliographicSection& entry) { section("bibliographic", entry, "items", entry.items); }
    void value(const AbstractSection& entry) { section("abstract", entry, "blocks", entry.blocks); }
    void value(const DescriptionSection& entry) { section("description", entry, "blocks", entry.blocks); }
    void value(const ClaimsSection& entry) { section("claims", entry, "children", entry.children); }
    void value(const DrawingsSection& entry) { section("drawings", entry, "children", entry.children); }
    void value(const OtherSection& entry) { typed("other", [&] { field("node", entry.node); }); }

    // ----- the getters' values, under their names ---------------------------------

    void getter_value(const OptionalText& text) { value(text); }
    void getter_value(const std::vector<std::string>& texts) { value(texts); }
    // The source format: a name of a closed set.
    void getter_value(std::string_view name) { sink_.symbol(name); }

    void getter_value(const std::vector<Claim>& numbered) {
        sink_.begin_list();
        for (const Claim& claim : numbered) {
            sink_.begin_object();
            sink_.key("number");
            sink_.number(claim.number);
            field("text", claim.text);
            sink_.end_object();
        }
        sink_.end_list();
    }

    // The citations without the attributes of their elements.
    void getter_value(const std::vector<Citation>& citations) {
        sink_.begin_list();
        for (const Citation& citation : citations) {
            sink_.begin_object();
            citation_values(citation);
            sink_.end_object();
        }
        sink_.end_list();
    }

    RecordSink& sink_;
    std::string name_;  // an attribute's qualified name, built for its key
};

}  // namespace

void write_record(const Document& document, const DocumentSummary& summary, RecordSink& sink) {
    RecordWalk(sink).document(document, summary);
}

void write_getters(const Document& document, const DocumentSummary& summary, RecordSink& sink) {
    RecordWalk(sink).getters(document, summary);
}

}  // namespace quillmark
