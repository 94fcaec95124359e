#pragma once

#include "import_dialog.h"

namespace dissim::ui::web {

// The Import dialog as the page's modal <dialog> (page.html, import_dialog.js). show() draws it
// from the model and waits for what the researcher does there the way the prompt waits: each
// change is given to the model's setter, and the page is drawn again from the getters, until
// OK (while the model allows it), Cancel or Escape.
class WebImportDialog : public ImportDialog {
public:
    bool show(ImportModel& model) override;

private:
    bool textsGiven_ = false;
};

} // namespace dissim::ui::web
