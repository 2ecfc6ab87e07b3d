#include "cli/run.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <system_error>
#include <thread>

#include "cli/archive_input.hpp"
#include "cli/bulk_splitter.hpp"
#include "cli/inputs.hpp"
#include "cli/ordered_pool.hpp"
#include "cli/output_writer.hpp"
#include "cli/progress.hpp"
#include "model/utf8.hpp"
#include "render/markdown.hpp"

namespace quillmark::cli {

namespace {

constexpr std::size_t read_chunk_size = 1 << 20;

// What the documents of one stream are reported and named by: an input
// file, or a member of an archive ("FILE!MEMBER").
struct Source {
    std::string display;
    std::string stem;  // names the outputs
};

// One unit of work: a document, or the end of a stream (carrying the reason
// when the stream could not be read).
struct Task {
    std::shared_ptr<const Source> source;
    std::size_t index = 0;  // 1-based within the stream
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::string text;  // empty when the document was too large to hold
    bool end_of_input = false;
    std::string input_error;
};

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
                  pool_.submit(Task{source_, ++documents_, document.offset, document.size, std::move(document.text),
                                    false, {}},
                               weight);
              },
              largest) {}
    StreamFeed(const StreamFeed&) = delete;
    StreamFeed& operator=(const StreamFeed&) = delete;

    void feed(std::string_view bytes) { splitter_.feed(bytes); }

    // The stream is over: read to its end when `error` is empty. A stream cut
    // short by an error leaves its last document unfinished, so that one is
    // dropped and the error stands for it.
    void end(std::string error) {
        if (error.empty()) {
            splitter_.finish();
            if (documents_ == 0) error = "no document found";
        }
        pool_.submit(Task{source_, 0, 0, 0, {}, true, std::move(error)});
    }

private:
    Pool& pool_;
    const std::shared_ptr<const Source> source_;
    std::size_t documents_ = 0;
    BulkSplitter splitter_;
};

// Gives each publication in an archive a stream of its own.
class MemberFeeds final : public MemberSink {
public:
    MemberFeeds(Pool& pool, const InputFile& archive, std::size_t largest, Reporter& reporter)
        : pool_(pool), archive_(archive), largest_(largest), reporter_(reporter) {}

    void begin_member(std::string_view name) override {
        const std::string stem = std::filesystem::path(name).stem().string();
        feed_.emplace(pool_, std::make_shared<const Source>(Source{archive_.display + '!' + std::string(name), stem}),
                      largest_);
    }
    void member_data(std::string_view bytes) override { feed_->feed(bytes); }
    void end_member(std::optional<std::string> error) override {
        feed_->end(error.value_or(std::string()));
        feed_.reset();
    }
    void archive_bytes_read(std::uint64_t count) override { reporter_.bytes_read(count); }

private:
    Pool& pool_;
    const InputFile& archive_;
    const std::size_t largest_;
    Reporter& reporter_;
    std::optional<StreamFeed> feed_;
};

struct Failure {
    std::string message;
};

std::variant<std::string, Failure> read_template(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return Failure{"cannot read --template " + path + ": " + std::generic_category().message(errno)};
    std::ostringstream text;
    text << file.rdbuf();
    std::string content = std::move(text).str();
    if (find_invalid_utf8(content)) return Failure{"--template " + path + " is not UTF-8"};
    const auto parsed = parse_template(content);
    if (!parsed) return Failure{"--template " + path + ": " + parsed.error().message()};
    return content;
}

std::optional<std::uint64_t> total_size(const std::vector<InputFile>& inputs) {
    std::uint64_t total = 0;
    for (const InputFile& input : inputs) {
        if (!input.size) return std::nullopt;
        total += *input.size;
    }
    return total;
}

class Run {
public:
    Run(const Options& options, const InputList& inputs, ConversionSettings settings)
        : options_(options),
          inputs_(inputs),
          settings_(std::move(settings)),
          writer_(options.format, options.output_directory),
          reporter_(stderr, shows_progress(options), total_size(inputs.files)) {}

