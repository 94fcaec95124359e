#include "input_blocker.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>

namespace dissim::ui {
namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

InputBlocker::InputBlocker(QWidget& window) : QObject(&window), window_(&window) {}

InputBlocker::~InputBlocker() {
    setActive(false);
}

void InputBlocker::setActive(bool active) {
    if (active == active_) {
        return;
    }
    active_ = active;
    if (active) {
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
    }
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
    if (!active_ || window_ == nullptr || !isUserInput(event->type())) {
        return false;
    }
    // Input from the window system reaches the window's QWindow first, before a press moves
    // the focus; input sent to a control directly is caught at the control.
    if (watched == window_->windowHandle()) {
        return true;
    }
    return watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == window_;
}

} // namespace dissim::ui
