// Quoting for the representations of Document, Claim and Citation.
#pragma once

#include <string>
#include <string_view>

namespace quillmark {

// Double quotes around the text; quotes, backslashes and control or
// non-printable characters escaped.
void append_quoted(std::string& out, std::string_view text);

}  // namespace quillmark
