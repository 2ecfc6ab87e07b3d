#include "render/body.hpp"

#include "model/record/serialise.hpp"
#include "model/facts/summary.hpp"
#include "model/text/text.hpp"
#include "render/inline.hpp"
#include "render/lines.hpp"
#include "render/section_walk.hpp"

namespace quillmark {

namespace {

// The default layout: kept elements written back as XML, claims verbatim in
// fenced blocks, headings right after the text before them.
class DefaultBlocks final : public BlockWriter {
public:
    void fixed_heading(LineList& lines, std::string_view heading) const override { lines.add(heading); }
    void part_end(LineList& lines) const override { lines.add_blank(); }
    void heading(LineList& lines, const Heading& heading, std::string_view) const override {
        std::string line = "### ";
        line += trim(render_inline(heading.content));
        lines.push(line);
    }
    void paragraph(LineList& lines, const Paragraph& paragraph) const override {
        lines.write_paragraph([&paragraph](std::string& out) { append_paragraph(out, paragraph); });
    }
    void node(LineList& lines, Node::Ref node) const override {
        lines.write([node](std::string& out) { append_serialised(out, node); });
    }
    void claims_heading(LineList& lines, const Heading& heading) const override {
        lines.push(render_inline(heading.content));
    }
    void claim(LineList& lines, const ClaimEntry& claim) const override {
        lines.add("```claim");
        lines.add(render_claim_body(claim.content));
        lines.add("```");
    }
};

const DefaultBlocks default_blocks;

}  // namespace

std::string render_title(const Document& document) {
    const OptionalText text = title(document);
    if (!text) return {};
    return "# " + *text;
}

std::string render_abstract(const Document& document) { return walk_abstract(document, default_blocks); }

std::string render_description(const Document& document) { return walk_description(document, default_blocks); }

std::string render_claims(const Document& document) { return walk_claims(document, default_blocks); }

}  // namespace quillmark
