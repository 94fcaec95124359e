#pragma once

// The workflow over recording stand-ins for the window's pieces. Every call a stand-in takes is
// written, in the order it came, to one event list ("lblStatus: Processing...", "beep",
// "busy", "idle", "ended: done", "close"), so that a test can compare whole sequences. Calls
// that reach the window from any thread but the test's own (the window's thread here) are
// counted as faults. The waker lets the test deliver the run's reports as a window's event
// loop would.

#include "platform.h"
#include "scripted_file_dialog.h"
#include "workflow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

// What the window saw, in order; shared by every stand-in of one fixture.
struct WindowEvents {
    std::thread::id windowThread = std::this_thread::get_id();
    std::vector<std::string> list;
    int offThread = 0; // calls that came from another thread

    void add(std::string event) {
        if (std::this_thread::get_id() != windowThread) {
            ++offThread;
        }
        list.push_back(std::move(event));
    }
};

class RecordingLabel : public dissim::ui::Label {
public:
    RecordingLabel(std::string name, std::string text, WindowEvents& events)
        : name_(std::move(name)), text_(std::move(text)), events_(events) {}
    void setText(const std::string& text) override {
        text_ = text;
        events_.add(name_ + ": " + text);
    }
    void setDetail(const std::string& detail) override {
        detail_ = detail;
        events_.add(name_ + " detail: " + detail);
    }
    const std::string& text() const { return text_; }
    const std::string& detail() const { return detail_; }

private:
    std::string name_;
    std::string text_;
    std::string detail_;
    WindowEvents& events_;
};

// Answers prompts from a list; running out answers as Cancel does, with empty text.
class ScriptedPrompt : public dissim::ui::TextPrompt {
public:
    std::string ask(const std::string& message, const std::string& title) override {
        asked.push_back({message, title});
        if (answers.empty()) {
            return {};
        }
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::string> answers;
    std::vector<std::pair<std::string, std::string>> asked; // message, title
};

class CountingBeeper : public dissim::ui::Beeper {
public:
    explicit CountingBeeper(WindowEvents& events) : events_(events) {}
    void beep() override {
        ++count;
        events_.add("beep");
    }
    int count = 0;

private:
    WindowEvents& events_;
};

class RecordingView : public dissim::ui::RunView {
public:
    explicit RecordingView(WindowEvents& events) : events_(events) {}
    void setBusy(bool busy) override { events_.add(busy ? "busy" : "idle"); }
    void runEnded(bool done) override {
        ++ended;
        events_.add(done ? "ended: done" : "ended: failed");
    }
    void closeWindow() override {
        ++closed;
        events_.add("close");
    }
    int ended = 0;
    int closed = 0;

private:
    WindowEvents& events_;
};

// Wakes the test's thread, which then delivers the run's reports, as a window's event loop;
// or, for a run on the window's own thread, delivers them at once (onWake).
class WaitingWaker : public dissim::ui::WindowWaker {
public:
    void wake() override {
        if (onWake) {
            onWake();
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            ++wakes_;
        }
        woken_.notify_one();
    }
    std::function<void()> onWake;
    // Waits until a wake has come since the last wait; false after the time limit.
    bool waitForWake(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        const bool woken = woken_.wait_for(lock, limit, [this] { return wakes_ > 0; });
        wakes_ = 0;
        return woken;
    }

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    int wakes_ = 0;
};

struct WorkflowFixture {
    // Without a launcher the run goes on a thread of its own, as in the desktop windows. With
    // one that runs it on the test's thread (as a page does), each report is delivered as soon
    // as it is handed over.
    // importDialog, listDialog: the window's Import dialog and the save dialog of its list of
    // stimuli; none: every input file is plain sort data.
    explicit WorkflowFixture(dissim::ui::RunLauncher* runLauncher = nullptr,
                             dissim::ui::ImportDialog* importDialog = nullptr,
                             dissim::ui::FileDialogBackend* listDialog = nullptr)
        : launcher(runLauncher), importDialog(importDialog), listDialog(listDialog) {
        if (launcher != nullptr) {
            waker.onWake = [this] { workflow.deliverRunReports(); };
        }
    }

    WindowEvents events;
    RecordingLabel lblSubsStim{"lblSubsStim", "# of Subjects and Stimuli not Defined", events};
    RecordingLabel lblIfileInfo{"lblIfileInfo", "Input File Undefined", events};
    RecordingLabel lblOfileInfo{"lblOfileInfo", "Output File Undefined", events};
    RecordingLabel lblStatus{"lblStatus", "Waiting for data...", events};
    ScriptedPrompt prompt;
    CountingBeeper beeper{events};
    ScriptedFileDialog files;
    RecordingView view{events};
    WaitingWaker waker;
    char decimalSeparator = '.';
    dissim::ui::RunLauncher* launcher;
    dissim::ui::ImportDialog* importDialog;
    dissim::ui::FileDialogBackend* listDialog;
    dissim::ui::Workflow workflow{
        {lblSubsStim, lblIfileInfo, lblOfileInfo, lblStatus},
        {prompt, beeper, files, decimalSeparator, launcher, importDialog, listDialog},
        view,
        waker};

    // The counts and both files through the workflow's own buttons; a null output cancels the
    // save dialog. Forgets what was seen on the way.
    void prepare(const std::string& subjects, const std::string& stimuli, const std::string& input,
                 const std::string* output) {
        prompt.answers = {subjects, stimuli};
        workflow.cmdSubsStimClick();
        files.confirm(input);
        workflow.cmdDataInClick();
        if (output != nullptr) {
            files.confirm(*output);
        } else {
            files.cancel();
        }
        workflow.cmdDataOutClick();
        beeper.count = 0;
        events.list.clear();
    }

    // Delivers the run's reports as they come until the run has ended; false if it has not
    // ended within the time limit.
    bool deliverUntilEnded(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        const int endedBefore = view.ended;
        while (view.ended == endedBefore) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !waker.waitForWake(left)) {
                return false;
            }
            workflow.deliverRunReports();
        }
        return true;
    }
};

} // namespace testsupport
