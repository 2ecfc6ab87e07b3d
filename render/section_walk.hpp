// The walk over a document's abstract, description and claims that every
// Markdown flavour shares: which sections and parts are shown, in which
// order, under which fixed headings. A flavour says how each block it meets
// is written (`BlockWriter`).
#pragma once

#include <string>
#include <string_view>

#include "model/record/document.hpp"
#include "render/lines.hpp"

namespace quillmark {

// What a description part is, by its kind or the topic its source marks.
enum class PartKind : std::uint8_t { CrossReference, GovernmentInterest, Summary, DrawingsDescription, DetailedDescription };

struct PartStart {
    PartKind kind;
    std::string_view fixed;  // the fixed heading of the default layout
    const Heading* first_heading;  // the first heading of the document's own in the part, if any
};

class BlockWriter {
public:
    virtual ~BlockWriter() = default;
    // Before the blocks of a description section; `first` for the document's first.
    virtual void description_start(LineList&, bool /*first*/) const {}
    // The start of a description part; by default its fixed heading.
    virtual void part_start(LineList& lines, const PartStart& part) const { fixed_heading(lines, part.fixed); }
    // The heading of an abstract or claims section; `first` for the
    // document's first of that kind. By default every one is headed.
    virtual void section_heading(LineList& lines, std::string_view heading, bool /*first*/) const {
        fixed_heading(lines, heading);
    }
    // The fixed heading of a section or description part ("## Abstract").
    virtual void fixed_heading(LineList& lines, std::string_view heading) const = 0;
    // After a description part or a kept block of the description.
    virtual void part_end(LineList& lines) const = 0;
    // A heading of the document's own inside a part; `fixed` is the part's
    // fixed heading.
    virtual void heading(LineList& lines, const Heading& heading, std::string_view fixed) const = 0;
    virtual void paragraph(LineList& lines, const Paragraph& paragraph) const = 0;
    virtual void node(LineList& lines, Node::Ref node) const = 0;
    virtual void claims_heading(LineList& lines, const Heading& heading) const = 0;
    virtual void claim(LineList& lines, const ClaimEntry& claim) const = 0;
    // The whole of a section the walk has no rule for (a sequence listing).
    virtual void other_section(LineList& lines, const OtherSection& section) const { node(lines, section.node.root()); }
};

std::string walk_abstract(const Document& document, const BlockWriter& writer);
std::string walk_description(const Document& document, const BlockWriter& writer);
std::string walk_claims(const Document& document, const BlockWriter& writer);

}  // namespace quillmark
