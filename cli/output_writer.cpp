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

}  // namespace

OutputWriter::OutputWriter(OutputFormat format, std::string directory)
    : format_(format), directory_(std::move(directory)), to_standard_output_(directory_ == "-") {}

OutputWriter::~OutputWriter() {
    if (lines_file_ >= 0) ::close(lines_file_);
}

std::optional<WriteError> OutputWriter::write_standard_output(std::string_view line) {
    if (const int error = write_record(STDOUT_FILENO, line))
        return WriteError{cannot_write("standard output", error), error == EPIPE};
    return std::nullopt;
}

std::optional<WriteError> OutputWriter::write(const ConvertedDocument& document) {
    if (to_standard_output_) return write_standard_output(document.outcome.payload);
    if (format_ == OutputFormat::Markdown) return write_markdown_file(document);
    return write_json_line(document);
}

// Named after the publication or patent number; after the input and the
// document's position in it when the document has none.
std::optional<WriteError> OutputWriter::write_markdown_file(const ConvertedDocument& document) {
    std::string stem = safe_file_stem(document.outcome.number);
    if (stem.empty()) stem = safe_file_stem(std::string(document.input_stem) + '-' + std::to_string(document.index));
    const std::string path = directory_ + '/' + names_.claim(stem, ".md");
    const CreatedFile file = create_output_file(path);
    if (file.descriptor < 0) return WriteError{"cannot write " + path + ": " + file.error};
    int error = write_record(file.descriptor, document.outcome.payload);
    if (::close(file.descriptor) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(path.c_str());
        return WriteError{cannot_write(path, error)};
    }
    created_.push_back(path);
    return std::nullopt;
}

// One file per stream, created with its first converted document. A record
// that fails is cut off again, so the file holds whole lines only.
std::optional<WriteError> OutputWriter::write_json_line(const ConvertedDocument& document) {
    if (lines_file_ < 0 && !lines_open_error_) {
        lines_path_ = directory_ + '/' + names_.claim(safe_file_stem(document.input_stem), ".jsonl");
        const CreatedFile file = create_output_file(lines_path_);
        lines_file_ = file.descriptor;
        lines_size_ = 0;
        if (lines_file_ < 0) lines_open_error_ = "cannot write " + lines_path_ + ": " + file.error;
    }
    if (lines_open_error_) return WriteError{*lines_open_error_};
    if (const int error = write_record(lines_file_, document.outcome.payload)) {
        std::string message = cannot_write(lines_path_, error);
        const auto whole = static_cast<off_t>(lines_size_);
        if (::ftruncate(lines_file_, whole) != 0 || ::lseek(lines_file_, whole, SEEK_SET) != whole)
            message += "; it ends in part of the record";
        return WriteError{std::move(message)};
    }
    lines_size_ += document.outcome.payload.size() + 1;
    return std::nullopt;
}

// A JSON Lines file none of whose records could be written is not left behind.
std::optional<WriteError> OutputWriter::end_stream() {
    lines_open_error_.reset();
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

void OutputWriter::remove_files_since(std::size_t mark) {
    for (std::size_t file = mark; file < created_.size(); ++file) ::unlink(created_[file].c_str());
    created_.resize(std::min(mark, created_.size()));
}

}  // namespace quillmark::cli
