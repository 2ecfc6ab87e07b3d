// The characters the GFM writer tells apart: white space and punctuation
// as CommonMark reads them next to emphasis markers.
#pragma once

namespace quillmark {

inline bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

inline bool is_punctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

inline bool is_space_or_punctuation(char c) { return is_space(c) || is_punctuation(c); }

// A character just inside an emphasis marker that may be punctuation to
// CommonMark: ASCII punctuation, or any character outside ASCII (this
// writer has no Unicode tables, and "−" or "≦" are punctuation there).
inline bool may_be_punctuation(char c) { return is_punctuation(c) || static_cast<unsigned char>(c) >= 0x80; }

}  // namespace quillmark
