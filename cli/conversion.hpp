// The work done on one document: the same parse and render path as the
// Python module, on bytes that must be well-formed UTF-8 as a str would be.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "render/flavor.hpp"

namespace quillmark::cli {

enum class OutputFormat { Markdown, JsonLines, Record };

struct ConversionSettings {
    OutputFormat format = OutputFormat::Markdown;
    std::optional<std::string> template_text;  // checked beforehand; the default layout when absent
    Flavor flavor = Flavor::Default;
};

// Where a document was found, as a BulkItem tells it: the input (or
// ARCHIVE!MEMBER), the document's 1-based number in it and the byte where
// it starts.
struct DocumentPlace {
    std::string_view source;
    std::size_t index = 0;
    std::uint64_t offset = 0;
};

struct Outcome {
    bool ok = false;
    std::string payload;  // Markdown, a JSON record or a format name
    std::string number;   // publication or patent number, empty when the document has none
    std::string error;    // when !ok
};

Outcome convert_document(std::string_view text, const DocumentPlace& place, const ConversionSettings& settings);
Outcome detect_document(std::string_view text);

}  // namespace quillmark::cli
