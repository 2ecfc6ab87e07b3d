// The parsed documents of bulk inputs, one at a time and in input order, for
// a consumer that takes them at its own pace (read_bulk): each document is
// parsed and summarised on the pipeline's workers, and the parsed documents
// waiting to be taken weigh at most `jobs + 1` of the largest (by their
// bytes), as many as the pool's window; the consumer is woken for several
// at a time (see Handoff). The threads start with the first next().
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "bulk/document_disposal.hpp"
#include "bulk/handoff.hpp"
#include "bulk/pipeline.hpp"
#include "model/facts/summary.hpp"
#include "model/record/document.hpp"

namespace quillmark::bulk {

// A parsed document, or why a document, member or file gave none.
struct ParsedItem {
    std::shared_ptr<const Source> source;
    std::size_t index = 0;  // 1-based within the file or member; 0 for an error of the stream itself
    std::uint64_t offset = 0;
    std::optional<Document> document;
    DocumentSummary summary;
    std::string error;  // when there is no document
};

struct Parsed {
    std::optional<Document> document;
    DocumentSummary summary;
    std::string error;
};

class ParsedStream final : DocumentSink<Parsed> {
public:
    ParsedStream(InputList inputs, PipelineSettings settings);
    // Stops the threads early if they are still running, and waits for them.
    ~ParsedStream() override;

    using Wait = Handoff<ParsedItem>::Wait;
    // Takes the next item into `out` (Ready); Pending when none came within
    // `patience`; Finished when every input has been read and taken. The
    // first call starts the threads: it throws std::system_error when one
    // cannot start.
    Wait next(ParsedItem& out, std::chrono::milliseconds patience);
    // Why the run ended early, once next() has said Finished; empty when it
    // did not.
    std::string failure() const { return items_.failure(); }

private:
    Parsed work(Piece& piece) override;
    Parsed failure(std::string message) override;
    void deliver(Piece& piece, Parsed& parsed) override;
    void end_stream(const StreamEnd& end) override;
    void end_run(std::string failure) noexcept override { items_.finish(std::move(failure)); }

    std::optional<DisposalShift> disposal_;  // from the start: documents dropped are freed by the workers
    Handoff<ParsedItem> items_;
    Pipeline<Parsed> pipeline_;  // last: its threads end before the rest goes
    bool started_ = false;
};

}  // namespace quillmark::bulk
