// Turns the character-entity names that survive in text into characters.
#pragma once

#include <string>
#include <string_view>

namespace quillmark {

// Applies the fixed table of replacements one after the other.
std::string decode_entities(std::string_view text);
// Appends decode_entities(text) to `out`.
void append_decoded(std::string& out, std::string_view text);

}  // namespace quillmark
