#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QThread;

namespace dissim {
struct RunState;
}

namespace dissim::ui {

// Runs the dissimilarity run on a thread of its own, so that the window keeps painting and
// shows each status text as the run sets it. The signals arrive on the thread this object
// lives on, in the order the run raised them; `ended` comes last. The run state must not be
// touched by anyone else until `ended`.
class BackgroundRun : public QObject {
    Q_OBJECT
public:
    explicit BackgroundRun(RunState& state, QObject* parent = nullptr);
    ~BackgroundRun() override; // waits for a run in progress to end

    void start();
    bool isRunning() const { return thread_ != nullptr; }

signals:
    void statusChanged(const QString& text);
    void runFailing(const QString& description);
    void ended(bool done, const QString& description);

private:
    void onThreadFinished();

    RunState& state_;
    std::unique_ptr<QThread> thread_;
    // Written by the run's thread before it finishes, read here after.
    bool done_ = false;
    QString description_;
};

} // namespace dissim::ui
