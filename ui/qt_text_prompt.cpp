#include "qt_text_prompt.h"

#include <QApplication>
#include <QInputDialog>

namespace dissim::ui {

QString QtTextPrompt::ask(const QString& message, const QString& title) {
    // An empty field; Cancel gives a null string.
    return QInputDialog::getText(QApplication::activeWindow(), title, message);
}

} // namespace dissim::ui
