// USPTO's brace notation for characters its DTDs lack: "{umlaut over (o)}",
// "{dot over (m)}", "{overscore (X)}", "{square root over (km)}",
// "{fraction (1/16)}" and the lone "{square root}"; any other "{name over
// (" keeps its base. The base between the
// parentheses may hold markup and further items, so a writer opens an item
// where its "{... (" stands, writes the base as it comes, and finishes the
// item at its ")}".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark {

struct BraceMark {
    enum class Kind : std::uint8_t { Combining, Root, Fraction };
    Kind kind = Kind::Combining;
    // The combining character (UTF-8) of a Combining mark (empty for a
    // mark of a name no table knows: the base is kept without it); the
    // sign of a Root.
    std::string_view character;
};

struct BraceOpening {
    std::size_t length;  // of "{... (" in the text
    BraceMark mark;
};

inline constexpr std::string_view brace_closing = ")}";
inline constexpr std::string_view lone_square_root = "{square root}";
inline constexpr std::string_view square_root_sign = "\u221a";

// The opening of an item at the start of `text`, names compared without
// regard to case; nothing when `text` starts with none.
std::optional<BraceOpening> brace_opening(std::string_view text);

// Replaces out[base_start..], the base of an item as written, by the marked
// base: a precomposed letter where Unicode has one ("ö"), else the base
// with the combining mark; "√(km)" for a root (one "√" when the text wrote
// the sign just before the item); "½" or "1⁄16" for a fraction.
void finish_brace_item(std::string& out, std::size_t base_start, const BraceMark& mark);

}  // namespace quillmark
