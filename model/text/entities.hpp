// Turns the character-entity names that survive in text into characters.
#pragma once

#include <string>
#include <string_view>

namespace quillmark {

// Replaces the seventeen fixed names in one pass, then every other name of
// the ISO 8879 and MathML sets (character_entities.inc) by its character.
std::string decode_entities(std::string_view text);
// Appends decode_entities(text) to `out`.
void append_decoded(std::string& out, std::string_view text);
// As append_decoded, but every name becomes the character it stands for:
// "&deg;" is "°", not " deg"; "&mdash;" is "—".
void append_characters(std::string& out, std::string_view text);

}  // namespace quillmark
