#include <string>

#include "source/parsers.hpp"

namespace quillmark {

ParseResult read_aps(std::string_view) {
    return ParseError::structure(std::string("UsptoGrantApsGreenBook") + " is not supported yet");
}

}  // namespace quillmark
