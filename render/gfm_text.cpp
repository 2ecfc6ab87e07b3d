#include "render/gfm_text.hpp"

#include <array>

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

#include "model/text/entities.hpp"
#include "model/text/text.hpp"
#include "render/aps_symbols.hpp"
#include "render/ascii_case.hpp"
#include "render/gfm_characters.hpp"

namespace quillmark {

namespace {

// Bytes of text that need a look of their own: white space but the space,
// what Markdown or HTML reads as markup, and where notation starts.
constexpr std::string_view special_characters = "\t\n\r\f\v\\*_`<>$~|&]{).";

constexpr std::array<bool, 256> special_bytes = [] {
    std::array<bool, 256> special{};
    for (const char c : special_characters) special[static_cast<unsigned char>(c)] = true;
    return special;
}();

// Whether a full stop before `after` may start a dot code (".sub.",
// ".[.", ".Iadd."); any other is an ordinary full stop.
bool may_start_dot_code(char after) {
    return is_ascii_letter(after) || after == '[' || after == ']' || after == '+' || after == '-';
}

// Whether the special byte at `pos` needs a look: a full stop that can start
// no dot code, and a closing parenthesis while no brace item is open, are
// ordinary.
bool needs_look(std::string_view text, std::size_t pos, bool braces_open) {
    const char c = text[pos];
    if (c == '.') return may_start_dot_code(pos + 1 < text.size() ? text[pos + 1] : ' ');
    return c != ')' || braces_open;
}

// The position of the first special byte at or after `pos` that needs a
// look, or the size.
std::size_t next_special_bytewise(std::string_view text, std::size_t pos, bool braces_open) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (; pos < text.size(); ++pos)
        if (special_bytes[bytes[pos]] && needs_look(text, pos, braces_open)) return pos;
    return text.size();
}

#if defined(__x86_64__)

// The special set as two tables of sixteen, looked up by a byte's low and
// high half: a byte is special where the two have a bit in common. Each high
// half that holds a special byte has a bit of its own, and the low table
// sets, for each low half, the bits of the high halves it is special with.
struct HalfTables {
    alignas(16) std::array<unsigned char, 16> low{};
    alignas(16) std::array<unsigned char, 16> high{};
};

constexpr HalfTables special_halves = [] {
    HalfTables tables;
    unsigned char next_bit = 1;
    for (const char c : special_characters) {
        const auto byte = static_cast<unsigned char>(c);
        unsigned char& group = tables.high[byte >> 4];
        if (group == 0) {
            group = next_bit;
            next_bit = static_cast<unsigned char>(next_bit << 1);
        }
        tables.low[byte & 0x0F] |= group;
    }
    return tables;
}();

// The same, sixteen bytes at a time: both halves of each byte looked up at
// once with a byte shuffle (SSSE3).
[[gnu::target("ssse3")]] std::size_t next_special_ssse3(std::string_view text, std::size_t pos, bool braces_open) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const __m128i low_table = _mm_load_si128(reinterpret_cast<const __m128i*>(special_halves.low.data()));
    const __m128i high_table = _mm_load_si128(reinterpret_cast<const __m128i*>(special_halves.high.data()));
    const __m128i halves = _mm_set1_epi8(0x0F);
    for (; pos + 16 <= text.size(); pos += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + pos));
        const __m128i low = _mm_shuffle_epi8(low_table, _mm_and_si128(block, halves));
        const __m128i high = _mm_shuffle_epi8(high_table, _mm_and_si128(_mm_srli_epi16(block, 4), halves));
        const __m128i ordinary = _mm_cmpeq_epi8(_mm_and_si128(low, high), _mm_setzero_si128());
        for (unsigned lanes = ~static_cast<unsigned>(_mm_movemask_epi8(ordinary)) & 0xFFFF; lanes != 0;
             lanes &= lanes - 1) {
            const std::size_t special = pos + static_cast<std::size_t>(__builtin_ctz(lanes));
            if (needs_look(text, special, braces_open)) return special;
        }
    }
    return next_special_bytewise(text, pos, braces_open);
}

bool has_ssse3() {
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return supported;
}

#endif

std::size_t next_special(std::string_view text, std::size_t pos, bool braces_open) {
#if defined(__x86_64__)
    if (has_ssse3()) return next_special_ssse3(text, pos, braces_open);
#endif
    return next_special_bytewise(text, pos, braces_open);
}

bool is_ascii_alphanumeric(char c) { return is_ascii_digit(c) || is_ascii_letter(c); }

