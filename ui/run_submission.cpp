#include "run_submission.h"

#include "dissimilarity_run.h"
#include "label.h"
#include "platform.h"
#include "run_launcher.h"
#include "status_handoff.h"

namespace dissim::ui {
namespace {

// Hands the run's reports over to the window's thread; called on the run's thread.
class HandingOverObserver : public RunObserver {
public:
    HandingOverObserver(StatusHandoff& handoff, Label& lblStatus, Beeper& beeper)
        : handoff_(handoff), lblStatus_(lblStatus), beeper_(beeper) {}

    void statusChanged(std::string_view text) override {
        handoff_.handOver([&label = lblStatus_, text = std::string(text)] { label.setText(text); });
    }
    // Five beeps, before the failure text is shown.
    void runFailing(std::string_view) override {
        handoff_.handOver([&beeper = beeper_] { beepTimes(beeper, 5); });
    }

private:
    StatusHandoff& handoff_;
    Label& lblStatus_;
    Beeper& beeper_;
};

} // namespace

RunSubmission::RunSubmission(RunState& state, Label& lblStatus, Beeper& beeper, RunView& view,
                             StatusHandoff& handoff, RunLauncher& launcher)
    : state_(state), lblStatus_(lblStatus), beeper_(beeper), view_(view), handoff_(handoff),
      launcher_(launcher) {}

RunSubmission::~RunSubmission() {
    launcher_.finish();
}

void RunSubmission::submit() {
    if (running_) {
        return;
    }
    lblStatus_.setDetail({});
    running_ = true;
    view_.setBusy(true);
    launcher_.start([this] {
        HandingOverObserver observer(handoff_, lblStatus_, beeper_);
        // The run turns every failure into a failed result of its own.
        const RunResult result = runDissimilarity(state_, observer);
        handoff_.handOver([this, done = result.done, description = result.description] {
            ended(done, description);
        });
    });
}

void RunSubmission::ended(bool done, const std::string& description) {
    // The run has handed over its last report and is ending.
    launcher_.finish();
    running_ = false;
    // After a failure the status label's detail tells what failed and where.
    lblStatus_.setDetail(done ? std::string() : description);
    view_.setBusy(false);
    view_.runEnded(done);
    if (closeWhenEnded_) {
        closeWhenEnded_ = false;
        view_.closeWindow();
    }
}

bool RunSubmission::mayClose() {
    if (running_) {
        closeWhenEnded_ = true;
        return false;
    }
    return true;
}

} // namespace dissim::ui
