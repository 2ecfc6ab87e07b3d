// UTF-8 for every layer: checking and repairing bytes, walking characters,
// and decoding and encoding code points. "Well-formed" excludes overlong
// forms, surrogates, values above U+10FFFF and truncated sequences.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark {

// The position of the first byte that is not part of well-formed UTF-8.
std::optional<std::size_t> find_invalid_utf8(std::string_view text);
bool is_valid_utf8(std::string_view text);

// A copy of `text` in which every maximal ill-formed subsequence is replaced
// by U+FFFD (the Unicode "substitution of maximal subparts" practice).
std::string repair_utf8(std::string_view text);

// Byte length of the code point that starts at `pos` of valid UTF-8 text
// (1 at the end or on a stray byte, so a walk always advances).
std::size_t code_point_length(std::string_view text, std::size_t pos);

// The code point that starts at `pos` of valid UTF-8 text; `length`
// receives its byte length (as code_point_length gives it).
std::uint32_t decode_code_point(std::string_view text, std::size_t pos, std::size_t& length);

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

// `text` without a multi-byte character that is cut off at its end.
std::string_view without_cut_last_character(std::string_view text);

// Writes the UTF-8 of `count` code points at `out`, which has room for four
// bytes per code point, and moves `out` past them. False, with `out` left
// anywhere in between, when a code point is a surrogate or above U+10FFFF:
// UTF-8 cannot carry those. Fast on text that is mostly ASCII.
bool encode_utf8(const std::uint32_t* code_points, std::size_t count, char*& out);

}  // namespace quillmark
