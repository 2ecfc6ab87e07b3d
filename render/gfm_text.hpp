// Text as GitHub Flavored Markdown: entity names as their characters, white
// space collapsed, a character escaped only where CommonMark (or GitHub)
// would read it as markup at that position and never inside a bare URL,
// USPTO's brace notation and APS dot codes as what they stand for. What the
// text is part of (paragraphs, emphasis, tables) is the GFM writer's.
//
// Bound: linear time and output in the text. Each byte is looked at a
// constant number of times: a "<" looks for the text's last ">" once per
// text, a bare URL is looked for in the last 512 bytes written, brace
// notation keeps its own bound (brace_notation.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "render/brace_notation.hpp"

namespace quillmark {

// Where a reissue's insertions and deletions start and end, as APS dot
// codes mark them in the text (".Iadd." ... ".Iaddend.", ".[." ... ".].").
class ReissueMarks {
public:
    virtual void open_inserted() = 0;
    virtual void close_inserted() = 0;
    virtual void open_deleted() = 0;
    // `next`: the first character after the deletion.
    virtual void close_deleted(char next) = 0;

protected:
    ~ReissueMarks() = default;
};

class GfmText {
public:
    // Html: inside an HTML table cell, where Markdown is not read: "&", "<"
    // and ">" are escaped as HTML, nothing else.
    enum class Mode : std::uint8_t { Markdown, Html };

    explicit GfmText(Mode mode) : mode_(mode) {}

    Mode mode() const { return mode_; }
    // Inside a pipe-table cell: "|" is markup too.
    void set_in_cell() { in_cell_ = true; }
    bool in_cell() const { return in_cell_; }

    // Appends `raw`, text as the source holds it (entity names, brace
    // notation and dot codes included), to `out`, which holds what was
    // written before it in the same block. White space collapses into one
    // space, none at the start of the block.
    void append(std::string& out, std::string_view raw, ReissueMarks& marks);
    // Appends `c` escaped wherever it stands, with no look at its
    // neighbours (the letters of a sub- or superscript, an HTML cell's text).
    void append_escaped(std::string& out, char c) const;
    // At the end of a block: the brace items still open keep their opening
    // as written, and are forgotten.
    void end_block(std::string& out) { braces_.keep_unclosed(out); }
    void clear() { braces_.clear(); }
    // Markers went into the block around what it held from `open_at` to
    // `close_at` (see BraceItems::markers_inserted).
    void markers_inserted(std::size_t open_at, std::size_t open_size, std::size_t close_at, std::size_t close_size) {
        braces_.markers_inserted(open_at, open_size, close_at, close_size);
    }

private:
    // Appends `text`, whose entity names are decoded already; with
    // `raw_until_reference`, `text` is raw text that holds no entity name
    // as far as is known: false, having written nothing lasting, where it
    // holds one after all.
    bool append_decoded(std::string& out, std::string_view text, ReissueMarks& marks, bool raw_until_reference);
    std::size_t dot_code(std::string& out, std::string_view rest, ReissueMarks& marks) const;
    bool reads_as_markup(const std::string& out, std::string_view text, std::size_t pos);

    Mode mode_;
    bool in_cell_ = false;
    BraceItems braces_;
    std::string scratch_;
    // Of the last ">" in the text being written (npos: none), once looked for.
    std::optional<std::size_t> last_close_;
};

// Where a backslash goes so that a block starting with `text` does not start
// a heading, a quote, a list item, a thematic break or a task list's box;
// npos when nothing would.
std::size_t block_start_escape(std::string_view text);

}  // namespace quillmark
