#pragma once

// What the page's Import dialog (import_dialog.js) is drawn from, as JSON: its fixed texts once,
// and after every change everything the model says.

#include <string>

namespace dissim::ui {
class ImportModel;
}

namespace dissim::ui::web {

// The title, each control's caption by the control's id ('&' before the access key), the fixed
// choice lists, the names of the labels that show a result, and what a screen reader says of a
// preview cell that is a name or a problem.
std::string importDialogTexts();

// The file, the choices and which of them apply, the preview, the results and whether OK is
// allowed; saveResult: what became of the last "Save List...". A file that is no table leaves
// only the file and why it cannot be read.
std::string importDialogState(const ImportModel& model, const std::string& saveResult);

} // namespace dissim::ui::web
