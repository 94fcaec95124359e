#include "picker_filters.h"

#include <algorithm>

namespace dissim::ui::web {
namespace {

std::string trimmed(std::string text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string pickerExtensions(const std::string& pattern) {
    std::string extensions;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(pattern.find(';', start), pattern.size());
        const std::string one = trimmed(pattern.substr(start, end - start));
        // Only "*.ext": every other pattern leaves the choice open.
        if (one.size() < 3 || one.compare(0, 2, "*.") != 0 ||
            one.find_first_of("*?.", 2) != std::string::npos) {
            return {};
        }
        if (!extensions.empty()) {
            extensions += ',';
        }
        extensions.append(one, 1);
        if (end == pattern.size()) {
            return extensions;
        }
        start = end + 1;
    }
}

std::string pickerFilters(const FileDialogRequest& request) {
    std::string filters;
    const auto add = [&filters](const FileFilter& filter) {
        filters += filter.description + "\n" + pickerExtensions(filter.pattern) + "\n";
    };
    const int count = static_cast<int>(request.filters.size());
    if (request.selectedFilter >= 0 && request.selectedFilter < count) {
        add(request.filters[static_cast<std::size_t>(request.selectedFilter)]);
    }
    for (int i = 0; i < count; ++i) {
        if (i != request.selectedFilter) {
            add(request.filters[static_cast<std::size_t>(i)]);
        }
    }
    return filters;
}

} // namespace dissim::ui::web
