// The section-placeholder template language and the final whitespace pass.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/document.hpp"
#include "model/result.hpp"

namespace quillmark {

enum class SectionKind : std::uint8_t { FrontMatter, Title, Abstract, Description, Claims };

struct TemplateError {
    enum class Kind { UnknownPlaceholder, UnterminatedPlaceholder };
    Kind kind;
    std::string name;  // UnknownPlaceholder: the trimmed name

    std::string message() const;
};

using TemplateSegment = std::variant<std::string, SectionKind>;  // literal text or placeholder
using Template = std::vector<TemplateSegment>;

inline constexpr std::string_view default_template =
    "{{frontmatter}}\n\n{{title}}\n\n{{abstract}}\n\n{{description}}\n\n{{claims}}\n";

Result<Template, TemplateError> parse_template(std::string_view text);
std::string render_markdown(const Document& document);
Result<std::string, TemplateError> render_markdown_with_template(const Document& document, std::string_view text);

}  // namespace quillmark
