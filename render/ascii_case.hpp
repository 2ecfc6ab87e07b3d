// Comparing names and headings without regard to the case of ASCII letters
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

// Whether two texts have the same letters and digits, case and everything
// else aside: "CROSS-REFERENCE TO RELATED APPLICATIONS:" and "## Cross-
// Reference To Related Applications" are alike.
inline bool same_letters_and_digits(std::string_view a, std::string_view b) {
    const auto is_letter_or_digit = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (true) {
        while (i < a.size() && !is_letter_or_digit(a[i])) ++i;
        while (j < b.size() && !is_letter_or_digit(b[j])) ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
        if (ascii_lower(a[i++]) != ascii_lower(b[j++])) return false;
    }
}

}  // namespace quillmark
