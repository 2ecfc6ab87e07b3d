#include "model/text/text.hpp"

namespace quillmark {

namespace {

// Unicode White_Space outside ASCII, as UTF-8: U+0085, U+00A0, U+1680,
// U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000.
bool is_two_byte_space(unsigned char a, unsigned char b) { return a == 0xC2 && (b == 0x85 || b == 0xA0); }

bool is_three_byte_space(unsigned char a, unsigned char b, unsigned char c) {
    if (a == 0xE1) return b == 0x9A && c == 0x80;
    if (a == 0xE2) {
        if (b == 0x80) return (c >= 0x80 && c <= 0x8A) || c == 0xA8 || c == 0xA9 || c == 0xAF;
        return b == 0x81 && c == 0x9F;
    }
    return a == 0xE3 && b == 0x80 && c == 0x80;
}

}  // namespace

std::size_t non_ascii_white_space_at(std::string_view text, std::size_t pos) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data()) + pos;
    const std::size_t left = text.size() - pos;
    const unsigned char c = s[0];
    if (c < 0xC2) return 0;
    if (left >= 2 && is_two_byte_space(c, s[1])) return 2;
    if (left >= 3 && is_three_byte_space(c, s[1], s[2])) return 3;
    return 0;
}

std::size_t white_space_before(std::string_view text, std::size_t end) {
    if (end == 0 || end > text.size()) return 0;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char c = s[end - 1];
    if (c == ' ' || (c >= 0x09 && c <= 0x0D)) return 1;
    if (c < 0x80) return 0;
    if (end >= 2 && is_two_byte_space(s[end - 2], c)) return 2;
    if (end >= 3 && is_three_byte_space(s[end - 3], s[end - 2], c)) return 3;
    return 0;
}

std::string_view trim_start(std::string_view text) {
    std::size_t pos = 0;
    while (std::size_t n = white_space_at(text, pos)) pos += n;
    return text.substr(pos);
}

std::string_view trim_end(std::string_view text) {
    std::size_t end = text.size();
    while (std::size_t n = white_space_before(text, end)) end -= n;
    return text.substr(0, end);
}

std::string_view trim(std::string_view text) { return trim_end(trim_start(text)); }

bool is_white_space_only(std::string_view text) { return trim_start(text).empty(); }

bool is_ascii_digits(std::string_view text) {
    for (char c : text)
        if (!is_ascii_digit(c)) return false;
    return true;
}

std::string strip_leading_zeros(std::string_view digits) {
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string_view::npos) return "0";
    return std::string(digits.substr(first));
}

void append_collapsed_white_space(std::string& out, std::string_view text) {
    bool first_word = true;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (std::size_t n = white_space_at(text, pos)) {
            pos += n;
            continue;
        }
        std::size_t end = pos + 1;
        while (end < text.size()) {
            // Printable ASCII is never white space; anything else is looked at.
            const auto c = static_cast<unsigned char>(text[end]);
            if ((c <= ' ' || c >= 0x80) && white_space_at(text, end)) break;
            ++end;
        }
        if (!first_word) out += ' ';
        first_word = false;
        out.append(text, pos, end - pos);
        pos = end;
    }
}

std::string collapse_white_space(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    append_collapsed_white_space(out, text);
    return out;
}

void append_word(std::string& out, std::string_view word) {
    if (!out.empty()) out += ' ';
    out += word;
}

void add_unique(std::vector<std::string>& list, std::string text) {
    for (const std::string& existing : list)
        if (existing == text) return;
    list.push_back(std::move(text));
}

}  // namespace quillmark
