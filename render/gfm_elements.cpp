#include "render/gfm_elements.hpp"

#include <algorithm>
#include <array>

namespace quillmark {

namespace {

struct NamedRole {
    std::string_view name;
    ElementRole role;
};

// Sorted by name (byte order) for the binary search.
constexpr std::array<NamedRole, 51> roles = {{
    {"B", ElementRole::Bold},
    {"BOLD", ElementRole::Bold},
    {"BR", ElementRole::LineBreak},
    {"EMI", ElementRole::Image},
    {"H", ElementRole::Heading},
    {"I", ElementRole::Italic},
    {"ITALIC", ElementRole::Italic},
    {"MATH-US", ElementRole::MathWrapper},
    {"PARA", ElementRole::Paragraph},
    {"SB", ElementRole::Subscript},
    {"SP", ElementRole::Superscript},
    {"U", ElementRole::Underline},
    {"b", ElementRole::Bold},
    {"bold", ElementRole::Bold},
    {"br", ElementRole::LineBreak},
    {"chemistry-chemdraw-file", ElementRole::Unrendered},
    {"chemistry-mol-file", ElementRole::Unrendered},
    {"colspec", ElementRole::Unrendered},
    {"del", ElementRole::Deleted},
    {"heading", ElementRole::Heading},
    {"i", ElementRole::Italic},
    {"image", ElementRole::Image},
    {"img", ElementRole::Image},
    {"in-line-formula", ElementRole::InlineFormula},
    {"ins", ElementRole::Inserted},
    {"italic", ElementRole::Italic},
    {"li", ElementRole::ListItem},
    {"math", ElementRole::Math},
    {"math-cwu", ElementRole::MathWrapper},
    {"mathematica-file", ElementRole::Unrendered},
    {"maths", ElementRole::MathWrapper},
    {"number", ElementRole::Number},
    {"ol", ElementRole::OrderedList},
    {"p", ElementRole::Paragraph},
    {"paragraph", ElementRole::Paragraph},
    {"sequence-list-new-rules", ElementRole::SequenceListing},
    {"sequence-list-old-format", ElementRole::SequenceListing},
    {"spanspec", ElementRole::Unrendered},
    {"sub", ElementRole::Subscript},
    {"sub2", ElementRole::Subscript},
    {"subscript", ElementRole::Subscript},
    {"sup", ElementRole::Superscript},
    {"sup2", ElementRole::Superscript},
    {"superscript", ElementRole::Superscript},
    {"table", ElementRole::Table},
    {"table-cwu", ElementRole::NumberedTable},
    {"tables", ElementRole::NumberedTable},
    {"u", ElementRole::Underline},
    {"ul", ElementRole::List},
    {"uline", ElementRole::Underline},
    {"underline", ElementRole::Underline},
}};

constexpr bool sorted = [] {
    for (std::size_t i = 1; i < roles.size(); ++i)
        if (!(roles[i - 1].name < roles[i].name)) return false;
    return true;
}();
static_assert(sorted, "the role table must be sorted by name");

}  // namespace

ElementRole role_of(std::string_view local_name) {
    const auto found = std::lower_bound(roles.begin(), roles.end(), local_name,
                                        [](const NamedRole& role, std::string_view name) { return role.name < name; });
    if (found == roles.end() || found->name != local_name) return ElementRole::Transparent;
    return found->role;
}

std::string_view statement_heading(std::string_view local_name) {
    if (local_name == "RELAPP") return cross_reference_statement;
    if (local_name == "GOVINT" || local_name == "federal-research-statement") return government_interest_statement;
    return {};
}

}  // namespace quillmark
