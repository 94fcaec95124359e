#include "file_selection_handlers.h"

#include "common_dialog.h"
#include "platform.h"
#include "run_state.h"
#include "window_label.h"

#include <QFile>

#include <exception>

namespace dissim::ui {

std::string toEnginePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fromEnginePath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

void selectInputFile(RunState& state, WindowLabel& lblIfileInfo, CommonDialog& dialog,
                     Beeper& beeper) {
    try {
        const QString filter =
            QStringLiteral("All Files (*.*) |*.*|") + QStringLiteral("Text Files (*.txt) |*.txt|");
        dialog.setFilter(filter);
        dialog.setFilterIndex(2);
        dialog.showOpen();
        state.inputFile = toEnginePath(dialog.fileName());
        const QString path = fromEnginePath(state.inputFile);
        lblIfileInfo.setText(QStringLiteral("Input File = ") + path);
        lblIfileInfo.setDetail(path);
    } catch (const std::exception&) {
        beepTimes(beeper, 3);
    }
}

void selectOutputFile(RunState& state, WindowLabel& lblOfileInfo, CommonDialog& dialog,
                      Beeper& beeper) {
    try {
        dialog.showSave();
        state.outputFile = toEnginePath(dialog.fileName());
        const QString path = fromEnginePath(state.outputFile);
        lblOfileInfo.setText(path);
        lblOfileInfo.setDetail(path);
    } catch (const std::exception&) {
        beepTimes(beeper, 4);
    }
}

} // namespace dissim::ui
