#include "wrapping_push_button.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace dissim::ui {

WrappingPushButton::WrappingPushButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    // Outside a dialog these are off already; said here because no button of the window may
    // take Enter away from the focused one.
    setAutoDefault(false);
    setDefault(false);
}

int WrappingPushButton::captionFlags(const QStyleOptionButton& option) const {
    int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this)) {
        flags |= Qt::TextHideMnemonic;
    }
    return flags;
}

QRect WrappingPushButton::contentsArea(const QStyleOptionButton& option) const {
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

QRect WrappingPushButton::captionRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return fontMetrics().boundingRect(contentsArea(option), captionFlags(option), text());
}

void WrappingPushButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // Styles draw their focus frame only once the keyboard has moved the focus; a person
    // should see from the start, and after a click, which button Space and Enter press.
    if (hasFocus()) {
        option.state |= QStyle::State_KeyboardFocusChange;
    }
    QRect area = contentsArea(option);
    const int flags = captionFlags(option);
    // The style draws the button without its text; the caption follows, wrapped.
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    if (hasFocus()) {
        // The style's focus frame once more, just inside the button's edge: a line as thin as
        // most styles draw it is easy to miss.
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.rect = rect().adjusted(1, 1, -1, -1);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }

    if (isDown() || isChecked()) {
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    painter.drawItemText(area, flags, palette(), isEnabled(), text(), QPalette::ButtonText);
}

void WrappingPushButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers others = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && others == Qt::NoModifier) {
        if (!event->isAutoRepeat()) {
            click();
        }
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace dissim::ui
