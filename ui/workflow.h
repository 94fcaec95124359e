#pragma once

#include "common_dialog.h"
#include "import_dialog.h"
#include "label.h"
#include "run_launcher.h"
#include "run_state.h"
#include "run_submission.h"
#include "status_handoff.h"
#include "window_layout.h"

namespace dissim::ui {

// The platform pieces a window gives the workflow.
struct WorkflowPlatform {
    TextPrompt& prompt;
    Beeper& beeper;
    FileDialogBackend& fileDialog;
    // The decimal separator of the user's locale, for the check of a typed count.
    char decimalSeparator = '.';
    // How a run goes beside the window; none: on a thread of its own.
    RunLauncher* runLauncher = nullptr;
    // The window's Import dialog; none: every input file is read as plain sort data. Its list
    // of stimuli is saved through a save dialog of its own (listDialog, or else fileDialog
    // itself: the backend keeps no name, the shared dialog's name lives in the workflow).
    ImportDialog* importDialog = nullptr;
    FileDialogBackend* listDialog = nullptr;
};

// What the window's five buttons and its close do, once for every toolkit: each window builds
// its controls (window_layout.h), forwards each button's click to click() and its close to
// closeRequested(), and calls deliverRunReports() on its own thread when the waker asks it to.
// The workflow owns the one run state and the shared file dialog for the life of the window.
class Workflow {
public:
    Workflow(const WindowLabels& labels, const WorkflowPlatform& platform, RunView& view,
             WindowWaker& waker);

    void cmdSubsStimClick(); // "1. Start Here!"
    void cmdDataInClick();   // "2. Select Input File"
    void cmdDataOutClick();  // "3. Select Output File"
    void cmdSubmitClick();   // "4. Submit"
    void cmdExitClick();     // "E&xit"
    // The click of the button with this id (window_layout.h), by the methods above.
    void click(layout::ButtonId button);

    // The window is asked to close by the window system: true when it may close now. During a
    // run false; the window is then closed as soon as the run has ended.
    bool closeRequested() { return submission_.mayClose(); }

    // On the window's thread, when the waker has asked for it: shows what the run reported.
    void deliverRunReports() { handoff_.deliver(); }

    const RunState& runState() const { return state_; }
    const CommonDialog& commonDialog() const { return CommonDialog1; }
    bool isRunning() const { return submission_.isRunning(); }

private:
    WindowLabels labels_;
    WorkflowPlatform platform_;
    RunView& view_;
    RunState state_;
    CommonDialog CommonDialog1;
    // Declared before the submission: reports of a run that is still going when the window
    // goes have somewhere to go until the run has ended.
    StatusHandoff handoff_;
    // The run's thread, when the platform gives no launcher of its own. After the handoff, so
    // that it is gone, and its run with it, before the handoff goes.
    ThreadRunLauncher threadLauncher_;
    RunSubmission submission_;
};

} // namespace dissim::ui
