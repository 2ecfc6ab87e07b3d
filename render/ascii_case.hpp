// Comparing names and headings without regard to the case of ASCII letters
// ("{UMLAUT OVER (E)}", "FILE" and "file").
#pragma once

#include <cstddef>
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

// Whether two headings say the same, case, punctuation and plural aside:
// "CROSS-REFERENCE TO RELATED APPLICATION:" and "## Cross-Reference To
// Related Applications" are alike.
inline bool same_heading(std::string_view a, std::string_view b) {
    const auto is_letter_or_digit = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    };
    // The next word, lower case, without a plural "s".
    const auto next_word = [&](std::string_view text, std::size_t& pos) {
        while (pos < text.size() && !is_letter_or_digit(text[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && is_letter_or_digit(text[pos])) ++pos;
        std::string_view word = text.substr(start, pos - start);
        if (word.size() > 3 && ascii_lower(word.back()) == 's' && ascii_lower(word[word.size() - 2]) != 's')
            word.remove_suffix(1);
        return word;
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (true) {
        const std::string_view word_a = next_word(a, i);
        const std::string_view word_b = next_word(b, j);
        if (word_a.size() != word_b.size()) return false;
        if (word_a.empty()) return true;
        for (std::size_t k = 0; k < word_a.size(); ++k)
            if (ascii_lower(word_a[k]) != ascii_lower(word_b[k])) return false;
    }
}

}  // namespace quillmark
