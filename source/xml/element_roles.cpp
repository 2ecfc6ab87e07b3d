#include "source/xml/element_roles.hpp"

#include <array>
#include <optional>

namespace quillmark {

namespace {

constexpr std::array<NamedRole, 4> shared_standards = {{
    {"colspec", ElementRole::Unrendered},
    {"math", ElementRole::Math},
    {"spanspec", ElementRole::Unrendered},
    {"table", ElementRole::Table},
}};
static_assert(sorted_by_name(shared_standards), "the shared role table must be sorted by name");

// The table is sorted by name, so the names that share the first byte of
// `local_name` stand together: the walk compares whole names only there and
// stops at the first name that sorts after them.
std::optional<ElementRole> find_role(RoleTable table, std::string_view local_name) {
    if (local_name.empty()) return std::nullopt;
    const auto first = static_cast<unsigned char>(local_name.front());
    for (const NamedRole& entry : table) {
        const auto entry_first = static_cast<unsigned char>(entry.name.front());
        if (entry_first < first) continue;
        if (entry_first > first) break;
        if (entry.name == local_name) return entry.role;
    }
    return std::nullopt;
}

}  // namespace

ElementRole role_of(RoleTable generation, std::string_view local_name) {
    if (const auto role = find_role(generation, local_name)) return *role;
    return find_role(shared_standards, local_name).value_or(ElementRole::Transparent);
}

}  // namespace quillmark
