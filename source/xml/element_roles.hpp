// The roles of kept elements by name: each XML generation lists its own
// names in its own file; the names of the shared standards (CALS tables,
// MathML) are listed here once.
#pragma once

#include <span>
#include <string_view>

#include "model/record/element_role.hpp"

namespace quillmark {

struct NamedRole {
    std::string_view name;
    ElementRole role;
};

// A generation's names, sorted by name (byte order) for the search.
using RoleTable = std::span<const NamedRole>;

constexpr bool sorted_by_name(RoleTable table) {
    for (std::size_t i = 1; i < table.size(); ++i)
        if (!(table[i - 1].name < table[i].name)) return false;
    return true;
}

// The role of an element of that local name: the generation's own, else
// the shared standards', else Transparent.
ElementRole role_of(RoleTable generation, std::string_view local_name);

}  // namespace quillmark
