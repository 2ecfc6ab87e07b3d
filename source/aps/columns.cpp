#include "source/aps/columns.hpp"

namespace quillmark::aps {

namespace {

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed sequence at `pos`, or 0 when the bytes there are
// ill-formed. `bad` receives the length of the maximal ill-formed subpart
// (at least 1) in that case.
std::size_t well_formed_length(std::string_view text, std::size_t pos, std::size_t& bad) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t left = text.size() - pos;
    const unsigned char c = s[pos];
    bad = 1;
    if (c < 0x80) return 1;
    std::size_t need;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        need = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 3;
        if (c == 0xE0) low = 0xA0;   // no overlong forms
        if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 4;
        if (c == 0xF0) low = 0x90;   // no overlong forms
        if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;  // a continuation byte, C0, C1 or F5..FF
    }
    for (std::size_t i = 1; i < need; ++i) {
        if (i >= left) return 0;
        const unsigned char next = s[pos + i];
        const bool fits = i == 1 ? (next >= low && next <= high) : is_continuation(next);
        if (!fits) return 0;
        bad = i + 1;
    }
    return need;
}

}  // namespace

bool is_valid_utf8(std::string_view text) {
    std::size_t pos = 0;
    std::size_t bad = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t n = well_formed_length(text, pos, bad);
        if (n == 0) return false;
        pos += n;
    }
    return true;
}

std::string repair_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    std::size_t pos = 0;
    std::size_t bad = 0;
    while (pos < text.size()) {
        const std::size_t n = well_formed_length(text, pos, bad);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            pos += bad;
        } else {
            out.append(text, pos, n);
            pos += n;
        }
    }
    return out;
}

std::size_t code_point_length(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 1;
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    std::size_t n = 1;
    if (c >= 0xF0)
        n = 4;
    else if (c >= 0xE0)
        n = 3;
    else if (c >= 0xC0)
        n = 2;
    // Never step over a byte that does not continue the sequence, nor past
    // the end: on valid UTF-8 neither happens.
    std::size_t length = 1;
    while (length < n && pos + length < text.size() && is_continuation(static_cast<unsigned char>(text[pos + length])))
        ++length;
    return length;
}

std::size_t offset_after_characters(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count && pos < text.size(); ++i) pos += code_point_length(text, pos);
    return pos < text.size() ? pos : text.size();
}

std::string_view first_characters(std::string_view text, std::size_t count) {
    return text.substr(0, offset_after_characters(text, count));
}

std::string_view after_characters(std::string_view text, std::size_t count) {
    return text.substr(offset_after_characters(text, count));
}

std::string_view without_last_character(std::string_view text) {
    if (text.empty()) return text;
    std::size_t start = text.size() - 1;
    while (start > 0 && is_continuation(static_cast<unsigned char>(text[start])) && text.size() - start < 4) --start;
    // `start` is now the lead byte of the last code point (valid UTF-8).
    return text.substr(0, start);
}

std::string_view last_character(std::string_view text) {
    const std::string_view rest = without_last_character(text);
    return text.substr(rest.size());
}

}  // namespace quillmark::aps
