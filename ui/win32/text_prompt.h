#pragma once

#include "platform.h"

#include <windows.h>

namespace dissim::ui::win32 {

// The prompt as a modal dialog of the system's own, built from a template in memory (no
// resource script needed): the message at the top left, OK and Cancel on the right, an empty
// text field across the bottom. Enter confirms, Escape and the close box cancel. Modal to its
// owner, which takes no input while it is open.
class Win32TextPrompt : public TextPrompt {
public:
    void setOwner(HWND owner) { owner_ = owner; }
    // Throws std::runtime_error when the system cannot show the dialog.
    std::string ask(const std::string& message, const std::string& title) override;

private:
    HWND owner_ = nullptr;
};

} // namespace dissim::ui::win32
