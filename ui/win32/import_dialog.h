#pragma once

// The interface, beside the workflow (this file has its name).
#include "../import_dialog.h"

#include <windows.h>

namespace dissim::ui::win32 {

// The Import dialog as a modal dialog of the system's own controls over the model (drop-down
// lists, check boxes, a list view for the preview, list boxes for the stimuli and the problems),
// laid out in pixels at 96 dots per inch and scaled to the monitor's, in the system's font, and
// resizable. Tab goes through the controls in order, each caption's access key moves to its
// control, Enter is OK while the model allows it, and Escape or the close box is Cancel. Each
// change calls one setter of the model and then shows everything the model says again. Modal to
// its owner. Throws std::runtime_error when the system cannot show it, and passes on whatever
// the model throws.
class Win32ImportDialog : public ImportDialog {
public:
    void setOwner(HWND owner) { owner_ = owner; }
    bool show(ImportModel& model) override;

private:
    HWND owner_ = nullptr;
};

} // namespace dissim::ui::win32
