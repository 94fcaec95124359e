#pragma once

// Text between the workflow (UTF-8) and the Windows API (UTF-16).

#include <string>
#include <string_view>

namespace dissim::ui::win32 {

// Text the workflow shows, for the system. Invalid UTF-8 becomes U+FFFD.
std::wstring toUtf16(std::string_view utf8);

// Text and paths the system gives, for the workflow and the engine.
std::string toUtf8(std::wstring_view utf16);

} // namespace dissim::ui::win32
