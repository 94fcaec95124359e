#pragma once

#include "platform.h"

#include <windows.h>

namespace dissim::ui::win32 {

// The file dialog as the system's common Open and Save As dialogs. The file name comes back as
// a full path in UTF-8, as the engine takes it, also for names outside every ANSI code page.
// Open asks for a file that exists; Save As asks before an existing file is replaced. Throws
// std::runtime_error when the system cannot show the dialog.
class Win32FileDialogBackend : public FileDialogBackend {
public:
    void setOwner(HWND owner) { owner_ = owner; }
    std::optional<std::string> show(const FileDialogRequest& request) override;

private:
    HWND owner_ = nullptr;
};

} // namespace dissim::ui::win32
