#include "qt_platform.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QInputDialog>

namespace dissim::ui {

QString QtTextPrompt::ask(const QString& message, const QString& title) {
    // An empty field; Cancel gives a null string.
    return QInputDialog::getText(QApplication::activeWindow(), title, message);
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

std::optional<QString> QtFileDialogBackend::show(const FileDialogRequest& request) {
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
            qtFilters << filter.description.trimmed() + QStringLiteral(" (") +
                             qtPatterns(filter.pattern) + u')';
        }
        dialog.setNameFilters(qtFilters);
        if (request.selectedFilter >= 0 && request.selectedFilter < qtFilters.size()) {
            dialog.selectNameFilter(qtFilters.at(request.selectedFilter));
        }
        if (auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            for (int i = 0; i < combo->count() && i < static_cast<int>(request.filters.size());
                 ++i) {
                combo->setItemText(i, request.filters[static_cast<std::size_t>(i)].description);
            }
        }
    }
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.first();
}

} // namespace dissim::ui
