// USPTO's brace notation for characters its DTDs lack: "{umlaut over (o)}",
// "{dot over (m)}", "{overscore (X)}", "{square root over (km)}",
// "{fraction (1/16)}" and the lone "{square root}"; any other "{name over
// (" keeps its base. The base between the parentheses may hold markup and
// further items, so a writer opens an item where its "{... (" stands,
// writes the base as it comes, and finishes the item at its ")}"; an item
// never finished keeps its opening as written.
//
// Bound: linear time and output. Opening and finishing an item cost a
// constant (a mark goes after the base, a root's sign before it at the
// opening); only a base of at most 64 bytes is looked at whole (a
// precomposed letter, a fraction's slash, the overline on each character of
// an overscored word); a longer one takes its mark once, at its end.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The items open in the text being written, innermost last.
class BraceItems {
public:
    bool empty() const { return open_.empty(); }
    // Opens the item whose opening `written` stands at the end of `out`:
    // writes what goes before its base ("√(" for a root, one "√" when
    // the text wrote the sign just before the item).
    void open(std::string& out, std::string_view written, const BraceMark& mark);
    // Finishes the innermost open item, whose base ends `out`: a
    // precomposed letter where Unicode has one ("ö"), else the base with
    // the combining mark; the closing parenthesis of a root; "½" or "1⁄16"
    // for a fraction.
    void close(std::string& out);
    // Puts back the openings of the items still open, as written, and
    // forgets them.
    void keep_unclosed(std::string& out);
    // Reads the notation that starts `rest`, if any: an item's opening,
    // the lone square root, or the closing of an open item; writes what it
    // stands for to `out` and returns how many bytes it took (0: none).
    std::size_t read(std::string& out, std::string_view rest);
    // Markers went into `out` around what it held from `open_at` to
    // `close_at` (`open_size` and `close_size` bytes): an item that starts at
    // or after the opening marker moves with the text after it; one whose
    // base starts where the closing marker went stays before that marker.
    void markers_inserted(std::size_t open_at, std::size_t open_size, std::size_t close_at, std::size_t close_size);
    void clear() {
        open_.clear();
        written_.clear();
    }

private:
    struct Item {
        BraceMark mark;
        std::size_t opening_at;  // where its opening would stand in `out`
        std::size_t base_start;
        std::size_t written_size;
    };
    std::vector<Item> open_;
    std::string written_;  // the openings of the open items, one after the other
};

}  // namespace quillmark
