#pragma once

// The screen's resolution as the program's windows scale to it: their layouts are in pixels at
// 96 dots per inch, scaled to the monitor's, with the system's font for that resolution.

#include <windows.h>

namespace dissim::ui::win32 {

// Calls of newer Windows versions, looked up at run time so that the program still starts
// where they are missing (then at the system's one resolution).
template <typename Function> Function systemCall(const char* name) {
    const FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// The dots per inch of the monitor the window is on.
UINT dpiOf(HWND window);

// A length in pixels at 96 dots per inch, at this resolution.
inline int scaledPixels(int pixels, UINT dpi) {
    return ::MulDiv(pixels, int(dpi), 96);
}

// The system's font for the user interface, at this resolution (the caller deletes it).
HFONT userInterfaceFont(UINT dpi);

} // namespace dissim::ui::win32
