#pragma once

#include <QString>

class QLabel;

namespace dissim::ui {

class BackgroundRun;
class Beeper;

// "4. Submit": starts the dissimilarity run over the window's run state, off the window's
// thread. The three functions after it show what the run reports.
void startRun(BackgroundRun& run, QLabel& lblStatus);

// Each status text of the run, as the run sets it.
void showRunStatus(QLabel& lblStatus, const QString& text);

// The run is failing: five beeps, before the failure text is shown.
void reportRunFailing(Beeper& beeper);

// The run has ended: after a failure, the status label's tooltip tells what failed and where.
void showRunOutcome(QLabel& lblStatus, bool done, const QString& description);

} // namespace dissim::ui
