#pragma once

#include "platform.h"

namespace dissim::ui {

// The prompt as a modal QInputDialog over the active window.
class QtTextPrompt : public TextPrompt {
public:
    QString ask(const QString& message, const QString& title) override;
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
    std::optional<QString> show(const FileDialogRequest& request) override;
};

// The patterns of one filter entry as QFileDialog reads them: space-separated, "*.*" as "*".
QString qtPatterns(const QString& pattern);

} // namespace dissim::ui
