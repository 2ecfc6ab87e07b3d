// The one way bulk inputs are worked on, whoever consumes them (the command,
// read_bulk, Arrow batches): a thread of the pipeline's own reads,
// decompresses and splits the inputs; `jobs` worker threads do a sink's work
// on each document and hand the sink each outcome, and the end of each
// stream, in input order, one worker at a time (the one that completes the
// oldest outcome: "the delivering thread" below). Documents waiting, being worked on
// or waiting for their turn weigh their size: together at most one of the
// largest per job. Every thread catches everything: a failure of one
// document is that document's outcome, and anything else ends the run with a
// message, never the process.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include "bulk/bulk_splitter.hpp"
#include "bulk/input_reader.hpp"
#include "bulk/ordered_pool.hpp"

namespace quillmark::bulk {

struct PipelineSettings {
    unsigned jobs = 1;
    std::size_t largest = default_document_limit;  // the size limit of one document
    std::string limit_name;  // how the oversized message names the limit
    std::optional<ByteRange> byte_range;  // of the one input, an uncompressed file
};

// The end of a stream, a file or an archive member.
struct StreamEnd {
    std::shared_ptr<const Source> source;
    bool end_of_input = false;  // the end of a file, or of an archive after its members
    std::optional<ReadError> error;  // why the stream could not be read to its end
    // Documents delivered since the stream began; for the end of an input,
    // since the input began.
    std::size_t documents = 0;
};

// The message of a stream's error: the error, and for a corrupt stream, how
// many of the documents delivered came from it.
std::string stream_error_message(const StreamEnd& end);

// What a consumer of the pipeline does with the documents. `work` runs on
// the worker threads, the others on the pipeline's threads as noted; an
// exception from any of them is caught (see above).
template <class Outcome>
class DocumentSink {
public:
    virtual ~DocumentSink() = default;
    // Worker thread: the work on one document within the size limit (its
    // bytes, not yet checked to be UTF-8, in piece.text).
    virtual Outcome work(Piece& piece) = 0;
    // Worker thread: the outcome of a document that failed before or during
    // the work (over the size limit, out of memory), with the message.
    virtual Outcome failure(std::string message) = 0;
    // Delivering thread, in input order: a document and its outcome.
    virtual void deliver(Piece& piece, Outcome& outcome) = 0;
    // Delivering thread, in input order: a stream has ended.
    virtual void end_stream(const StreamEnd& end) = 0;
    // Reading thread: progress.
    virtual void bytes_read(std::uint64_t) {}
    virtual void member_begun() {}
    // Reading thread, last of all: every outcome has been delivered, or the
    // run was stopped. `failure` tells why the run ended early when
    // something other than a document failed; empty otherwise.
    virtual void end_run(std::string failure) noexcept = 0;
};

// The message for whatever was caught, within a catch block.
std::string caught_message() noexcept;
// The window of the pool: documents held at a time (their weight is bounded
// apart). Wide enough that the reading thread, and read_bulk's consumer, are
// woken once for several small documents.
std::size_t pipeline_window(unsigned jobs);

template <class Outcome>
class Pipeline final : PieceSink {
public:
    Pipeline(InputList inputs, PipelineSettings settings, DocumentSink<Outcome>& sink)
        : inputs_(std::move(inputs)), settings_(std::move(settings)), sink_(sink) {}
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;
    // Stops the run if it is still going, and waits for its threads.
    ~Pipeline() override {
        stop();
        wait();
    }

    // Starts the threads; throws std::system_error when one cannot start.
    void start() {
        pool_.emplace(
            settings_.jobs, pipeline_window(settings_.jobs), settings_.jobs * settings_.largest,
            [this](Piece& piece) { return work(piece); },
            [this](Piece& piece, Worked& outcome) { deliver(piece, outcome); });
        reader_ = std::thread([this] { read_inputs(); });
    }

    // Waits until the run has ended (sink.end_run has been called).
    void wait() noexcept {
        if (!reader_.joinable()) return;
        try {
            reader_.join();
        } catch (...) {  // only when the thread is this one or gone: nothing to wait for
        }
    }

    // Delivering thread, within deliver(): whether other documents or stream
    // ends are already held, so that more deliveries follow soon.
    bool more_coming() const { return pool_->more_held(); }

    // Nothing more is wanted: the threads end as soon as they can.
    void stop() noexcept { stopped_ = true; }
    bool stopped() const override { return stopped_; }

private:
    // Nothing for a stream's end, a stopped run, or an outcome that could
    // not even be made.
    using Worked = std::optional<Outcome>;
    using Pool = OrderedPool<Piece, Worked>;

    void take(Piece piece) override {
        const std::size_t weight = piece.text.size();
        pool_->submit(std::move(piece), weight);
    }
    void bytes_read(std::uint64_t count) override { sink_.bytes_read(count); }
    void member_begun() override { sink_.member_begun(); }

    void read_inputs() noexcept {
        for (const InputFile& file : inputs_.files) {
            if (stopped_) break;
            try {
                read_input(file, settings_.largest, settings_.byte_range, *this);
            } catch (...) {
                end_input_with(file, caught_message());
            }
        }
        pool_->finish();
        std::string failure;
        {
            std::lock_guard lock(failure_mutex_);
            failure.swap(failure_);
        }
        sink_.end_run(std::move(failure));
    }

    // An input whose reading failed midway ends with the failure as its error.
    void end_input_with(const InputFile& file, std::string message) noexcept {
        try {
            Piece end;
            end.source = std::make_shared<const Source>(Source{file.display, file.stem});
            end.end_of_stream = end.end_of_input = true;
            end.error = ReadError{std::move(message)};
            take(std::move(end));
        } catch (...) {
            fail(caught_message());
        }
    }

    Worked work(Piece& piece) noexcept {
        if (piece.end_of_stream || stopped_) return std::nullopt;
        try {
            if (piece.too_large())
                return sink_.failure(oversized_message(piece.size, settings_.largest, settings_.limit_name));
            return sink_.work(piece);
        } catch (...) {
            std::string().swap(piece.text);  // leaves room for the message
            try {
                return sink_.failure(caught_message());
            } catch (...) {
                return std::nullopt;
            }
        }
    }

    void deliver(Piece& piece, Worked& outcome) noexcept {
        if (stopped_) return;
        try {
            if (piece.end_of_stream) return sink_.end_stream(counted_end(piece));
            ++stream_documents_;
            ++input_documents_;
            if (!outcome) return fail("out of memory");
            sink_.deliver(piece, *outcome);
        } catch (...) {
            fail(caught_message());
        }
    }

    StreamEnd counted_end(Piece& piece) {
        StreamEnd end{piece.source, piece.end_of_input, std::move(piece.error),
                      piece.end_of_input ? input_documents_ : stream_documents_};
        stream_documents_ = 0;
        if (piece.end_of_input) input_documents_ = 0;
        return end;
    }

    // Ends the run early with `message`.
    void fail(std::string message) noexcept {
        {
            std::lock_guard lock(failure_mutex_);
            if (failure_.empty()) failure_.swap(message);
        }
        stop();
    }

    const InputList inputs_;
    const PipelineSettings settings_;
    DocumentSink<Outcome>& sink_;
    std::atomic<bool> stopped_{false};
    std::mutex failure_mutex_;
    std::string failure_;
    // Delivering thread: documents delivered since the stream and the input began.
    std::size_t stream_documents_ = 0;
    std::size_t input_documents_ = 0;
    std::optional<Pool> pool_;
    std::thread reader_;
};

}  // namespace quillmark::bulk
