#include "binding/repr.hpp"

#include "model/text/utf8.hpp"

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

}  // namespace

void append_quoted(std::string& out, std::string_view text) {
    out += '"';
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t length = 1;
        const std::uint32_t cp = decode_code_point(text, pos, length);
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

}  // namespace quillmark
