#include "cli/output_writer.hpp"

#include <cerrno>
#include <system_error>

namespace quillmark::cli {

namespace {

std::string system_error_text(const std::string& path) { return "cannot write " + path + ": " + std::generic_category().message(errno); }

bool write_all(std::FILE* file, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fputc('\n', file) != EOF;
}

}  // namespace

OutputWriter::OutputWriter(OutputFormat format, std::string directory)
    : format_(format), directory_(std::move(directory)), to_standard_output_(directory_ == "-") {}

OutputWriter::~OutputWriter() {
    if (lines_file_) std::fclose(lines_file_);
}

std::optional<std::string> OutputWriter::write(const ConvertedDocument& document) {
    if (to_standard_output_) {
        if (!write_all(stdout, document.outcome.payload)) return system_error_text("standard output");
        return std::nullopt;
    }
    if (format_ == OutputFormat::Markdown) return write_markdown_file(document);
    return write_json_line(document);
}

// Named after the publication or patent number; after the input and the
// document's position in it when the document has none.
std::optional<std::string> OutputWriter::write_markdown_file(const ConvertedDocument& document) {
    std::string stem = safe_file_stem(document.outcome.number);
    if (stem.empty()) stem = safe_file_stem(std::string(document.input_stem) + '-' + std::to_string(document.index));
    const std::string path = directory_ + '/' + names_.claim(stem, ".md");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return system_error_text(path);
    const bool written = write_all(file, document.outcome.payload);
    const int saved_errno = errno;
    if (std::fclose(file) != 0 || !written) {
        if (!written) errno = saved_errno;
        return system_error_text(path);
    }
    return std::nullopt;
}

// One file per input, opened with the input's first converted document.
std::optional<std::string> OutputWriter::write_json_line(const ConvertedDocument& document) {
    if (!lines_file_ && !lines_open_error_) {
        lines_path_ = directory_ + '/' + names_.claim(safe_file_stem(document.input_stem), ".jsonl");
        lines_file_ = std::fopen(lines_path_.c_str(), "wb");
        if (!lines_file_) lines_open_error_ = system_error_text(lines_path_);
    }
    if (lines_open_error_) return lines_open_error_;
    if (!write_all(lines_file_, document.outcome.payload)) return system_error_text(lines_path_);
    return std::nullopt;
}

std::optional<std::string> OutputWriter::end_input() {
    lines_open_error_.reset();
    if (!lines_file_) return std::nullopt;
    const bool closed = std::fclose(lines_file_) == 0;
    lines_file_ = nullptr;
    if (!closed) return system_error_text(lines_path_);
    return std::nullopt;
}

std::optional<std::string> OutputWriter::finish() {
    if (to_standard_output_ && std::fflush(stdout) != 0) return system_error_text("standard output");
    return std::nullopt;
}

}  // namespace quillmark::cli
