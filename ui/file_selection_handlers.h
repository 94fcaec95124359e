#pragma once

namespace dissim {
struct RunState;
}

namespace dissim::ui {

class Beeper;
class CommonDialog;
class Label;
struct TableImportPlatform;
struct WindowLabels;

// "2. Select Input File": an open dialog over all files and text files (text files selected);
// stores the dialog's file name as the input path and shows it, the whole path also as the
// label's detail. A failure beeps three times and changes no label. Where the window can import
// tables (tableImport given) and the dialog was confirmed, a table then goes through the Import
// dialog (table_import_step.h).
void selectInputFile(RunState& state, Label& lblIfileInfo, CommonDialog& dialog, Beeper& beeper);
void selectInputFile(RunState& state, const WindowLabels& labels, CommonDialog& dialog,
                     Beeper& beeper, TableImportPlatform* tableImport);

// "3. Select Output File": a save dialog with whatever the shared dialog holds; stores its
// file name as the output path and shows it, as text and as the label's detail. A failure
// beeps four times and changes no label.
void selectOutputFile(RunState& state, Label& lblOfileInfo, CommonDialog& dialog, Beeper& beeper);

} // namespace dissim::ui
