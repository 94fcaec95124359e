#pragma once

#include "label.h"
#include "platform.h"

#include <string>

namespace dissim::ui::web {

// One of the window's labels: its element in the page (page.js), by its layout name.
class WebLabel : public Label {
public:
    explicit WebLabel(const char* name) : name_(name) {}
    void setText(const std::string& text) override;
    void setDetail(const std::string& detail) override;

private:
    const char* name_;
};

// The prompt as the page's modal <dialog>: the message and title over an empty field, OK and
// Cancel. The handler waits for it while the page runs.
class WebTextPrompt : public TextPrompt {
public:
    std::string ask(const std::string& message, const std::string& title) override;
};

// A short tone through the browser's audio, one per beep.
class WebBeeper : public Beeper {
public:
    void beep() override;
};

// The browser's file pickers where it has them, else a file input to open and a name to
// download under to save. The name returned is the chosen file's, under which the page has
// registered the file for the engine (platform_web_files.js). Throws when no choice can be
// shown.
class WebFileDialogBackend : public FileDialogBackend {
public:
    std::optional<std::string> show(const FileDialogRequest& request) override;
};

// The decimal separator of the browser's language.
char webDecimalSeparator();

} // namespace dissim::ui::web
