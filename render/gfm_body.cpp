#include "render/gfm_body.hpp"

#include "model/facts/summary.hpp"
#include "model/text/text.hpp"
#include "model/text/entities.hpp"
#include "render/ascii_case.hpp"
#include "render/attribute_lookup.hpp"
#include "render/code_block.hpp"
#include "render/gfm_claims.hpp"
#include "render/gfm_elements.hpp"
#include "render/gfm_writer.hpp"
#include "render/inline.hpp"
#include "render/lines.hpp"
#include "render/section_walk.hpp"
#include "render/st25_listing.hpp"

namespace quillmark {

namespace {

// The "[0012] " label of a numbered paragraph; nothing for one that shows no
// label or one the text already starts with.
std::string paragraph_label(const Paragraph& paragraph) {
    const std::string label = gfm_number_label(paragraph_number(paragraph));
    if (label.empty()) return {};
    for (InlineContent::Ref node : paragraph.content.nodes()) {
        if (node.kind() == InlineKind::Text && trim_start(node.text_value()).starts_with(label)) return {};
        break;
    }
    return label + " ";
}

// A table or equation of APS text comes as one run of text laid out in
// lines, fenced; nothing for any other paragraph.
std::optional<std::string_view> preformatted(const Paragraph& paragraph) {
    constexpr std::string_view open = "```\n";
    constexpr std::string_view close = "\n```";
    const auto nodes = paragraph.content.nodes();
    if (nodes.empty() || std::next(nodes.begin()) != nodes.end()) return std::nullopt;
    const InlineContent::Ref node = *nodes.begin();
    if (node.kind() != InlineKind::Text) return std::nullopt;
    const std::string_view text = node.text_value();
    if (text.size() < open.size() + close.size() || !text.starts_with(open) || !text.ends_with(close))
        return std::nullopt;
    return text.substr(open.size(), text.size() - open.size() - close.size());
}

void write_block(LineList& lines, std::string_view text) {
    lines.write_paragraph([text](std::string& out) { out += text; });
}

// A heading anywhere in kept XML.
bool holds_heading(Node::Ref node) {
    for (Node::Ref child : node.children())
        if (child.is_element() && (child.role() == ElementRole::Heading || holds_heading(child))) return true;
    return false;
}

// The heading of a description part that has none of its own.
std::string_view part_heading(PartKind kind) {
    switch (kind) {
        case PartKind::CrossReference: return cross_reference_statement;
        case PartKind::GovernmentInterest: return government_interest_statement;
        // It often holds the field and background as well.
        case PartKind::Summary: return "### Background And Summary Of The Invention";
        case PartKind::DrawingsDescription: return "### Brief Description Of The Drawings";
        case PartKind::DetailedDescription: break;
    }
    return "### Detailed Description Of The Invention";
}

constexpr std::string_view description_heading = "## Description";

// A heading of the document's own that says what the "Description" heading says.
bool repeats_description(const Heading& heading) {
    return same_heading(plain_text(heading.content), description_heading);
}

// The description as the printed patent shows it: under one "Description"
// heading, the document's own headings in order; a part without any gets
// a heading naming what it is.
class GfmBlocks final : public BlockWriter {
public:
    // `labelled`: paragraphs start with their number ("[0012]"); an
    // abstract's do not.
    explicit GfmBlocks(const Document& document, bool labelled = true) : document_(document), labelled_(labelled) {}

