#include "render/section_walk.hpp"

namespace quillmark {

namespace {

void walk_subsection_child(LineList& lines, const SubsectionChild& child, std::string_view fixed,
                           const BlockWriter& writer) {
    if (const auto* heading = std::get_if<Heading>(&child))
        writer.heading(lines, *heading, fixed);
    else if (const auto* paragraph = std::get_if<Paragraph>(&child))
        writer.paragraph(lines, *paragraph);
    else
        writer.node(lines, std::get<Node>(child).root());
}

void walk_part(LineList& lines, std::string_view fixed, const DescriptionPart& part, const BlockWriter& writer) {
    writer.fixed_heading(lines, fixed);
    for (const PartChild& child : part.children) {
        if (const auto* subsection = std::get_if<Subsection>(&child)) {
            for (const SubsectionChild& grandchild : subsection->children)
                walk_subsection_child(lines, grandchild, fixed, writer);
        } else {
            writer.node(lines, std::get<Node>(child).root());
        }
    }
    writer.part_end(lines);
}

// The part's own headings are shown as well: they are often worded apart
// from the fixed heading ("RELATED APPLICATION DATA"), and no text of the
// description is left out.
void walk_cross_reference(LineList& lines, const CrossReferencePart& part, const BlockWriter& writer) {
    writer.fixed_heading(lines, cross_reference_heading);
    for (const SubsectionChild& child : part.children)
        walk_subsection_child(lines, child, cross_reference_heading, writer);
    writer.part_end(lines);
}

std::string walk_description_section(const DescriptionSection& section, const BlockWriter& writer) {
    LineList lines;
    for (const DescriptionBlock& block : section.blocks) {
        switch (block.index()) {
            case 0: walk_cross_reference(lines, std::get<CrossReferencePart>(block), writer); break;
            case 1: walk_part(lines, "## Summary Of The Invention", std::get<SummaryPart>(block), writer); break;
            case 2:
                walk_part(lines, "## Brief Description Of The Drawings", std::get<DrawingsDescriptionPart>(block),
                          writer);
                break;
            case 3:
                walk_part(lines, "## Description Of The Invention", std::get<DetailedDescriptionPart>(block), writer);
                break;
            default:
                writer.node(lines, std::get<Node>(block).root());
                writer.part_end(lines);
                break;
        }
    }
    return lines.finish();
}

std::string walk_abstract_section(const AbstractSection& section, const BlockWriter& writer) {
    LineList lines;
    writer.fixed_heading(lines, "## Abstract");
    for (const AbstractBlock& block : section.blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block))
            writer.paragraph(lines, *paragraph);
        else
            writer.node(lines, std::get<Node>(block).root());
    }
    return lines.finish();
}

std::string walk_claims_section(const ClaimsSection& section, const BlockWriter& writer) {
    LineList lines;
    writer.fixed_heading(lines, "## Claims");
    for (const ClaimsChild& child : section.children) {
        if (const auto* heading = std::get_if<Heading>(&child))
            writer.claims_heading(lines, *heading);
        else if (const auto* entry = std::get_if<ClaimEntry>(&child))
            writer.claim(lines, *entry);
        else
            writer.node(lines, std::get<Node>(child).root());
    }
    return lines.finish();
}

}  // namespace

std::string walk_abstract(const Document& document, const BlockWriter& writer) {
    std::vector<std::string> parts;
    for (const Section& section : document.sections)
        if (const auto* abstract = std::get_if<AbstractSection>(&section))
            parts.push_back(walk_abstract_section(*abstract, writer));
    return join_non_empty(std::move(parts));
}

std::string walk_description(const Document& document, const BlockWriter& writer) {
    const bool shows_other = document.source_format == SourceFormat::UsptoSequenceCwu;
    std::vector<std::string> parts;
    for (const Section& section : document.sections) {
        if (const auto* description = std::get_if<DescriptionSection>(&section)) {
            parts.push_back(walk_description_section(*description, writer));
        } else if (const auto* other = std::get_if<OtherSection>(&section); other && shows_other) {
            LineList lines;
            writer.other_section(lines, *other);
            parts.push_back(lines.finish());
        }
    }
    return join_non_empty(std::move(parts));
}

std::string walk_claims(const Document& document, const BlockWriter& writer) {
    std::vector<std::string> parts;
    for (const Section& section : document.sections)
        if (const auto* claims_section = std::get_if<ClaimsSection>(&section))
            parts.push_back(walk_claims_section(*claims_section, writer));
    return join_non_empty(std::move(parts));
}

}  // namespace quillmark
