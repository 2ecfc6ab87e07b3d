// A text as a YAML scalar that every loader, YAML 1.1 or 1.2, reads back as
// the same string: plain where that is safe, double-quoted otherwise.
#pragma once

#include <string>
#include <string_view>

namespace quillmark {

void append_yaml_string(std::string& out, std::string_view text);

}  // namespace quillmark
