#include "status_handoff.h"

#include <utility>

namespace dissim::ui {

void StatusHandoff::handOver(std::function<void()> call) {
    {
        const std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    waker_.wake();
}

int StatusHandoff::deliver() {
    int delivered = 0;
    for (;;) {
        std::function<void()> call;
        {
            const std::lock_guard lock(mutex_);
            if (calls_.empty()) {
                return delivered;
            }
            call = std::move(calls_.front());
            calls_.pop_front();
        }
        // Run outside the lock, so that the run's thread never waits for the window.
        call();
        ++delivered;
    }
}

} // namespace dissim::ui
