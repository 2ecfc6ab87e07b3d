#include "render/markdown.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "model/text/text.hpp"

namespace quillmark {

namespace {

// A control character other than tab and line feed, or DEL, which a
// terminal showing the file would act on.
bool is_terminal_control(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7F;
}

constexpr std::string_view replacement_character = "\uFFFD";

// Appends `line`, a piece of text without line feeds, with every terminal
// control as U+FFFD, so the reader sees that something stood there; a
// carriage return that ends the line before its line feed (a template's
// CR LF) stays.
void append_terminal_safe(std::string& out, std::string_view line, bool line_feed_follows) {
    std::size_t pos = 0;
    while (pos < line.size()) {
        const auto control = std::find_if(line.begin() + static_cast<std::ptrdiff_t>(pos), line.end(), is_terminal_control);
        const std::size_t end = static_cast<std::size_t>(control - line.begin());
        out.append(line, pos, end - pos);
        if (end == line.size()) return;
        if (line[end] == '\r' && end + 1 == line.size() && line_feed_follows)
            out += '\r';
        else
            out += replacement_character;
        pos = end + 1;
    }
}

// Appends `piece`, shrinking every run of three or more line feeds (counted
// across pieces in `run`) to two. This is where every Markdown of either
// flavour, template text included, is finished: no terminal control passes.
void append_collapsed(std::string& out, std::string_view piece, int& run) {
    std::size_t pos = 0;
    while (pos < piece.size()) {
        const std::size_t feed = piece.find('\n', pos);
        if (feed == std::string_view::npos) {
            append_terminal_safe(out, piece.substr(pos), false);
            run = 0;
            return;
        }
        if (feed > pos) {
            append_terminal_safe(out, piece.substr(pos, feed - pos), true);
            run = 0;
        }
        if (++run < 3) out += '\n';
        pos = feed + 1;
    }
}

void trim_in_place(std::string& text) {
    const std::string_view trimmed = trim(text);
    const std::size_t start = static_cast<std::size_t>(trimmed.data() - text.data());
    text.resize(start + trimmed.size());
    text.erase(0, start);
}

std::string render_section(const Document& document, SectionKind kind, Flavor flavor) {
    return flavor_entry(flavor).writers[static_cast<std::size_t>(kind)](document);
}

// Each section the template names is rendered once, and only those.
std::string fill(const Template& segments, const Document& document, Flavor flavor) {
    std::array<std::optional<std::string>, 5> sections;
    std::size_t size = 0;
    for (const TemplateSegment& segment : segments) {
        if (const auto* literal = std::get_if<std::string>(&segment)) {
            size += literal->size();
            continue;
        }
        const SectionKind kind = std::get<SectionKind>(segment);
        std::optional<std::string>& section = sections[static_cast<std::size_t>(kind)];
        if (!section) section = render_section(document, kind, flavor);
        size += section->size();
    }
    std::string out;
    out.reserve(size);
    int run = 0;
    for (const TemplateSegment& segment : segments) {
        if (const auto* literal = std::get_if<std::string>(&segment))
            append_collapsed(out, *literal, run);
        else
            append_collapsed(out, *sections[static_cast<std::size_t>(std::get<SectionKind>(segment))], run);
    }
    trim_in_place(out);
    return out;
}

}  // namespace

std::string render_markdown(const Document& document, Flavor flavor) {
    // The default template always parses.
    return fill(parse_template(default_template).value(), document, flavor);
}

Result<std::string, TemplateError> render_markdown_with_template(const Document& document, std::string_view text,
                                                                 Flavor flavor) {
    auto segments = parse_template(text);
    if (!segments) return segments.error();
    return fill(segments.value(), document, flavor);
}

}  // namespace quillmark
