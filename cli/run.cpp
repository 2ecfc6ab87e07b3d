#include "cli/run.hpp"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#include "bulk/pipeline.hpp"
#include "cli/output_writer.hpp"
#include "cli/progress.hpp"
#include "cli/template_file.hpp"

namespace quillmark::cli {

namespace {

using bulk::InputFile;
using bulk::InputList;
using bulk::Piece;
using bulk::Source;

std::optional<std::uint64_t> total_size(const std::vector<InputFile>& inputs) {
    std::uint64_t total = 0;
    for (const InputFile& input : inputs) {
        if (!input.size) return std::nullopt;
        total += *input.size;
    }
    return total;
}

// Where a stream or an input began in the run's output: the documents
// delivered as done and the files created before it.
struct OutputMark {
    std::size_t documents = 0;
    std::size_t files = 0;
};

class Run final : bulk::DocumentSink<Outcome> {
public:
    Run(const Options& options, const InputList& inputs, ConversionSettings settings)
        : options_(options),
          inputs_(inputs),
          settings_(std::move(settings)),
          writer_(options.format, options.command == Command::Detect ? "-" : options.output_directory),
          reporter_(stderr, shows_progress(options), total_size(inputs.files)),
          pipeline_(inputs, pipeline_settings(options), *this) {}

    int execute() {
        try {
            pipeline_.start();
        } catch (const std::system_error& error) {
            std::fprintf(stderr, "quillmark: cannot start %u conversion threads: %s\n",
                         pipeline_settings(options_).jobs, error.what());
            return 2;
        }
        pipeline_.wait();
        if (!run_failure_.empty()) reporter_.run_stopped(run_failure_);
        const bool converting = options_.command == Command::Convert;
        const RunTotals totals =
            reporter_.finish(converting ? "converted" : "detected", inputs_.files.size(), inputs_.skipped);
        const bool failed = totals.failed_documents + totals.failed_inputs + totals.failed_members > 0;
        return failed || totals.stopped ? 1 : 0;
    }

private:
    static bulk::PipelineSettings pipeline_settings(const Options& options) {
        bulk::PipelineSettings settings;
        settings.jobs = options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
        settings.largest = options.max_document_size;
        settings.limit_name = "--max-document-size";
        return settings;
    }

    void bytes_read(std::uint64_t count) override { reporter_.bytes_read(count); }
    void member_begun() override { reporter_.member_begun(); }
    void end_run(std::string failure) noexcept override { run_failure_.swap(failure); }

    static bool shows_progress(const Options& options) {
        if (!isatty(STDERR_FILENO)) return false;
        const bool writes_to_standard_output = options.command == Command::Detect || options.output_directory == "-";
        return !(writes_to_standard_output && isatty(STDOUT_FILENO));
    }

    Outcome work(Piece& piece) override {
        Outcome outcome = options_.command == Command::Convert ? convert_document(piece.text, settings_)
                                                               : detect_document(piece.text);
        std::string().swap(piece.text);  // the document is no longer needed while it waits for its turn
        return outcome;
    }

    Outcome failure(std::string message) override {
        Outcome outcome;
        outcome.error = std::move(message);
        return outcome;
    }

    void deliver(Piece& piece, Outcome& outcome) override {
        const Source& file = *piece.source;
        std::optional<WriteError> write_error;
        if (options_.command == Command::Detect) {
            write_error = OutputWriter::write_standard_output(detection_line(file, piece, outcome));
        } else if (outcome.ok) {
            write_error = writer_.write(ConvertedDocument{file.stem, piece.index, outcome});
        }
        if (write_error && write_error->output_closed) return stop(write_error->message);
        if (write_error && outcome.ok) {
            outcome.ok = false;
            outcome.error = std::move(write_error->message);
        }
        if (!outcome.ok) reporter_.document_failed(file.display, piece.index, piece.offset, outcome.error);
        if (outcome.ok) ++documents_done_;
        reporter_.document_done(outcome.ok);
    }

    // A stream has ended: a member's, or an input's. The documents of a
    // corrupt one are taken back: a member's alone, or an archive's all.
    void end_stream(const bulk::StreamEnd& end) override {
        const Source& file = *end.source;
        if (auto error = writer_.end_stream()) report_failure(file, error->message);
        if (end.error) {
            std::string message = end.error->message;
            if (end.error->corrupt) message += withdraw(end.end_of_input ? input_mark_ : stream_mark_);
            report_failure(file, message);
        }
        stream_mark_ = OutputMark{documents_done_, writer_.files_created()};
        if (!end.end_of_input) return;
        writer_.keep_files();
        input_mark_ = stream_mark_ = OutputMark{documents_done_, 0};
    }

    void report_failure(const Source& file, std::string_view message) {
        if (file.member)
            reporter_.member_failed(file.display, message);
        else
            reporter_.input_failed(file.display, message);
    }

    // Removes what the documents since `mark` wrote and counts them failed;
    // what went to standard output cannot be taken back, and the message
    // says so.
    std::string withdraw(const OutputMark& mark) {
        const std::size_t count = documents_done_ - mark.documents;
        writer_.remove_files_since(mark.files);
        reporter_.documents_withdrawn(count);
        documents_done_ = mark.documents;
        if (count == 0 || !writer_.writes_to_standard_output()) return {};
        return "; " + std::to_string(count) + (count == 1 ? " document" : " documents") +
               " already written to standard output came from it";
    }

    void stop(const std::string& message) {
        pipeline_.stop();
        reporter_.run_stopped(message);
    }

    static std::string detection_line(const Source& file, const Piece& piece, const Outcome& outcome) {
        std::string line = printable(file.display) + '\t' + std::to_string(piece.index) + '\t';
        line += outcome.ok ? outcome.payload : "error: " + printable(outcome.error);
        return line;
    }

    const Options& options_;
    const InputList& inputs_;
    const ConversionSettings settings_;
    OutputWriter writer_;
    Reporter reporter_;
    // Delivered as converted (or detected), less those taken back.
    std::size_t documents_done_ = 0;
    OutputMark stream_mark_;
    OutputMark input_mark_;
    std::string run_failure_;   // why the run ended early, when something other than a document failed
    bulk::Pipeline<Outcome> pipeline_;  // last: its threads end before the rest goes
};

}  // namespace

int run_command(const Options& options) {
    ConversionSettings settings;
    settings.format = options.format;
    settings.flavor = options.flavor;
    if (options.template_path) {
        auto loaded = read_template_file(*options.template_path);
        if (const auto* failure = std::get_if<TemplateFileError>(&loaded)) {
            std::fprintf(stderr, "quillmark: %s\n", printable(failure->message).c_str());
            return 2;
        }
        settings.template_text = std::move(std::get<std::string>(loaded));
    }
    if (options.command == Command::Convert && options.output_directory != "-") {
        std::error_code error;
        std::filesystem::create_directories(options.output_directory, error);
        if (error) {
            std::fprintf(stderr, "quillmark: cannot create output directory %s: %s\n",
                         printable(options.output_directory).c_str(), error.message().c_str());
            return 1;
        }
    }
    const InputList inputs = bulk::expand_inputs(options.inputs);
    return Run(options, inputs, std::move(settings)).execute();
}

}  // namespace quillmark::cli
