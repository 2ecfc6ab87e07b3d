// Checks that bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF): the text a Python caller could hold as a str.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace quillmark::cli {

// The position of the first byte that is not part of well-formed UTF-8.
std::optional<std::size_t> find_invalid_utf8(std::string_view text);

}  // namespace quillmark::cli
