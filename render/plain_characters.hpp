// Text as the characters it stands for, with no markup: entity names and
// USPTO's brace notation ("{hacek over (S)}tefan" is "Štefan"), for values
// written outside Markdown (the front matter).
#pragma once

#include <string>
#include <string_view>

namespace quillmark {

std::string plain_characters(std::string_view text);

}  // namespace quillmark
