#include <string>

#include "source/parsers.hpp"

namespace quillmark {

ParseResult parse_grant_v25(std::string_view) {
    return ParseError::structure(std::string("UsptoGrantV25") + " is not supported yet");
}

}  // namespace quillmark
