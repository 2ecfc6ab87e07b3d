// Markers put around what a GFM block's text holds from a position on
// (emphasis, strike-through, <sub>, <ins>): inside the content's leading
// and trailing spaces, and as emphasis only where CommonMark reads it so.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark {

// Where `wrap` put its markers, as positions in `out` before they went in.
struct MarkerPositions {
    std::size_t open;
    std::size_t close;
};

// Puts `open` and `close` around what `out` holds from `start` on, inside
// its leading and trailing spaces; nothing when that is blank.
std::optional<MarkerPositions> wrap(std::string& out, std::size_t start, std::string_view open, std::string_view close);

// Whether markers ("*", "~~") around what `out` holds from `start` on
// (inside its spaces) are read as such, `next` being the first character
// that will follow.
bool markers_fit(std::string_view out, std::size_t start, char next);

}  // namespace quillmark
