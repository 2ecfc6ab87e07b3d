// Writes the converted documents of a run: one Markdown file per document,
// or one JSON Lines file per input, in a directory or to standard output.
// Every record is written whole as it comes, so a failed write fails that
// record alone; a failed record leaves no file and no part of a line behind.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/conversion.hpp"
#include "cli/output_names.hpp"

namespace quillmark::cli {

// A document as handed to the writer, in input order.
struct ConvertedDocument {
    std::string_view input_stem;
    std::size_t index;          // 1-based position in its input
    const Outcome& outcome;     // a successful one
};

struct WriteError {
    std::string message;
    // Standard output has no reader any more (a broken pipe): nothing more
    // can be written.
    bool output_closed = false;
};

class OutputWriter {
public:
    // `directory` "-" writes everything to standard output.
    OutputWriter(OutputFormat format, std::string directory);
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;
    ~OutputWriter();

    std::optional<WriteError> write(const ConvertedDocument& document);
    // A line of its own on standard output (what `detect` prints).
    static std::optional<WriteError> write_standard_output(std::string_view line);
    // The current stream, a file or an archive member, has no more documents.
    std::optional<WriteError> end_stream();

    bool writes_to_standard_output() const { return to_standard_output_; }
    // Files created so far, counted as a mark for remove_files_since.
    std::size_t files_created() const { return created_.size(); }
    // Takes back the files created since `mark`, their streams ended.
    void remove_files_since(std::size_t mark);
    // The files created so far stay, whatever comes.
    void keep_files() { created_.clear(); }

private:
    std::optional<WriteError> write_markdown_file(const ConvertedDocument& document);
    std::optional<WriteError> write_json_line(const ConvertedDocument& document);

    OutputFormat format_;
    std::string directory_;
    bool to_standard_output_;
    OutputNames names_;
    std::vector<std::string> created_;
    // The JSON Lines file of the current stream, once it has a document, and
    // the length of the whole records in it.
    int lines_file_ = -1;
    std::string lines_path_;
    std::uint64_t lines_size_ = 0;
    std::optional<std::string> lines_open_error_;
};

}  // namespace quillmark::cli
