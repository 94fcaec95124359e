#include "common_dialog.h"

#include <stdexcept>

namespace dissim::ui {

std::vector<FileFilter> parseFilterList(const std::string& filterText) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t bar; (bar = filterText.find('|', start)) != std::string::npos;
         start = bar + 1) {
        parts.push_back(filterText.substr(start, bar - start));
    }
    // Every part is ended by a bar, so the text after the last bar is no part.
    if (start < filterText.size()) {
        parts.push_back(filterText.substr(start));
    }
    if (parts.size() % 2 != 0) {
        throw std::invalid_argument("the filter list \"" + filterText +
                                    "\" has a description without a pattern");
    }
    std::vector<FileFilter> filters;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        filters.push_back({parts[i], parts[i + 1]});
    }
    return filters;
}

void CommonDialog::setFilter(const std::string& filterText) {
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
    confirmed_ = false;
    if (const auto chosen = backend_.show(request)) {
        fileName_ = *chosen;
        confirmed_ = true;
    }
}

} // namespace dissim::ui
