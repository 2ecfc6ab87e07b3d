// Parses the publications of bulk files on threads of the module's own:
// one thread reads, decompresses and splits the inputs, `jobs` threads parse
// the documents, and the results wait, in input order, for the interpreter
// to take them. Nothing here touches Python.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "bulk/input_reader.hpp"
#include "bulk/ordered_pool.hpp"
#include "model/record/document.hpp"
#include "model/facts/summary.hpp"

namespace quillmark {

// A parsed document, or why a document, member or file gave none.
struct BulkResult {
    std::shared_ptr<const bulk::Source> source;
    std::size_t index = 0;  // 1-based within the file or member; 0 for an error of the stream itself
    std::uint64_t offset = 0;
    std::optional<Document> document;
    DocumentSummary summary;
    std::string error;  // when there is no document
};

class BulkRun final : bulk::PieceSink {
public:
    // Starts the threads; throws std::system_error when one cannot start.
    BulkRun(bulk::InputList inputs, unsigned jobs, std::size_t largest);
    BulkRun(const BulkRun&) = delete;
    BulkRun& operator=(const BulkRun&) = delete;
    // Stops the threads early if they are still running, and waits for them.
    ~BulkRun() override;

    enum class Wait { Ready, Pending, Finished };
    // Takes the next result into `out` (Ready); Pending when none came within
    // `patience`; Finished when every input has been read and taken.
    Wait next(BulkResult& out, std::chrono::milliseconds patience);

private:
    struct Parsed {
        std::optional<Document> document;
        DocumentSummary summary;
        std::string error;
    };
    using Pool = bulk::OrderedPool<bulk::Piece, Parsed>;

    void take(bulk::Piece piece) override;
    bool stopped() const override { return stopping_; }

    void read_inputs();
    Parsed work(bulk::Piece& piece) const;
    void deliver(bulk::Piece& piece, Parsed& parsed);
    std::optional<BulkResult> result_of(bulk::Piece& piece, Parsed& parsed);

    const bulk::InputList inputs_;
    const std::size_t largest_;
    const std::size_t capacity_;  // parsed documents waiting for the interpreter

    std::mutex mutex_;
    std::condition_variable ready_;  // a result is waiting, or the reading has finished
    std::condition_variable room_;   // the interpreter took a result, or the run is stopping
    std::deque<BulkResult> results_;
    bool finished_ = false;
    std::atomic<bool> stopping_{false};

    // Documents delivered since the stream and the input began, for the
    // message of one found corrupt at its end.
    std::size_t stream_documents_ = 0;
    std::size_t input_documents_ = 0;

    std::optional<Pool> pool_;
    std::thread reader_;
};

}  // namespace quillmark
