// Writes the converted documents of a run: one Markdown file per document,
// or one JSON Lines file per input, in a directory or to standard output.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "cli/conversion.hpp"
#include "cli/output_names.hpp"

namespace quillmark::cli {

// A document as handed to the writer, in input order.
struct ConvertedDocument {
    std::string_view input_stem;
    std::size_t index;          // 1-based position in its input
    const Outcome& outcome;     // a successful one
};

class OutputWriter {
public:
    // `directory` "-" writes everything to standard output.
    OutputWriter(OutputFormat format, std::string directory);
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;
    ~OutputWriter();

    // Each returns the error message when writing failed.
    std::optional<std::string> write(const ConvertedDocument& document);
    // The current input has no more documents.
    std::optional<std::string> end_input();
    // The run is over.
    std::optional<std::string> finish();

private:
    std::optional<std::string> write_markdown_file(const ConvertedDocument& document);
    std::optional<std::string> write_json_line(const ConvertedDocument& document);

    OutputFormat format_;
    std::string directory_;
    bool to_standard_output_;
    OutputNames names_;
    // The JSON Lines file of the current input, once it has a document.
    std::FILE* lines_file_ = nullptr;
    std::string lines_path_;
    std::optional<std::string> lines_open_error_;
};

}  // namespace quillmark::cli
