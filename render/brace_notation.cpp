#include "render/brace_notation.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

#include "model/text/utf8.hpp"
#include "model/text/text.hpp"
#include "render/ascii_case.hpp"

namespace quillmark {

namespace {

struct PrecomposedLetter {
    std::string_view mark;
    char base;
    std::string_view composed;
};

#include "render/precomposed_letters.inc"

struct MarkName {
    std::string_view name;  // lower case, as in "{name over ("
    BraceMark mark;
};

constexpr std::array<MarkName, 23> mark_names = {{
    {"umlaut over (", {BraceMark::Kind::Combining, "\u0308"}},
    {"double dot over (", {BraceMark::Kind::Combining, "\u0308"}},
    {"acute over (", {BraceMark::Kind::Combining, "\u0301"}},
    {"grave over (", {BraceMark::Kind::Combining, "\u0300"}},
    {"circumflex over (", {BraceMark::Kind::Combining, "\u0302"}},
    {"tilde over (", {BraceMark::Kind::Combining, "\u0303"}},
    {"hacek over (", {BraceMark::Kind::Combining, "\u030c"}},
    {"haeck over (", {BraceMark::Kind::Combining, "\u030c"}},
    {"dot over (", {BraceMark::Kind::Combining, "\u0307"}},
    {"dot under (", {BraceMark::Kind::Combining, "\u0323"}},
    {"ring over (", {BraceMark::Kind::Combining, "\u030a"}},
    {"cedilla over (", {BraceMark::Kind::Combining, "\u0327"}},
    {"breve over (", {BraceMark::Kind::Combining, "\u0306"}},
    {"overscore (", {BraceMark::Kind::Combining, "\u0304"}},
    {"double overscore (", {BraceMark::Kind::Combining, "\u033f"}},
    {"underscore (", {BraceMark::Kind::Combining, "\u0332"}},
    {"right arrow over (", {BraceMark::Kind::Combining, "\u20d7"}},
    {"left arrow over (", {BraceMark::Kind::Combining, "\u20d6"}},
    {"left right arrow over (", {BraceMark::Kind::Combining, "\u20e1"}},
    {"circle around (", {BraceMark::Kind::Combining, "\u20dd"}},
    {"square root over (", {BraceMark::Kind::Root, "\u221a"}},
    {"cube root over (", {BraceMark::Kind::Root, "\u221b"}},
    {"fraction (", {BraceMark::Kind::Fraction, {}}},
}};

struct VulgarFraction {
    std::string_view written;
    std::string_view character;
};

constexpr std::array<VulgarFraction, 18> vulgar_fractions = {{
    {"1/2", "\u00bd"}, {"1/3", "\u2153"}, {"2/3", "\u2154"}, {"1/4", "\u00bc"}, {"3/4", "\u00be"},
    {"1/5", "\u2155"}, {"2/5", "\u2156"}, {"3/5", "\u2157"}, {"4/5", "\u2158"}, {"1/6", "\u2159"},
    {"5/6", "\u215a"}, {"1/7", "\u2150"}, {"1/8", "\u215b"}, {"3/8", "\u215c"}, {"5/8", "\u215d"},
    {"7/8", "\u215e"}, {"1/9", "\u2151"}, {"1/10", "\u2152"},
}};

// Bases up to this size are looked at whole.
constexpr std::size_t whole_base = 64;

// The overline of a whole word: the combining overline after every
// character (and the marks it has already).
constexpr std::string_view overline = "\u0305";

bool is_combining_mark(std::uint32_t code_point) {
    return (code_point >= 0x0300 && code_point <= 0x036F) || (code_point >= 0x20D0 && code_point <= 0x20FF);
}

std::string overlined(std::string_view base) {
    std::string out;
    for (std::size_t pos = 0; pos < base.size();) {
        std::size_t length = 1;
        const std::uint32_t code_point = decode_code_point(base, pos, length);
        if (pos > 0 && !is_combining_mark(code_point)) out += overline;
        out += base.substr(pos, length);
        pos += length;
    }
    out += overline;
    return out;
}

void combine(std::string& out, std::size_t base_start, std::string_view mark) {
    const std::size_t base_size = out.size() - base_start;
    if (base_size == 1) {
        const char base = out.back();
        const auto found = std::find_if(precomposed_letters.begin(), precomposed_letters.end(),
                                        [&](const PrecomposedLetter& letter) {
                                            return letter.mark == mark && letter.base == base;
                                        });
        if (found != precomposed_letters.end()) {
            out.pop_back();
            out += found->composed;
            return;
        }
    }
    if (mark == "\u0304" && base_size > 1 && base_size <= whole_base) {
        const std::string marked = overlined(std::string_view(out).substr(base_start));
        out.resize(base_start);
        out += marked;
        return;
    }
    out += mark;
}

void make_fraction(std::string& out, std::size_t base_start) {
    const std::string_view base = std::string_view(out).substr(base_start);
    if (base.size() > whole_base) return;
    for (const VulgarFraction& vulgar : vulgar_fractions) {
        if (vulgar.written == base) {
            out.resize(base_start);
            out += vulgar.character;
            return;
        }
    }
    if (const std::size_t slash = base.find('/'); slash != std::string_view::npos)
        out.replace(base_start + slash, 1, "\u2044");
}

}  // namespace

std::optional<BraceOpening> brace_opening(std::string_view text) {
    if (text.empty() || text[0] != '{') return std::nullopt;
    const std::string_view rest = text.substr(1);
    for (const MarkName& name : mark_names)
        if (starts_with_ignoring_case(rest, name.name)) return BraceOpening{1 + name.name.size(), name.mark};
    // A name no table knows: words of letters before " over (".
    constexpr std::string_view over = " over (";
    constexpr std::size_t longest_name = 32;
    std::size_t end = 0;
    while (end < rest.size() && end <= longest_name && (is_ascii_letter(rest[end]) || rest[end] == ' ')) ++end;
    const std::size_t name_end = rest.substr(0, end + over.size()).find(over);
    if (name_end == std::string_view::npos || name_end < 3) return std::nullopt;
    return BraceOpening{1 + name_end + over.size(), {BraceMark::Kind::Combining, {}}};
}

std::size_t BraceItems::read(std::string& out, std::string_view rest) {
    if (rest.starts_with('{')) {
        if (const auto opening = brace_opening(rest)) {
            open(out, rest.substr(0, opening->length), opening->mark);
            return opening->length;
        }
        if (starts_with_ignoring_case(rest, lone_square_root)) {
            out += square_root_sign;
            return lone_square_root.size();
        }
    }
    if (!empty() && rest.starts_with(brace_closing)) {
        close(out);
        return brace_closing.size();
    }
    return 0;
}

void BraceItems::open(std::string& out, std::string_view written, const BraceMark& mark) {
    const std::size_t opening_at = out.size();
    if (mark.kind == BraceMark::Kind::Root) {
        if (!std::string_view(out).ends_with(mark.character)) out += mark.character;
        out += '(';
    }
    open_.push_back({mark, opening_at, out.size(), written.size()});
    written_ += written;
}

void BraceItems::close(std::string& out) {
    const Item item = open_.back();
    open_.pop_back();
    written_.resize(written_.size() - item.written_size);
    if (item.base_start > out.size()) return;
    switch (item.mark.kind) {
        case BraceMark::Kind::Combining: combine(out, item.base_start, item.mark.character); return;
        case BraceMark::Kind::Root: out += ')'; return;
        case BraceMark::Kind::Fraction: make_fraction(out, item.base_start); return;
    }
}

void BraceItems::markers_inserted(std::size_t open_at, std::size_t open_size, std::size_t close_at,
                                  std::size_t close_size) {
    const auto moved = [&](std::size_t position) {
        return position + (position >= open_at ? open_size : 0) + (position > close_at ? close_size : 0);
    };
    for (Item& item : open_) {
        item.opening_at = moved(item.opening_at);
        item.base_start = moved(item.base_start);
    }
}

// One pass over `out`, whatever the number of items.
void BraceItems::keep_unclosed(std::string& out) {
    if (open_.empty()) return;
    std::string kept;
    kept.reserve(out.size() + written_.size());
    std::size_t copied = 0;
    std::size_t written = 0;
    for (const Item& item : open_) {
        const std::string_view opening = std::string_view(written_).substr(written, item.written_size);
        written += item.written_size;
        if (item.opening_at < copied || item.base_start > out.size()) continue;
        kept.append(out, copied, item.opening_at - copied);
        kept += opening;
        copied = item.base_start;
    }
    kept.append(out, copied);
    out = std::move(kept);
    clear();
}

}  // namespace quillmark
