#include "render/gfm_writer.hpp"

#include "model/text/text.hpp"
#include "render/ascii_case.hpp"
#include "render/cals_table.hpp"
#include "render/gfm_characters.hpp"
#include "render/gfm_elements.hpp"
#include "render/mathml_latex.hpp"
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

std::optional<std::string_view> attribute_ignoring_case(Node::Ref node, std::string_view lower_name) {
    for (const AttributeView& attribute : node.attributes())
        if (attribute.name.size() == lower_name.size() && starts_with_ignoring_case(attribute.name, lower_name))
            return attribute.value;
    return std::nullopt;
}

bool holds_math(Node::Ref node) {
    for (Node::Ref child : node.children())
        if (child.is_element() && (child.role() == ElementRole::Math || holds_math(child))) return true;
    return false;
}

// Where a backslash goes so that a block does not start a heading, a
// quote, a list item, a thematic break or a task list's box; npos when
// nothing would.
std::size_t block_start_escape(std::string_view text) {
    if (text.empty()) return std::string_view::npos;
    const char c = text[0];
    const bool box = text.size() >= 3 && c == '[' && text[2] == ']' && (text[1] == ' ' || text[1] == 'x' || text[1] == 'X');
    if (c == '#' || c == '>' || c == '-' || c == '+' || box) return 0;
    std::size_t digits = 0;
    while (digits < text.size() && digits < 10 && is_ascii_digit(text[digits])) ++digits;
    if (digits == 0 || digits > 9 || digits == text.size()) return std::string_view::npos;
    if ((text[digits] == '.' || text[digits] == ')') && (digits + 1 == text.size() || text[digits + 1] == ' '))
        return digits;
    return std::string_view::npos;
}

// The text of kept XML, up to `limit` bytes.
void append_text(std::string& out, Node::Ref node, std::size_t limit) {
    if (out.size() >= limit) return;
    if (!node.is_element()) {
        out += node.text_value().substr(0, limit - out.size());
        out += ' ';
        return;
    }
    for (Node::Ref child : node.children()) append_text(out, child, limit);
}

// The number of a numbered table: the text of its number element ("2."
// gives "2"), else its "num" attribute without leading zeros.
std::string table_number(Node::Ref node) {
    for (Node::Ref child : node.children()) {
        if (!child.is_element() || child.role() != ElementRole::Number) continue;
        std::string text;
        append_text(text, child, 32);
        std::string_view number = trim(text);
        while (number.ends_with('.')) number.remove_suffix(1);
        return std::string(number);
    }
    const auto num = attribute_ignoring_case(node, "num");
    if (!num || num->empty() || !is_ascii_digits(*num)) return {};
    return strip_leading_zeros(*num);
}

// Whether the start of a table's text names it: "TABLE 2", "Table 2:".
bool names_table(Node::Ref node, std::string_view number) {
    std::string text;
    for (Node::Ref child : node.children())
        if (!child.is_element() || child.role() != ElementRole::Number) append_text(text, child, 400);
    for (std::size_t pos = 0; pos + 5 < text.size(); ++pos) {
        if (!starts_with_ignoring_case(std::string_view(text).substr(pos), "table")) continue;
        std::size_t after = pos + 5;
        while (after < text.size() && is_space(text[after])) ++after;
        const std::string_view rest = std::string_view(text).substr(after);
        if (rest.starts_with(number) && (rest.size() == number.size() || !is_ascii_digit(rest[number.size()])))
            return true;
    }
    return false;
}

std::string render_cell(Node::Ref entry, bool html) {
    GfmWriter writer(nullptr, html ? GfmWriter::Mode::Html : GfmWriter::Mode::Markdown);
    if (!html) writer.set_in_cell();
    writer.kept_block(entry);
    return writer.take();
}

}  // namespace

// ----- inline content

