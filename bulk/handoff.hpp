// Hands items from a producing thread to a consumer that takes them at its
// own pace: at most `capacity` wait, weighing at most `budget` together (an
// item heavier than that waits alone), the producer waits for room, and the
// consumer waits with a patience of its own so that it can do other work
// (check for signals) between waits. Either side may end it: the producer
// when it has no more items, the consumer when it wants no more.
//
// Each side is woken for several items rather than for each: a producer
// that says more items are on their way wakes a waiting consumer only once
// half the capacity or half the budget waits (or when it must wait for room
// itself), and a producer that had to wait for room is woken once half the
// capacity is free. The first item, and an item after which none is on its
// way, wake the consumer at once; an item held back waits at most the
// consumer's patience.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <limits>
#include <mutex>
#include <string>
#include <utility>

namespace quillmark::bulk {

template <class Item>
class Handoff {
public:
    explicit Handoff(std::size_t capacity, std::size_t budget = std::numeric_limits<std::size_t>::max())
        : capacity_(capacity), budget_(budget) {}
    Handoff(const Handoff&) = delete;
    Handoff& operator=(const Handoff&) = delete;

    // Producer: waits for room. False when the consumer has gone, the item
    // dropped. `more_coming`: another item follows soon, so the consumer
    // need not be woken for this one alone.
    bool put(Item item, std::size_t weight = 0, bool more_coming = false) {
        std::unique_lock lock(mutex_);
        if (!closed_ && !has_room(weight)) {
            ready_.notify_one();  // whatever waits is taken meanwhile
            producer_waiting_ = true;
            waiting_weight_ = weight;
            room_.wait(lock, [&] { return closed_ || items_.empty() || (half_free() && fits(weight)); });
            producer_waiting_ = false;
        }
        if (closed_) return false;
        items_.push_back(Entry{std::move(item), weight});
        weight_ += weight;
        const bool wake = !more_coming || first_ || 2 * items_.size() >= capacity_ || 2 * weight_ >= budget_;
        first_ = false;
        lock.unlock();
        if (wake) ready_.notify_one();
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
        out = std::move(items_.front().item);
        weight_ -= items_.front().weight;
        items_.pop_front();
        const bool wake_producer =
            producer_waiting_ && (items_.empty() || (half_free() && fits(waiting_weight_)));
        lock.unlock();
        if (wake_producer) room_.notify_one();
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
    struct Entry {
        Item item;
        std::size_t weight;
    };

    bool fits(std::size_t weight) const { return weight_ <= budget_ && weight <= budget_ - weight_; }
    bool has_room(std::size_t weight) const { return items_.empty() || (items_.size() < capacity_ && fits(weight)); }
    bool half_free() const { return 2 * items_.size() <= capacity_; }

    const std::size_t capacity_;
    const std::size_t budget_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;  // items wait, or the producer has finished
    std::condition_variable room_;   // the consumer took items, or has gone
    std::deque<Entry> items_;
    std::size_t weight_ = 0;  // of the items waiting
    std::size_t waiting_weight_ = 0;  // of the item the producer waits to put
    bool producer_waiting_ = false;
    bool first_ = true;  // no item has been put yet
    bool finished_ = false;
    bool closed_ = false;
    std::string failure_;
};

}  // namespace quillmark::bulk
