#pragma once

#include "import_dialog.h"

#include <QPointer>
#include <QWidget>

namespace dissim::ui {

// The Import dialog in Qt Widgets: on each show() a new modal window (import_window.h) over
// the given parent, drawn from the model until OK or Cancel.
class QtImportDialog : public ImportDialog {
public:
    explicit QtImportDialog(QWidget& parent) : parent_(&parent) {}
    bool show(ImportModel& model) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace dissim::ui
