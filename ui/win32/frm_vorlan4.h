#pragma once

#include "import_dialog.h"
#include "window_label.h"
#include "window_layout.h"
#include "workflow.h"

#include <windows.h>

#include <array>
#include <memory>

namespace dissim::ui::win32 {

// The program's one window in Win32: the window class frmVorlan4 with four numbered buttons
// that drive the workflow, "E&xit", and four labels on which each step reports, laid out as
// window_layout.h says and scaled from 96 dots per inch to the monitor's. It hands each
// button's click and its close to the workflow (workflow.h), which owns the run state and the
// shared file dialog. The platform pieces come in through the constructor; the Import dialog
// is the window's own, and saves its list of stimuli through the same file dialog.
//
// The keyboard works as on a form: Tab and Shift+Tab move through the buttons in their order,
// Space or Enter presses the focused one, Alt+X presses "E&xit"; no button is the default or
// the cancel button, so Escape does nothing. While a run is going the window keeps painting,
// shows the wait cursor and takes no input; no control changes its look. Closing it then is
// put off until the run has ended.
class frmVorlan4 : private RunView, private WindowWaker {
public:
    // Makes the window, hidden.
    frmVorlan4(TextPrompt& prompt, Beeper& beeper, FileDialogBackend& fileDialog);
    ~frmVorlan4() override;
    frmVorlan4(const frmVorlan4&) = delete;
    frmVorlan4& operator=(const frmVorlan4&) = delete;

    HWND handle() const { return window_; }
    HWND button(layout::ButtonId id) const { return buttons_[id]; }
    const WindowLabel& label(layout::LabelId id) const { return *labels_[id]; }
    const Workflow& workflow() const { return *workflow_; }

    // Shows the window with the focus on the first button of the tab order.
    void show(int how);

    // Handles the thread's messages until the window has closed; returns the program's exit
    // status.
    int runMessageLoop();

    // The keyboard of the window and no input while a run goes: true when the message was
    // taken here and must not be translated or dispatched. For messages to the window and its
    // controls; others are left alone.
    bool preTranslate(const MSG& message);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    // Sizes the window and places every control for the monitor's dots per inch.
    void applyDpi(UINT dpi);
    bool translateKey(const MSG& message);
    void moveFocus(bool backwards);
    // The index in the tab order of the button with this control, or -1.
    int tabIndexOf(HWND control) const;

    // RunView
    void setBusy(bool busy) override;
    void runEnded(bool done) override;
    void closeWindow() override;
    // WindowWaker: called on the run's thread.
    void wake() override;

    HWND window_ = nullptr;
    HWND tooltips_ = nullptr;
    std::array<HWND, layout::kButtons.size()> buttons_{};
    std::array<std::unique_ptr<WindowLabel>, layout::kLabels.size()> labels_;
    HBRUSH background_ = nullptr;
    HFONT font_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool busy_ = false;
    // Opened by step 2 over a table; modal to the window. Before the workflow, which uses it.
    Win32ImportDialog importDialog_;
    std::unique_ptr<Workflow> workflow_;
};

} // namespace dissim::ui::win32
