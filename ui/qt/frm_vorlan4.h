#pragma once

#include "workflow.h"

#include <QWidget>

#include <memory>

namespace dissim::ui {

class InputBlocker;
class WindowLabel;
class WorkflowLabel;
class WrappingPushButton;

// The program's one window in Qt Widgets: four numbered buttons that drive the workflow,
// "E&xit", and four labels on which each step reports. It lays out its controls and hands each
// button's click and its close to the workflow (workflow.h), which owns the run state and the
// shared file dialog. The platform pieces come in through the constructor.
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
    WrappingPushButton* makeButton(const char* name, const QString& caption, int left, int top,
                                   int width, int height);
    WindowLabel* makeLabel(const char* name, const QString& text, const QString& accessibleName,
                           QWidget& button, int left, int top);
    void showFailureDetail();

    // RunView
    void setBusy(bool busy) override;
    void runEnded(bool done) override;
    void closeWindow() override { close(); }
    // WindowWaker: called on the run's thread.
    void wake() override;

    InputBlocker* inputBlocker_ = nullptr;
    bool busy_ = false;

    WrappingPushButton* cmdDataIn = nullptr;
    WrappingPushButton* cmdDataOut = nullptr;
    WrappingPushButton* cmdSubmit = nullptr;
    WrappingPushButton* cmdExit = nullptr;
    WrappingPushButton* cmdSubsStim = nullptr;
    WindowLabel* lblSubsStim = nullptr;
    WindowLabel* lblIfileInfo = nullptr;
    WindowLabel* lblOfileInfo = nullptr;
    WindowLabel* lblStatus = nullptr;
    std::unique_ptr<WorkflowLabel> labels_[4];
    std::unique_ptr<Workflow> workflow_;
};

} // namespace dissim::ui
