#pragma once

#include "run_launcher.h"
#include "web_import_dialog.h"
#include "web_platform.h"
#include "window_layout.h"
#include "workflow.h"

#include <array>
#include <memory>

namespace dissim::ui::web {

// The program's one window in a web page: the element frmVorlan4 with four numbered buttons
// that drive the workflow, "E&xit", and four labels on which each step reports, placed as
// window_layout.h says (page.html styles them, page.js makes them). It hands each button's
// press to the workflow (workflow.h), which owns the run state and the shared file dialog,
// and gives it the page's Import dialog, whose list of stimuli is saved through the page's
// file choices as the output is.
//
// A page has no threads: the run goes on the page's own thread, inside the press of
// "4. Submit", and yields to the page now and then while it reports, so that the page paints
// each status text. Meanwhile the page shows the wait cursor and takes no input. Exit ends
// the program at once: the page takes no more input and says so (a page cannot always close
// its tab).
class frmVorlan4 : private RunView, private WindowWaker {
public:
    frmVorlan4(TextPrompt& prompt, Beeper& beeper, FileDialogBackend& fileDialog);
    frmVorlan4(const frmVorlan4&) = delete;
    frmVorlan4& operator=(const frmVorlan4&) = delete;

    // Makes the controls, puts the focus on the first button of the tab order and tells the
    // page that the program takes input.
    void show();

    // A button pressed in the page (its layout id).
    void press(int button);

private:
    // RunView
    void setBusy(bool busy) override;
    void runEnded(bool done) override;
    void closeWindow() override;
    // WindowWaker: the run reports on the page's thread; shown at once.
    void wake() override;

    std::array<WebLabel, layout::kLabels.size()> labels_;
    WebImportDialog importDialog_;
    InlineRunLauncher launcher_;
    // When the run last let the page paint (milliseconds of the page's clock), 0 before the
    // run's first report.
    double lastYield_ = 0;
    std::unique_ptr<Workflow> workflow_;
};

} // namespace dissim::ui::web
