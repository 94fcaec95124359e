#pragma once

// Text handed to the page's JavaScript as JSON, which it reads with JSON.parse. Plain C++.

#include <string>
#include <string_view>
#include <vector>

namespace dissim::ui::web {

// The text as a JSON string, quotes included: quotes, backslashes and control characters
// escaped, everything else (UTF-8) as it is.
std::string jsonString(std::string_view text);

// ["a","b"]
std::string jsonStrings(const std::vector<std::string>& texts);

} // namespace dissim::ui::web
