// The headings of the statements a reader keeps as elements of their own
// (the related applications, the government's interest in the invention).
#pragma once

#include <string_view>

#include "model/record/element_role.hpp"

namespace quillmark {

inline constexpr std::string_view cross_reference_statement = "### Cross-Reference To Related Applications";
inline constexpr std::string_view government_interest_statement = "### Statement Of Government Interest";

// The heading of a statement of that role; empty for any other role.
std::string_view statement_heading(ElementRole role);

}  // namespace quillmark
