#include "cli/run.hpp"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>

#include "cli/archive_input.hpp"
#include "cli/bulk_splitter.hpp"
#include "cli/inputs.hpp"
#include "cli/ordered_pool.hpp"
#include "cli/output_writer.hpp"
#include "cli/progress.hpp"
#include "cli/template_file.hpp"

namespace quillmark::cli {

namespace {

constexpr std::size_t read_chunk_size = 1 << 20;

// What the documents of one stream are reported and named by: an input
// file, or a member of an archive ("FILE!MEMBER").
struct Source {
    std::string display;
    std::string stem;  // names the outputs
    bool member = false;
};

// One unit of work: a document, or the end of a stream (carrying the reason
// when the stream could not be read to its end).
struct Task {
    std::shared_ptr<const Source> source;
    std::size_t index = 0;  // 1-based within the stream
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::string text;  // empty when the document was too large to hold
    bool end_of_stream = false;
    // The last task of an input: the end of a file, or of an archive after
    // its members.
    bool end_of_input = false;
    std::optional<ReadError> error;
};

Task stream_end(std::shared_ptr<const Source> source, bool end_of_input, std::optional<ReadError> error) {
    Task task;
    task.source = std::move(source);
    task.end_of_stream = true;
    task.end_of_input = end_of_input;
    task.error = std::move(error);
    return task;
}

using Pool = OrderedPool<Task, Outcome>;

// Splits one stream, a file or an archive member, and hands its documents to
// the pool as they are completed, then its end.
class StreamFeed {
public:
    StreamFeed(Pool& pool, std::shared_ptr<const Source> source, std::size_t largest)
        : pool_(pool),
          source_(std::move(source)),
          splitter_(
              [this](SplitDocument document) {
                  const std::size_t weight = document.text.size();
                  Task task;
                  task.source = source_;
                  task.index = ++documents_;
                  task.offset = document.offset;
                  task.size = document.size;
                  task.text = std::move(document.text);
                  pool_.submit(std::move(task), weight);
              },
              largest) {}
    StreamFeed(const StreamFeed&) = delete;
    StreamFeed& operator=(const StreamFeed&) = delete;

    void feed(std::string_view bytes) { splitter_.feed(bytes); }
    void feed_zeros(std::uint64_t count) { splitter_.feed_zeros(count); }

    // The stream is over: read to its end unless `error` says otherwise. A
    // stream cut short by an error leaves its last document unfinished, so
    // that one is dropped and the error stands for it. A corrupt stream is
    // read to its end, but what it gave is not to be trusted.
    void end(std::optional<ReadError> error) {
        if (!error || error->corrupt) splitter_.finish();
        if (!error && documents_ == 0) error = ReadError{"no document found"};
        pool_.submit(stream_end(source_, !source_->member, std::move(error)));
    }

private:
    Pool& pool_;
    const std::shared_ptr<const Source> source_;
    std::size_t documents_ = 0;
    BulkSplitter splitter_;
};

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

class Run {
public:
    Run(const Options& options, const InputList& inputs, ConversionSettings settings)
        : options_(options),
          inputs_(inputs),
          settings_(std::move(settings)),
          writer_(options.format, options.command == Command::Detect ? "-" : options.output_directory),
          reporter_(stderr, shows_progress(options), total_size(inputs.files)) {}

    int execute() {
        const unsigned jobs = options_.jobs > 0 ? options_.jobs : std::max(1u, std::thread::hardware_concurrency());
        {
            // Documents waiting, being converted or waiting for their turn to
            // be written weigh their size: together at most one of the
            // largest per job, besides the one being read.
            std::optional<Pool> pool;
            try {
                pool.emplace(
                    jobs, 4 * std::size_t{jobs} + 4, jobs * options_.max_document_size,
                    [this](Task& task) { return work(task); },
                    [this](Task& task, Outcome& outcome) { deliver(task, outcome); });
            } catch (const std::system_error& error) {
                std::fprintf(stderr, "quillmark: cannot start %u conversion threads: %s\n", jobs, error.what());
                return 2;
            }
            for (std::size_t input = 0; input < inputs_.files.size() && !stopped_; ++input) read_input(*pool, input);
            pool->finish();
        }
        const bool converting = options_.command == Command::Convert;
        const RunTotals totals =
            reporter_.finish(converting ? "converted" : "detected", inputs_.files.size(), inputs_.skipped);
        const bool failed = totals.failed_documents + totals.failed_inputs + totals.failed_members > 0;
        return failed || totals.stopped ? 1 : 0;
    }

private:
    // Gives each publication in an archive a stream of its own.
    class MemberFeeds final : public MemberSink {
    public:
        MemberFeeds(Run& run, Pool& pool, const InputFile& archive) : run_(run), pool_(pool), archive_(archive) {}

