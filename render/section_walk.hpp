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

inline constexpr std::string_view cross_reference_heading = "## Cross-Reference To Related Applications";

class BlockWriter {
public:
    virtual ~BlockWriter() = default;
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
