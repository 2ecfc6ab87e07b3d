// Front-matter values as YAML scalars: written as they are wherever YAML
// reads them back as the same single value, double-quoted with escapes
// wherever a line break, a control character or an indicator would change
// the structure of the block (new keys, a comment, a nested mapping).
#pragma once

#include <string>
#include <string_view>

namespace quillmark {

std::string yaml_scalar(std::string_view value);

}  // namespace quillmark
