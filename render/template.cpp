#include "render/template.hpp"

#include <array>

#include "model/text/text.hpp"

namespace quillmark {

std::string TemplateError::message() const {
    if (kind == Kind::UnterminatedPlaceholder) return "unterminated template placeholder: '{{' with no closing '}}'";
    return "unknown template placeholder {{" + name +
           "}}; expected one of frontmatter, title, abstract, description, claims";
}

namespace {

constexpr std::array<std::string_view, 5> placeholder_names = {"frontmatter", "title", "abstract", "description",
                                                               "claims"};

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

}  // namespace quillmark
