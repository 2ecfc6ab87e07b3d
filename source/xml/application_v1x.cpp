#include <string>

#include "source/parsers.hpp"

namespace quillmark {

ParseResult parse_application_v1x(std::string_view, SourceFormat format) {
    return ParseError::structure(std::string(source_format_name(format)) + " is not supported yet");
}

}  // namespace quillmark
