#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "bulk/ordered_pool.hpp"

namespace quillmark::bulk {
namespace {

using namespace std::chrono_literals;

struct Deliveries {
    std::vector<int> delivered;
    std::atomic<int> delivering{0};
    std::atomic<int> most_delivering{0};
};

// Tasks 0..count-1 on `workers` threads; earlier tasks take longer, so their
// outcomes complete out of order, and each delivery takes `delivery` long, so
// outcomes complete while another is being delivered.
void run_pool(Deliveries& run, unsigned workers, std::size_t window, int count, std::chrono::microseconds delivery) {
    OrderedPool<int, int> pool(
        workers, window, 1000,
        [count](int& task) {
            std::this_thread::sleep_for(std::chrono::microseconds(50 * ((count - task) % 7)));
            return task * 10;
        },
        [&run, delivery](int& task, int& outcome) {
            const int at_once = ++run.delivering;
            if (at_once > run.most_delivering) run.most_delivering = at_once;
            EXPECT_EQ(outcome, task * 10);
            std::this_thread::sleep_for(delivery);
            run.delivered.push_back(task);
            --run.delivering;
        });
    for (int task = 0; task < count; ++task) pool.submit(task, 1);
    pool.finish();
}

class OrderedPoolTest : public testing::TestWithParam<std::tuple<unsigned, std::size_t, int>> {};

TEST_P(OrderedPoolTest, DeliversEveryOutcomeOnceInSubmissionOrderOneAtATime) {
    const auto [workers, window, delivery_us] = GetParam();
    Deliveries run;
    run_pool(run, workers, window, 200, std::chrono::microseconds(delivery_us));
    std::vector<int> expected(200);
    for (int task = 0; task < 200; ++task) expected[task] = task;
    EXPECT_EQ(run.delivered, expected);
    EXPECT_EQ(run.most_delivering, 1);
}

INSTANTIATE_TEST_SUITE_P(Pools, OrderedPoolTest,
                         testing::Combine(testing::Values(1u, 2u, 4u), testing::Values(std::size_t{1}, std::size_t{8}),
                                          testing::Values(0, 200)));

// A task that would pass the byte budget waits until enough has been
// delivered, and one heavier than the whole budget is taken alone: the run
// ends, in order, whatever the weights.
TEST(OrderedPool, TasksOverTheBudgetWaitTheirTurn) {
    const std::vector<std::size_t> weights = {4, 4, 4, 25, 4, 4, 10, 10, 10, 0, 11};
    std::vector<int> delivered;
    {
        OrderedPool<int, int> pool(
            2, 16, 10,
            [](int& task) {
                std::this_thread::sleep_for(100us);
                return task;
            },
            [&](int& task, int&) { delivered.push_back(task); });
        for (int task = 0; task < static_cast<int>(weights.size()); ++task) pool.submit(task, weights[task]);
    }
    EXPECT_EQ(delivered, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

}  // namespace
}  // namespace quillmark::bulk
