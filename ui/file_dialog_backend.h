#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace dissim::ui {

// One entry of a file dialog's filter list: the text the user sees and the pattern(s) it
// selects, several patterns separated by ';' ("*.txt;*.dat").
struct FileFilter {
    QString description;
    QString pattern;
    bool operator==(const FileFilter&) const = default;
};

// What the shared file dialog asks its backend to show.
struct FileDialogRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString fileName;                // filled in when the dialog opens; may be empty
    std::vector<FileFilter> filters; // may be empty: every file is shown
    int selectedFilter = -1;         // index into filters, -1 when there are none
};

// Shows a modal file dialog and returns the full path the user confirmed, or nothing when
// the user cancelled. May throw when the dialog cannot be shown.
class FileDialogBackend {
public:
    virtual ~FileDialogBackend() = default;
    virtual std::optional<QString> show(const FileDialogRequest& request) = 0;
};

} // namespace dissim::ui
