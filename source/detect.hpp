// Decides the source format of a publication text without building a tree.
#pragma once

#include <string>
#include <string_view>

#include "model/record/result.hpp"
#include "model/record/source_format.hpp"

namespace quillmark {

struct DetectError {
    enum class Kind { MalformedXml, UnsupportedRoot, UnknownXmlFormat, ConflictingXmlVersionMarkers };
    Kind kind;
    std::string root_name;  // UnsupportedRoot only

    std::string message() const;
};

// A byte-order mark (U+FEFF) at the start of a text marks its encoding, as
// Python's UTF-8 decoder leaves it when a file starts with one: it is not
// part of the publication, and detection and parsing both start after it.
std::string_view without_byte_order_mark(std::string_view text);

Result<SourceFormat, DetectError> detect_source_format(std::string_view text);

}  // namespace quillmark
