#include "frm_vorlan4.h"
#include "qt_platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Lets a desktop match the running window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("dissimilarity-matrices"));
    dissim::ui::QtTextPrompt prompt;
    dissim::ui::QtBeeper beeper;
    dissim::ui::QtFileDialogBackend fileDialog;
    dissim::ui::frmVorlan4 window(prompt, beeper, fileDialog);
    window.show();
    return application.exec();
}
