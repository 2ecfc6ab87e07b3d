// The record batches of read_bulk_arrow: the bulk pipeline's workers parse
// each document, render the flavours asked for and make its row's values;
// rows are appended, in input order, to a batch of `batch_size` rows, and
// finished batches wait, at most two, for the consumer. The threads start
// with the first next(). No Python here.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "binding/arrow_batch.hpp"
#include "bulk/handoff.hpp"
#include "bulk/pipeline.hpp"

namespace quillmark::arrow {

// Owns an ArrowArray and releases it.
class OwnedArray {
public:
    OwnedArray() { array_.release = nullptr; }
    OwnedArray(OwnedArray&& other) noexcept : OwnedArray() { ArrowArrayMove(&other.array_, &array_); }
    OwnedArray& operator=(OwnedArray&& other) noexcept {
        if (this != &other) {
            reset();
            ArrowArrayMove(&other.array_, &array_);
        }
        return *this;
    }
    ~OwnedArray() { reset(); }
    ArrowArray* get() { return &array_; }

private:
    void reset() {
        if (array_.release) array_.release(&array_);
    }
    ArrowArray array_;
};

// A document's row, or why it has none.
struct RowOutcome {
    std::string error;
    Row row;
};

class BatchStream final : bulk::DocumentSink<RowOutcome> {
public:
    // `schema` was made by make_batch_schema with `flavors`.
    BatchStream(bulk::InputList inputs, bulk::PipelineSettings settings, std::vector<Flavor> flavors,
                const ArrowSchema& schema, std::int64_t batch_size);
    // Stops the threads early if they are still running, and waits for them.
    ~BatchStream() override;

    using Wait = bulk::Handoff<OwnedArray>::Wait;
    // Takes the next batch into `out` (Ready); Pending when none came within
    // `patience`; Finished when every input has been read and taken. The
    // first call starts the threads: it throws std::system_error when one
    // cannot start.
    Wait next(OwnedArray& out, std::chrono::milliseconds patience);
    // Why the run ended early, once next() has said Finished; empty when it
    // did not.
    std::string failure() const { return batches_.failure(); }

private:
    RowOutcome work(bulk::Piece& piece) override;
    RowOutcome failure(std::string message) override;
    void deliver(bulk::Piece& piece, RowOutcome& outcome) override;
    void end_stream(const bulk::StreamEnd& end) override;
    void end_run(std::string failure) noexcept override;

    void add_error(const RowPlace& place, std::string_view error);
    void hand_over();

    const std::vector<Flavor> flavors_;
    const std::int64_t batch_size_;
    BatchBuilder builder_;  // the delivering thread's
    bulk::Handoff<OwnedArray> batches_;
    bulk::Pipeline<RowOutcome> pipeline_;  // last: its threads end before the rest goes
    bool started_ = false;
};

}  // namespace quillmark::arrow
