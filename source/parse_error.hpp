// The error value of the parse path. Its message is the text the Python
// caller sees.
#pragma once

#include <string>

#include "model/record/document.hpp"
#include "model/record/result.hpp"
#include "source/detect.hpp"

namespace quillmark {

struct ParseError {
    enum class Kind { Detect, Structure, Xml };
    Kind kind;
    std::string text;  // Structure and Xml
    DetectError detect{DetectError::Kind::MalformedXml, {}};

    static ParseError detection(DetectError error) { return {Kind::Detect, {}, std::move(error)}; }
    static ParseError structure(std::string message) { return {Kind::Structure, std::move(message)}; }
    static ParseError xml(std::string message) { return {Kind::Xml, std::move(message)}; }

    std::string message() const {
        if (kind == Kind::Detect) return "source detection failed: " + detect.message();
        return text;
    }
};

using ParseResult = Result<Document, ParseError>;

}  // namespace quillmark
