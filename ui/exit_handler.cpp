#include "exit_handler.h"

#include <QWidget>

namespace dissim::ui {

void exitProgram(QWidget& window) {
    window.close();
}

} // namespace dissim::ui
