#pragma once

#include "platform.h"

#include <QString>

#include <string>

namespace dissim::ui {

// The prompt as a modal QInputDialog over the active window.
class QtTextPrompt : public TextPrompt {
public:
    std::string ask(const std::string& message, const std::string& title) override;
};

// QApplication's beep.
class QtBeeper : public Beeper {
public:
    void beep() override;
};

// The file dialog as Qt's own (non-native) QFileDialog, so that it looks and filters the same
// on every platform. "*.*" selects every file, also names without a dot.
class QtFileDialogBackend : public FileDialogBackend {
public:
    std::optional<std::string> show(const FileDialogRequest& request) override;
};

// The patterns of one filter entry as QFileDialog reads them: space-separated, "*.*" as "*".
QString qtPatterns(const QString& pattern);

// The decimal separator of the user's locale, as the numeric test of a typed count takes it
// (a period when the locale's is not a single plain character).
char qtDecimalSeparator();

// A path as the engine takes it: the bytes the file system uses. The one place where Qt's
// paths become the engine's, and back.
std::string toEnginePath(const QString& path);
QString fromEnginePath(const std::string& path);

} // namespace dissim::ui
