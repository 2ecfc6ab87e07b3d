// JSON text for the JSON Lines output: strings escaped so that every record
// stays on one line whatever line separators the text holds.
#pragma once

#include <string>
#include <string_view>

namespace quillmark::cli {

// Appends `text` (UTF-8) as a JSON string literal.
void append_json_string(std::string& out, std::string_view text);

// Appends a file name, any bytes, as a JSON string literal: a byte that is
// not part of well-formed UTF-8 is written as the escaped surrogate
// U+DC80 + byte, the str Python's os.fsdecode makes of the same name.
void append_json_file_name(std::string& out, std::string_view name);

}  // namespace quillmark::cli
