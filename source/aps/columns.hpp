// Columns of an APS line, counted in characters over UTF-8.
//
// How columns are counted: one column is one Unicode code point, that is one
// whole UTF-8 sequence of one to four bytes, whatever its display width (a
// combining mark or a wide character is one column, and so is a tab). The
// reader first makes its input valid UTF-8 (each ill-formed byte sequence
// becomes one U+FFFD, see `repair_utf8`), so every column boundary falls
// between two code points: "the first four characters" of a line and "from
// the sixth character on" can never cut a multi-byte character in half, and
// every value taken from a line is valid UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmark::aps {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF, no truncated sequence).
bool is_valid_utf8(std::string_view text);

// A copy of `text` in which every maximal ill-formed subsequence is replaced
// by U+FFFD (the Unicode "substitution of maximal subparts" practice).
std::string repair_utf8(std::string_view text);

// Byte length of the code point that starts at `pos` of valid UTF-8 text
// (1 at the end or on a stray byte, so a walk always advances).
std::size_t code_point_length(std::string_view text, std::size_t pos);

// Byte offset just after the first `count` characters of `text` (the whole
// text when it is shorter).
std::size_t offset_after_characters(std::string_view text, std::size_t count);

// The first `count` characters of `text`.
std::string_view first_characters(std::string_view text, std::size_t count);

// `text` without its first `count` characters (empty when it is shorter).
std::string_view after_characters(std::string_view text, std::size_t count);

// `text` without its last character (empty text stays empty).
std::string_view without_last_character(std::string_view text);

// The last character of `text` (empty for the empty text).
std::string_view last_character(std::string_view text);

}  // namespace quillmark::aps
