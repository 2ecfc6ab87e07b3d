#include "source/xml/element_roles.hpp"

#include <algorithm>
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

// The byte order of std::string_view, decided on the first bytes without a
// call to the library when they differ, as they do for most names.
bool name_before(std::string_view a, std::string_view b) {
    if (!a.empty() && !b.empty() && a.front() != b.front())
        return static_cast<unsigned char>(a.front()) < static_cast<unsigned char>(b.front());
    return a < b;
}

std::optional<ElementRole> find_role(RoleTable table, std::string_view local_name) {
    const auto found = std::lower_bound(table.begin(), table.end(), local_name,
                                        [](const NamedRole& role, std::string_view name) { return name_before(role.name, name); });
    if (found == table.end() || found->name != local_name) return std::nullopt;
    return found->role;
}

}  // namespace

ElementRole role_of(RoleTable generation, std::string_view local_name) {
    if (const auto role = find_role(generation, local_name)) return *role;
    return find_role(shared_standards, local_name).value_or(ElementRole::Transparent);
}

}  // namespace quillmark
