#include "render/template.hpp"

#include "model/text.hpp"
#include "render/markdown.hpp"

namespace quillmark {

std::string TemplateError::message() const {
    if (kind == Kind::UnterminatedPlaceholder) return "unterminated template placeholder: '{{' with no closing '}}'";
    return "unknown template placeholder {{" + name +
           "}}; expected one of frontmatter, title, abstract, description, claims";
}

namespace {

constexpr std::array<std::string_view, 5> placeholder_names = {"frontmatter", "title", "abstract", "description",
                                                               "claims"};

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

std::string fill(const Template& segments, const Document& document) {
    const std::array<std::string, 5> sections = {render_front_matter(document), render_title(document),
                                                 render_abstract(document), render_description(document),
                                                 render_claims(document)};
    std::size_t size = 0;
    for (const TemplateSegment& segment : segments)
        size += segment.index() == 0 ? std::get<0>(segment).size() : sections[static_cast<std::size_t>(std::get<1>(segment))].size();
    std::string out;
    out.reserve(size);
    int run = 0;
    for (const TemplateSegment& segment : segments) {
        if (const auto* literal = std::get_if<std::string>(&segment))
            append_collapsed(out, *literal, run);
        else
            append_collapsed(out, sections[static_cast<std::size_t>(std::get<SectionKind>(segment))], run);
    }
    trim_in_place(out);
    return out;
}

}  // namespace

Result<Template, TemplateError> parse_template(std::string_view text) {
    Template segments;
    while (true) {
        const std::size_t open = text.find("{{");
        if (open == std::string_view::npos) {
            if (!text.empty()) segments.emplace_back(std::string(text));
            return segments;
        }
        if (open > 0) segments.emplace_back(std::string(text.substr(0, open)));
        text.remove_prefix(open + 2);
        const std::size_t close = text.find("}}");
        if (close == std::string_view::npos) return TemplateError{TemplateError::Kind::UnterminatedPlaceholder, {}};
        const std::string_view name = trim(text.substr(0, close));
        bool known = false;
        for (std::size_t i = 0; i < placeholder_names.size(); ++i) {
            if (name == placeholder_names[i]) {
                segments.emplace_back(static_cast<SectionKind>(i));
                known = true;
                break;
            }
        }
        if (!known) return TemplateError{TemplateError::Kind::UnknownPlaceholder, std::string(name)};
        text.remove_prefix(close + 2);
    }
}

std::string render_markdown(const Document& document) {
    // The default template always parses.
    return fill(parse_template(default_template).value(), document);
}

Result<std::string, TemplateError> render_markdown_with_template(const Document& document, std::string_view text) {
    auto segments = parse_template(text);
    if (!segments) return segments.error();
    return fill(segments.value(), document);
}

}  // namespace quillmark
