#include "file_dialog.h"
#include "frm_vorlan4.h"
#include "system_beep.h"
#include "text_prompt.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    dissim::ui::win32::Win32TextPrompt prompt;
    dissim::ui::win32::Win32Beeper beeper;
    dissim::ui::win32::Win32FileDialogBackend fileDialog;
    dissim::ui::win32::frmVorlan4 window(prompt, beeper, fileDialog);
    prompt.setOwner(window.handle());
    fileDialog.setOwner(window.handle());
    window.show(show);
    return window.runMessageLoop();
}
