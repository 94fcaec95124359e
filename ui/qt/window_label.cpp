#include "window_label.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace dissim::ui {
namespace {

// A label read as static text: its text also through the text interface, which is how
// screen readers on Linux read a label's words. Read only: no selection, no caret.
class AccessibleWindowLabel : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleWindowLabel(WindowLabel& label)
        : QAccessibleWidget(&label, QAccessible::StaticText) {}

    QString text(QAccessible::Text which) const override {
        switch (which) {
        case QAccessible::Name:
            return label().accessibleName();
        case QAccessible::Description:
            return label().detail().isEmpty() ? label().text() : label().detail();
        case QAccessible::Value:
            return label().text();
        default:
            return QAccessibleWidget::text(which);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.busy = label().isBusy();
        return state;
    }

    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        auto related = QAccessibleWidget::relations(match);
        if ((match & QAccessible::Label) && label().button() != nullptr) {
            if (QAccessibleInterface* button =
                    QAccessible::queryAccessibleInterface(label().button())) {
                related.append({button, QAccessible::Label});
            }
        }
        return related;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(int startOffset, int endOffset) const override {
        return label().text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(label().text().size()); }
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = offset;
        *endOffset = offset;
        return {};
    }

private:
    WindowLabel& label() const { return *static_cast<WindowLabel*>(widget()); }
};

void tell(QAccessibleEvent&& event) {
    QAccessible::updateAccessibility(&event);
}

} // namespace

WindowLabel::WindowLabel(const QString& text, const QString& accessibleName, QWidget& button,
                         QWidget* parent)
    : QLabel(parent), button_(&button) {
    // Named first, so that assistive technology meets the label as a WindowLabel from its
    // first text on.
    setAccessibleName(accessibleName);
    QLabel::setText(text);
}

void WindowLabel::setText(const QString& text) {
    const QString old = this->text();
    if (text == old) {
        emit textSet(text);
        return;
    }
    QLabel::setText(text);
    tell(QAccessibleTextUpdateEvent(this, 0, old, text));
    if (detail().isEmpty()) {
        tell(QAccessibleEvent(this, QAccessible::DescriptionChanged));
    }
    emit textSet(text);
}

void WindowLabel::setDetail(const QString& detail) {
    if (detail == this->detail()) {
        return;
    }
    setToolTip(detail);
    setWhatsThis(detail);
    setAccessibleDescription(detail); // raises the description change itself
}

void WindowLabel::setBusy(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    QAccessible::State changed;
    changed.busy = true;
    tell(QAccessibleStateChangeEvent(this, changed));
}

void WindowLabel::announce() {
    tell(QAccessibleEvent(this, QAccessible::Alert));
}

QAccessibleInterface* WindowLabel::makeAccessibleInterface() {
    return new AccessibleWindowLabel(*this);
}

} // namespace dissim::ui
