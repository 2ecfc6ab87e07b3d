// Decides the source format of a publication text without building a tree.
#pragma once

#include <string>
#include <string_view>

#include "model/result.hpp"
#include "model/source_format.hpp"

namespace quillmark {

struct DetectError {
    enum class Kind { MalformedXml, UnsupportedRoot, UnknownXmlFormat, ConflictingXmlVersionMarkers };
    Kind kind;
    std::string root_name;  // UnsupportedRoot only

    std::string message() const;
};

Result<SourceFormat, DetectError> detect_source_format(std::string_view text);

}  // namespace quillmark