    void fixed_heading(LineList& lines, std::string_view heading) const override { write_block(lines, heading); }
    // A second abstract or claims section continues the first.
    void section_heading(LineList& lines, std::string_view heading, bool first) const override {
        if (first) write_block(lines, heading);
    }
    void description_start(LineList& lines, bool first) const override {
        if (first) write_block(lines, description_heading);
    }
    void part_start(LineList& lines, const PartStart& part) const override {
        if (!part.first_heading || repeats_description(*part.first_heading))
            write_block(lines, part_heading(part.kind));
    }
    void part_end(LineList& lines) const override { lines.add_blank(); }
    void heading(LineList& lines, const Heading& heading, std::string_view) const override {
        if (repeats_description(heading)) return;
        GfmWriter writer(nullptr);
        writer.inline_nodes(heading.content.nodes());
        const std::string text = writer.take();
        if (!text.empty()) write_block(lines, "### " + text);
    }
    void paragraph(LineList& lines, const Paragraph& paragraph) const override {
        if (const auto body = preformatted(paragraph)) {
            write_block(lines, fenced_block(decode_entities(*body), "text"));
            return;
        }
        GfmWriter writer(&lines, std::move(room_));
        writer.reserve(paragraph.content.mark().bytes);
        if (labelled_) writer.set_label(paragraph_label(paragraph));
        writer.inline_nodes(paragraph.content.nodes());
        writer.flush();
        room_ = writer.release_room();
    }
    void node(LineList& lines, Node::Ref node) const override {
        const std::string_view statement = statement_heading(node.role());
        if (!statement.empty() && !holds_heading(node)) write_block(lines, statement);
        GfmWriter writer(&lines);
        writer.kept_block(node);
        writer.flush();
    }
    void claims_heading(LineList& lines, const Heading& heading) const override {
        GfmWriter writer(&lines);
        writer.inline_nodes(heading.content.nodes());
        writer.flush();
    }
    void claim(LineList& lines, const ClaimEntry& claim) const override { write_gfm_claim(lines, claim); }
    // The listing under a title naming the publication; the other parts of
    // a sequence listing document (its number) as they are.
    void other_section(LineList& lines, const OtherSection& section) const override {
        const Node::Ref root = section.node.root();
        const ElementRole role = root.role();
        if (role == ElementRole::Number) return;
        const bool table = role == ElementRole::Table;
        if (!table && role != ElementRole::SequenceListing) {
            node(lines, root);
            return;
        }
        const PublicationIdentifier identifier = publication_identifier(document_);
        const OptionalText& number = identifier.patent_number ? identifier.patent_number : identifier.publication_number;
        write_block(lines, number ? "## Sequence Listing of " + *number : std::string("## Sequence Listing"));
        if (table)
            write_block(lines, table_listing(root));
        else
            node(lines, root);
    }

private:
    const Document& document_;
    bool labelled_;
    // The room of a paragraph's pending text, passed on to the next one.
    mutable std::string room_;
};

// "FIG. 3" for figure number "00003", or for an id that ends in it
// ("EMI-D00003"); number 0 is the drawing of the front page. Else the id.
std::string figure_label(const Figure& figure) {
    std::string_view number = unprefixed_attribute(figure.attributes, "num").value_or("");
    if (!is_ascii_digits(number)) number = {};
    const std::string id = figure.id.value_or("figure");
    if (number.empty()) {
        const std::size_t digits = id.find_last_not_of("0123456789") + 1;
        if (digits == id.size()) return id;
        number = std::string_view(id).substr(digits);
    }
    const std::string written = strip_leading_zeros(number);
    return written == "0" ? std::string("Front page") : "FIG. " + written;
}

std::string render_drawings(const Document& document) {
    LineList lines;
    bool headed = false;
    for (const Section& section : document.sections) {
        const auto* drawings = std::get_if<DrawingsSection>(&section);
        if (!drawings) continue;
        for (const DrawingsChild& child : drawings->children) {
            const auto* figure = std::get_if<Figure>(&child);
            if (!figure) continue;
            const std::string label = figure_label(*figure);
            for (const FigureChild& figure_child : figure->children) {
                const auto* image = std::get_if<Image>(&figure_child);
                if (!image || !image->file || image->file->empty()) continue;
                if (!headed) write_block(lines, "## Drawings");
                headed = true;
                write_block(lines, "![" + label + "](" + *image->file + ")");
            }
        }
    }
    return lines.finish();
}

}  // namespace

std::string render_gfm_title(const Document& document) {
    const OptionalText text = title(document);
    if (!text) return {};
    GfmWriter writer(nullptr);
    writer.text(*text);
    const std::string written = writer.take();
    return written.empty() ? std::string() : "# " + written;
}

std::string render_gfm_abstract(const Document& document) { return walk_abstract(document, GfmBlocks(document, false)); }

std::string render_gfm_description(const Document& document) {
    std::vector<std::string> parts;
    parts.push_back(walk_description(document, GfmBlocks(document)));
    parts.push_back(render_drawings(document));
    return join_non_empty(std::move(parts));
}

std::string render_gfm_claims(const Document& document) { return walk_claims(document, GfmBlocks(document)); }

}  // namespace quillmark
