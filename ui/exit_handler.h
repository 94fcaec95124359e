#pragma once

class QWidget;

namespace dissim::ui {

// "E&xit": ends the program at once; nothing is asked, written or saved. Closing the only
// window ends the application's event loop.
void exitProgram(QWidget& window);

} // namespace dissim::ui