void GfmWriter::inline_nodes(InlineContent::Nodes nodes, char next) {
    for (auto it = nodes.begin(); it != nodes.end();) {
        const InlineContent::Ref node = *it;
        ++it;
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
        kept_inline(child, it == children.end() ? next : first_character(*it));
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
        const std::string_view value = node.text_value();
        if (node.is_processing_instruction())
            processing_instruction(value);
        else if (!node.is_comment())
            text(value);
        return;
    }
    const std::size_t start = out_.size();
    switch (node.role()) {
        case ElementRole::Subscript:
            kept_children(node, next);
            wrap(start, "<sub>", "</sub>");
            return;
        case ElementRole::Superscript:
            kept_children(node, next);
            wrap(start, "<sup>", "</sup>");
            return;
        case ElementRole::Underline:
            kept_children(node, next);
            wrap(start, "<u>", "</u>");
            return;
        case ElementRole::Inserted:
            kept_children(node, next);
            wrap(start, "<ins>", "</ins>");
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
            math(node, blocks_ && mode_ == Mode::Markdown && formula_wrappers_ > 0 && !inline_formula_);
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
            if (blocks_ && mode_ == Mode::Markdown)
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
    if (mode_ == Mode::Html || active || plain_emphasis_) {
        write_children();
        return;
    }
    const std::size_t start = out_.size();
    const std::uint32_t flushes = flushes_;
    active = true;
    write_children();
    active = false;
    if (flushes != flushes_ || !markers_fit(start, next)) return;
    wrap(start, marker, marker);
}

// ----- content of its own kind

void GfmWriter::image(Node::Ref node) {
    const auto file = attribute_ignoring_case(node, "file");
    if (!file || file->empty()) return;
    std::string_view label = "image";
    if (const auto content = attribute_ignoring_case(node, "img-content"))
        label = *content;
    else if (const auto alt = attribute_ignoring_case(node, "alt"))
        label = *alt;
    if (mode_ == Mode::Html) {
        out_ += "(";
        for (const char c : label) escaped(c);
        out_ += ": ";
        for (const char c : *file) escaped(c);
        out_ += ")";
        return;
    }
    out_ += "![";
    for (const char c : label) {
        if (c == '[' || c == ']' || c == '\\') out_ += '\\';
        out_ += c;
    }
    out_ += "](";
    for (const char c : *file) {
        if (c == ' ')
            out_ += "%20";
        else if (c == '(' || c == ')' || c == '<' || c == '>')
            out_ += '\\', out_ += c;
        else
            out_ += c;
    }
    out_ += ')';
}

void GfmWriter::math(Node::Ref node, bool displayed) {
    const std::string latex = mathml_to_latex(node, displayed);
    if (latex.empty()) return;
    if (displayed) {
        block("$$" + latex + "$$");
        return;
    }
    if (!out_.empty() && out_.back() != ' ' && out_.back() != '(') out_ += ' ';
    out_ += '$';
    // A pipe table would split its cell at "|", and HTML reads "<" and "&".
    for (std::size_t pos = 0; pos < latex.size(); ++pos) {
        const char c = latex[pos];
        if (in_cell_ && c == '\\' && pos + 1 < latex.size() && latex[pos + 1] == '|') {
            out_ += "\\Vert ";
            ++pos;
        } else if (in_cell_ && c == '|') {
            out_ += "\\vert ";
        } else if (mode_ == Mode::Html && (c == '<' || c == '>' || c == '&')) {
            escaped(c);
        } else {
            out_ += c;
        }
    }
    out_ += '$';
}

// A formula with its image: the formula when there is one, else the image.
void GfmWriter::math_wrapper(Node::Ref node, char next) {
    ++formula_wrappers_;
    if (holds_math(node)) {
        for (Node::Ref child : node.children())
            if (child.is_element() && child.role() != ElementRole::Image) kept_inline(child, next);
    } else {
        kept_children(node, next);
    }
    --formula_wrappers_;
}

// A table with its number: the number is a caption line ("Table 2") before
// it, left out where the table's own title names it ("TABLE 2").
void GfmWriter::numbered_table(Node::Ref node, char next) {
    if (!blocks_ || mode_ != Mode::Markdown) {
        kept_children(node, next);
        return;
    }
    const std::string number = table_number(node);
    flush();
    if (!number.empty() && !names_table(node, number)) block("Table " + number);
    for (Node::Ref child : node.children())
        if (!child.is_element() || child.role() != ElementRole::Number) kept_block(child);
}

// A table's title and other content outside its groups goes before it; a
// table with no rows is its text.
void GfmWriter::table(Node::Ref node) {
    if (blocks_ && mode_ == Mode::Markdown) {
        const std::string markdown = cals_table_markdown(node, render_cell);
        if (markdown.empty()) {
            kept_children(node, ' ');
            return;
        }
        for (Node::Ref child : node.children())
            if (child.is_element() && child.name() != "tgroup") kept_inline(child, ' ');
        block(markdown);
        return;
    }
    // Inside a cell or a heading: rows on lines of their own.
    bool any_row = false;
    for_each_table_row(node, [&any_row](Node::Ref) { any_row = true; });
    if (!any_row) {
        kept_children(node, ' ');
        return;
    }
    bool first_row = true;
    for_each_table_row(node, [&](Node::Ref row) {
        if (!first_row) out_ += "<br>";
        first_row = false;
        for (Node::Ref entry : row.children()) {
            if (!entry.is_element()) continue;
            if (!out_.empty() && out_.back() != ' ') out_ += ' ';
            kept_children(entry, ' ');
        }
    });
}

void GfmWriter::list(Node::Ref node, bool ordered) {
    if (!blocks_ || mode_ == Mode::Html) {
        bool first = true;
        for (Node::Ref item : node.children()) {
            if (!item.is_element()) continue;
            if (!first) out_ += "<br>";
            first = false;
            kept_children(item, ' ');
        }
        return;
    }
    std::string text;
    append_list(text, node, ordered, "");
    block(text);
}

// Items show their paragraph number ("[0005]"); an item that holds only a
// list gives its items the item's place.
void GfmWriter::append_list(std::string& text, Node::Ref node, bool ordered, const std::string& indent) {
    unsigned number = 0;
    for (Node::Ref item : node.children()) {
        if (!item.is_element()) continue;
        GfmWriter writer(nullptr, mode_);
        if (const auto num = attribute_ignoring_case(item, "num");
            num && !num->empty() && is_ascii_digits(*num) && num->find_first_not_of('0') != std::string_view::npos) {
            std::string label = "[";
            label += *num;
            label += "] ";
            writer.set_label(std::move(label));
        }
        std::vector<std::pair<Node::Ref, bool>> nested;
        for (Node::Ref child : item.children()) {
            const ElementRole role = child.role();
            if (role == ElementRole::List || role == ElementRole::OrderedList)
                nested.emplace_back(child, role == ElementRole::OrderedList);
            else
                writer.kept_inline(child, ' ');
        }
        std::string item_text = writer.take();
        if (item_text.empty() && !nested.empty()) {
            for (const auto& [list, list_ordered] : nested) append_list(text, list, list_ordered, indent);
            continue;
        }
        const std::string marker = ordered ? std::to_string(++number) + ". " : "- ";
        if (!text.empty()) text += '\n';
        text += indent;
        text += marker;
        text += item_text;
        const std::string deeper = indent + std::string(marker.size(), ' ');
        for (const auto& [list, list_ordered] : nested) {
            append_list(text, list, list_ordered, deeper);
        }
    }
}

void GfmWriter::heading(Node::Ref node) {
    GfmWriter writer(nullptr, mode_);
    writer.kept_children(node, ' ');
    const std::string text = writer.take();
    if (!text.empty()) block("### " + text);
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
    const std::size_t escape = mode_ == Mode::Markdown ? block_start_escape(text) : std::string_view::npos;
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
    braces_.clear();
    inserted_ = none;
    deleted_ = none;
}

// An insertion or deletion still open when the block ends (a reissue's
// marks around several elements of a claim) is closed at the block's end
// and opened again at the next block's start, so each block shows it.
void GfmWriter::flush() {
    if (!blocks_) return;
    braces_.keep_unclosed(out_);
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
    if (inserting) open_mark(inserted_);
    if (deleting) open_mark(deleted_);
}

std::string GfmWriter::take() {
    braces_.keep_unclosed(out_);
    std::string text;
    append_pending(text);
    clear();
    return text;
}

}  // namespace quillmark
