#include "binding/repr.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace quillmark {

namespace {

struct CodePointRange {
    std::uint32_t first;
    std::uint32_t last;
};

constexpr CodePointRange escaped_ranges[] = {
#include "binding/escape_table.inc"
};

bool is_escaped(std::uint32_t code_point) {
    const auto* end = std::end(escaped_ranges);
    const auto* it = std::upper_bound(std::begin(escaped_ranges), end, code_point,
                                      [](std::uint32_t cp, const CodePointRange& range) { return cp < range.first; });
    return it != std::begin(escaped_ranges) && code_point <= (it - 1)->last;
}

// Decodes the code point at `pos` (the text is valid UTF-8) and its length.
std::uint32_t decode(std::string_view text, std::size_t pos, std::size_t& length) {
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80) {
        length = 1;
        return c;
    }
    const std::size_t count = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    std::uint32_t cp = c & (0xFF >> (count + 1));
    std::size_t i = 1;
    for (; i < count && pos + i < text.size(); ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    length = i;
    return cp;
}

}  // namespace

void append_quoted(std::string& out, std::string_view text) {
    out += '"';
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t length = 1;
        const std::uint32_t cp = decode(text, pos, length);
        switch (cp) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case 0: out += "\\0"; break;
            default:
                if (is_escaped(cp)) {
                    char buffer[16];
                    std::snprintf(buffer, sizeof buffer, "\\u{%x}", static_cast<unsigned>(cp));
                    out += buffer;
                } else {
                    out.append(text, pos, length);
                }
        }
        pos += length;
    }
    out += '"';
}

std::string_view first_characters(std::string_view text, std::size_t limit, bool& truncated) {
    std::size_t pos = 0, count = 0;
    while (pos < text.size() && count < limit) {
        std::size_t length = 1;
        decode(text, pos, length);
        pos += length;
        ++count;
    }
    truncated = pos < text.size();
    return text.substr(0, pos);
}

}  // namespace quillmark
