#pragma once

class QLabel;
class QString;

namespace dissim::ui {

// The window's four labels, which carry every message of the workflow.
struct WindowLabels {
    QLabel& lblSubsStim;
    QLabel& lblIfileInfo;
    QLabel& lblOfileInfo;
    QLabel& lblStatus;
};

// The failure description of the last run, shown as the status label's tooltip and
// accessible description; empty text clears it.
void setFailureNote(QLabel& lblStatus, const QString& description);

} // namespace dissim::ui
