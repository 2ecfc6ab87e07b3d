// What a run tells the person who started it, on standard error: a progress
// line while standard error is a terminal (documents done, throughput,
// errors), one line per failed input or document, and a summary at the end.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark::cli {

struct RunTotals {
    std::size_t documents = 0;        // finished, converted or not
    std::size_t failed_documents = 0;
    std::size_t failed_inputs = 0;    // inputs that could not be read at all
    std::size_t inputs = 0;
    std::size_t skipped_files = 0;
    std::uint64_t bytes = 0;
    double seconds = 0;
};

class Reporter {
public:
    // `total_bytes` is the size of all inputs when every one has a size.
    Reporter(std::FILE* stream, bool show_progress, std::optional<std::uint64_t> total_bytes);

    // From the reading thread.
    void bytes_read(std::uint64_t count);
    // From the delivering thread, in input order.
    void document_done(bool ok);
    void document_failed(std::string_view input, std::size_t index, std::uint64_t offset, std::string_view message);
    void input_failed(std::string_view input, std::string_view message);

    // Clears the progress line, prints the summary and returns the totals.
    RunTotals finish(std::string_view done_verb, std::size_t inputs, std::size_t skipped_files);

private:
    void print_line(std::string line);
    void redraw(bool force);
    std::string progress_text(double seconds) const;
    double elapsed() const;

    std::FILE* stream_;
    const bool show_progress_;
    const std::optional<std::uint64_t> total_bytes_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::atomic<std::uint64_t> bytes_{0};
    std::mutex mutex_;
    std::size_t documents_ = 0;
    std::size_t failed_documents_ = 0;
    std::size_t failed_inputs_ = 0;
    std::chrono::steady_clock::time_point last_draw_{};
    bool line_shown_ = false;
};

// "1.2 MB" style, decimal units.
std::string format_megabytes(std::uint64_t bytes);

}  // namespace quillmark::cli
