// Comparing names without regard to the case of ASCII letters
// ("{UMLAUT OVER (E)}", "FILE" and "file").
#pragma once

#include <string_view>

namespace quillmark {

inline char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `text` starts with `lower` (written in lower case), letters of
// any case.
inline bool starts_with_ignoring_case(std::string_view text, std::string_view lower) {
    if (text.size() < lower.size()) return false;
    for (std::size_t i = 0; i < lower.size(); ++i)
        if (ascii_lower(text[i]) != lower[i]) return false;
    return true;
}

}  // namespace quillmark
