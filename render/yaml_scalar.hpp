// Front-matter values as YAML scalars, double-quoted with escapes where
// they are not written plain.
#pragma once

#include <string>
#include <string_view>

namespace quillmark {

// The default layout: a value as it is wherever YAML reads it back as the
// same single value; double-quoted wherever a line break, a control
// character or an indicator would change the structure of the block (new
// keys, a comment, a nested mapping).
std::string yaml_scalar(std::string_view value);

// The gfm flavour: plain only where every loader, YAML 1.1 or 1.2, reads it
// back as the same string; dates, numbers, booleans and anything else a
// loader would read as another type are double-quoted.
void append_yaml_string(std::string& out, std::string_view text);

}  // namespace quillmark
