#include "background_run.h"

#include "dissimilarity_run.h"

#include <QThread>

namespace dissim::ui {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Passes the run's reports on as signals; called on the run's thread.
class SignalingObserver : public RunObserver {
public:
    explicit SignalingObserver(BackgroundRun& run) : run_(run) {}
    void statusChanged(std::string_view text) override { emit run_.statusChanged(toQString(text)); }
    void runFailing(std::string_view description) override {
        emit run_.runFailing(toQString(description));
    }

private:
    BackgroundRun& run_;
};

} // namespace

BackgroundRun::BackgroundRun(RunState& state, QObject* parent) : QObject(parent), state_(state) {}

BackgroundRun::~BackgroundRun() {
    if (thread_) {
        thread_->wait();
    }
}

void BackgroundRun::start() {
    if (thread_) {
        return;
    }
    done_ = false;
    description_.clear();
    thread_.reset(QThread::create([this] {
        SignalingObserver observer(*this);
        // The run turns every failure into a failed result of its own.
        const RunResult result = runDissimilarity(state_, observer);
        done_ = result.done;
        description_ = toQString(result.description);
    }));
    connect(thread_.get(), &QThread::finished, this, &BackgroundRun::onThreadFinished,
            Qt::QueuedConnection);
    thread_->start();
}

void BackgroundRun::onThreadFinished() {
    thread_->wait();
    thread_.reset();
    emit ended(done_, description_);
}

} // namespace dissim::ui
