// The text of the GFM writer: white space collapsed, characters that
// Markdown or HTML would read as markup escaped, USPTO's brace notation and
// APS dot codes turned into what they stand for, and the markers put
// around inserted, deleted and emphasised content.
#include "render/gfm_writer.hpp"

#include <array>

#include "model/text/entities.hpp"
#include "model/text/text.hpp"
#include "render/aps_symbols.hpp"
#include "render/ascii_case.hpp"
#include "render/gfm_characters.hpp"

namespace quillmark {

namespace {

// Bytes of text that need a look of their own: white space but the space,
// what Markdown or HTML reads as markup, and where notation starts.
constexpr std::array<bool, 256> special_bytes = [] {
    std::array<bool, 256> special{};
    for (const char c : std::string_view("\t\n\r\f\v\\*_`<>$~|&]{)."))
        special[static_cast<unsigned char>(c)] = true;
    return special;
}();

// The position of the first special byte at or after `pos` that needs a
// look, or the size. A full stop that can start no dot code, and a closing
// parenthesis while no brace item is open, are ordinary.
std::size_t next_special(std::string_view text, std::size_t pos, bool braces_open) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    while (true) {
        while (pos + 4 <= size && !(special_bytes[bytes[pos]] | special_bytes[bytes[pos + 1]] |
                                    special_bytes[bytes[pos + 2]] | special_bytes[bytes[pos + 3]]))
            pos += 4;
        while (pos < size && !special_bytes[bytes[pos]]) ++pos;
        if (pos == size) return pos;
        const char c = text[pos];
        const char after = pos + 1 < size ? text[pos + 1] : ' ';
        const bool ordinary =
            (c == '.' && !is_ascii_letter(after) && after != '[' && after != ']' && after != '+' && after != '-') ||
            (c == ')' && !braces_open);
        if (!ordinary) return pos;
        ++pos;
    }
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

}  // namespace

// ----- text

void GfmWriter::text(std::string_view raw) {
    if (raw.find('&') == std::string_view::npos) {
        decoded_text(raw);
        return;
    }
    scratch_.clear();
    append_characters(scratch_, raw);
    const std::string decoded = std::move(scratch_);
    decoded_text(decoded);
    scratch_ = std::move(decoded);
}

void GfmWriter::decoded_text(std::string_view text) {
    last_close_.reset();
    for (std::size_t pos = 0; pos < text.size();) {
        // Runs of ordinary characters are copied whole; a run that starts
        // with spaces where one is written already, or at the start, loses them.
        const std::size_t end = next_special(text, pos, !braces_.empty());
        if (end > pos) {
            std::string_view run = text.substr(pos, end - pos);
            if (run[0] == ' ' && (out_.empty() || out_.back() == ' ')) {
                const std::size_t word = run.find_first_not_of(' ');
                run.remove_prefix(word == std::string_view::npos ? run.size() : word);
            }
            out_ += run;
            pos = end;
            continue;
        }
        const char c = text[pos];
        if (is_space(c)) {
            while (pos < text.size() && is_space(text[pos])) ++pos;
            if (!out_.empty() && out_.back() != ' ') out_ += ' ';
            continue;
        }
        const std::string_view rest = text.substr(pos);
        if (c == '{' || c == ')') {
            if (const std::size_t used = braces_.read(out_, rest)) {
                pos += used;
                continue;
            }
        }
        if (c == '.' && pos + 1 < text.size()) {
            if (const std::size_t used = dot_code(text, pos)) {
                pos += used;
                continue;
            }
        }
        if (mode_ == Mode::Html)
            escaped(c);
        else if (reads_as_markup(text, pos))
            out_ += '\\', out_ += c;
        else
            out_ += c;
        ++pos;
    }
}

// APS text marks sub- and superscripts (".sub.2"), reissue insertions
// (".Iadd." ... ".Iaddend."), deletions (".[." ... ".].") and symbols
// (".degree.") with dot codes.
std::size_t GfmWriter::dot_code(std::string_view text, std::size_t pos) {
    if (pos + 2 >= text.size()) return 0;
    const std::string_view rest = text.substr(pos);
    const bool sub = rest.starts_with(".sub.");
    if (sub || rest.starts_with(".sup.")) {
        std::size_t end = 5;
        if (end < rest.size() && (rest[end] == '-' || rest[end] == '+')) ++end;
        const std::size_t letters = end;
        while (end < rest.size() && is_ascii_alphanumeric(rest[end])) ++end;
        if (end == letters) return 0;
        out_ += sub ? "<sub>" : "<sup>";
        for (const char c : rest.substr(5, end - 5)) escaped(c);
        out_ += sub ? "</sub>" : "</sup>";
        return end;
    }
    if (rest.starts_with(".Iaddend.")) {
        close_inserted();
        return 9;
    }
    if (rest.starts_with(".Iadd.")) {
        open_mark(inserted_);
        return 6;
    }
    if (rest.starts_with(".[.")) {
        open_mark(deleted_);
        return 3;
    }
    if (rest.starts_with(".].")) {
        close_deleted(rest.size() > 3 ? rest[3] : ' ');
        return 3;
    }
    constexpr std::size_t longest_name = 7;
    const std::size_t end = rest.substr(1, longest_name + 1).find('.');
    if (end == std::string_view::npos || end == 0) return 0;
    const auto symbol = aps_symbol(rest.substr(1, end));
    if (!symbol) return 0;
    out_ += *symbol;
    return end + 2;
}

// Whether CommonMark (or GitHub) would read the character at `pos` as
// markup there: "_" inside a word, "&" that starts no reference, "<" that
// opens no tag and "\" before a letter are text as they stand, and so is
// what a bare URL holds. The character after the end of `text` is not
// known, and counts as one that makes markup.
bool GfmWriter::reads_as_markup(std::string_view text, std::size_t pos) {
    const char c = text[pos];
    const bool last = pos + 1 == text.size();
    const char after = last ? ' ' : text[pos + 1];
    const char before = out_.empty() ? ' ' : out_.back();
    switch (c) {
        case '*':
        case '`': return true;
        case '$':
        case '~': return !in_bare_url();
        case '\\': return (last || is_punctuation(after)) && !in_bare_url();
        case '_': return !(is_ascii_alphanumeric(before) && !last && is_ascii_alphanumeric(after)) && !in_bare_url();
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

// Whether the word being written is a bare URL, which GitHub links as it
// stands ("www.example.com/a_b"), so that a backslash would break it.
bool GfmWriter::in_bare_url() const {
    constexpr std::size_t longest = 512;
    const std::size_t from = out_.size() > longest ? out_.size() - longest : 0;
    const std::string_view tail = std::string_view(out_).substr(from);
    const std::size_t space = tail.find_last_of(" \n(");
    if (space == std::string_view::npos && from > 0) return false;
    const std::string_view word = tail.substr(space == std::string_view::npos ? 0 : space + 1);
    return starts_with_ignoring_case(word, "www.") || starts_with_ignoring_case(word, "http://") ||
           starts_with_ignoring_case(word, "https://");
}

void GfmWriter::escaped(char c) {
    if (mode_ == Mode::Html) {
        switch (c) {
            case '&': out_ += "&amp;"; return;
            case '<': out_ += "&lt;"; return;
            case '>': out_ += "&gt;"; return;
            default: out_ += c; return;
        }
    }
    switch (c) {
        case '\\':
        case '*':
        case '_':
        case '`':
        case '<':
        case '$':
        case '~': out_ += '\\'; break;
        case '|':
            if (in_cell_) out_ += '\\';
            break;
        default: break;
    }
    out_ += c;
}

// Markers of the v4 XML: formulas set in a paragraph, and what a reissue
// inserted or deleted. The markers of where sections start are left out:
// the headings show it.
void GfmWriter::processing_instruction(std::string_view instruction) {
    const std::string_view body = instruction.substr(2, instruction.size() - 4);
    const std::string_view target = body.substr(0, body.find_first_of(" \t\r\n"));
    if (target == "in-line-formulae") {
        inline_formula_ = body.find("end=\"tail\"") == std::string_view::npos;
    } else if (target == "insert-start") {
        open_mark(inserted_);
    } else if (target == "insert-end") {
        close_inserted();
    } else if (target == "delete-start") {
        open_mark(deleted_);
    } else if (target == "delete-end") {
        close_deleted('a');
    }
}

// ----- markers around content

void GfmWriter::wrap(std::size_t start, std::string_view open, std::string_view close) {
    const std::string_view written = std::string_view(out_).substr(start);
    std::size_t lead = 0;
    while (lead < written.size() && written[lead] == ' ') ++lead;
    if (lead == written.size()) return;
    std::size_t trail = 0;
    while (written[written.size() - 1 - trail] == ' ') ++trail;
    out_.insert(out_.size() - trail, close);
    out_.insert(start + lead, open);
}

void GfmWriter::close_inserted() {
    if (inserted_ != none && inserted_ <= out_.size()) wrap(inserted_, "<ins>", "</ins>");
    inserted_ = none;
}

void GfmWriter::close_deleted(char next) {
    if (deleted_ != none && deleted_ <= out_.size()) strike(deleted_, next);
    deleted_ = none;
}

// Struck through with "~~" where GitHub reads it so, else with <del>.
void GfmWriter::strike(std::size_t start, char next) {
    if (mode_ == Mode::Markdown && markers_fit(start, next))
        wrap(start, "~~", "~~");
    else
        wrap(start, "<del>", "</del>");
}

// Whether markers ("*", "~~") around what was written from `start` on
// (inside its spaces) are read as such: next to punctuation inside, the
// character outside must be white space or punctuation too, and markers
// next to other markers (bold in italic, italic after italic) are read by
// rules too subtle to rely on.
bool GfmWriter::markers_fit(std::size_t start, char next) const {
    const std::string_view written = std::string_view(out_).substr(start);
    const std::size_t lead = written.find_first_not_of(' ');
    if (lead == std::string_view::npos) return false;
    const std::size_t trail = written.size() - 1 - written.find_last_not_of(' ');
    const std::size_t core_begin = start + lead;
    const std::size_t core_end = out_.size() - trail;
    const char before = core_begin > 0 ? out_[core_begin - 1] : ' ';
    const char after = trail > 0 ? ' ' : next;
    const char first = out_[core_begin];
    const char last = out_[core_end - 1];
    const auto is_marker = [](char c) { return c == '*' || c == '~'; };
    if (is_marker(before) && !(core_begin >= 2 && out_[core_begin - 2] == '\\')) return false;
    if (is_marker(after) || is_marker(first)) return false;
    if (is_marker(last) && out_[core_end - 2] != '\\') return false;
    if (may_be_punctuation(first) && !is_space_or_punctuation(before)) return false;
    if (may_be_punctuation(last) && !is_space_or_punctuation(after)) return false;
    return true;
}

}  // namespace quillmark
