#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "bulk/handoff.hpp"

namespace quillmark::bulk {
namespace {

using namespace std::chrono_literals;

// Items 0..count-1, of weights that pass the budget now and then (one alone
// heavier than all of it), most of them announced as followed by more; a
// consumer faster or slower than the producer takes every one once, in order.
class HandoffTest : public testing::TestWithParam<std::tuple<std::size_t, int>> {};

TEST_P(HandoffTest, EveryItemArrivesOnceInOrder) {
    const auto [capacity, consumer_us] = GetParam();
    constexpr int count = 300;
    Handoff<int> handoff(capacity, 100);
    std::thread producer([&handoff] {
        for (int item = 0; item < count; ++item) {
            const std::size_t weight = item == 150 ? 500 : (item * 7) % 60;
            handoff.put(item, weight, item % 10 != 9);
            if (item % 50 == 0) std::this_thread::sleep_for(200us);
        }
        handoff.finish("");
    });
    std::vector<int> taken;
    while (true) {
        int item = -1;
        const auto state = handoff.take(item, 5ms);
        if (state == Handoff<int>::Wait::Finished) break;
        if (state == Handoff<int>::Wait::Ready) taken.push_back(item);
        std::this_thread::sleep_for(std::chrono::microseconds(consumer_us));
    }
    producer.join();
    std::vector<int> expected(count);
    for (int item = 0; item < count; ++item) expected[item] = item;
    EXPECT_EQ(taken, expected);
    EXPECT_EQ(handoff.failure(), "");
}

INSTANTIATE_TEST_SUITE_P(Handoffs, HandoffTest,
                         testing::Combine(testing::Values(std::size_t{1}, std::size_t{2}, std::size_t{8}),
                                          testing::Values(0, 100)));

// An item said to be followed by more, when none follows, is still taken
// within the consumer's patience; the first item is never held back.
TEST(Handoff, AnItemHeldBackWaitsNoLongerThanThePatience) {
    Handoff<int> handoff(8);
    handoff.put(1, 0, true);
    handoff.put(2, 0, true);
    int item = 0;
    EXPECT_EQ(handoff.take(item, 1s), Handoff<int>::Wait::Ready);
    EXPECT_EQ(item, 1);
    EXPECT_EQ(handoff.take(item, 50ms), Handoff<int>::Wait::Ready);
    EXPECT_EQ(item, 2);
    EXPECT_EQ(handoff.take(item, 1ms), Handoff<int>::Wait::Pending);
}

// A producer waiting for room is let go when the consumer leaves.
TEST(Handoff, ClosingLetsAWaitingProducerGo) {
    Handoff<int> handoff(1);
    ASSERT_TRUE(handoff.put(1));
    bool put = true;
    std::thread producer([&] { put = handoff.put(2); });
    std::this_thread::sleep_for(20ms);
    handoff.close();
    producer.join();
    EXPECT_FALSE(put);
}

}  // namespace
}  // namespace quillmark::bulk