    int execute() {
        const unsigned jobs = options_.jobs > 0 ? options_.jobs : std::max(1u, std::thread::hardware_concurrency());
        {
            // Documents waiting, being converted or waiting for their turn to
            // be written weigh their size: together at most one of the
            // largest per job, besides the one being read.
            Pool pool(
                jobs, 4 * std::size_t{jobs} + 4, jobs * options_.max_document_size,
                [this](Task& task) { return work(task); },
                [this](Task& task, Outcome& outcome) { deliver(task, outcome); });
            for (std::size_t input = 0; input < inputs_.files.size(); ++input) read_input(pool, input);
            pool.finish();
        }
        if (auto error = writer_.finish()) reporter_.input_failed("output", *error);
        const bool converting = options_.command == Command::Convert;
        const RunTotals totals =
            reporter_.finish(converting ? "converted" : "detected", inputs_.files.size(), inputs_.skipped);
        return totals.failed_documents + totals.failed_inputs == 0 ? 0 : 1;
    }

private:
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
        if (!file.error.empty()) return pool.submit(Task{source, 0, 0, 0, {}, true, file.error});
        if (file.archive) {
            MemberFeeds members(pool, file, options_.max_document_size, reporter_);
            const auto error = read_archive(file.path, *file.archive, members);
            return pool.submit(Task{source, 0, 0, 0, {}, true, error.value_or(std::string())});
        }
        StreamFeed feed(pool, source, options_.max_document_size);
        std::FILE* stream = file.path.empty() ? stdin : std::fopen(file.path.c_str(), "rb");
        if (!stream) return feed.end("cannot open: " + std::generic_category().message(errno));
        std::vector<char> buffer(read_chunk_size);
        while (true) {
            const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), stream);
            if (count > 0) {
                feed.feed(std::string_view(buffer.data(), count));
                reporter_.bytes_read(count);
            }
            if (count < buffer.size()) break;
        }
        std::string error;
        if (std::ferror(stream)) error = "read error: " + std::generic_category().message(errno);
        if (stream != stdin) std::fclose(stream);
        feed.end(std::move(error));
    }

    Outcome work(Task& task) {
        if (task.end_of_input) return {};
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
        const Source& file = *task.source;
        if (task.end_of_input) {
            if (!task.input_error.empty()) reporter_.input_failed(file.display, task.input_error);
            if (auto error = writer_.end_input()) reporter_.input_failed(file.display, *error);
            return;
        }
        if (options_.command == Command::Detect) print_detection(file, task, outcome);
        if (outcome.ok && options_.command == Command::Convert) {
            if (auto error = writer_.write(ConvertedDocument{file.stem, task.index, outcome})) {
                outcome.ok = false;
                outcome.error = std::move(*error);
            }
        }
        if (!outcome.ok) reporter_.document_failed(file.display, task.index, task.offset, outcome.error);
        reporter_.document_done(outcome.ok);
    }

    static void print_detection(const Source& file, const Task& task, const Outcome& outcome) {
        std::string line = file.display + '\t' + std::to_string(task.index) + '\t';
        line += outcome.ok ? outcome.payload : "error: " + outcome.error;
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }

    const Options& options_;
    const InputList& inputs_;
    const ConversionSettings settings_;
    OutputWriter writer_;
    Reporter reporter_;
};

}  // namespace

int run_command(const Options& options) {
    ConversionSettings settings;
    settings.format = options.format;
    settings.flavor = options.flavor;
    if (options.template_path) {
        auto loaded = read_template(*options.template_path);
        if (const auto* failure = std::get_if<Failure>(&loaded)) {
            std::fprintf(stderr, "quillmark: %s\n", failure->message.c_str());
            return 2;
        }
        settings.template_text = std::move(std::get<std::string>(loaded));
    }
    if (options.command == Command::Convert && options.output_directory != "-") {
        std::error_code error;
        std::filesystem::create_directories(options.output_directory, error);
        if (error) {
            std::fprintf(stderr, "quillmark: cannot create output directory %s: %s\n",
                         options.output_directory.c_str(), error.message().c_str());
            return 1;
        }
    }
    if (!isatty(STDOUT_FILENO)) std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    const InputList inputs = expand_inputs(options.inputs);
    return Run(options, inputs, std::move(settings)).execute();
}

}  // namespace quillmark::cli
