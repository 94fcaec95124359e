#include "qt_text_prompt.h"

#include <QApplication>
#include <QInputDialog>

namespace dissim::ui {

QString QtTextPrompt::ask(const QString& message, const QString& title) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(message);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.textValue();
}

} // namespace dissim::ui
