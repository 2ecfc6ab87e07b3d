// Text helpers shared by every layer: Unicode white space (the White_Space
// property) over UTF-8, trimming, and small ASCII predicates.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

// Byte length of the non-ASCII white-space character at `pos`, or 0.
std::size_t non_ascii_white_space_at(std::string_view text, std::size_t pos);

// Byte length of the white-space character that starts at `pos`, or 0.
inline std::size_t white_space_at(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80) return c == ' ' || (c >= 0x09 && c <= 0x0D) ? 1 : 0;
    return non_ascii_white_space_at(text, pos);
}
// Byte length of the white-space character that ends just before `end`, or 0.
std::size_t white_space_before(std::string_view text, std::size_t end);

bool is_white_space_only(std::string_view text);
std::string_view trim_start(std::string_view text);
std::string_view trim_end(std::string_view text);
std::string_view trim(std::string_view text);

inline bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
inline bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digits(std::string_view text);  // true for the empty text

// Removes leading '0' characters; an empty or all-zero number becomes "0".
std::string strip_leading_zeros(std::string_view digits);

// Appends `word` to `out`, after one space unless `out` is empty.
void append_word(std::string& out, std::string_view word);

// Appends `text` unless the list holds it already (byte for byte).
void add_unique(std::vector<std::string>& list, std::string text);

// Splits at white space and joins the words with single spaces.
std::string collapse_white_space(std::string_view text);
// The same, appended to `out`.
void append_collapsed_white_space(std::string& out, std::string_view text);

}  // namespace quillmark
