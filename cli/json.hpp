// JSON text for the JSON Lines output: strings escaped so that every record
// stays on one line whatever line separators the text holds.
#pragma once

#include <string>
#include <string_view>

namespace quillmark::cli {

// Appends `text` (UTF-8) as a JSON string literal.
void append_json_string(std::string& out, std::string_view text);

}  // namespace quillmark::cli
