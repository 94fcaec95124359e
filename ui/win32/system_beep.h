#pragma once

#include "platform.h"

#include <windows.h>

namespace dissim::ui::win32 {

// The system's default sound, as Windows plays it for a simple beep.
class Win32Beeper : public Beeper {
public:
    void beep() override { ::MessageBeep(MB_OK); }
};

} // namespace dissim::ui::win32
