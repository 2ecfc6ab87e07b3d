#include "render/inline.hpp"

#include "model/text/entities.hpp"
#include "model/record/serialise.hpp"
#include "model/text/text.hpp"
#include "render/attribute_lookup.hpp"

namespace quillmark {

namespace {

void append_inline(std::string& out, InlineContent::Nodes nodes, bool emphasis) {
    for (InlineContent::Ref node : nodes) {
        switch (node.kind()) {
            case InlineKind::Text: append_decoded(out, node.text_value()); break;
            case InlineKind::Element: append_serialised(out, node.element_value()); break;
            case InlineKind::Bold:
                if (emphasis) out += "**";
                append_inline(out, node.children(), emphasis);
                if (emphasis) out += "**";
                break;
            case InlineKind::Italic:
                if (emphasis) out += '*';
                append_inline(out, node.children(), emphasis);
                if (emphasis) out += '*';
                break;
            case InlineKind::FigureReference: append_inline(out, node.children(), false); break;
            default: append_inline(out, node.children(), emphasis); break;
        }
    }
}

// Appends `text` with every non-empty line that starts a line of the output
// prefixed by `indent` spaces. Text that continues a line (after a claim
// reference or a subscript, say) gets no spaces, so "H<sub>2</sub>O" and
// "claim 1, wherein" keep their words and punctuation together.
void append_indented(std::string& out, std::string_view text, std::size_t indent) {
    if (indent == 0) {
        out += text;
        return;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        const std::string_view line = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        const bool starts_line = out.empty() || out.back() == '\n';
        if (!line.empty() && starts_line) out.append(indent, ' ');
        out += line;
        if (end == std::string_view::npos) return;
        out += '\n';
        start = end + 1;
    }
}

// Claim content: each nested claim-text level below the first starts on a
// line of its own, two spaces deeper than its parent; no markers.
void append_verbatim(std::string& out, InlineContent::Nodes nodes, std::size_t indent, bool nested) {
    for (InlineContent::Ref node : nodes) {
        switch (node.kind()) {
            case InlineKind::Text: append_indented(out, decode_entities(node.text_value()), indent); break;
            case InlineKind::Element: append_indented(out, serialise_node(node.element_value()), indent); break;
            case InlineKind::ClaimText:
                if (nested) {
                    if (!out.empty() && out.back() != '\n') out += '\n';
                    append_verbatim(out, node.children(), indent + 2, true);
                } else {
                    append_verbatim(out, node.children(), indent, true);
                }
                break;
            default: append_verbatim(out, node.children(), indent, nested); break;
        }
    }
}

// Appends a line with its leading U+0020 spaces kept and its words joined
// with single spaces; nothing when the line is blank.
void append_claim_line(std::string& out, std::string_view line) {
    if (is_white_space_only(line)) return;
    out.append(line.find_first_not_of(' '), ' ');
    append_collapsed_white_space(out, line);
}

}  // namespace

std::string render_inline(const InlineContent& content) {
    std::string out;
    append_inline(out, content.nodes(), true);
    return out;
}

std::optional<std::string_view> paragraph_number(const Paragraph& paragraph) {
    const auto number = unprefixed_attribute(paragraph.attributes, "num");
    if (!number || !is_ascii_digits(*number)) return std::nullopt;
    return number;
}

std::string number_label(std::string_view number) {
    std::string label;
    label.reserve(number.size() + 2);
    label += '[';
    label += number;
    label += ']';
    return label;
}

void append_paragraph(std::string& out, const Paragraph& paragraph) {
    const auto number = paragraph_number(paragraph);
    if (!number) {
        append_inline(out, paragraph.content.nodes(), true);
        return;
    }
    // The label goes first, and comes out again when the text already
    // starts with it.
    const std::size_t label_start = out.size();
    out += number_label(*number);
    out += ' ';
    const std::size_t label_size = out.size() - label_start - 1;
    append_inline(out, paragraph.content.nodes(), true);
    const std::string_view written(out);
    if (trim_start(written.substr(label_start + label_size + 1)).starts_with(written.substr(label_start, label_size)))
        out.erase(label_start, label_size + 1);
}

std::string render_claim_body(const InlineContent& content) {
    std::string verbatim;
    append_verbatim(verbatim, content.nodes(), 0, false);
    std::string out;
    out.reserve(verbatim.size());
    std::size_t start = 0;
    while (true) {
        const std::size_t end = verbatim.find('\n', start);
        const std::string_view line =
            std::string_view(verbatim).substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (start > 0) out += '\n';
        append_claim_line(out, line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return std::string(trim_end(out));
}

}  // namespace quillmark
