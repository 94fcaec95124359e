#include "window_labels.h"

#include <QLabel>

namespace dissim::ui {

void setFailureNote(QLabel& lblStatus, const QString& description) {
    lblStatus.setToolTip(description);
    lblStatus.setAccessibleDescription(description);
}

} // namespace dissim::ui
