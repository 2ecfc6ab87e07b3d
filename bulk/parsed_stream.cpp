#include "bulk/parsed_stream.hpp"

#include <limits>

#include "source/parsers.hpp"

namespace quillmark::bulk {

namespace {

// Parsed documents waiting weigh (by their bytes) at most jobs + 1 of the
// largest, as many as the pool's window.
std::size_t waiting_budget(const PipelineSettings& settings) {
    const std::size_t documents = std::size_t{settings.jobs} + 1;
    if (settings.largest > std::numeric_limits<std::size_t>::max() / documents)
        return std::numeric_limits<std::size_t>::max();
    return documents * settings.largest;
}

}  // namespace

ParsedStream::ParsedStream(InputList inputs, PipelineSettings settings)
    : items_(pipeline_window(settings.jobs), waiting_budget(settings)),
      pipeline_(std::move(inputs), std::move(settings), *this) {}

ParsedStream::~ParsedStream() { items_.close(); }

ParsedStream::Wait ParsedStream::next(ParsedItem& out, std::chrono::milliseconds patience) {
    if (!started_) {
        started_ = true;
        disposal_.emplace();
        pipeline_.start();
    }
    return items_.take(out, patience);
}

Parsed ParsedStream::work(Piece& piece) {
    free_dropped_documents();
    if (auto problem = invalid_utf8_message(piece.text)) return failure(std::move(*problem));
    auto document = parse_document(piece.text);
    std::string().swap(piece.text);  // no longer needed while the result waits
    if (!document) return failure(document.error().message());
    Parsed parsed;
    parsed.summary = summarize(document.value());
    parsed.document = std::move(document).value();
    return parsed;
}

Parsed ParsedStream::failure(std::string message) {
    Parsed parsed;
    parsed.error = std::move(message);
    return parsed;
}

void ParsedStream::deliver(Piece& piece, Parsed& parsed) {
    const std::size_t weight = parsed.document ? static_cast<std::size_t>(piece.size) : 0;
    items_.put(ParsedItem{piece.source, piece.index, piece.offset, std::move(parsed.document),
                          std::move(parsed.summary), std::move(parsed.error)},
               weight, pipeline_.more_coming());
}

// An end of stream gives an item only when the stream failed.
void ParsedStream::end_stream(const StreamEnd& end) {
    if (!end.error) return;
    ParsedItem item;
    item.source = end.source;
    item.error = stream_error_message(end);
    items_.put(std::move(item));
}

}  // namespace quillmark::bulk
