#include "render/gfm_writer.hpp"

#include "model/text/text.hpp"
#include "render/gfm_characters.hpp"
#include "render/gfm_markers.hpp"
#include "render/st25_listing.hpp"

namespace quillmark {

namespace {

// The first character a node writes, as far as emphasis needs to know it:
// 'a' stands for a character that is neither white space nor punctuation.
char first_character(Node::Ref node) {
    if (node.kind() == Node::Kind::Text) {
        const std::string_view text = node.text_value();
        if (text.empty() || node.is_instruction_or_comment()) return 'a';
        if (is_space(text[0])) return ' ';
        return text[0] == '&' ? 'a' : text[0];
    }
    switch (node.role()) {
        case ElementRole::Subscript:
        case ElementRole::Superscript:
        case ElementRole::Underline:
        case ElementRole::LineBreak:
        case ElementRole::Inserted: return '<';
        case ElementRole::Image: return '!';
        case ElementRole::Math: return '$';
        default: break;
    }
    for (Node::Ref child : node.children()) return first_character(child);
    return 'a';
}

char first_character(InlineContent::Ref node) {
    switch (node.kind()) {
        case InlineKind::Text: {
            const std::string_view text = node.text_value();
            if (text.empty() || text[0] == '&') return 'a';
            return is_space(text[0]) ? ' ' : text[0];
        }
        case InlineKind::Element: return first_character(node.element_value());
        case InlineKind::Bold:
        case InlineKind::Italic: return '*';
        default:
            for (InlineContent::Ref child : node.children()) return first_character(child);
            return 'a';
    }
}

}  // namespace

// ----- inline content

// What follows a node matters only to the markers around it: text needs
// no look at it.
void GfmWriter::inline_nodes(InlineContent::Nodes nodes, char next) {
    for (auto it = nodes.begin(); it != nodes.end();) {
        const InlineContent::Ref node = *it;
        ++it;
        if (node.kind() == InlineKind::Text)
            text(node.text_value());
        else
            inline_node(node, it == nodes.end() ? next : first_character(*it));
    }
}

void GfmWriter::inline_node(InlineContent::Ref node, char next) {
    switch (node.kind()) {
        case InlineKind::Text: text(node.text_value()); break;
        case InlineKind::Element: kept_inline(node.element_value(), next); break;
        case InlineKind::Bold:
            emphasis("**", bold_, next, [&] { inline_nodes(node.children(), next); });
            break;
        case InlineKind::Italic:
            emphasis("*", italic_, next, [&] { inline_nodes(node.children(), next); });
            break;
        case InlineKind::FigureReference: {
            const bool was_plain = plain_emphasis_;
            plain_emphasis_ = true;
            inline_nodes(node.children(), next);
            plain_emphasis_ = was_plain;
            break;
        }
        default: inline_nodes(node.children(), next); break;
    }
}

// ----- kept XML

void GfmWriter::kept_children(Node::Ref node, char next) {
    const auto children = node.children();
    for (auto it = children.begin(); it != children.end();) {
        const Node::Ref child = *it;
        ++it;
        kept_inline(child, child.is_element() && it != children.end() ? first_character(*it) : next);
    }
}

void GfmWriter::kept_block(Node::Ref node) {
    if (!node.is_element()) {
        kept_inline(node, ' ');
        return;
    }
    switch (node.role()) {
        case ElementRole::Transparent:
        case ElementRole::CrossReferenceStatement:
        case ElementRole::GovernmentInterestStatement:
            for (Node::Ref child : node.children()) kept_block(child);
            return;
        default: kept_inline(node, ' '); return;
    }
}

void GfmWriter::kept_inline(Node::Ref node, char next) {
    if (!node.is_element()) {
        // Kept text holds "<" only as "&lt;": a node that starts with one
        // is an instruction or a comment.
        const std::string_view value = node.text_value();
        if (!value.starts_with('<'))
            text(value);
        else if (node.is_processing_instruction())
            processing_instruction(value);
        else if (!node.is_comment())
            text(value);
        return;
    }
    const std::size_t start = out_.size();
    switch (node.role()) {
        case ElementRole::Subscript:
            kept_children(node, next);
            mark_around(start, "<sub>", "</sub>");
            return;
        case ElementRole::Superscript:
            kept_children(node, next);
            mark_around(start, "<sup>", "</sup>");
            return;
        case ElementRole::Underline:
            kept_children(node, next);
            mark_around(start, "<u>", "</u>");
            return;
        case ElementRole::Inserted:
            kept_children(node, next);
            mark_around(start, "<ins>", "</ins>");
            return;
        case ElementRole::Deleted:
            if (struck_) {
                kept_children(node, next);
                return;
            }
            struck_ = true;
            kept_children(node, next);
            struck_ = false;
            strike(start, next);
            return;
        case ElementRole::Bold: emphasis("**", bold_, next, [&] { kept_children(node, next); }); return;
        case ElementRole::Italic: emphasis("*", italic_, next, [&] { kept_children(node, next); }); return;
        case ElementRole::LineBreak: out_ += "<br>"; return;
        case ElementRole::Image: image(node); return;
        case ElementRole::Math:
            math(node, blocks_ && mode() == Mode::Markdown && formula_wrappers_ > 0 && !inline_formula_);
            return;
        case ElementRole::MathWrapper: math_wrapper(node, next); return;
        case ElementRole::InlineFormula: {
            const bool was_inline = inline_formula_;
            inline_formula_ = true;
            kept_children(node, next);
            inline_formula_ = was_inline;
            return;
        }
        case ElementRole::Table: table(node); return;
        case ElementRole::NumberedTable: numbered_table(node, next); return;
        case ElementRole::List: list(node, false); return;
        case ElementRole::OrderedList: list(node, true); return;
        case ElementRole::Paragraph:
            flush();
            if (!out_.empty() && out_.back() != ' ') out_ += ' ';
            kept_children(node, next);
            flush();
            return;
        case ElementRole::Heading:
            if (blocks_)
                heading(node);
            else
                kept_children(node, next);
            return;
        case ElementRole::SequenceListing:
            if (blocks_ && mode() == Mode::Markdown)
                block(st25_listing(node));
            else
                kept_children(node, next);
            return;
        case ElementRole::Unrendered: return;
        case ElementRole::ListItem:
        case ElementRole::Number:
        case ElementRole::CrossReferenceStatement:
        case ElementRole::GovernmentInterestStatement:
        case ElementRole::Transparent: kept_children(node, next); return;
    }
}

// The markers go around the content without its white space, and only
// where CommonMark reads them as emphasis.
template <typename Write>
void GfmWriter::emphasis(std::string_view marker, bool& active, char next, Write&& write_children) {
    if (mode() == Mode::Html || active || plain_emphasis_) {
        write_children();
        return;
    }
    const std::size_t start = out_.size();
    const std::uint32_t flushes = flushes_;
    active = true;
    write_children();
    active = false;
    if (flushes != flushes_ || !markers_fit(out_, start, next)) return;
    mark_around(start, marker, marker);
}

// ----- text and marks

void GfmWriter::text(std::string_view raw) { text_.append(out_, raw, *this); }

// Markers of the v4 XML: formulas set in a paragraph, and what a reissue
// inserted or deleted. The markers of where sections start are left out:
// the headings show it.
void GfmWriter::processing_instruction(std::string_view instruction) {
    const std::string_view body = instruction.substr(2, instruction.size() - 4);
    const std::string_view target = body.substr(0, body.find_first_of(" \t\r\n"));
    if (target == "in-line-formulae") {
        inline_formula_ = body.find("end=\"tail\"") == std::string_view::npos;
    } else if (target == "insert-start") {
        open_inserted();
    } else if (target == "insert-end") {
        close_inserted();
    } else if (target == "delete-start") {
        open_deleted();
    } else if (target == "delete-end") {
        close_deleted('a');
    }
}

// What points into the pending block moves with its text: an open
// insertion or deletion that starts where the opening marker went stays
// before it, one that starts where the closing marker went comes after it.
void GfmWriter::mark_around(std::size_t start, std::string_view open, std::string_view close) {
    const std::optional<MarkerPositions> at = wrap(out_, start, open, close);
    if (!at) return;
    text_.markers_inserted(at->open, open.size(), at->close, close.size());
    for (std::size_t* mark : {&inserted_, &deleted_})
        if (*mark != none) *mark += (*mark > at->open ? open.size() : 0) + (*mark >= at->close ? close.size() : 0);
}

void GfmWriter::close_inserted() {
    if (inserted_ != none && inserted_ <= out_.size()) mark_around(inserted_, "<ins>", "</ins>");
    inserted_ = none;
}

void GfmWriter::close_deleted(char next) {
    if (deleted_ != none && deleted_ <= out_.size()) strike(deleted_, next);
    deleted_ = none;
}

// Struck through with "~~" where GitHub reads it so, else with <del>.
void GfmWriter::strike(std::size_t start, char next) {
    if (mode() == Mode::Markdown && markers_fit(out_, start, next))
        mark_around(start, "~~", "~~");
    else
        mark_around(start, "<del>", "</del>");
}

// ----- blocks

void GfmWriter::block(std::string_view text) {
    flush();
    if (trim(text).empty()) return;
    blocks_->write_paragraph([text](std::string& out) { out += text; });
    ++flushes_;
}

// A line break at either end of a block (where a formula or a table that
// was set apart from the text stood) breaks nothing.
void GfmWriter::append_pending(std::string& out) const {
    std::string_view text = trim(out_);
    constexpr std::string_view line_break = "<br>";
    while (text.starts_with(line_break)) text = trim(text.substr(line_break.size()));
    while (text.ends_with(line_break)) text = trim(text.substr(0, text.size() - line_break.size()));
    if (!label_.empty()) {
        out += text.empty() ? trim_end(label_) : std::string_view(label_);
        out += text;
        return;
    }
    const std::size_t escape = mode() == Mode::Markdown ? block_start_escape(text) : std::string_view::npos;
    if (escape == std::string_view::npos) {
        out += text;
        return;
    }
    out += text.substr(0, escape);
    out += '\\';
    out += text.substr(escape);
}

void GfmWriter::clear() {
    out_.clear();
    label_.clear();
    text_.clear();
    inserted_ = none;
    deleted_ = none;
}

// An insertion or deletion still open when the block ends (a reissue's
// marks around several elements of a claim) is closed at the block's end
// and opened again at the next block's start, so each block shows it.
void GfmWriter::flush() {
    if (!blocks_) return;
    text_.end_block(out_);
    const bool inserting = inserted_ != none;
    const bool deleting = deleted_ != none;
    close_inserted();
    close_deleted(' ');
    if (!is_white_space_only(out_) || !label_.empty()) {
        if (prefix_.empty()) {
            blocks_->write_paragraph([this](std::string& out) { append_pending(out); });
        } else {
            std::string item = prefix_;
            append_pending(item);
            blocks_->add(item);
        }
        ++flushes_;
    }
    clear();
    if (inserting) open_inserted();
    if (deleting) open_deleted();
}

std::string GfmWriter::take() {
    text_.end_block(out_);
    std::string text;
    append_pending(text);
    clear();
    return text;
}

}  // namespace quillmark
