// The work done on one document: the same parse and render path as the
// Python module, on bytes that must be well-formed UTF-8 as a str would be.
#pragma once

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

struct Outcome {
    bool ok = false;
    std::string payload;  // Markdown, a JSON record or a format name
    std::string number;   // publication or patent number, empty when the document has none
    std::string error;    // when !ok
};

Outcome convert_document(std::string_view text, const ConversionSettings& settings);
Outcome detect_document(std::string_view text);

}  // namespace quillmark::cli