        void begin_member(std::string_view name) override {
            run_.reporter_.member_begun();
            const std::string stem = std::filesystem::path(name).stem().string();
            feed_.emplace(pool_,
                          std::make_shared<const Source>(Source{archive_.display + '!' + std::string(name), stem, true}),
                          run_.options_.max_document_size);
        }
        void member_data(std::string_view bytes) override { feed_->feed(bytes); }
        void member_zeros(std::uint64_t count) override { feed_->feed_zeros(count); }
        void end_member(std::optional<ReadError> error) override {
            feed_->end(std::move(error));
            feed_.reset();
        }
        void archive_bytes_read(std::uint64_t count) override { run_.reporter_.bytes_read(count); }
        bool stopped() const override { return run_.stopped_; }

    private:
        Run& run_;
        Pool& pool_;
        const InputFile& archive_;
        std::optional<StreamFeed> feed_;
    };

    static bool shows_progress(const Options& options) {
        if (!isatty(STDERR_FILENO)) return false;
        const bool writes_to_standard_output = options.command == Command::Detect || options.output_directory == "-";
        return !(writes_to_standard_output && isatty(STDOUT_FILENO));
    }

    // Reads one input, a file in chunks or an archive member by member, and
    // hands each document to the pool as the splitter completes it.
    void read_input(Pool& pool, std::size_t input) {
        const InputFile& file = inputs_.files[input];
        auto source = std::make_shared<const Source>(Source{file.display, file.stem});
        if (!file.error.empty()) return pool.submit(stream_end(source, true, ReadError{file.error}));
        if (file.archive) {
            MemberFeeds members(*this, pool, file);
            auto error = read_archive(file.path, *file.archive, members);
            return pool.submit(stream_end(source, true, std::move(error)));
        }
        StreamFeed feed(pool, source, options_.max_document_size);
        std::FILE* stream = file.path.empty() ? stdin : std::fopen(file.path.c_str(), "rb");
        if (!stream) return feed.end(ReadError{"cannot open: " + std::generic_category().message(errno)});
        std::vector<char> buffer(read_chunk_size);
        while (!stopped_) {
            const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), stream);
            if (count > 0) {
                feed.feed(std::string_view(buffer.data(), count));
                reporter_.bytes_read(count);
            }
            if (count < buffer.size()) break;
        }
        std::optional<ReadError> error;
        if (std::ferror(stream)) error = ReadError{"read error: " + std::generic_category().message(errno)};
        if (stream != stdin) std::fclose(stream);
        feed.end(std::move(error));
    }

    Outcome work(Task& task) {
        if (task.end_of_stream || stopped_) return {};
        if (task.text.size() != task.size) {
            Outcome outcome;
            outcome.error = "document of " + std::to_string(task.size) + " bytes is over --max-document-size (" +
                            std::to_string(options_.max_document_size) + " bytes)";
            return outcome;
        }
        Outcome outcome = options_.command == Command::Convert ? convert_document(task.text, settings_)
                                                               : detect_document(task.text);
        std::string().swap(task.text);  // the document is no longer needed while it waits for its turn
        return outcome;
    }

    void deliver(Task& task, Outcome& outcome) {
        if (stopped_) return;
        if (task.end_of_stream) return end_stream(task);
        const Source& file = *task.source;
        std::optional<WriteError> write_error;
        if (options_.command == Command::Detect) {
            write_error = OutputWriter::write_standard_output(detection_line(file, task, outcome));
        } else if (outcome.ok) {
            write_error = writer_.write(ConvertedDocument{file.stem, task.index, outcome});
        }
        if (write_error && write_error->output_closed) return stop(write_error->message);
        if (write_error && outcome.ok) {
            outcome.ok = false;
            outcome.error = std::move(write_error->message);
        }
        if (!outcome.ok) reporter_.document_failed(file.display, task.index, task.offset, outcome.error);
        if (outcome.ok) ++documents_done_;
        reporter_.document_done(outcome.ok);
    }

    // A stream has ended: a member's, or an input's. The documents of a
    // corrupt one are taken back: a member's alone, or an archive's all.
    void end_stream(const Task& task) {
        const Source& file = *task.source;
        if (auto error = writer_.end_stream()) report_failure(file, error->message);
        if (task.error) {
            std::string message = task.error->message;
            if (task.error->corrupt) message += withdraw(task.end_of_input ? input_mark_ : stream_mark_);
            report_failure(file, message);
        }
        stream_mark_ = OutputMark{documents_done_, writer_.files_created()};
        if (!task.end_of_input) return;
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
        stopped_ = true;
        reporter_.run_stopped(message);
    }

    static std::string detection_line(const Source& file, const Task& task, const Outcome& outcome) {
        std::string line = printable(file.display) + '\t' + std::to_string(task.index) + '\t';
        line += outcome.ok ? outcome.payload : "error: " + printable(outcome.error);
        return line;
    }

    const Options& options_;
    const InputList& inputs_;
    const ConversionSettings settings_;
    OutputWriter writer_;
    Reporter reporter_;
    // Set by the delivering thread when nothing more can be written; read
    // by the reading thread and the workers.
    std::atomic<bool> stopped_{false};
    // Delivered as converted (or detected), less those taken back.
    std::size_t documents_done_ = 0;
    OutputMark stream_mark_;
    OutputMark input_mark_;
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
    const InputList inputs = expand_inputs(options.inputs);
    return Run(options, inputs, std::move(settings)).execute();
}

}  // namespace quillmark::cli
