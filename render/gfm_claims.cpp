#include "render/gfm_claims.hpp"

#include "model/text/text.hpp"
#include "render/attribute_lookup.hpp"
#include "render/gfm_writer.hpp"

namespace quillmark {

namespace {

// Whether claim text has a level ("LVL") above 0.
bool indented(InlineContent::Ref node) {
    const auto level = attribute_ignoring_case(node.attributes(), "lvl");
    return level && !level->empty() && is_ascii_digits(*level) && level->find_first_not_of('0') != std::string_view::npos;
}

class ClaimWriter {
public:
    explicit ClaimWriter(LineList& lines) : writer_(&lines) {}

    // Claim text inside claim text starts an item one level deeper; the
    // claim text of the claim itself, and any inside a claim reference, is
    // written where it stands. Claim text indented by a level of its own
    // that follows the claim's own at its level (the steps of v2.5 claims
    // stand beside its first paragraph) starts an item as if nested in it.
    void nodes(InlineContent::Nodes nodes, std::size_t depth, bool nested) {
        bool opened = false;  // a claim text at the claim's own level was met
        for (InlineContent::Ref node : nodes) {
            if (node.kind() != InlineKind::ClaimText) {
                writer_.inline_node(node, 'a');
            } else if (nested) {
                start_level(depth + 1);
                this->nodes(node.children(), depth + 1, true);
                start_level(depth);
            } else if (opened && indented(node)) {
                start_level(depth + 1);
                this->nodes(node.children(), depth + 1, true);
            } else {
                opened = true;
                this->nodes(node.children(), depth, true);
            }
        }
    }

    void finish() { writer_.flush(); }

private:
    void start_level(std::size_t depth) {
        writer_.flush();
        writer_.set_block_prefix(depth == 0 ? std::string() : std::string(2 * (depth - 1), ' ') + "- ");
    }

    GfmWriter writer_;
};

}  // namespace

void write_gfm_claim(LineList& lines, const ClaimEntry& claim) {
    ClaimWriter writer(lines);
    writer.nodes(claim.content.nodes(), 0, false);
    writer.finish();
}

}  // namespace quillmark
