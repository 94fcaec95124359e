#pragma once

namespace dissim {
struct RunState;
}

namespace dissim::ui {

class FileDialogBackend;
class ImportDialog;
class RunView;
struct WindowLabels;

// What the input step needs to import a table: the window's Import dialog, a save dialog of its
// own for the list of stimuli, and the window's busy state while a large table is read.
struct TableImportPlatform {
    ImportDialog& dialog;
    FileDialogBackend& listDialog;
    RunView& view;
};

// The end of "2. Select Input File" once the open dialog has confirmed state.inputFile: looks at
// the start of the file. Plain sort data goes on as it always has, with no dialog. A table (a
// workbook, items that include names or labels, or lines laid out one per stimulus for the
// counts of step 1) opens the Import dialog over it. OK makes the run read the table as the
// dialog shows it, its counts the run's (shown as step 1 shows them) and the input label's
// detail how the table is read; Cancel leaves the file to be read as plain sort data. A file that
// cannot be opened to look at is left to the run, which says what is wrong with it.
void importInputTable(RunState& state, const WindowLabels& labels, TableImportPlatform& platform);

} // namespace dissim::ui
