#include "file_dialog.h"

#include "utf16.h"

#include <commdlg.h>

#include <stdexcept>
#include <string>

namespace dissim::ui::win32 {
namespace {

// Room for the longest path the system knows (32,767 characters) and its ending zero.
constexpr DWORD kPathRoom = 32768;

// The filter list as the common dialogs take it: description and pattern, each ended by a zero,
// and one more zero at the end.
std::wstring commonDialogFilter(const std::vector<FileFilter>& filters) {
    std::wstring filter;
    for (const FileFilter& entry : filters) {
        filter += toUtf16(entry.description);
        filter += L'\0';
        filter += toUtf16(entry.pattern);
        filter += L'\0';
    }
    filter += L'\0';
    return filter;
}

} // namespace

std::optional<std::string> Win32FileDialogBackend::show(const FileDialogRequest& request) {
    const bool open = request.mode == FileDialogRequest::Mode::Open;
    std::wstring path = toUtf16(request.fileName);
    if (path.size() >= kPathRoom) {
        path.clear();
    }
    path.resize(kPathRoom, L'\0');
    const std::wstring filter = commonDialogFilter(request.filters);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = request.filters.empty() ? 0 : DWORD(request.selectedFilter + 1);
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathRoom;
    // The working folder stays where it was, whatever folder the user went to.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
    const BOOL confirmed = open ? ::GetOpenFileNameW(&dialog) : ::GetSaveFileNameW(&dialog);
    if (!confirmed) {
        const DWORD error = ::CommDlgExtendedError();
        if (error == 0) {
            return std::nullopt; // cancelled
        }
        throw std::runtime_error("the file dialog cannot be shown (error " + std::to_string(error) +
                                 ")");
    }
    path.resize(path.find(L'\0'));
    return toUtf8(path);
}

} // namespace dissim::ui::win32
