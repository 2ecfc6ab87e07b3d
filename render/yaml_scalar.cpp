#include "render/yaml_scalar.hpp"

#include <array>
#include <cstdio>

#include "model/text/text.hpp"
#include "render/ascii_case.hpp"

namespace quillmark {

namespace {

// Characters that open some other kind of node when a plain scalar starts with them.
constexpr std::string_view leading_indicators = ",[]{}#&*!|>'\"%@`";

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The length of the character at `at` that YAML does not take inside a plain
// scalar: a control character or line break (C0 but tab, DEL, C1, U+2028,
// U+2029) or a byte-order mark and the two non-characters U+FFFE, U+FFFF.
// Zero for any other character. The text is well-formed UTF-8.
std::size_t unprintable_length(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return 1;
    const std::string_view rest = text.substr(at);
    if (byte == 0xC2 && rest.size() >= 2 && static_cast<unsigned char>(rest[1]) < 0xA0) return 2;
    if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9") || rest.starts_with("\xEF\xBB\xBF") ||
        rest.starts_with("\xEF\xBF\xBE") || rest.starts_with("\xEF\xBF\xBF"))
        return 3;
    return 0;
}

bool needs_quotes(std::string_view value) {
    if (value.empty()) return false;
    const char first = value.front();
    if (leading_indicators.find(first) != std::string_view::npos) return true;
    if ((first == '-' || first == '?' || first == ':') && (value.size() == 1 || is_blank(value[1]))) return true;
    if (value.back() == ':') return true;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (unprintable_length(value, i) > 0) return true;
        if (value[i] == ':' && i + 1 < value.size() && is_blank(value[i + 1])) return true;
        if (value[i] == '#' && i > 0 && is_blank(value[i - 1])) return true;
    }
    return false;
}

void append_code_point_escape(std::string& out, std::string_view character) {
    unsigned code = 0;
    if (character.size() == 1) {
        code = static_cast<unsigned char>(character[0]);
    } else if (character.size() == 2) {
        code = (static_cast<unsigned char>(character[0]) & 0x1Fu) << 6 | (static_cast<unsigned char>(character[1]) & 0x3Fu);
    } else {
        code = (static_cast<unsigned char>(character[0]) & 0x0Fu) << 12 |
               (static_cast<unsigned char>(character[1]) & 0x3Fu) << 6 | (static_cast<unsigned char>(character[2]) & 0x3Fu);
    }
    char escape[8];
    std::snprintf(escape, sizeof escape, code < 0x100 ? "\\x%02X" : "\\u%04X", code);
    out += escape;
}

std::string double_quoted(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 8);
    out += '"';
    for (std::size_t i = 0; i < value.size();) {
        const char c = value[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
            ++i;
            continue;
        }
        if (c == '\n' || c == '\r' || c == '\t') {
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
            ++i;
            continue;
        }
        if (const std::size_t length = unprintable_length(value, i)) {
            append_code_point_escape(out, value.substr(i, length));
            i += length;
            continue;
        }
        out += c;
        ++i;
    }
    out += '"';
    return out;
}

// Plain scalars that YAML 1.1 reads as booleans or null.
constexpr std::array<std::string_view, 13> reserved_words = {
    "y", "n", "yes", "no", "on", "off", "true", "false", "null", "ok", "nan", "inf", "none",
};

bool is_reserved(std::string_view text) {
    if (text.size() > 5) return false;
    for (const std::string_view word : reserved_words)
        if (text.size() == word.size() && starts_with_ignoring_case(text, word)) return true;
    return false;
}

// Safe plain for every loader: starts with an ASCII letter, holds only ASCII
// letters, digits, single spaces between words and the punctuation of names
// and symbols that YAML gives no meaning inside a scalar.
bool is_safe_plain(std::string_view text) {
    if (text.empty() || !is_ascii_letter(text[0]) || is_reserved(text)) return false;
    if (text.back() == ' ') return false;
    char previous = 0;
    for (const char c : text) {
        const bool allowed = is_ascii_letter(c) || is_ascii_digit(c) || c == '.' || c == ',' || c == '/' ||
                             c == '-' || c == '(' || c == ')' || c == '\'' || c == '&' ||
                             (c == ' ' && previous != ' ');
        if (!allowed) return false;
        previous = c;
    }
    return true;
}

}  // namespace

std::string yaml_scalar(std::string_view value) {
    if (!needs_quotes(value)) return std::string(value);
    return double_quoted(value);
}

void append_yaml_string(std::string& out, std::string_view text) {
    if (is_safe_plain(text))
        out += text;
    else
        out += double_quoted(text);
}

}  // namespace quillmark
