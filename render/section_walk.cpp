#include "render/section_walk.hpp"

#include <algorithm>

namespace quillmark {

namespace {

constexpr std::string_view cross_reference_heading = "## Cross-Reference To Related Applications";

void walk_subsection_child(LineList& lines, const SubsectionChild& child, std::string_view fixed,
                           const BlockWriter& writer) {
    if (const auto* heading = std::get_if<Heading>(&child))
        writer.heading(lines, *heading, fixed);
    else if (const auto* paragraph = std::get_if<Paragraph>(&child))
        writer.paragraph(lines, *paragraph);
    else
        writer.node(lines, std::get<Node>(child).root());
}

const Heading* first_heading(const std::vector<SubsectionChild>& children) {
    for (const SubsectionChild& child : children)
        if (const auto* heading = std::get_if<Heading>(&child)) return heading;
    return nullptr;
}

const Heading* first_heading(const DescriptionPart& part) {
    for (const PartChild& child : part.children)
        if (const auto* subsection = std::get_if<Subsection>(&child))
            if (const Heading* heading = first_heading(subsection->children)) return heading;
    return nullptr;
}

PartKind kind_of(const DescriptionPart& part, PartKind kind) {
    switch (part.topic) {
        case PartTopic::CrossReference: return PartKind::CrossReference;
        case PartTopic::GovernmentInterest: return PartKind::GovernmentInterest;
        case PartTopic::None: break;
    }
    return kind;
}

void walk_part(LineList& lines, PartKind kind, std::string_view fixed, const DescriptionPart& part,
               const BlockWriter& writer) {
    writer.part_start(lines, {kind_of(part, kind), fixed, first_heading(part)});
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
    writer.part_start(lines, {PartKind::CrossReference, cross_reference_heading, first_heading(part.children)});
    for (const SubsectionChild& child : part.children)
        walk_subsection_child(lines, child, cross_reference_heading, writer);
    writer.part_end(lines);
}

// About the size of a description's Markdown: the bytes its text and kept
// elements hold, and an eighth more for labels, headings and escapes. With
// that much room the section's string does not grow by copies.
std::size_t stored_bytes(const std::vector<SubsectionChild>& children) {
    std::size_t bytes = 0;
    for (const SubsectionChild& child : children) {
        if (const auto* heading = std::get_if<Heading>(&child))
            bytes += heading->content.stored_bytes();
        else if (const auto* paragraph = std::get_if<Paragraph>(&child))
            bytes += paragraph->content.stored_bytes();
        else
            bytes += std::get<Node>(child).stored_bytes();
    }
    return bytes;
}

std::size_t stored_bytes(const DescriptionPart& part) {
    std::size_t bytes = 0;
    for (const PartChild& child : part.children) {
        if (const auto* subsection = std::get_if<Subsection>(&child))
            bytes += stored_bytes(subsection->children);
        else
            bytes += std::get<Node>(child).stored_bytes();
    }
    return bytes;
}

std::size_t stored_bytes(const CrossReferencePart& part) { return stored_bytes(part.children); }
std::size_t stored_bytes(const Node& node) { return node.stored_bytes(); }

std::size_t markdown_estimate(const DescriptionSection& section) {
    std::size_t bytes = 0;
    for (const DescriptionBlock& block : section.blocks)
        bytes += std::visit([](const auto& item) { return stored_bytes(item); }, block);
    return bytes + bytes / 8;
}

std::string walk_description_section(const DescriptionSection& section, bool first, const BlockWriter& writer) {
    LineList lines;
    lines.reserve(markdown_estimate(section));
    if (!section.blocks.empty()) writer.description_start(lines, first);
    for (const DescriptionBlock& block : section.blocks) {
        if (const auto* cross_reference = std::get_if<CrossReferencePart>(&block)) {
            walk_cross_reference(lines, *cross_reference, writer);
        } else if (const auto* summary = std::get_if<SummaryPart>(&block)) {
            walk_part(lines, PartKind::Summary, "## Summary Of The Invention", *summary, writer);
        } else if (const auto* drawings = std::get_if<DrawingsDescriptionPart>(&block)) {
            walk_part(lines, PartKind::DrawingsDescription, "## Brief Description Of The Drawings", *drawings, writer);
        } else if (const auto* detailed = std::get_if<DetailedDescriptionPart>(&block)) {
            walk_part(lines, PartKind::DetailedDescription, "## Description Of The Invention", *detailed, writer);
        } else {
            writer.node(lines, std::get<Node>(block).root());
            writer.part_end(lines);
        }
    }
    return lines.finish();
}

bool all_empty(const std::vector<std::string>& parts) {
    return std::all_of(parts.begin(), parts.end(), [](const std::string& part) { return part.empty(); });
}

std::string walk_abstract_section(const AbstractSection& section, bool first, const BlockWriter& writer) {
    LineList lines;
    writer.section_heading(lines, "## Abstract", first);
    for (const AbstractBlock& block : section.blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block))
            writer.paragraph(lines, *paragraph);
        else
            writer.node(lines, std::get<Node>(block).root());
    }
    return lines.finish();
}

std::string walk_claims_section(const ClaimsSection& section, bool first, const BlockWriter& writer) {
    LineList lines;
    writer.section_heading(lines, "## Claims", first);
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
            parts.push_back(walk_abstract_section(*abstract, all_empty(parts), writer));
    return join_non_empty(std::move(parts));
}

std::string walk_description(const Document& document, const BlockWriter& writer) {
    std::vector<std::string> parts;
    bool first = true;
    for (const Section& section : document.sections) {
        if (const auto* description = std::get_if<DescriptionSection>(&section)) {
            parts.push_back(walk_description_section(*description, first, writer));
            first = first && description->blocks.empty();
        } else if (const auto* other = std::get_if<OtherSection>(&section); other && other->shown_as_text) {
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
            parts.push_back(walk_claims_section(*claims_section, all_empty(parts), writer));
    return join_non_empty(std::move(parts));
}

}  // namespace quillmark
