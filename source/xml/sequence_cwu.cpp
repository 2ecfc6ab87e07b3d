#include <string>

#include "source/parsers.hpp"

namespace quillmark {

ParseResult parse_sequence_cwu(std::string_view) {
    return ParseError::structure(std::string("UsptoSequenceCwu") + " is not supported yet");
}

}  // namespace quillmark
