#include "submit_handler.h"

#include "background_run.h"
#include "beeper.h"
#include "window_labels.h"

#include <QLabel>

namespace dissim::ui {

void startRun(BackgroundRun& run, QLabel& lblStatus) {
    setFailureNote(lblStatus, QString());
    run.start();
}

void showRunStatus(QLabel& lblStatus, const QString& text) {
    lblStatus.setText(text);
}

void reportRunFailing(Beeper& beeper) {
    beepTimes(beeper, 5);
}

void showRunOutcome(QLabel& lblStatus, bool done, const QString& description) {
    setFailureNote(lblStatus, done ? QString() : description);
}

} // namespace dissim::ui
