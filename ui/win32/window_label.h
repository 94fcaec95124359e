#pragma once

#include "label.h"

#include <windows.h>

#include <string>

namespace dissim::ui::win32 {

// One of the window's four labels: a static control that shows its text from the top left,
// wrapped at spaces and cut off where its box ends, never reading an ampersand as an access
// key. Its detail is its tooltip, shown while the mouse rests on it.
class WindowLabel : public Label {
public:
    // The label's control and the window's tooltip control, both made by the window.
    WindowLabel(HWND control, HWND tooltips);

    void setText(const std::string& text) override;
    void setDetail(const std::string& detail) override;

    HWND control() const { return control_; }
    const std::wstring& detail() const { return detail_; }

private:
    HWND control_;
    HWND tooltips_;
    std::wstring detail_;
};

} // namespace dissim::ui::win32
