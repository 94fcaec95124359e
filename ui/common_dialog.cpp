#include "common_dialog.h"

#include <QStringList>

#include <stdexcept>

namespace dissim::ui {

std::vector<FileFilter> parseFilterList(const QString& filterText) {
    QStringList parts = filterText.split(u'|');
    // Every part is ended by a bar, so the text after the last bar is no part.
    if (!parts.isEmpty() && parts.last().isEmpty()) {
        parts.removeLast();
    }
    if (parts.size() % 2 != 0) {
        throw std::invalid_argument("the filter list \"" + filterText.toStdString() +
                                    "\" has a description without a pattern");
    }
    std::vector<FileFilter> filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        filters.push_back({parts.at(i), parts.at(i + 1)});
    }
    return filters;
}

void CommonDialog::setFilter(const QString& filterText) {
    filters_ = parseFilterList(filterText);
}

void CommonDialog::show(FileDialogRequest::Mode mode) {
    FileDialogRequest request;
    request.mode = mode;
    request.fileName = fileName_;
    request.filters = filters_;
    if (!filters_.empty()) {
        const bool inList = filterIndex_ >= 1 && filterIndex_ <= static_cast<int>(filters_.size());
        request.selectedFilter = inList ? filterIndex_ - 1 : 0;
    }
    if (const auto chosen = backend_.show(request)) {
        fileName_ = *chosen;
    }
}

} // namespace dissim::ui
