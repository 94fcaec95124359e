#pragma once

#include "background_run.h"
#include "common_dialog.h"
#include "run_state.h"

#include <QWidget>

namespace dissim::ui {

class Beeper;
class FileDialogBackend;
class InputBlocker;
class TextPrompt;
class WindowLabel;
class WrappingPushButton;

// The program's one window: four numbered buttons that drive the workflow, "E&xit", and four
// labels on which each step reports. It owns the run state and the shared file dialog and
// hands each button's click to its handler: run setup (run_setup_handler.h), file selection
// (file_selection_handlers.h); "4. Submit" and "E&xit" are handled here. The platform pieces
// come in through the constructor.
//
// While a run is going the window keeps painting but takes no input, shows the wait cursor
// and marks the status label busy. Closing it then is put off until the run has ended (the
// output file is never left half written by a close); the window closes at that moment.
// Shift+F1 shows the detail of the last failure (what failed in the run and where, or why a
// typed count was refused) as What's This text beside the status label.
class frmVorlan4 : public QWidget {
    Q_OBJECT
public:
    frmVorlan4(TextPrompt& prompt, Beeper& beeper, FileDialogBackend& fileDialog,
               QWidget* parent = nullptr);
    ~frmVorlan4() override;

    const RunState& runState() const { return state_; }
    const CommonDialog& commonDialog() const { return CommonDialog1; }
    bool isRunning() const { return run_.isRunning(); }
    // Reports the run's status texts as it sets them, for whoever wants to follow a run.
    const BackgroundRun& backgroundRun() const { return run_; }

signals:
    // A run started by "4. Submit" has ended and the window takes input again.
    void runEnded(bool done);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    WrappingPushButton* makeButton(const char* name, const QString& caption, int left, int top,
                                   int width, int height);
    WindowLabel* makeLabel(const char* name, const QString& text, const QString& accessibleName,
                           QWidget& button, int left, int top);
    // "4. Submit": starts the run off the window's thread; the window is busy until it ends.
    void submit();
    void onRunEnded(bool done, const QString& description);
    void setBusy(bool busy);
    void showFailureDetail();

    TextPrompt& prompt_;
    Beeper& beeper_;
    RunState state_;
    CommonDialog CommonDialog1;
    BackgroundRun run_;
    InputBlocker* inputBlocker_ = nullptr;
    bool busy_ = false;
    bool closeWhenRunEnds_ = false;

    WrappingPushButton* cmdDataIn = nullptr;
    WrappingPushButton* cmdDataOut = nullptr;
    WrappingPushButton* cmdSubmit = nullptr;
    WrappingPushButton* cmdExit = nullptr;
    WrappingPushButton* cmdSubsStim = nullptr;
    WindowLabel* lblSubsStim = nullptr;
    WindowLabel* lblIfileInfo = nullptr;
    WindowLabel* lblOfileInfo = nullptr;
    WindowLabel* lblStatus = nullptr;
};

} // namespace dissim::ui
