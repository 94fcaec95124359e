#pragma once

// What the workflow needs of the window's platform besides its labels: a text prompt, the
// system beep and a file dialog. Each window passes in its toolkit's versions; tests pass
// scripted ones. Texts and paths are UTF-8.

#include <optional>
#include <string>
#include <vector>

namespace dissim::ui {

// A modal text prompt: shows a message and a title over an empty text field with OK and
// Cancel, waits for the user and returns the typed text. Cancel returns empty text.
class TextPrompt {
public:
    virtual ~TextPrompt() = default;
    virtual std::string ask(const std::string& message, const std::string& title) = 0;
};

// The system beep. Failures are reported by a row of them.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

inline void beepTimes(Beeper& beeper, int times) {
    for (int i = 0; i < times; ++i) {
        beeper.beep();
    }
}

// One entry of a file dialog's filter list: the text the user sees and the pattern(s) it
// selects, several patterns separated by ';' ("*.txt;*.dat").
struct FileFilter {
    std::string description;
    std::string pattern;
    bool operator==(const FileFilter&) const = default;
};

// What the shared file dialog asks its backend to show.
struct FileDialogRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    std::string fileName;            // filled in when the dialog opens; may be empty
    std::vector<FileFilter> filters; // may be empty: every file is shown
    int selectedFilter = -1;         // index into filters, -1 when there are none
};

// Shows a modal file dialog and returns the full path the user confirmed, as the engine takes
// paths, or nothing when the user cancelled. May throw when the dialog cannot be shown.
class FileDialogBackend {
public:
    virtual ~FileDialogBackend() = default;
    virtual std::optional<std::string> show(const FileDialogRequest& request) = 0;
};

} // namespace dissim::ui
