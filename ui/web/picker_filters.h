#pragma once

// The shared file dialog's filter list as the page's file choices take it. Plain C++, so that it
// is tested natively.

#include "platform.h"

#include <string>

namespace dissim::ui::web {

// The file name extensions of a filter pattern, comma-separated (".txt,.dat" for
// "*.txt;*.dat"); empty for a pattern that takes every file ("*.*", "*") or any other the
// browsers cannot take (a name, a wildcard inside the extension).
std::string pickerExtensions(const std::string& pattern);

// The request's filters for page.js: "description\nextensions\n" per entry, the selected entry
// first (the browsers start on the first), the others in their order.
std::string pickerFilters(const FileDialogRequest& request);

} // namespace dissim::ui::web
