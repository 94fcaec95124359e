#include "frm_vorlan4.h"
#include "web_platform.h"

// The page's program: makes the window and returns; from then on the page's events drive it
// (each press of a button comes to the window), and the program lives as long as the page.
int main() {
    static dissim::ui::web::WebTextPrompt prompt;
    static dissim::ui::web::WebBeeper beeper;
    static dissim::ui::web::WebFileDialogBackend fileDialog;
    static dissim::ui::web::frmVorlan4 window(prompt, beeper, fileDialog);
    window.show();
    return 0;
}
