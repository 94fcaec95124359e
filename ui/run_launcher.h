#pragma once

#include <functional>
#include <thread>

namespace dissim::ui {

// How a run goes beside the window. The desktop windows give it a thread of its own, so that
// they keep painting while it goes; a page has no threads (a file opened from disk cannot have
// them), so it runs the run on its own thread and the run yields to the page between its steps.
// Either way the run's reports reach the window through the status handoff, and its end comes
// last.
class RunLauncher {
public:
    virtual ~RunLauncher() = default;
    // Starts the run. It may be over when start() returns.
    virtual void start(std::function<void()> run) = 0;
    // Called on the window's thread once the run has handed over its end, and when the window
    // goes: waits for the run to be over. Does nothing when no run has been started.
    virtual void finish() = 0;
};

// The run on a thread of its own.
class ThreadRunLauncher final : public RunLauncher {
public:
    ThreadRunLauncher() = default;
    ~ThreadRunLauncher() override { finish(); }
    ThreadRunLauncher(const ThreadRunLauncher&) = delete;
    ThreadRunLauncher& operator=(const ThreadRunLauncher&) = delete;

    void start(std::function<void()> run) override;
    void finish() override;

private:
    std::thread thread_;
};

// The run on the caller's thread: over when start() returns. The run's reports come back to
// the window from inside start(), each as it is handed over.
class InlineRunLauncher final : public RunLauncher {
public:
    void start(std::function<void()> run) override { run(); }
    void finish() override {}
};

} // namespace dissim::ui
