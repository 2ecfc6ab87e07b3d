// Runs tasks on worker threads and hands their outcomes on in submission
// order: the worker that completes the oldest outcome delivers it, and every
// outcome completed after it in turn, one worker at a time, so that no
// thread of its own waits for each outcome to be woken for it. At most
// `window` tasks, weighing at most `budget` together, are held at a time:
// submit() waits while either is reached, so a fast reader never runs far
// ahead of the workers or the writer. Once it has had to wait, it waits until
// half the window is free, so that a reader faster than the workers is woken
// once for several tasks, not for each. A task weighing more than the budget
// is taken alone. The constructor throws std::system_error when a thread
// cannot be started.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "source/parse_workspace.hpp"

namespace quillmark::bulk {

template <class Task, class Outcome>
class OrderedPool {
public:
    using Work = std::function<Outcome(Task&)>;  // must not throw
    using Deliver = std::function<void(Task&, Outcome&)>;  // must not throw

    OrderedPool(unsigned workers, std::size_t window, std::size_t budget, Work work, Deliver deliver)
        : window_(window), budget_(budget), work_(std::move(work)), deliver_(std::move(deliver)) {
        try {
            for (unsigned i = 0; i < workers; ++i) workers_.emplace_back([this] { run_worker(); });
        } catch (...) {
            finish();  // the threads already started end
            throw;
        }
    }
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;
    ~OrderedPool() { finish(); }

    void submit(Task task, std::size_t weight = 0) {
        std::unique_lock lock(mutex_);
        if (!slots_.empty() && (slots_.size() >= window_ || weight_ + weight > budget_)) {
            submitter_waiting_ = true;
            space_.wait(lock, [&] { return slots_.empty() || (half_free() && weight_ + weight <= budget_); });
            submitter_waiting_ = false;
        }
        weight_ += weight;
        slots_.push_back(Slot{std::move(task), std::nullopt, weight});
        lock.unlock();  // the worker woken finds the lock free
        ready_.notify_one();
    }

    // Within a delivery: whether other tasks were held when it began, so
    // that more deliveries follow.
    bool more_held() const { return more_held_; }

    // Waits until every submitted task is delivered.
    void finish() {
        {
            std::lock_guard lock(mutex_);
            if (closed_) return;
            closed_ = true;
        }
        ready_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

private:
    struct Slot {
        Task task;
        std::optional<Outcome> outcome;
        std::size_t weight;
    };

    // Slots live in a deque: growing at the back and shrinking at the front
    // keep references to the others valid, so a worker works on its slot
    // without holding the lock.
    void run_worker() {
        const ParseWorkspace workspace;  // the tasks parse document after document
        std::unique_lock lock(mutex_);
        while (true) {
            ready_.wait(lock, [this] { return started_ < slots_.size() || closed_; });
            if (started_ == slots_.size()) return;
            Slot& slot = slots_[started_++];
            lock.unlock();
            Outcome outcome = work_(slot.task);
            lock.lock();
            slot.outcome = std::move(outcome);
            deliver_completed(lock);
        }
    }

    bool half_free() const { return slots_.size() <= window_ / 2; }

    // Delivers the oldest outcomes while they are complete, unless another
    // worker is delivering: that one takes them in turn, as it looks again
    // for a completed oldest outcome before it stops.
    void deliver_completed(std::unique_lock<std::mutex>& lock) {
        if (delivering_) return;
        delivering_ = true;
        while (!slots_.empty() && slots_.front().outcome) {
            Slot slot = std::move(slots_.front());
            slots_.pop_front();
            --started_;
            weight_ -= slot.weight;
            const bool wake_submitter = submitter_waiting_ && (slots_.empty() || half_free());
            more_held_ = !slots_.empty();
            lock.unlock();
            if (wake_submitter) space_.notify_one();
            deliver_(slot.task, *slot.outcome);
            lock.lock();
        }
        delivering_ = false;
    }

    const std::size_t window_;
    const std::size_t budget_;
    Work work_;
    Deliver deliver_;
    std::mutex mutex_;
    std::condition_variable ready_;  // a task waits for a worker, or the pool closes
    std::condition_variable space_;  // the window has room
    std::deque<Slot> slots_;         // oldest first; the first `started_` are taken by workers
    std::size_t started_ = 0;
    std::size_t weight_ = 0;  // of the tasks held
    bool closed_ = false;
    bool submitter_waiting_ = false;
    bool delivering_ = false;  // a worker is delivering outcomes
    bool more_held_ = false;   // written and read by the delivering worker
    std::vector<std::thread> workers_;
};

}  // namespace quillmark::bulk
