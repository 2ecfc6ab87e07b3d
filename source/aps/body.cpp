// The Abstract and Description sections of an APS grant.
#include "source/aps/body.hpp"

namespace quillmark::aps {

namespace {

// A record as a paragraph: nothing for an empty value; table and equation
// values fenced as a code block; "PA0" to "PA3" carry their level.
std::optional<Paragraph> paragraph(const ApsRecord& record) {
    if (record.value.empty()) return std::nullopt;
    Paragraph result;
    if (is_table_code(record.code))
        result.content.add_text({"```\n", record.value, "\n```"});
    else
        result.content = InlineContent::of_text(record.value);
    result.level = paragraph_level(record.code);
    return result;
}

Heading caption(const ApsRecord& record) {
    Heading heading;
    heading.content = InlineContent::of_text(record.value);
    return heading;
}

// The records of one description segment as groups: each "PAC" opens a group
// headed by its value; records before the first "PAC" form a group without
// heading (left out when it holds nothing). Nothing when the segment has no
// record.
template <class Part>
std::optional<Part> description_part(const ApsRecords& records, std::string_view segment) {
    Part part;
    bool any = false;
    bool open = false;  // a group has been opened in `part.children`
    for (const ApsRecord& record : records) {
        if (record.segment != segment) continue;
        any = true;
        if (record.code == "PAC") {
            Subsection group;
            group.children.emplace_back(caption(record));
            part.children.emplace_back(std::move(group));
            open = true;
            continue;
        }
        std::optional<Paragraph> block = paragraph(record);
        if (!block) continue;
        if (!open) {
            part.children.emplace_back(Subsection{});
            open = true;
        }
        std::get<Subsection>(part.children.back()).children.emplace_back(std::move(*block));
    }
    if (!any) return std::nullopt;
    return part;
}

// The parent-case text ("PARN"): its headings and paragraphs in order.
std::optional<CrossReferencePart> cross_reference_part(const ApsRecords& records) {
    CrossReferencePart part;
    for (const ApsRecord& record : records) {
        if (record.segment != "PARN") continue;
        if (record.code == "PAC")
            part.children.emplace_back(caption(record));
        else if (std::optional<Paragraph> block = paragraph(record))
            part.children.emplace_back(std::move(*block));
    }
    if (part.children.empty()) return std::nullopt;
    return part;
}

}  // namespace

std::optional<std::uint32_t> paragraph_level(std::string_view code) {
    if (code.size() == 3 && code.starts_with("PA") && code[2] >= '0' && code[2] <= '3')
        return static_cast<std::uint32_t>(code[2] - '0');
    return std::nullopt;
}

std::optional<AbstractSection> build_abstract(const ApsRecords& records) {
    AbstractSection section;
    for (const ApsRecord& record : records)
        if (record.segment == "ABST")
            if (std::optional<Paragraph> block = paragraph(record)) section.blocks.emplace_back(std::move(*block));
    if (section.blocks.empty()) return std::nullopt;
    return section;
}

std::optional<DescriptionSection> build_description(const ApsRecords& records) {
    DescriptionSection section;
    // Cross-reference, summary, drawings and detailed description, in this
    // order whatever the order of the segments in the text.
    if (auto part = cross_reference_part(records)) section.blocks.emplace_back(std::move(*part));
    if (auto part = description_part<SummaryPart>(records, "BSUM")) section.blocks.emplace_back(std::move(*part));
    if (auto part = description_part<DrawingsDescriptionPart>(records, "DRWD"))
        section.blocks.emplace_back(std::move(*part));
    if (auto part = description_part<DetailedDescriptionPart>(records, "DETD"))
        section.blocks.emplace_back(std::move(*part));
    if (section.blocks.empty()) return std::nullopt;
    return section;
}

}  // namespace quillmark::aps
