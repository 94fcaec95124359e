#include "qt_import_dialog.h"

#include "import_window.h"

namespace dissim::ui {

bool QtImportDialog::show(ImportModel& model) {
    ImportWindow window(model, parent_);
    return window.exec() == QDialog::Accepted;
}

} // namespace dissim::ui
