// Writes the converted documents of a run where its OutputTarget says: to
// standard output, to one Markdown file, to one JSON Lines file, or to a
// directory (a Markdown file per document, a JSON Lines file per input).
// Every record is written whole as it comes, so a failed write fails that
// record alone; a failed record leaves no file and no part of a line behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/conversion.hpp"
#include "cli/output_names.hpp"
#include "cli/output_target.hpp"

namespace quillmark::cli {

// A document as handed to the writer, in input order.
struct ConvertedDocument {
    std::string_view input_stem;
    std::size_t index;          // 1-based position in its input
    const Outcome& outcome;     // a successful one
};

struct WriteError {
    std::string message;
    // The run's one output (standard output, the -o file) failed: nothing
    // more can be written.
    bool stops_run = false;
    // Standard output has no reader any more (a broken pipe).
    bool output_closed = false;
};

// What the run has written up to a moment, to take back what came after.
struct WrittenMark {
    std::size_t files = 0;       // files created, in this input
    std::uint64_t bytes = 0;     // whole records in the -o JSON Lines file
    bool document_held = false;  // the -o Markdown file's document is held
};

class OutputWriter {
public:
    explicit OutputWriter(OutputTarget target);
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;
    ~OutputWriter();

    std::optional<WriteError> write(const ConvertedDocument& document);
    // A line of its own on standard output (what `detect` prints).
    static std::optional<WriteError> write_standard_output(std::string_view line);
    // The current stream, a file or an archive member, has no more documents.
    std::optional<WriteError> end_stream();
    // The run has ended: the -o Markdown file is written, the -o JSON Lines
    // file closed.
    std::optional<WriteError> finish();

    bool writes_to_standard_output() const { return target_.kind == OutputKind::StandardOutput; }
    // -o NAME.md: the run may have one document only.
    bool takes_one_document() const { return target_.kind == OutputKind::MarkdownFile; }
    const std::string& path() const { return target_.path; }

    WrittenMark mark() const;
    // Takes back what was written since `mark`: the files created are
    // removed, the -o JSON Lines file is cut back, a held document dropped.
    void take_back(const WrittenMark& mark);
    // The files created so far stay, whatever comes.
    void keep_files() { created_.clear(); }

private:
    std::optional<WriteError> write_markdown_file(const std::string& path, std::string_view markdown);
    std::optional<WriteError> write_json_line(const ConvertedDocument& document);
    std::optional<WriteError> close_lines_file();

    OutputTarget target_;
    OutputNames names_;
    std::vector<std::string> created_;
    // The one document of -o NAME.md, written when the run ends.
    std::optional<std::string> held_markdown_;
    // The open JSON Lines file: the -o one, or the current stream's in a
    // directory, once it has a document; the length and count of the whole
    // records in it.
    int lines_file_ = -1;
    std::string lines_path_;
    std::uint64_t lines_size_ = 0;
    std::optional<std::string> lines_open_error_;
};

}  // namespace quillmark::cli
