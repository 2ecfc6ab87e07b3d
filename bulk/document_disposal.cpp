#include "bulk/document_disposal.hpp"

#include <pthread.h>

#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

namespace quillmark::bulk {

namespace {

struct Dropped {
    std::unique_ptr<Document> document;
    std::unique_ptr<DocumentSummary> summary;
};

// More than this many waiting means the workers are held up (the consumer
// stopped taking items): the dropper frees them itself.
constexpr std::size_t most_waiting = 16;

// Never destroyed: a worker of a stream still running while the process
// exits may yet come for the documents waiting.
struct Disposal {
    std::mutex mutex;
    std::vector<Dropped> waiting;  // under the mutex
    std::size_t shifts = 0;        // DisposalShifts alive, under the mutex
};
Disposal& disposal = *new Disposal;

// fork() keeps the lock consistent: taken before, let go after in both
// processes. The child has none of the parent's workers.
void lock_before_fork() { disposal.mutex.lock(); }
void unlock_after_fork() { disposal.mutex.unlock(); }
void unlock_in_child() {
    disposal.shifts = 0;
    disposal.mutex.unlock();
}

void handle_fork() {
    static std::once_flag registered;
    std::call_once(registered, [] { pthread_atfork(lock_before_fork, unlock_after_fork, unlock_in_child); });
}

// Out of the lock: the frees take time.
void free_all(std::vector<Dropped>& batch) noexcept { batch.clear(); }

// A worker's batch keeps its buffer: swapped with the waiting list's, the
// two buffers go back and forth without being allocated again.
thread_local std::vector<Dropped> worker_batch;

}  // namespace

void drop_document(std::unique_ptr<Document> document, std::unique_ptr<DocumentSummary> summary) noexcept {
    std::vector<Dropped> batch;
    {
        std::lock_guard lock(disposal.mutex);
        if (disposal.shifts > 0 && disposal.waiting.size() < most_waiting) {
            try {
                disposal.waiting.push_back(Dropped{std::move(document), std::move(summary)});
                return;
            } catch (...) {  // no room to wait: freed below
            }
        }
        batch.swap(disposal.waiting);
    }
    free_all(batch);
    // `document` and `summary`, when they did not wait, go here.
}

void free_dropped_documents() noexcept {
    {
        std::lock_guard lock(disposal.mutex);
        if (disposal.waiting.empty()) return;
        worker_batch.swap(disposal.waiting);
    }
    free_all(worker_batch);
}

DisposalShift::DisposalShift() noexcept {
    handle_fork();
    std::lock_guard lock(disposal.mutex);
    ++disposal.shifts;
}

DisposalShift::~DisposalShift() {
    std::vector<Dropped> batch;
    {
        std::lock_guard lock(disposal.mutex);
        if (--disposal.shifts == 0) batch.swap(disposal.waiting);
    }
    free_all(batch);
}

}  // namespace quillmark::bulk
