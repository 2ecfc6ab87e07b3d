#include "cli/progress.hpp"

#include <cstdio>

namespace quillmark::cli {

namespace {

constexpr auto redraw_interval = std::chrono::milliseconds(100);
constexpr int bar_width = 24;

std::string printf_text(const char* format, double a, double b = 0) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

std::string plural(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

}  // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    char escape[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(static_cast<unsigned char>(text[++i])));
            out += escape;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string format_megabytes(std::uint64_t bytes) { return printf_text("%.1f MB", static_cast<double>(bytes) / 1e6); }

Reporter::Reporter(std::FILE* stream, bool show_progress, std::optional<std::uint64_t> total_bytes)
    : stream_(stream), show_progress_(show_progress), total_bytes_(total_bytes) {}

double Reporter::elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Reporter::bytes_read(std::uint64_t count) {
    bytes_ += count;
    if (!show_progress_) return;
    std::lock_guard lock(mutex_);
    redraw(false);
}

void Reporter::document_done(bool ok) {
    std::lock_guard lock(mutex_);
    ++documents_;
    if (!ok) ++failed_documents_;
    redraw(false);
}

void Reporter::document_failed(std::string_view input, std::size_t index, std::uint64_t offset,
                               std::string_view message) {
    print_line("quillmark: error: " + std::string(input) + ": document " + std::to_string(index) + " at byte " +
               std::to_string(offset) + ": " + std::string(message));
}

void Reporter::input_failed(std::string_view input, std::string_view message) {
    {
        std::lock_guard lock(mutex_);
        ++failed_inputs_;
    }
    print_line("quillmark: error: " + std::string(input) + ": " + std::string(message));
}

void Reporter::member_failed(std::string_view member, std::string_view message) {
    {
        std::lock_guard lock(mutex_);
        ++failed_members_;
    }
    print_line("quillmark: error: " + std::string(member) + ": " + std::string(message));
}

void Reporter::member_begun() { ++members_; }

void Reporter::documents_withdrawn(std::size_t count) {
    std::lock_guard lock(mutex_);
    failed_documents_ += count;
}

void Reporter::run_stopped(std::string_view message) {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    print_line("quillmark: error: " + std::string(message) + "; the run is stopped");
}

void Reporter::usage_stopped(std::string_view message) { print_line("quillmark: " + std::string(message)); }

void Reporter::output_failed(std::string_view message) {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    print_line("quillmark: error: " + std::string(message));
}

// One report per line, whatever a message or file name holds.
void Reporter::print_line(std::string line) {
    line = printable(line);
    std::lock_guard lock(mutex_);
    if (line_shown_) std::fputs("\r\x1b[K", stream_);
    std::fwrite(line.data(), 1, line.size(), stream_);
    std::fputc('\n', stream_);
    line_shown_ = false;
    redraw(true);
}

std::string Reporter::progress_text(double seconds) const {
    const std::uint64_t bytes = bytes_;
    std::string text;
    if (total_bytes_ && *total_bytes_ > 0) {
        const double fraction = std::min(1.0, static_cast<double>(bytes) / static_cast<double>(*total_bytes_));
        const int filled = static_cast<int>(fraction * bar_width);
        text = '[' + std::string(filled, '#') + std::string(bar_width - filled, '-') + "] ";
        text += printf_text("%3.0f%%  ", fraction * 100);
    }
    text += plural(documents_, "document", "documents");
    text += "  " + format_megabytes(bytes);
    if (seconds > 0) text += printf_text("  %.1f MB/s", static_cast<double>(bytes) / 1e6 / seconds);
    text += "  " + plural(failed_documents_ + failed_inputs_ + failed_members_, "error", "errors");
    return text;
}

// Called with the lock held.
void Reporter::redraw(bool force) {
    if (!show_progress_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - last_draw_ < redraw_interval) return;
    last_draw_ = now;
    std::string line = "\r";
    line += progress_text(elapsed());
    line += "\x1b[K";
    std::fputs(line.c_str(), stream_);
    std::fflush(stream_);
    line_shown_ = true;
}

RunTotals Reporter::finish(std::string_view done_verb, std::size_t inputs, std::size_t skipped_files, Summary summary) {
    std::lock_guard lock(mutex_);
    RunTotals totals;
    totals.documents = documents_;
    totals.failed_documents = failed_documents_;
    totals.failed_inputs = failed_inputs_;
    totals.failed_members = failed_members_;
    totals.inputs = inputs;
    totals.members = members_;
    totals.stopped = stopped_;
    totals.skipped_files = skipped_files;
    totals.bytes = bytes_;
    totals.seconds = elapsed();
    if (line_shown_) std::fputs("\r\x1b[K", stream_);
    line_shown_ = false;
    if (summary == Summary::never || (summary == Summary::when_incomplete && totals.complete() && totals.skipped_files == 0)) return totals;
    std::string line = "quillmark: " + plural(totals.documents - totals.failed_documents, "document", "documents") +
                       ' ' + std::string(done_verb) + ", " + std::to_string(totals.failed_documents) + " failed";
    if (totals.failed_members > 0) line += ", " + plural(totals.failed_members, "member", "members") + " failed";
    if (totals.failed_inputs > 0) line += ", " + plural(totals.failed_inputs, "input", "inputs") + " failed";
    if (totals.skipped_files > 0)
        line += ", " + plural(totals.skipped_files, "file", "files") + " in directories skipped";
    line += " (" + plural(inputs, "input", "inputs") + ", ";
    if (totals.members > 0) line += plural(totals.members, "archive member", "archive members") + ", ";
    line += format_megabytes(totals.bytes) +
            printf_text(" in %.2f s", totals.seconds);
    if (totals.seconds > 0) line += printf_text(", %.1f MB/s", static_cast<double>(totals.bytes) / 1e6 / totals.seconds);
    line += ")\n";
    std::fputs(line.c_str(), stream_);
    std::fflush(stream_);
    return totals;
}

}  // namespace quillmark::cli
