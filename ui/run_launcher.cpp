#include "run_launcher.h"

#include <utility>

namespace dissim::ui {

void ThreadRunLauncher::start(std::function<void()> run) {
    finish();
    thread_ = std::thread(std::move(run));
}

void ThreadRunLauncher::finish() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

} // namespace dissim::ui
