#include "utf16.h"

#include <windows.h>

#include <limits>
#include <stdexcept>

namespace dissim::ui::win32 {
namespace {

int lengthOf(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("a text too long for the system");
    }
    return static_cast<int>(size);
}

} // namespace

std::wstring toUtf16(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = lengthOf(utf8.size());
    std::wstring wide(
        static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
        L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), lengthOf(wide.size()));
    return wide;
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int size = lengthOf(utf16.size());
    std::string narrow(static_cast<std::size_t>(::WideCharToMultiByte(
                           CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr)),
                       '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, narrow.data(), lengthOf(narrow.size()),
                          nullptr, nullptr);
    return narrow;
}

} // namespace dissim::ui::win32
