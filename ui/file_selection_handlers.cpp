#include "file_selection_handlers.h"

#include "beeper.h"
#include "common_dialog.h"
#include "run_state.h"

#include <QFile>
#include <QLabel>

#include <exception>

namespace dissim::ui {
namespace {

// Paths go to the engine as the bytes the file system uses.
std::string toFileSystemPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fromFileSystemPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

void selectInputFile(RunState& state, QLabel& lblIfileInfo, CommonDialog& dialog, Beeper& beeper) {
    try {
        const QString filter =
            QStringLiteral("All Files (*.*) |*.*|") + QStringLiteral("Text Files (*.txt) |*.txt|");
        dialog.setFilter(filter);
        dialog.setFilterIndex(2);
        dialog.showOpen();
        state.inputFile = toFileSystemPath(dialog.fileName());
        lblIfileInfo.setText(QStringLiteral("Input File = ") + fromFileSystemPath(state.inputFile));
    } catch (const std::exception&) {
        beepTimes(beeper, 3);
    }
}

void selectOutputFile(RunState& state, QLabel& lblOfileInfo, CommonDialog& dialog, Beeper& beeper) {
    try {
        dialog.showSave();
        state.outputFile = toFileSystemPath(dialog.fileName());
        lblOfileInfo.setText(fromFileSystemPath(state.outputFile));
    } catch (const std::exception&) {
        beepTimes(beeper, 4);
    }
}

} // namespace dissim::ui