bool is_hex_digit(char c) { return is_ascii_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Whether `text` starts with an entity or numeric character reference
// ("&amp;", "&#931;", "&#x3a3;"), which CommonMark would decode.
bool starts_reference(std::string_view text) {
    std::size_t pos = 1;
    std::size_t limit = 32;
    bool (*allowed)(char) = is_ascii_alphanumeric;
    if (pos < text.size() && text[pos] == '#') {
        ++pos;
        limit = 7;
        allowed = is_ascii_digit;
        if (pos < text.size() && (text[pos] == 'x' || text[pos] == 'X')) {
            ++pos;
            limit = 6;
            allowed = is_hex_digit;
        }
    } else if (pos == text.size() || !is_ascii_letter(text[pos])) {
        return false;
    }
    const std::size_t start = pos;
    while (pos < text.size() && pos - start < limit && allowed(text[pos])) ++pos;
    return pos > start && pos < text.size() && text[pos] == ';';
}

// Whether the "<" that starts `text` may open an HTML tag, comment,
// processing instruction or autolink: it is followed by a letter, "/", "!"
// or "?", a tag name ends where one may, and a ">" comes later (`closed`);
// or the name runs to the end of the text (what follows it is not known
// here).
bool may_open_tag(std::string_view text, bool closed) {
    if (text.size() < 2) return true;
    const char next = text[1];
    if (!is_ascii_letter(next) && next != '/' && next != '!' && next != '?') return false;
    if (!is_ascii_letter(next)) return closed;
    std::size_t end = 2;
    while (end < text.size() && (is_ascii_alphanumeric(text[end]) || text[end] == '-')) ++end;
    if (end == text.size()) return true;
    // A tag name ends at white space, "/" or ">"; an autolink's scheme at ":".
    const char after = text[end];
    return closed && (is_space(after) || after == '/' || after == '>' || after == ':');
}


// Whether the word that ends `out` is a bare URL, which GitHub links as it
// stands ("www.example.com/a_b"), so that a backslash would break it.
bool in_bare_url(std::string_view out) {
    constexpr std::size_t longest = 512;
    const std::size_t from = out.size() > longest ? out.size() - longest : 0;
    const std::string_view tail = out.substr(from);
    const std::size_t space = tail.find_last_of(" \n(");
    if (space == std::string_view::npos && from > 0) return false;
    const std::string_view word = tail.substr(space == std::string_view::npos ? 0 : space + 1);
    return starts_with_ignoring_case(word, "www.") || starts_with_ignoring_case(word, "http://") ||
           starts_with_ignoring_case(word, "https://");
}

}  // namespace

// Text without an "&" is written as it stands. As a look for the "&" first
// would be a pass of its own over every text, the text is written raw
// until one turns up, then written again decoded: up to there, only
// escapes were written, which depend on nothing but the text and what
// `out` held before.
void GfmText::append(std::string& out, std::string_view raw, ReissueMarks& marks) {
    const std::size_t written = out.size();
    if (append_decoded(out, raw, marks, true)) return;
    out.resize(written);
    scratch_.clear();
    append_characters(scratch_, raw);
    const std::string decoded = std::move(scratch_);
    append_decoded(out, decoded, marks, false);
    scratch_ = std::move(decoded);
}

