#include "binding/arrow_batches.hpp"

#include "source/parsers.hpp"

namespace quillmark::arrow {

namespace {

constexpr std::size_t batches_waiting = 2;

}  // namespace

BatchStream::BatchStream(bulk::InputList inputs, bulk::PipelineSettings settings, std::vector<Flavor> flavors,
                         const ArrowSchema& schema, std::int64_t batch_size)
    : flavors_(std::move(flavors)),
      batch_size_(batch_size),
      builder_(schema),
      batches_(batches_waiting),
      pipeline_(std::move(inputs), std::move(settings), *this) {}

BatchStream::~BatchStream() {
    pipeline_.stop();
    batches_.close();
}

BatchStream::Wait BatchStream::next(OwnedArray& out, std::chrono::milliseconds patience) {
    if (!started_) {
        started_ = true;
        pipeline_.start();
    }
    return batches_.take(out, patience);
}

RowOutcome BatchStream::work(bulk::Piece& piece) {
    if (auto problem = bulk::invalid_utf8_message(piece.text)) return failure(std::move(*problem));
    auto document = parse_document(piece.text);
    std::string().swap(piece.text);  // no longer needed while the row is made
    if (!document) return failure(document.error().message());
    return RowOutcome{{}, make_row(document.value(), summarize(document.value()), flavors_)};
}

RowOutcome BatchStream::failure(std::string message) { return RowOutcome{std::move(message), {}}; }

void BatchStream::deliver(bulk::Piece& piece, RowOutcome& outcome) {
    const RowPlace place{piece.source->display, piece.index, piece.offset};
    if (!outcome.error.empty()) return add_error(place, outcome.error);
    // A column's text stays within its 32-bit offsets: a row that would take
    // it past them begins a batch of its own.
    if (outcome.row.text_bytes > most_batch_text)
        return add_error(place, "the document's values are too large for one Arrow record batch");
    if (builder_.text_bytes() + outcome.row.text_bytes > most_batch_text) hand_over();
    builder_.add_row(place, outcome.row);
    if (builder_.rows() >= batch_size_) hand_over();
}

// An end of stream gives a row only when the stream failed.
void BatchStream::end_stream(const bulk::StreamEnd& end) {
    if (end.error) add_error(RowPlace{end.source->display, 0, 0}, bulk::stream_error_message(end));
}

void BatchStream::add_error(const RowPlace& place, std::string_view error) {
    if (builder_.text_bytes() + place.source.size() + error.size() > most_batch_text) hand_over();
    builder_.add_error(place, error);
    if (builder_.rows() >= batch_size_) hand_over();
}

void BatchStream::hand_over() {
    if (builder_.rows() == 0) return;
    OwnedArray batch;
    builder_.finish(batch.get());
    batches_.put(std::move(batch));
}

void BatchStream::end_run(std::string failure) noexcept {
    if (failure.empty() && !pipeline_.stopped()) {
        try {
            hand_over();
        } catch (...) {
            failure = bulk::caught_message();
        }
    }
    batches_.finish(std::move(failure));
}

}  // namespace quillmark::arrow
