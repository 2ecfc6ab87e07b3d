// The content of its own kind that the GFM writer meets in kept XML:
// images, formulas, tables with their numbers, lists, headings; and the
// blocks made apart from the pending text.
#include "model/text/text.hpp"
#include "render/attribute_lookup.hpp"
#include "render/cals_table.hpp"
#include "render/gfm_characters.hpp"
#include "render/gfm_writer.hpp"
#include "render/inline.hpp"
#include "render/mathml_latex.hpp"

namespace quillmark {

namespace {

bool holds_math(Node::Ref node) {
    for (Node::Ref child : node.children())
        if (child.is_element() && (child.role() == ElementRole::Math || holds_math(child))) return true;
    return false;
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
    const auto num = attribute_ignoring_case(node.attributes(), "num");
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

std::string gfm_number_label(std::optional<std::string_view> number) {
    if (!number || !is_ascii_digits(*number) || number->find_first_not_of('0') == std::string_view::npos) return {};
    return number_label(*number);
}

// ----- content of its own kind

void GfmWriter::image(Node::Ref node) {
    const auto file = attribute_ignoring_case(node.attributes(), "file");
    if (!file || file->empty()) return;
    std::string_view label = "image";
    if (const auto content = attribute_ignoring_case(node.attributes(), "img-content"))
        label = *content;
    else if (const auto alt = attribute_ignoring_case(node.attributes(), "alt"))
        label = *alt;
    if (mode() == Mode::Html) {
        out_ += "(";
        for (const char c : label) text_.append_escaped(out_, c);
        out_ += ": ";
        for (const char c : *file) text_.append_escaped(out_, c);
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
        if (text_.in_cell() && c == '\\' && pos + 1 < latex.size() && latex[pos + 1] == '|') {
            out_ += "\\Vert ";
            ++pos;
        } else if (text_.in_cell() && c == '|') {
            out_ += "\\vert ";
        } else if (mode() == Mode::Html && (c == '<' || c == '>' || c == '&')) {
            text_.append_escaped(out_, c);
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
    if (!blocks_ || mode() != Mode::Markdown) {
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
    if (blocks_ && mode() == Mode::Markdown) {
        const std::string markdown = cals_table_markdown(node, render_cell);
        if (markdown.empty()) {
            kept_children(node, ' ');
            return;
        }
        for (Node::Ref child : node.children())
            if (child.is_element() && !is_table_group(child)) kept_inline(child, ' ');
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
    if (!blocks_ || mode() == Mode::Html) {
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
        GfmWriter writer(nullptr, mode());
        if (std::string label = gfm_number_label(attribute_ignoring_case(item.attributes(), "num")); !label.empty())
            writer.set_label(label + " ");
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
    GfmWriter writer(nullptr, mode());
    writer.kept_children(node, ' ');
    const std::string text = writer.take();
    if (!text.empty()) block("### " + text);
}

}  // namespace quillmark
