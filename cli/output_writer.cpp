#include "cli/output_writer.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "cli/output_file.hpp"

namespace quillmark::cli {

namespace {

std::string cannot_write(const std::string& path, int error) {
    return "cannot write " + path + ": " + std::generic_category().message(error);
}

std::string cannot_write(const std::string& path, const RecordWritten& written) {
    std::string message = cannot_write(path, written.error);
    if (written.part_left) message += "; it ends in part of the record";
    return message;
}

}  // namespace

OutputWriter::OutputWriter(OutputTarget target) : target_(std::move(target)) {}

OutputWriter::~OutputWriter() {
    if (lines_file_ >= 0) ::close(lines_file_);
}

std::optional<WriteError> OutputWriter::write_standard_output(std::string_view line) {
    const RecordWritten written = write_record(STDOUT_FILENO, line);
    if (written.error == 0) return std::nullopt;
    return WriteError{cannot_write("standard output", written), true, written.error == EPIPE};
}

std::optional<WriteError> OutputWriter::write(const ConvertedDocument& document) {
    const Outcome& outcome = document.outcome;
    switch (target_.kind) {
        case OutputKind::StandardOutput:
            return write_standard_output(outcome.payload);
        case OutputKind::MarkdownFile:
            held_markdown_ = outcome.payload;
            return std::nullopt;
        case OutputKind::LinesFile:
            return write_json_line(document);
        case OutputKind::Directory:
            break;
    }
    if (target_.format != OutputFormat::Markdown) return write_json_line(document);
    // Named after the publication or patent number; after the input and the
    // document's position in it when the document has none.
    std::string stem = safe_file_stem(outcome.number);
    if (stem.empty()) stem = safe_file_stem(std::string(document.input_stem) + '-' + std::to_string(document.index));
    const std::string path = target_.path + '/' + names_.claim(stem, ".md");
    auto error = write_markdown_file(path, outcome.payload);
    if (!error) created_.push_back(path);
    return error;
}

std::optional<WriteError> OutputWriter::write_markdown_file(const std::string& path, std::string_view markdown) {
    const CreatedFile file = create_output_file(path);
    if (file.descriptor < 0) return WriteError{"cannot write " + path + ": " + file.error};
    RecordWritten written = write_record(file.descriptor, markdown);
    if (::close(file.descriptor) != 0 && written.error == 0) written.error = errno;
    if (written.error == 0) return std::nullopt;
    ::unlink(path.c_str());
    return WriteError{cannot_write(path, written.error)};
}

// The -o file, or in a directory one file per stream, created with its
// first converted document. A record that fails is cut off again, so the
// file holds whole lines only; on the -o file the failure ends the run.
std::optional<WriteError> OutputWriter::write_json_line(const ConvertedDocument& document) {
    const bool one_file = target_.kind == OutputKind::LinesFile;
    if (lines_file_ < 0 && !lines_open_error_) {
        lines_path_ = one_file ? target_.path
                               : target_.path + '/' + names_.claim(safe_file_stem(document.input_stem), ".jsonl");
        const CreatedFile file = create_output_file(lines_path_);
        lines_file_ = file.descriptor;
        lines_size_ = 0;
        if (lines_file_ < 0) lines_open_error_ = "cannot write " + lines_path_ + ": " + file.error;
    }
    if (lines_open_error_) return WriteError{*lines_open_error_, one_file};
    const RecordWritten written = write_record(lines_file_, document.outcome.payload);
    if (written.error != 0) return WriteError{cannot_write(lines_path_, written), one_file};
    lines_size_ += document.outcome.payload.size() + 1;
    return std::nullopt;
}

std::optional<WriteError> OutputWriter::end_stream() {
    if (target_.kind != OutputKind::Directory) return std::nullopt;
    lines_open_error_.reset();
    return close_lines_file();
}

std::optional<WriteError> OutputWriter::finish() {
    if (target_.kind == OutputKind::MarkdownFile && held_markdown_) {
        auto error = write_markdown_file(target_.path, *held_markdown_);
        held_markdown_.reset();
        return error;
    }
    return close_lines_file();
}

// A JSON Lines file none of whose records could be written, or all of
// whose records were taken back, is not left behind.
std::optional<WriteError> OutputWriter::close_lines_file() {
    if (lines_file_ < 0) return std::nullopt;
    const int closed = ::close(lines_file_) == 0 ? 0 : errno;
    lines_file_ = -1;
    if (lines_size_ == 0) {
        ::unlink(lines_path_.c_str());
        return std::nullopt;
    }
    created_.push_back(lines_path_);
    if (closed != 0) return WriteError{cannot_write(lines_path_, closed)};
    return std::nullopt;
}

WrittenMark OutputWriter::mark() const {
    return WrittenMark{created_.size(), lines_size_, held_markdown_.has_value()};
}

void OutputWriter::take_back(const WrittenMark& mark) {
    for (std::size_t file = mark.files; file < created_.size(); ++file) ::unlink(created_[file].c_str());
    created_.resize(std::min(mark.files, created_.size()));
    if (!mark.document_held) held_markdown_.reset();
    if (target_.kind != OutputKind::LinesFile || lines_file_ < 0 || lines_size_ <= mark.bytes) return;
    const auto whole = static_cast<off_t>(mark.bytes);
    if (::ftruncate(lines_file_, whole) == 0 && ::lseek(lines_file_, whole, SEEK_SET) == whole) lines_size_ = mark.bytes;
}

}  // namespace quillmark::cli
