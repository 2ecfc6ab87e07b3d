// UTF-8 encoding of code points, fast on text that is mostly ASCII.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillmark {

// Writes the UTF-8 of `count` code points at `out`, which has room for four
// bytes per code point, and moves `out` past them. False, with `out` left
// anywhere in between, when a code point is a surrogate or above U+10FFFF:
// UTF-8 cannot carry those.
bool encode_utf8(const std::uint32_t* code_points, std::size_t count, char*& out);

}  // namespace quillmark
