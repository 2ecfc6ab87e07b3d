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

// Copies the text, shrinking every run of three or more line feeds to two,
// then trims it.
std::string collapse_and_trim(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    int run = 0;
    for (char c : text) {
        if (c == '\n') {
            if (++run < 3) out += c;
        } else {
            run = 0;
            out += c;
        }
    }
    const std::string_view trimmed = trim(out);
    if (trimmed.size() == out.size()) return out;
    return std::string(trimmed);
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
    for (const TemplateSegment& segment : segments) {
        if (const auto* literal = std::get_if<std::string>(&segment))
            out += *literal;
        else
            out += sections[static_cast<std::size_t>(std::get<SectionKind>(segment))];
    }
    return collapse_and_trim(out);
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
