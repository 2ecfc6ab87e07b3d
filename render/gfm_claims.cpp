#include "render/gfm_claims.hpp"

#include "render/gfm_writer.hpp"

namespace quillmark {

namespace {

class ClaimWriter {
public:
    explicit ClaimWriter(LineList& lines) : writer_(&lines) {}

    // Claim text inside claim text starts an item one level deeper; the
    // claim text of the claim itself, and any inside a claim reference, is
    // written where it stands.
    void nodes(InlineContent::Nodes nodes, std::size_t depth, bool nested) {
        for (InlineContent::Ref node : nodes) {
            if (node.kind() != InlineKind::ClaimText) {
                writer_.inline_node(node, 'a');
            } else if (nested) {
                start_level(depth + 1);
                this->nodes(node.children(), depth + 1, true);
                start_level(depth);
            } else {
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
