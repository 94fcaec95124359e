#pragma once

#include <QString>

#include <string>

namespace dissim {
struct RunState;
}

namespace dissim::ui {

class Beeper;
class CommonDialog;
class WindowLabel;

// "2. Select Input File": an open dialog over all files and text files (text files selected);
// stores the dialog's file name as the input path and shows it, the whole path also as the
// label's detail. A failure beeps three times and changes no label.
void selectInputFile(RunState& state, WindowLabel& lblIfileInfo, CommonDialog& dialog,
                     Beeper& beeper);

// "3. Select Output File": a save dialog with whatever the shared dialog holds; stores its
// file name as the output path and shows it, as text and as the label's detail. A failure
// beeps four times and changes no label.
void selectOutputFile(RunState& state, WindowLabel& lblOfileInfo, CommonDialog& dialog,
                      Beeper& beeper);

// A path as the engine takes it: the bytes the file system uses. The one place where the
// window's paths become the engine's, and back.
std::string toEnginePath(const QString& path);
QString fromEnginePath(const std::string& path);

} // namespace dissim::ui
