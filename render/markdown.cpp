#include "render/markdown.hpp"

#include <array>
#include <optional>

#include "model/text/text.hpp"

namespace quillmark {

namespace {

// Appends `piece`, shrinking every run of three or more line feeds (counted
// across pieces in `run`) to two.
void append_collapsed(std::string& out, std::string_view piece, int& run) {
    std::size_t pos = 0;
    while (pos < piece.size()) {
        const std::size_t feed = piece.find('\n', pos);
        if (feed == std::string_view::npos) {
            out.append(piece, pos);
            run = 0;
            return;
        }
        if (feed > pos) {
            out.append(piece, pos, feed - pos);
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
