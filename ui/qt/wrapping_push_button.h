#pragma once

#include <QPushButton>

class QStyleOptionButton;

namespace dissim::ui {

// A push button whose caption wraps at its spaces onto further lines when it is too wide for
// the button, instead of being cut off at both ends. Enter presses it when it has the focus,
// as Space does. The focused button always shows the style's focus frame.
class WrappingPushButton : public QPushButton {
    Q_OBJECT
public:
    WrappingPushButton(const QString& caption, QWidget* parent);

    // Where the caption is drawn: the wrapped text's bounding box, centred in the button.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The flags and the area of the caption for the button's present style option.
    int captionFlags(const QStyleOptionButton& option) const;
    QRect contentsArea(const QStyleOptionButton& option) const;
};

} // namespace dissim::ui
