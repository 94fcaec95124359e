// The handoff from the run's thread to the window's: order kept, every call delivered once,
// on the thread that delivers.

#include "status_handoff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

class CountingWaker : public dissim::ui::WindowWaker {
public:
    void wake() override { ++wakes; }
    std::atomic<int> wakes{0};
};

TEST(StatusHandoff, DeliversWhatAnotherThreadHandedOverInOrderOnTheDeliveringThread) {
    CountingWaker waker;
    dissim::ui::StatusHandoff handoff(waker);
    std::vector<int> seen;
    std::vector<std::thread::id> threads;
    constexpr int kCalls = 2000;
    std::thread run([&] {
        for (int i = 0; i < kCalls; ++i) {
            handoff.handOver([&seen, &threads, i] {
                seen.push_back(i);
                threads.push_back(std::this_thread::get_id());
            });
        }
    });
    // Delivering while the other thread still hands over.
    int delivered = 0;
    while (delivered < kCalls) {
        delivered += handoff.deliver();
    }
    run.join();
    EXPECT_EQ(handoff.deliver(), 0);
    EXPECT_EQ(waker.wakes, kCalls);
    ASSERT_EQ(seen.size(), std::size_t(kCalls));
    for (int i = 0; i < kCalls; ++i) {
        ASSERT_EQ(seen[std::size_t(i)], i);
    }
    EXPECT_EQ(std::count(threads.begin(), threads.end(), std::this_thread::get_id()), kCalls);
}

TEST(StatusHandoff, ACallHandedOverWhileDeliveringIsDeliveredToo) {
    CountingWaker waker;
    dissim::ui::StatusHandoff handoff(waker);
    std::vector<std::string> seen;
    handoff.handOver([&] {
        seen.push_back("first");
        handoff.handOver([&] { seen.push_back("second"); });
    });
    EXPECT_EQ(handoff.deliver(), 2);
    EXPECT_EQ(seen, (std::vector<std::string>{"first", "second"}));
}

} // namespace
