// The parser entries, one per format family, and the shared parse path that
// detects the format and dispatches to them.
#pragma once

#include <string_view>

#include "source/parse_error.hpp"

namespace quillmark {

ParseResult parse_grant_v4(std::string_view text, SourceFormat format);
ParseResult parse_application_v4(std::string_view text, SourceFormat format);
ParseResult parse_application_v1x(std::string_view text, SourceFormat format);
ParseResult parse_grant_v25(std::string_view text);
ParseResult parse_sequence_cwu(std::string_view text);
ParseResult read_aps(std::string_view text);

// Detects the format and runs its parser.
ParseResult parse_document(std::string_view text);

}  // namespace quillmark
