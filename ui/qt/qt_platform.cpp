#include "qt_platform.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLocale>

namespace dissim::ui {

std::string QtTextPrompt::ask(const std::string& message, const std::string& title) {
    // An empty field; Cancel gives empty text.
    return QInputDialog::getText(QApplication::activeWindow(), QString::fromStdString(title),
                                 QString::fromStdString(message))
        .toStdString();
}

void QtBeeper::beep() {
    QApplication::beep();
}

QString qtPatterns(const QString& pattern) {
    QStringList patterns;
    for (const QString& part : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty()) {
            patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
    }
    return patterns.isEmpty() ? QStringLiteral("*") : patterns.join(u' ');
}

char qtDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80) {
        return static_cast<char>(point.at(0).unicode());
    }
    return '.';
}

// The engine takes paths as bytes: UTF-8 on Windows, where its file layer turns them into the
// system's UTF-16 names (the ANSI code page would lose every name outside it), and the file
// system's own encoding elsewhere (UTF-8 in Qt 6; decomposed on macOS).
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

std::optional<std::string> QtFileDialogBackend::show(const FileDialogRequest& request) {
    const bool open = request.mode == FileDialogRequest::Mode::Open;
    QFileDialog dialog(QApplication::activeWindow(),
                       open ? QStringLiteral("Open") : QStringLiteral("Save As"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);

    if (!request.filters.empty()) {
        // QFileDialog takes its patterns from the parentheses of each filter text. The texts
        // are built here from the real patterns, then the list shows the entries' own
        // descriptions in their place (the dialog applies a filter by its position).
        QStringList qtFilters;
        for (const FileFilter& filter : request.filters) {
            qtFilters << QString::fromStdString(filter.description).trimmed() +
                             QStringLiteral(" (") +
                             qtPatterns(QString::fromStdString(filter.pattern)) + u')';
        }
        dialog.setNameFilters(qtFilters);
        if (request.selectedFilter >= 0 && request.selectedFilter < qtFilters.size()) {
            dialog.selectNameFilter(qtFilters.at(request.selectedFilter));
        }
        if (auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            for (int i = 0; i < combo->count() && i < static_cast<int>(request.filters.size());
                 ++i) {
                combo->setItemText(i,
                                   QString::fromStdString(
                                       request.filters[static_cast<std::size_t>(i)].description));
            }
        }
    }
    if (!request.fileName.empty()) {
        dialog.selectFile(fromEnginePath(request.fileName));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return toEnginePath(chosen.first());
}

} // namespace dissim::ui
