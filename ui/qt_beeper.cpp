#include "qt_beeper.h"

#include <QApplication>

namespace dissim::ui {

void QtBeeper::beep() {
    QApplication::beep();
}

} // namespace dissim::ui
