#pragma once

#include <string>

namespace dissim {
struct RunState;
struct RunResult;
} // namespace dissim

namespace dissim::ui {

class Beeper;
class Label;
class RunLauncher;
class StatusHandoff;

// What the window does around a run beyond its status label. Called on the window's thread.
class RunView {
public:
    virtual ~RunView() = default;
    // From "4. Submit" until the run has ended: the wait cursor, no input to the window (its
    // buttons keep their look and state), and the status label marked busy for assistive
    // technology where the toolkit can say so.
    virtual void setBusy(bool busy) = 0;
    // The run has ended and the window takes input again; done is false after a failure. The
    // status label shows the run's last text and, after a failure, its detail.
    virtual void runEnded(bool done) = 0;
    // Closes the window now, which ends the program: a close asked for while the run went.
    virtual void closeWindow() = 0;
};

// "4. Submit": the dissimilarity run beside the window, as the launcher starts it (a thread of
// its own on the desktop), so that the window keeps painting and shows each status text as the
// run sets it. The run's status texts, its five beeps and its end come back to the window's
// thread through the handoff, in the order the run raised them. The run state belongs to the run
// until it has ended; the window takes no input meanwhile. A close asked for during the run is put
// off until it has ended, so that no output file is ever left half written by a close.
class RunSubmission {
public:
    RunSubmission(RunState& state, Label& lblStatus, Beeper& beeper, RunView& view,
                  StatusHandoff& handoff, RunLauncher& launcher);
    // Waits for a run in progress to end (the program is being torn down).
    ~RunSubmission();
    RunSubmission(const RunSubmission&) = delete;
    RunSubmission& operator=(const RunSubmission&) = delete;

    // The Click handler of cmdSubmit. Does nothing while a run is going.
    void submit();
    bool isRunning() const { return running_; }

    // The window is asked to close: true when it may close now. During a run false, and the
    // window is closed as soon as the run has ended.
    bool mayClose();

private:
    void ended(bool done, const std::string& description);

    RunState& state_;
    Label& lblStatus_;
    Beeper& beeper_;
    RunView& view_;
    StatusHandoff& handoff_;
    RunLauncher& launcher_;
    bool running_ = false;
    bool closeWhenEnded_ = false;
};

} // namespace dissim::ui
