#include "render/body.hpp"

#include "model/serialise.hpp"
#include "model/summary.hpp"
#include "model/text.hpp"
#include "render/inline.hpp"
#include "render/lines.hpp"

namespace quillmark {

namespace {

void push_node(LineList& lines, const Node& node) {
    lines.write([&node](std::string& out) { append_serialised(out, node.root()); });
}

void push_paragraph(LineList& lines, const Paragraph& paragraph) {
    lines.write_paragraph([&paragraph](std::string& out) { append_paragraph(out, paragraph); });
}

void render_subsection_child(LineList& lines, const SubsectionChild& child) {
    if (const auto* heading = std::get_if<Heading>(&child)) {
        std::string line = "### ";
        line += trim(render_inline(heading->content));
        lines.push(line);
    } else if (const auto* paragraph = std::get_if<Paragraph>(&child)) {
        push_paragraph(lines, *paragraph);
    } else {
        push_node(lines, std::get<Node>(child));
    }
}

void render_part(LineList& lines, const char* heading, const DescriptionPart& part) {
    lines.add(heading);
    for (const PartChild& child : part.children) {
        if (const auto* subsection = std::get_if<Subsection>(&child)) {
            for (const SubsectionChild& grandchild : subsection->children) render_subsection_child(lines, grandchild);
        } else {
            push_node(lines, std::get<Node>(child));
        }
    }
    lines.add_blank();
}

// The part's own headings are shown as well: they are often worded apart
// from the fixed heading ("RELATED APPLICATION DATA"), and no text of the
// description is left out.
void render_cross_reference(LineList& lines, const CrossReferencePart& part) {
    lines.add("## Cross-Reference To Related Applications");
    for (const SubsectionChild& child : part.children) render_subsection_child(lines, child);
    lines.add_blank();
}

std::string render_description_section(const DescriptionSection& section) {
    LineList lines;
    for (const DescriptionBlock& block : section.blocks) {
        switch (block.index()) {
            case 0: render_cross_reference(lines, std::get<CrossReferencePart>(block)); break;
            case 1: render_part(lines, "## Summary Of The Invention", std::get<SummaryPart>(block)); break;
            case 2: render_part(lines, "## Brief Description Of The Drawings", std::get<DrawingsDescriptionPart>(block)); break;
            case 3: render_part(lines, "## Description Of The Invention", std::get<DetailedDescriptionPart>(block)); break;
            default:
                push_node(lines, std::get<Node>(block));
                lines.add_blank();
                break;
        }
    }
    return lines.finish();
}

std::string render_abstract_section(const AbstractSection& section) {
    LineList lines;
    lines.add("## Abstract");
    for (const AbstractBlock& block : section.blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block))
            push_paragraph(lines, *paragraph);
        else
            push_node(lines, std::get<Node>(block));
    }
    return lines.finish();
}

std::string render_claims_section(const ClaimsSection& section) {
    LineList lines;
    lines.add("## Claims");
    for (const ClaimsChild& child : section.children) {
        if (const auto* heading = std::get_if<Heading>(&child)) {
            lines.push(render_inline(heading->content));
        } else if (const auto* entry = std::get_if<ClaimEntry>(&child)) {
            lines.add("```claim");
            lines.add(render_claim_body(entry->content));
            lines.add("```");
        } else {
            push_node(lines, std::get<Node>(child));
        }
    }
    return lines.finish();
}

}  // namespace

std::string render_title(const Document& document) {
    const OptionalText text = title(document);
    if (!text) return {};
    return "# " + *text;
}

std::string render_abstract(const Document& document) {
    std::vector<std::string> parts;
    for (const Section& section : document.sections)
        if (const auto* abstract = std::get_if<AbstractSection>(&section)) parts.push_back(render_abstract_section(*abstract));
    return join_non_empty(std::move(parts));
}

std::string render_description(const Document& document) {
    const bool shows_other = document.source_format == SourceFormat::UsptoSequenceCwu;
    std::vector<std::string> parts;
    for (const Section& section : document.sections) {
        if (const auto* description = std::get_if<DescriptionSection>(&section)) {
            parts.push_back(render_description_section(*description));
        } else if (const auto* other = std::get_if<OtherSection>(&section); other && shows_other) {
            LineList lines;
            push_node(lines, other->node);
            parts.push_back(lines.finish());
        }
    }
    return join_non_empty(std::move(parts));
}

std::string render_claims(const Document& document) {
    std::vector<std::string> parts;
    for (const Section& section : document.sections)
        if (const auto* claims_section = std::get_if<ClaimsSection>(&section))
            parts.push_back(render_claims_section(*claims_section));
    return join_non_empty(std::move(parts));
}

}  // namespace quillmark
