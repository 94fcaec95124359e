#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace dissim::ui {

// While active, swallows the user's input (mouse, keys, shortcuts, wheel, touch) to one
// window and its controls, without disabling anything, so the window looks the same and
// keeps painting but no handler can start.
class InputBlocker : public QObject {
    Q_OBJECT
public:
    explicit InputBlocker(QWidget& window);
    ~InputBlocker() override;

    void setActive(bool active);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool active_ = false;
};

} // namespace dissim::ui
