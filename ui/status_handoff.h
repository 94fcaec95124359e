#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace dissim::ui {

// Wakes the window's thread: the window's toolkit arranges for StatusHandoff::deliver() to be
// called on the window's thread soon after (a queued call, a posted message). Called on the
// thread that handed something over.
class WindowWaker {
public:
    virtual ~WindowWaker() = default;
    virtual void wake() = 0;
};

// Carries what the run's thread reports (its status texts, its failure, its end) over to the
// window's thread, which alone touches the window. Calls are delivered in the order in which
// they were handed over. A handoff outlives nothing it carries: what is still in it when it
// goes is dropped.
class StatusHandoff {
public:
    explicit StatusHandoff(WindowWaker& waker) : waker_(waker) {}

    // Any thread: queues the call and wakes the window's thread.
    void handOver(std::function<void()> call);

    // The window's thread: runs every call handed over so far, in order; a call handed over
    // while it runs is run too. Returns how many calls were run.
    int deliver();

private:
    WindowWaker& waker_;
    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
};

} // namespace dissim::ui
