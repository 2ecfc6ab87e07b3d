// JSON text for the JSON Lines output: strings escaped so that every record
// stays on one line whatever line separators the text holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark::cli {

// Appends `text` (UTF-8) as a JSON string literal.
void append_json_string(std::string& out, std::string_view text);
// A string literal, or null when absent.
void append_json_optional(std::string& out, const std::optional<std::string>& text);
void append_json_string_list(std::string& out, const std::vector<std::string>& texts);

}  // namespace quillmark::cli
