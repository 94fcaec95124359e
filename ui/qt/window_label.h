#pragma once

#include "label.h"

#include <QLabel>
#include <QPointer>

class QAccessibleInterface;

namespace dissim::ui {

// One of the window's four labels: a box of fixed size that shows a text, wrapped and cut off
// where the box ends. What does not fit, or what the text only sums up, is the label's detail:
// a whole path, why a typed count was refused, what failed in a run and where. The detail is
// the label's tooltip and What's This text and, for assistive technology, its description.
//
// Assistive technology reads the label by a fixed name saying what it shows, its present
// text as its value (and as its description while it has no detail), the button whose
// result it shows as the control that labels it, and whether it is busy; it hears of every
// change of text, detail and busy state.
class WindowLabel : public QLabel {
    Q_OBJECT
public:
    WindowLabel(const QString& text, const QString& accessibleName, QWidget& button,
                QWidget* parent);

    // Replaces the text as QLabel::setText does, and tells assistive technology.
    void setText(const QString& text);

    QString detail() const { return toolTip(); }
    // Empty text clears the detail.
    void setDetail(const QString& detail);

    bool isBusy() const { return busy_; }
    void setBusy(bool busy);

    // Raises an alert on the label, for news a person should hear at once.
    void announce();

    QWidget* button() const { return button_; }

    // The label's accessible interface, for the window's accessibility factory.
    QAccessibleInterface* makeAccessibleInterface();

signals:
    // Each time a text is set, also when it is the one already shown (a run sets "Writing
    // output matrices..." once for every subject).
    void textSet(const QString& text);

private:
    QPointer<QWidget> button_;
    bool busy_ = false;
};

// A WindowLabel as the workflow writes it, in UTF-8.
class WorkflowLabel : public Label {
public:
    explicit WorkflowLabel(WindowLabel& label) : label_(label) {}
    void setText(const std::string& text) override { label_.setText(QString::fromStdString(text)); }
    void setDetail(const std::string& detail) override {
        label_.setDetail(QString::fromStdString(detail));
    }

private:
    WindowLabel& label_;
};

} // namespace dissim::ui
