// Writes inline content and kept XML as GitHub Flavored Markdown blocks:
// paragraphs with their label, emphasis that never encloses white space,
// sub- and superscripts of every generation as <sub> and <sup>, images,
// formulas as LaTeX math, tables, lists and headings, reissue insertions
// and deletions marked. Its text goes through a GfmText (gfm_text.hpp),
// which escapes it and reads its notation.
//
// Text gathers into a pending block. With a line list to write to, block
// content met on the way (a table, a list, a displayed formula) ends the
// pending block and follows as a block of its own; without one (a table
// cell, a heading) it is written inline.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/record/document.hpp"
#include "render/gfm_text.hpp"
#include "render/lines.hpp"

namespace quillmark {

class GfmWriter final : private ReissueMarks {
public:
    // Html: inside an HTML table cell, where Markdown is not read: text is
    // HTML-escaped and emphasis is left out.
    using Mode = GfmText::Mode;

    explicit GfmWriter(LineList* blocks, Mode mode = Mode::Markdown) : blocks_(blocks), text_(mode) {}
    // With the room an earlier writer left (`release_room`), so that the
    // paragraphs of a section do not each allocate their own.
    GfmWriter(LineList* blocks, std::string room) : blocks_(blocks), text_(Mode::Markdown), out_(std::move(room)) {
        out_.clear();
    }

    // Pending blocks are written after `prefix` ("- " for a list item)
    // instead of as paragraphs of their own.
    void set_block_prefix(std::string prefix) { prefix_ = std::move(prefix); }
    // Inside a pipe-table cell: "|" is escaped too.
    void set_in_cell() { text_.set_in_cell(); }

    void inline_nodes(InlineContent::Nodes nodes, char next = ' ');
    // One node; `next` is the first character of what follows it.
    void inline_node(InlineContent::Ref node, char next);
    // Kept XML at the level of blocks: paragraphs, headings, tables and lists
    // become blocks, everything else is written inline.
    void kept_block(Node::Ref node);
    // Text as the source holds it, entity names and notation included.
    void text(std::string_view raw);
    // A label ("[0012] ") that the next block starts with; a block of the
    // label alone when nothing else comes.
    void set_label(std::string label) { label_ = std::move(label); }

    // Room for a pending block of about `bytes` (a paragraph's text).
    void reserve(std::size_t bytes) { out_.reserve(bytes); }
    // The room of the pending block, for a next writer, once it is flushed.
    std::string release_room() { return std::move(out_); }
    // Writes the pending block to the line list.
    void flush();
    // The pending block, trimmed and with its start escaped; the writer is
    // left empty.
    std::string take();

private:
    void kept_inline(Node::Ref node, char next);
    void kept_children(Node::Ref node, char next);
    // The pending block, trimmed and with its start escaped, appended to `out`.
    void append_pending(std::string& out) const;
    void clear();
    Mode mode() const { return text_.mode(); }
    void processing_instruction(std::string_view instruction);

    template <typename Write>
    void emphasis(std::string_view marker, bool& active, char next, Write&& write_children);
    void open_inserted() override { inserted_ = out_.size(); }
    void close_inserted() override;
    void open_deleted() override { deleted_ = out_.size(); }
    void close_deleted(char next) override;
    // Puts `open` and `close` around what the pending block holds from
    // `start` on (see `wrap`).
    void mark_around(std::size_t start, std::string_view open, std::string_view close);
    void strike(std::size_t start, char next);

    void image(Node::Ref node);
    void math(Node::Ref node, bool displayed);
    void math_wrapper(Node::Ref node, char next);
    void table(Node::Ref node);
    void numbered_table(Node::Ref node, char next);
    void list(Node::Ref node, bool ordered);
    void append_list(std::string& text, Node::Ref node, bool ordered, const std::string& indent);
    void heading(Node::Ref node);
    // A block made apart from the pending text (a table, a list).
    void block(std::string_view text);

    LineList* blocks_;
    GfmText text_;
    std::string out_;
    std::string prefix_;
    std::string label_;
    bool bold_ = false;
    bool italic_ = false;
    bool struck_ = false;
    bool plain_emphasis_ = false;  // figure references show no emphasis
    int formula_wrappers_ = 0;      // inside "maths" and its kin
    bool inline_formula_ = false;  // between in-line-formulae markers
    std::uint32_t flushes_ = 0;
    static constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t inserted_ = none;
    std::size_t deleted_ = none;
};

// The "[0012]" label of a paragraph or list item numbered `number`; empty
// for no number, one not made of digits, or one made of zeros (the "[0000]"
// of abstracts).
std::string gfm_number_label(std::optional<std::string_view> number);

}  // namespace quillmark
