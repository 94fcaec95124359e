#pragma once

// Answers real modal dialogs from a timer: each time a new modal dialog is up, the next
// scripted action is applied to it. The test checks answered() to know the actions ran.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace testsupport {

class ModalAnswerer : public QObject {
public:
    using Action = std::function<void(QWidget& dialog)>;

    explicit ModalAnswerer(std::vector<Action> actions) : actions_(std::move(actions)) {
        connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::poll);
        timer_.start(20);
    }

    int answered() const { return next_; }

private:
    void poll() {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) {
            return;
        }
        if (dialog == last_ || next_ >= static_cast<int>(actions_.size())) {
            // A dialog the script did not close, or did not expect: close it so that the
            // test fails on its checks instead of waiting for ever.
            if (++idlePolls_ > 250) {
                idlePolls_ = 0;
                if (auto* modal = qobject_cast<QDialog*>(dialog)) {
                    QStringList texts;
                    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
                        texts << label->text();
                    }
                    qWarning("ModalAnswerer: closing a dialog left open: %s: %s",
                             qPrintable(dialog->windowTitle()), qPrintable(texts.join(" | ")));
                    modal->reject();
                }
            }
            return;
        }
        idlePolls_ = 0;
        last_ = dialog;
        // Run from the event loop, not inside this timer's own slot: an action may open a
        // further modal dialog, which this timer must still be able to see.
        const std::size_t index = static_cast<std::size_t>(next_++);
        QPointer<QWidget> target = dialog;
        QMetaObject::invokeMethod(
            this,
            [this, index, target] {
                if (target != nullptr) {
                    actions_[index](*target);
                }
            },
            Qt::QueuedConnection);
    }

    std::vector<Action> actions_;
    int next_ = 0;
    int idlePolls_ = 0;
    QPointer<QWidget> last_;
    QTimer timer_;
};

// The text field a person types into: the file dialog's file name, else the only one.
inline QLineEdit* textField(QWidget& dialog) {
    if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        return name;
    }
    return dialog.findChild<QLineEdit*>();
}

// Types text into the dialog's field (replacing what is there) and presses Return. In the
// file dialog the name is set as a whole (typed letter by letter, it opens the completer's
// popup, which takes the Return), and set again should the dialog, once it has read its
// folder, put the remembered name back over it.
inline ModalAnswerer::Action typeAndConfirm(const QString& text) {
    return [text](QWidget& dialog) {
        QLineEdit* field = textField(dialog);
        QVERIFY(field != nullptr);
        if (field->objectName() == QLatin1String("fileNameEdit")) {
            for (int attempt = 0; attempt < 10; ++attempt) {
                field->setText(text);
                QTest::qWait(100);
                if (field->text() == text) {
                    break;
                }
            }
            QCOMPARE(field->text(), text);
        } else {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, text);
        }
        QTest::keyClick(field, Qt::Key_Return);
    };
}

inline ModalAnswerer::Action pressEscape() {
    return [](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); };
}

} // namespace testsupport
