#include "render/yaml_scalar.hpp"

#include <array>
#include <cstdio>

#include "model/text.hpp"
#include "render/ascii_case.hpp"

namespace quillmark {

namespace {

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

// Safe plain: starts with an ASCII letter, holds only ASCII letters,
// digits, single spaces between words and the punctuation of names and
// symbols that YAML gives no meaning inside a scalar.
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

void append_yaml_string(std::string& out, std::string_view text) {
    if (is_safe_plain(text)) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

}  // namespace quillmark
