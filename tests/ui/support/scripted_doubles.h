#pragma once

// Scripted stand-ins for the window's platform seams: answers are queued by the test, every
// call is recorded.

#include "platform.h"
#include "scripted_file_dialog.h"

#include <QStringList>

#include <deque>
#include <stdexcept>
#include <utility>
#include <vector>

namespace testsupport {

// Answers prompts from a list; a null QString stands for Cancel, as does running out.
class ScriptedPrompt : public dissim::ui::TextPrompt {
public:
    std::string ask(const std::string& message, const std::string& title) override {
        asked.push_back({QString::fromStdString(message), QString::fromStdString(title)});
        if (answers.isEmpty()) {
            return {};
        }
        return answers.takeFirst().toStdString();
    }
    QStringList answers;
    std::vector<std::pair<QString, QString>> asked; // message, title
};

class CountingBeeper : public dissim::ui::Beeper {
public:
    void beep() override { ++count; }
    int count = 0;
};

// The scripted file dialog, also taking Qt's paths.
class ScriptedQtFileDialog : public ScriptedFileDialog {
public:
    using ScriptedFileDialog::confirm;
    void confirm(const QString& path) { ScriptedFileDialog::confirm(path.toStdString()); }
};

} // namespace testsupport
