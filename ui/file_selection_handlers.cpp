#include "file_selection_handlers.h"

#include "common_dialog.h"
#include "platform.h"
#include "run_state.h"
#include "window_label.h"

#include <QFile>

#include <exception>

namespace dissim::ui {

// The engine takes paths as bytes: UTF-8 on Windows, where its file layer turns them into the
// system's UTF-16 names (the ANSI code page would lose every name outside it), and the file
// system's own encoding elsewhere.
std::string toEnginePath(const QString& path) {
#ifdef Q_OS_WIN
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString fromEnginePath(const std::string& path) {
#ifdef Q_OS_WIN
    return QString::fromUtf8(path);
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
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
