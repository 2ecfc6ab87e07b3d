// Where a convert command's output goes, decided from -o and --format as
// pandoc does: standard output unless -o names a file or a directory, and
// the format a .jsonl name asks for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "cli/conversion.hpp"
#include "cli/options.hpp"

namespace quillmark::cli {

enum class OutputKind {
    StandardOutput,  // no -o, or -o -
    MarkdownFile,    // -o NAME.md: the one document of the run
    LinesFile,       // -o NAME.jsonl: the JSON lines of every input
    Directory,       // one Markdown file per document, or a JSON Lines file per input
};

struct OutputTarget {
    OutputKind kind = OutputKind::StandardOutput;
    std::string path;  // the file or directory; "-" for standard output
    OutputFormat format = OutputFormat::Markdown;
};

// `output` as -o gave it, `format` as --format did; `existing_directory`
// tells whether `output` names a directory that exists (which is taken as
// the directory whatever its name).
std::variant<OutputTarget, UsageError> choose_output_target(std::string_view output,
                                                             std::optional<OutputFormat> format,
                                                             bool existing_directory);

}  // namespace quillmark::cli
