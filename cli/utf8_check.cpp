#include "cli/utf8_check.hpp"

#include <cstdint>
#include <cstring>

namespace quillmark::cli {

namespace {

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed sequence that starts at `s[0]`, or 0.
std::size_t sequence_length(const unsigned char* s, std::size_t left) {
    const unsigned char lead = s[0];
    if (lead < 0xC2 || lead > 0xF4) return 0;
    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (left < length) return 0;
    // The second byte's range is narrower after the leads that could encode
    // overlong forms, surrogates or values past U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (s[1] < low || s[1] > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!is_continuation(s[i])) return 0;
    return length;
}

}  // namespace

std::optional<std::size_t> find_invalid_utf8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        // Runs of ASCII, eight bytes at a time.
        while (i + 8 <= size) {
            std::uint64_t block;
            std::memcpy(&block, s + i, 8);
            if (block & 0x8080808080808080ull) break;
            i += 8;
        }
        if (i == size) break;
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = sequence_length(s + i, size - i);
        if (length == 0) return i;
        i += length;
    }
    return std::nullopt;
}

}  // namespace quillmark::cli
