#pragma once

#include "platform.h"

#include <string>
#include <vector>

namespace dissim::ui {

// The window's one file dialog, shared by the input and the output file selection. It keeps,
// for the life of the window, the file name last confirmed in either mode, its filter list
// and the filter index. A cancelled dialog changes nothing and is no failure.
class CommonDialog {
public:
    explicit CommonDialog(FileDialogBackend& backend) : backend_(backend) {}

    // "description|pattern|description|pattern|": pairs of parts, each ended by a bar. The
    // bar at the very end adds no entry. Throws std::invalid_argument when a description has
    // no pattern.
    void setFilter(const std::string& filterText);
    // 1-based: the filter entry selected when the dialog opens. Outside the list, the first.
    void setFilterIndex(int index) { filterIndex_ = index; }

    void showOpen() { show(FileDialogRequest::Mode::Open); }
    void showSave() { show(FileDialogRequest::Mode::Save); }

    const std::string& fileName() const { return fileName_; }
    // Whether the last dialog shown was confirmed (false after a cancel, or before any).
    bool confirmed() const { return confirmed_; }

private:
    void show(FileDialogRequest::Mode mode);

    FileDialogBackend& backend_;
    std::string fileName_;
    std::vector<FileFilter> filters_;
    int filterIndex_ = 0;
    bool confirmed_ = false;
};

// The entries of a filter list text (see CommonDialog::setFilter).
std::vector<FileFilter> parseFilterList(const std::string& filterText);

} // namespace dissim::ui
