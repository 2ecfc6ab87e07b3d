// Runs tasks on worker threads and hands their outcomes, in submission order,
// to one delivering thread. At most `window` tasks, weighing at most `budget`
// together, are held at a time: submit() waits while either is reached, so a
// fast reader never runs far ahead of the workers or the writer. A task
// weighing more than the budget is taken alone. The constructor throws
// std::system_error when a thread cannot be started.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

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
            deliverer_ = std::thread([this] { run_deliverer(); });
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
        space_.wait(lock, [&] { return slots_.empty() || (slots_.size() < window_ && weight_ + weight <= budget_); });
        weight_ += weight;
        slots_.push_back(Slot{std::move(task), std::nullopt, weight});
        ready_.notify_one();
    }

    // Waits until every submitted task is delivered.
    void finish() {
        {
            std::lock_guard lock(mutex_);
            if (closed_) return;
            closed_ = true;
        }
        ready_.notify_all();
        done_.notify_all();
        for (std::thread& worker : workers_) worker.join();
        if (deliverer_.joinable()) deliverer_.join();
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
        while (true) {
            Slot* slot;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [this] { return started_ < slots_.size() || closed_; });
                if (started_ == slots_.size()) return;
                slot = &slots_[started_++];
            }
            Outcome outcome = work_(slot->task);
            std::lock_guard lock(mutex_);
            slot->outcome = std::move(outcome);
            if (slot == &slots_.front()) done_.notify_one();
        }
    }

    void run_deliverer() {
        while (true) {
            std::unique_lock lock(mutex_);
            done_.wait(lock, [this] { return (!slots_.empty() && slots_.front().outcome) || (closed_ && slots_.empty()); });
            if (slots_.empty()) return;
            Slot slot = std::move(slots_.front());
            slots_.pop_front();
            --started_;
            weight_ -= slot.weight;
            lock.unlock();
            space_.notify_one();
            deliver_(slot.task, *slot.outcome);
        }
    }

    const std::size_t window_;
    const std::size_t budget_;
    Work work_;
    Deliver deliver_;
    std::mutex mutex_;
    std::condition_variable ready_;  // a task waits for a worker, or the pool closes
    std::condition_variable done_;   // the oldest task has its outcome, or the pool closes
    std::condition_variable space_;  // the window has room
    std::deque<Slot> slots_;         // oldest first; the first `started_` are taken by workers
    std::size_t started_ = 0;
    std::size_t weight_ = 0;  // of the tasks held
    bool closed_ = false;
    std::vector<std::thread> workers_;
    std::thread deliverer_;
};

}  // namespace quillmark::bulk
