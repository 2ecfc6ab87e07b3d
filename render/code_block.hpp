// A fenced code block whose fence no line of its body can close.
#pragma once

#include <string>
#include <string_view>

namespace quillmark {

// "```INFO", the body as it is, "```" (longer fences when the body holds
// three backticks).
std::string fenced_block(std::string_view body, std::string_view info);

}  // namespace quillmark
