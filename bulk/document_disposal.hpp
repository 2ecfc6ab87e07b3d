// Parsed documents freed on the threads that made them. A document's memory
// belongs to the malloc arena of the worker that parsed it; freed on another
// thread (the Python thread that drops it), each of its many frees takes that
// arena's lock against the worker allocating there. While a stream's workers
// run (a DisposalShift lives), a document dropped waits for the next worker
// to start a document, which frees it; otherwise, or when many wait (the
// workers are held up), whoever drops it frees it at once. In a process made
// by fork() the parent's workers are gone: documents are freed at once there.
#pragma once

#include <memory>

#include "model/facts/summary.hpp"
#include "model/record/document.hpp"

namespace quillmark::bulk {

// Frees the document and its summary, now or on a worker (see above).
void drop_document(std::unique_ptr<Document> document, std::unique_ptr<DocumentSummary> summary) noexcept;

// Worker thread: frees the documents dropped since.
void free_dropped_documents() noexcept;

// While one lives, documents dropped wait for a worker; the last to end frees
// those still waiting. Made once a stream's workers have started.
class DisposalShift {
public:
    DisposalShift() noexcept;
    ~DisposalShift();
    DisposalShift(const DisposalShift&) = delete;
    DisposalShift& operator=(const DisposalShift&) = delete;
};

}  // namespace quillmark::bulk
