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
    std::size_t failed_inputs = 0;    // inputs that could not be read to their end
    std::size_t failed_members = 0;   // archive members that could not be read to their end
    std::size_t inputs = 0;
    std::size_t members = 0;          // archive members read
    std::size_t skipped_files = 0;
    bool stopped = false;             // the run ended early, or its output failed
    std::uint64_t bytes = 0;
    double seconds = 0;

    bool complete() const { return failed_documents + failed_inputs + failed_members == 0 && !stopped; }
};

// When the summary line is printed: a run that writes to standard output,
// as a filter, sums up only when something was not converted (a failure, a
// skipped file).
enum class Summary { never, when_incomplete, always };

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
    void member_failed(std::string_view member, std::string_view message);
    // From the reading thread.
    void member_begun();
    // So many documents counted as done turned out not to be: they came from
    // bytes that failed their checksum.
    void documents_withdrawn(std::size_t count);
    // The run cannot go on; what was read so far is summed up all the same.
    void run_stopped(std::string_view message);
    // The run cannot go on, as the options asked for what the inputs
    // cannot give; `message` is all that is told.
    void usage_stopped(std::string_view message);
    // The output, written when the run ended, failed.
    void output_failed(std::string_view message);

    // Clears the progress line, prints the summary as `summary` says and
    // returns the totals.
    RunTotals finish(std::string_view done_verb, std::size_t inputs, std::size_t skipped_files, Summary summary);

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
    std::size_t failed_members_ = 0;
    std::atomic<std::size_t> members_{0};
    bool stopped_ = false;
    std::chrono::steady_clock::time_point last_draw_{};
    bool line_shown_ = false;
};

// `text` with its control characters (C0, DEL and C1) written as escapes
// ("\x1B", "\u009B"), so that a name or message neither breaks a report in
// two nor gives a terminal commands.
std::string printable(std::string_view text);

// "1.2 MB" style, decimal units.
std::string format_megabytes(std::uint64_t bytes);

}  // namespace quillmark::cli
