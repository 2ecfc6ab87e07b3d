// The symbols APS text writes by name between full stops (".degree." °,
// ".times." ×, ".ltoreq." ≤, ".OMEGA." Ω).
#pragma once

#include <optional>
#include <string_view>

namespace quillmark {

// The symbol a name stands for; nothing for a name without one.
std::optional<std::string_view> aps_symbol(std::string_view name);

}  // namespace quillmark
