#pragma once

// A scripted stand-in for the window's file dialog: answers are queued by the test, every
// request is recorded.

#include "platform.h"

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Confirms a path, cancels, or fails to show, in the order queued; cancels when out.
class ScriptedFileDialog : public dissim::ui::FileDialogBackend {
public:
    enum class Answer { Confirm, Cancel, Fail };

    void confirm(const std::string& path) { answers.push_back({Answer::Confirm, path}); }
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
        return path;
    }

    std::deque<std::pair<Answer, std::string>> answers;
    std::vector<dissim::ui::FileDialogRequest> requests;
};

} // namespace testsupport
