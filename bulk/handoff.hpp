// Hands items from a producing thread to a consumer that takes them at its
// own pace: at most `capacity` wait, the producer waits for room, and the
// consumer waits with a patience of its own so that it can do other work
// (check for signals) between waits. Either side may end it: the producer
// when it has no more items, the consumer when it wants no more.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

namespace quillmark::bulk {

template <class Item>
class Handoff {
public:
    explicit Handoff(std::size_t capacity) : capacity_(capacity) {}
    Handoff(const Handoff&) = delete;
    Handoff& operator=(const Handoff&) = delete;

    // Producer: waits for room. False when the consumer has gone, the item
    // dropped.
    bool put(Item item) {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return items_.size() < capacity_ || closed_; });
        if (closed_) return false;
        items_.push_back(std::move(item));
        lock.unlock();
        ready_.notify_one();
        return true;
    }

    // Producer: no more items come; `failure` says why they ended early, if
    // they did.
    void finish(std::string failure) noexcept {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
            failure_.swap(failure);
        }
        ready_.notify_all();
    }

    enum class Wait { Ready, Pending, Finished };
    // Consumer: the next item into `out` (Ready); Pending when none came
    // within `patience`; Finished when every item has been taken.
    Wait take(Item& out, std::chrono::milliseconds patience) {
        std::unique_lock lock(mutex_);
        if (!ready_.wait_for(lock, patience, [this] { return !items_.empty() || finished_; })) return Wait::Pending;
        if (items_.empty()) return Wait::Finished;
        out = std::move(items_.front());
        items_.pop_front();
        lock.unlock();
        room_.notify_one();
        return Wait::Ready;
    }

    // Consumer: takes no more; a producer waiting for room is let go.
    void close() noexcept {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        room_.notify_all();
    }

    // Why the items ended early, once take() has said Finished; empty when
    // they did not.
    std::string failure() const {
        std::lock_guard lock(mutex_);
        return failure_;
    }

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;  // an item waits, or the producer has finished
    std::condition_variable room_;   // the consumer took an item, or has gone
    std::deque<Item> items_;
    bool finished_ = false;
    bool closed_ = false;
    std::string failure_;
};

}  // namespace quillmark::bulk
