#pragma once

// Scripted stand-ins for the window's platform seams: answers are queued by the test, every
// call is recorded.

#include "platform.h"

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

// Confirms a path, cancels, or fails to show, in the order queued; cancels when out.
class ScriptedFileDialog : public dissim::ui::FileDialogBackend {
public:
    enum class Answer { Confirm, Cancel, Fail };

    void confirm(const QString& path) { answers.push_back({Answer::Confirm, path}); }
    void cancel() { answers.push_back({Answer::Cancel, {}}); }
    void fail() { answers.push_back({Answer::Fail, {}}); }

    std::optional<std::string> show(const dissim::ui::FileDialogRequest& request) override {
        requests.push_back(request);
        if (answers.empty()) {
            return std::nullopt;
        }
        const auto [answer, path] = answers.front();
        answers.pop_front();
        if (answer == Answer::Fail) {
            throw std::runtime_error("the file dialog cannot be shown");
        }
        if (answer == Answer::Cancel) {
            return std::nullopt;
        }
        return path.toStdString();
    }

    std::deque<std::pair<Answer, QString>> answers;
    std::vector<dissim::ui::FileDialogRequest> requests;
};

} // namespace testsupport
