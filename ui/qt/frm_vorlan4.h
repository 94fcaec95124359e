#pragma once

#include "window_layout.h"
#include "workflow.h"

#include <QWidget>

#include <array>
#include <memory>

namespace dissim::ui {

class InputBlocker;
class QtImportDialog;
class WindowLabel;
class WorkflowLabel;
class WrappingPushButton;

// The program's one window in Qt Widgets: four numbered buttons that drive the workflow,
// "E&xit", and four labels on which each step reports, laid out as window_layout.h says. It
// hands each button's click and its close to the workflow (workflow.h), which owns the run
// state and the shared file dialog. The platform pieces come in through the constructor.
//
// While a run is going the window keeps painting but takes no input, shows the wait cursor
// and marks the status label busy. Closing it then is put off until the run has ended.
// Shift+F1 shows the detail of the last failure (what failed in the run and where, or why a
// typed count was refused) as What's This text beside the status label.
class frmVorlan4 : public QWidget, private RunView, private WindowWaker {
    Q_OBJECT
public:
    frmVorlan4(TextPrompt& prompt, Beeper& beeper, FileDialogBackend& fileDialog,
               QWidget* parent = nullptr);
    ~frmVorlan4() override;

    const RunState& runState() const { return workflow_->runState(); }
    const CommonDialog& commonDialog() const { return workflow_->commonDialog(); }
    bool isRunning() const { return workflow_->isRunning(); }

signals:
    // A run started by "4. Submit" has ended and the window takes input again.
    void runFinished(bool done);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    WrappingPushButton* makeButton(const layout::Button& button);
    WindowLabel* makeLabel(const layout::Label& label);
    WindowLabel& label(layout::LabelId id) const { return *labels_[id]; }
    void showFailureDetail();

    // RunView
    void setBusy(bool busy) override;
    void runEnded(bool done) override;
    void closeWindow() override { close(); }
    // WindowWaker: called on the run's thread.
    void wake() override;

    std::array<WrappingPushButton*, layout::kButtons.size()> buttons_{};
    std::array<WindowLabel*, layout::kLabels.size()> labels_{};
    std::array<std::unique_ptr<WorkflowLabel>, layout::kLabels.size()> workflowLabels_;
    InputBlocker* inputBlocker_ = nullptr;
    bool busy_ = false;
    // Before the workflow, which shows it: it goes after the workflow.
    std::unique_ptr<QtImportDialog> importDialog_;
    std::unique_ptr<Workflow> workflow_;
};

} // namespace dissim::ui
