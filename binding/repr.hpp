// Quoting for the representations of Document and Claim.
#pragma once

#include <string>
#include <string_view>

namespace quillmark {

// Double quotes around the text; quotes, backslashes and control or
// non-printable characters escaped.
void append_quoted(std::string& out, std::string_view text);
// The first `limit` characters (code points) of a UTF-8 text, and whether
// anything was left out.
std::string_view first_characters(std::string_view text, std::size_t limit, bool& truncated);

}  // namespace quillmark