bool GfmText::append_decoded(std::string& out, std::string_view text, ReissueMarks& marks, bool raw_until_reference) {
    last_close_.reset();
    for (std::size_t pos = 0; pos < text.size();) {
        // Runs of ordinary characters are copied whole; a run that starts
        // with spaces where one is written already, or at the start, loses them.
        const std::size_t end = next_special(text, pos, !braces_.empty());
        if (end > pos) {
            std::string_view run = text.substr(pos, end - pos);
            if (run[0] == ' ' && (out.empty() || out.back() == ' ')) {
                const std::size_t word = run.find_first_not_of(' ');
                run.remove_prefix(word == std::string_view::npos ? run.size() : word);
            }
            out += run;
            pos = end;
            continue;
        }
        const char c = text[pos];
        if (is_space(c)) {
            while (pos < text.size() && is_space(text[pos])) ++pos;
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        if (raw_until_reference) {
            // Notation changes more than `out`: decided once the text is
            // known to be all there is.
            if (c == '&') return false;
            if (c == '{' || c == ')' || c == '.') {
                if (text.find('&', pos) != std::string_view::npos) return false;
                raw_until_reference = false;
            }
        }
        const std::string_view rest = text.substr(pos);
        if (c == '{' || c == ')') {
            if (const std::size_t used = braces_.read(out, rest)) {
                pos += used;
                continue;
            }
        }
        if (c == '.' && pos + 1 < text.size()) {
            if (const std::size_t used = dot_code(out, rest, marks)) {
                pos += used;
                continue;
            }
        }
        if (mode_ == Mode::Html)
            append_escaped(out, c);
        else if (reads_as_markup(out, text, pos))
            out += '\\', out += c;
        else
            out += c;
        ++pos;
    }
    return true;
}

// APS text marks sub- and superscripts (".sub.2"), reissue insertions
// (".Iadd." ... ".Iaddend."), deletions (".[." ... ".].") and symbols
// (".degree.") with dot codes.
std::size_t GfmText::dot_code(std::string& out, std::string_view rest, ReissueMarks& marks) const {
    if (rest.size() < 3) return 0;
    const bool sub = rest.starts_with(".sub.");
    if (sub || rest.starts_with(".sup.")) {
        std::size_t end = 5;
        if (end < rest.size() && (rest[end] == '-' || rest[end] == '+')) ++end;
        const std::size_t letters = end;
        while (end < rest.size() && is_ascii_alphanumeric(rest[end])) ++end;
        if (end == letters) return 0;
        out += sub ? "<sub>" : "<sup>";
        for (const char c : rest.substr(5, end - 5)) append_escaped(out, c);
        out += sub ? "</sub>" : "</sup>";
        return end;
    }
    if (rest.starts_with(".Iaddend.")) {
        marks.close_inserted();
        return 9;
    }
    if (rest.starts_with(".Iadd.")) {
        marks.open_inserted();
        return 6;
    }
    if (rest.starts_with(".[.")) {
        marks.open_deleted();
        return 3;
    }
    if (rest.starts_with(".].")) {
        marks.close_deleted(rest.size() > 3 ? rest[3] : ' ');
        return 3;
    }
    constexpr std::size_t longest_name = 7;
    const std::size_t end = rest.substr(1, longest_name + 1).find('.');
    if (end == std::string_view::npos || end == 0) return 0;
    const auto symbol = aps_symbol(rest.substr(1, end));
    if (!symbol) return 0;
    out += *symbol;
    return end + 2;
}

// Whether CommonMark (or GitHub) would read the character at `pos` as
// markup there: "_" inside a word, "&" that starts no reference, "<" that
// opens no tag and "\" before a letter are text as they stand, and so is
// what a bare URL holds. The character after the end of `text` is not
// known, and counts as one that makes markup.
bool GfmText::reads_as_markup(const std::string& out, std::string_view text, std::size_t pos) {
    const char c = text[pos];
    const bool last = pos + 1 == text.size();
    const char after = last ? ' ' : text[pos + 1];
    const char before = out.empty() ? ' ' : out.back();
    switch (c) {
        case '*':
        case '`': return true;
        case '$':
        case '~': return !in_bare_url(out);
        case '\\': return (last || is_punctuation(after)) && !in_bare_url(out);
        case '_': return !(is_ascii_alphanumeric(before) && !last && is_ascii_alphanumeric(after)) && !in_bare_url(out);
        case '&': return starts_reference(text.substr(pos));
        case '<': {
            // Looked for once per text, at its first "<".
            if (!last_close_) last_close_ = text.rfind('>');
            return may_open_tag(text.substr(pos), *last_close_ != std::string_view::npos && *last_close_ > pos);
        }
        // "[0012]" stays as it is: brackets make a link only with "(" or
        // "[" after the closing one, and this writer defines no references.
        case ']': return after == '(' || after == '[' || after == ':';
        case '|': return in_cell_;
        default: return false;
    }
}

void GfmText::append_escaped(std::string& out, char c) const {
    if (mode_ == Mode::Html) {
        switch (c) {
            case '&': out += "&amp;"; return;
            case '<': out += "&lt;"; return;
            case '>': out += "&gt;"; return;
            default: out += c; return;
        }
    }
    switch (c) {
        case '\\':
        case '*':
        case '_':
        case '`':
        case '<':
        case '$':
        case '~': out += '\\'; break;
        case '|':
            if (in_cell_) out += '\\';
            break;
        default: break;
    }
    out += c;
}

std::size_t block_start_escape(std::string_view text) {
    if (text.empty()) return std::string_view::npos;
    const char c = text[0];
    const bool box = text.size() >= 3 && c == '[' && text[2] == ']' && (text[1] == ' ' || text[1] == 'x' || text[1] == 'X');
    if (c == '#' || c == '>' || c == '-' || c == '+' || box) return 0;
    std::size_t digits = 0;
    while (digits < text.size() && digits < 10 && is_ascii_digit(text[digits])) ++digits;
    if (digits == 0 || digits > 9 || digits == text.size()) return std::string_view::npos;
    if ((text[digits] == '.' || text[digits] == ')') && (digits + 1 == text.size() || text[digits + 1] == ' '))
        return digits;
    return std::string_view::npos;
}

}  // namespace quillmark
