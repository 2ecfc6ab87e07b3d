#include "cli/json.hpp"

#include "model/text/utf8.hpp"

namespace quillmark::cli {

namespace {

void append_unicode_escape(std::string& out, unsigned code) {
    static constexpr char hex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += hex[(code >> shift) & 0xF];
}

// The byte length of the character at `s[0]` when it is written escaped,
// else 0. Besides what JSON requires, U+0085, U+2028 and U+2029 are escaped:
// line-splitting readers break lines at them.
std::size_t escaped_length(const unsigned char* s, std::size_t left) {
    const unsigned char c = s[0];
    if (c < 0x20 || c == '"' || c == '\\') return 1;
    if (c == 0xC2 && left >= 2 && s[1] == 0x85) return 2;
    if (c == 0xE2 && left >= 3 && s[1] == 0x80 && (s[2] == 0xA8 || s[2] == 0xA9)) return 3;
    return 0;
}

void append_escape(std::string& out, const unsigned char* s, std::size_t length) {
    if (length == 2) return append_unicode_escape(out, 0x85);
    if (length == 3) return append_unicode_escape(out, s[2] == 0xA8 ? 0x2028 : 0x2029);
    switch (s[0]) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default: append_unicode_escape(out, s[0]); break;
    }
}

// The characters of a JSON string literal, without its quotes.
void append_json_characters(std::string& out, std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t run_start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = s[i];
        if (c >= 0x20 && c != '"' && c != '\\' && c != 0xC2 && c != 0xE2) {  // the common case
            ++i;
            continue;
        }
        const std::size_t length = escaped_length(s + i, text.size() - i);
        if (length == 0) {
            ++i;
            continue;
        }
        out.append(text.data() + run_start, i - run_start);
        append_escape(out, s + i, length);
        i += length;
        run_start = i;
    }
    out.append(text.data() + run_start, text.size() - run_start);
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size() + 2);
    out += '"';
    append_json_characters(out, text);
    out += '"';
}

void append_json_file_name(std::string& out, std::string_view name) {
    out += '"';
    while (const auto invalid = find_invalid_utf8(name)) {
        append_json_characters(out, name.substr(0, *invalid));
        append_unicode_escape(out, 0xDC00 + static_cast<unsigned char>(name[*invalid]));
        name.remove_prefix(*invalid + 1);
    }
    append_json_characters(out, name);
    out += '"';
}

}  // namespace quillmark::cli
