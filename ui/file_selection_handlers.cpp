#include "file_selection_handlers.h"

#include "common_dialog.h"
#include "label.h"
#include "platform.h"
#include "run_state.h"
#include "table_import_step.h"

#include <exception>

namespace dissim::ui {

// The dialog's file name is already a path as the engine takes it (UTF-8), and a label's text
// is UTF-8 too: the path goes to both unchanged.

void selectInputFile(RunState& state, Label& lblIfileInfo, CommonDialog& dialog, Beeper& beeper) {
    selectInputFile(state, WindowLabels{lblIfileInfo, lblIfileInfo, lblIfileInfo, lblIfileInfo},
                    dialog, beeper, nullptr);
}

void selectInputFile(RunState& state, const WindowLabels& labels, CommonDialog& dialog,
                     Beeper& beeper, TableImportPlatform* tableImport) {
    Label& lblIfileInfo = labels.lblIfileInfo;
    try {
        const std::string filter =
            std::string("All Files (*.*) |*.*|") + "Text Files (*.txt) |*.txt|";
        dialog.setFilter(filter);
        dialog.setFilterIndex(2);
        dialog.showOpen();
        state.inputFile = dialog.fileName();
        lblIfileInfo.setText("Input File = " + state.inputFile);
        lblIfileInfo.setDetail(state.inputFile);
        if (tableImport != nullptr && dialog.confirmed()) {
            importInputTable(state, labels, *tableImport);
        }
    } catch (const std::exception&) {
        beepTimes(beeper, 3);
    }
}

void selectOutputFile(RunState& state, Label& lblOfileInfo, CommonDialog& dialog, Beeper& beeper) {
    try {
        dialog.showSave();
        state.outputFile = dialog.fileName();
        lblOfileInfo.setText(state.outputFile);
        lblOfileInfo.setDetail(state.outputFile);
    } catch (const std::exception&) {
        beepTimes(beeper, 4);
    }
}

} // namespace dissim::ui
