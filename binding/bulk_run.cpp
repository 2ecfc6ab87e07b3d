#include "binding/bulk_run.hpp"

#include <new>

#include "source/parsers.hpp"

namespace quillmark {

namespace {

constexpr std::string_view size_limit_name = "max_document_size";

std::string corrupt_note(std::size_t documents) {
    if (documents == 0) return {};
    return "; the " + std::to_string(documents) + (documents == 1 ? " document" : " documents") +
           " yielded from it before this item came from corrupt data";
}

}  // namespace

BulkRun::BulkRun(bulk::InputList inputs, unsigned jobs, std::size_t largest)
    : inputs_(std::move(inputs)), largest_(largest), capacity_(jobs + 1) {
    // Documents waiting, being parsed or waiting for their turn weigh their
    // size: together at most one of the largest per job.
    pool_.emplace(
        jobs, 4 * std::size_t{jobs} + 4, jobs * largest, [this](bulk::Piece& piece) { return work(piece); },
        [this](bulk::Piece& piece, Parsed& parsed) { deliver(piece, parsed); });
    reader_ = std::thread([this] { read_inputs(); });
}

BulkRun::~BulkRun() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    room_.notify_all();
    if (reader_.joinable()) reader_.join();
}

BulkRun::Wait BulkRun::next(BulkResult& out, std::chrono::milliseconds patience) {
    std::unique_lock lock(mutex_);
    if (!ready_.wait_for(lock, patience, [this] { return !results_.empty() || finished_; })) return Wait::Pending;
    if (results_.empty()) return Wait::Finished;
    out = std::move(results_.front());
    results_.pop_front();
    lock.unlock();
    room_.notify_one();
    return Wait::Ready;
}

void BulkRun::take(bulk::Piece piece) {
    const std::size_t weight = piece.text.size();
    pool_->submit(std::move(piece), weight);
}

void BulkRun::read_inputs() {
    for (const bulk::InputFile& file : inputs_.files) {
        if (stopping_) break;
        bulk::read_input(file, largest_, *this);
    }
    pool_->finish();
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    ready_.notify_all();
}

BulkRun::Parsed BulkRun::work(bulk::Piece& piece) const {
    Parsed parsed;
    if (piece.end_of_stream || stopping_) return parsed;
    if (piece.too_large()) {
        parsed.error = bulk::oversized_message(piece.size, largest_, size_limit_name);
        return parsed;
    }
    try {
        if (auto problem = bulk::invalid_utf8_message(piece.text)) {
            parsed.error = std::move(*problem);
            return parsed;
        }
        auto document = parse_document(piece.text);
        std::string().swap(piece.text);  // no longer needed while the result waits
        if (!document) {
            parsed.error = document.error().message();
            return parsed;
        }
        parsed.summary = summarize(document.value());
        parsed.document = std::move(document).value();
    } catch (const std::bad_alloc&) {
        parsed = Parsed{};
        parsed.error = "out of memory";
    }
    return parsed;
}

// An end of stream gives a result only when the stream failed.
std::optional<BulkResult> BulkRun::result_of(bulk::Piece& piece, Parsed& parsed) {
    BulkResult result;
    result.source = piece.source;
    if (piece.end_of_stream) {
        const std::size_t documents = piece.end_of_input ? input_documents_ : stream_documents_;
        stream_documents_ = 0;
        if (piece.end_of_input) input_documents_ = 0;
        if (!piece.error) return std::nullopt;
        result.error = piece.error->message;
        if (piece.error->corrupt) result.error += corrupt_note(documents);
        return result;
    }
    ++stream_documents_;
    ++input_documents_;
    result.index = piece.index;
    result.offset = piece.offset;
    result.document = std::move(parsed.document);
    result.summary = std::move(parsed.summary);
    result.error = std::move(parsed.error);
    return result;
}

void BulkRun::deliver(bulk::Piece& piece, Parsed& parsed) {
    std::optional<BulkResult> result = result_of(piece, parsed);
    if (!result) return;
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] { return results_.size() < capacity_ || stopping_; });
    if (stopping_) return;
    results_.push_back(std::move(*result));
    lock.unlock();
    ready_.notify_one();
}

}  // namespace quillmark
