#include "window_label.h"

#include "utf16.h"

#include <commctrl.h>

namespace dissim::ui::win32 {
namespace {

// The label as a tool of the tooltip control: the whole control, its mouse watched by the
// tooltip control itself.
TOOLINFOW toolFor(HWND control) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

} // namespace

WindowLabel::WindowLabel(HWND control, HWND tooltips) : control_(control), tooltips_(tooltips) {
    TOOLINFOW tool = toolFor(control_);
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void WindowLabel::setText(const std::string& text) {
    ::SetWindowTextW(control_, toUtf16(text).c_str());
}

// An empty tooltip text is never shown.
void WindowLabel::setDetail(const std::string& detail) {
    detail_ = toUtf16(detail);
    TOOLINFOW tool = toolFor(control_);
    tool.lpszText = detail_.data();
    ::SendMessageW(tooltips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

} // namespace dissim::ui::win32
