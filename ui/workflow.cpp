#include "workflow.h"

#include "file_selection_handlers.h"
#include "run_setup_handler.h"
#include "table_import_step.h"

namespace dissim::ui {

Workflow::Workflow(const WindowLabels& labels, const WorkflowPlatform& platform, RunView& view,
                   WindowWaker& waker)
    : labels_(labels), platform_(platform), view_(view), CommonDialog1(platform.fileDialog),
      handoff_(waker),
      submission_(state_, labels.lblStatus, platform.beeper, view, handoff_,
                  platform.runLauncher != nullptr ? *platform.runLauncher : threadLauncher_) {}

void Workflow::cmdSubsStimClick() {
    runSetup(state_, labels_, platform_.prompt, platform_.beeper, platform_.decimalSeparator);
}

void Workflow::cmdDataInClick() {
    if (platform_.importDialog == nullptr) {
        selectInputFile(state_, labels_.lblIfileInfo, CommonDialog1, platform_.beeper);
        return;
    }
    TableImportPlatform tableImport{
        *platform_.importDialog,
        platform_.listDialog != nullptr ? *platform_.listDialog : platform_.fileDialog, view_};
    selectInputFile(state_, labels_, CommonDialog1, platform_.beeper, &tableImport);
}

void Workflow::cmdDataOutClick() {
    selectOutputFile(state_, labels_.lblOfileInfo, CommonDialog1, platform_.beeper);
}

void Workflow::cmdSubmitClick() {
    submission_.submit();
}

void Workflow::click(layout::ButtonId button) {
    switch (button) {
    case layout::cmdSubsStim:
        return cmdSubsStimClick();
    case layout::cmdDataIn:
        return cmdDataInClick();
    case layout::cmdDataOut:
        return cmdDataOutClick();
    case layout::cmdSubmit:
        return cmdSubmitClick();
    case layout::cmdExit:
        return cmdExitClick();
    }
}

// Ends the program at once: nothing is asked, written or saved.
void Workflow::cmdExitClick() {
    if (closeRequested()) {
        view_.closeWindow();
    }
}

} // namespace dissim::ui
