// The section-placeholder template language: literal text and the five
// placeholders {{frontmatter}}, {{title}}, {{abstract}}, {{description}} and
// {{claims}}.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/record/document.hpp"
#include "model/record/result.hpp"

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

}  // namespace quillmark
