#include "frm_vorlan4.h"

#include "input_blocker.h"
#include "qt_import_dialog.h"
#include "qt_platform.h"
#include "window_label.h"
#include "wrapping_push_button.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QShortcut>
#include <QWhatsThis>

namespace dissim::ui {
namespace {

constexpr int px(int twips) {
    return layout::pixels(twips);
}

// What assistive technology is given for the window's own classes: the window as a frame
// with its title (a plain top-level widget would be read as a mere filler), each label as
// WindowLabel describes.
QAccessibleInterface* accessibleWindowPart(const QString& className, QObject* object) {
    if (className == QLatin1String(frmVorlan4::staticMetaObject.className())) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    if (className == QLatin1String(WindowLabel::staticMetaObject.className())) {
        return static_cast<WindowLabel*>(object)->makeAccessibleInterface();
    }
    return nullptr;
}

void installAccessibleWindowParts() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleWindowPart);
        return true;
    }();
    (void)installed;
}

} // namespace

frmVorlan4::frmVorlan4(TextPrompt& prompt, Beeper& beeper, FileDialogBackend& fileDialog,
                       QWidget* parent)
    : QWidget(parent) {
    installAccessibleWindowParts();
    setObjectName(QLatin1String(layout::kWindowName));
    setWindowTitle(QLatin1String(layout::kWindowTitle));
    setFixedSize(px(layout::kClientWidth), px(layout::kClientHeight));

    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(layout::kBackground.red, layout::kBackground.green,
                                                 layout::kBackground.blue));
    setPalette(background);
    setAutoFillBackground(true);

    // Created in tab order: the first one takes the focus when the window opens.
    for (const layout::Button& button : layout::kButtons) {
        buttons_[button.id] = makeButton(button);
    }
    for (std::size_t i = 0; i + 1 < layout::kButtons.size(); ++i) {
        setTabOrder(buttons_[layout::kButtons[i].id], buttons_[layout::kButtons[i + 1].id]);
    }
    // Each label is named for what it shows and tied to the button whose result it shows.
    for (const layout::Label& label : layout::kLabels) {
        labels_[label.id] = makeLabel(label);
        workflowLabels_[label.id] = std::make_unique<WorkflowLabel>(*labels_[label.id]);
    }
    buttons_[layout::kButtons.front().id]->setFocus();

    inputBlocker_ = new InputBlocker(*this);

    auto* detailKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), this);
    detailKey->setContext(Qt::WindowShortcut);
    connect(detailKey, &QShortcut::activated, this, &frmVorlan4::showFailureDetail);

    // A table chosen at step 2 opens the Import dialog over the window; its list of stimuli is
    // saved through a file dialog like the window's own.
    importDialog_ = std::make_unique<QtImportDialog>(*this);
    WorkflowPlatform platform{prompt, beeper, fileDialog, qtDecimalSeparator()};
    platform.importDialog = importDialog_.get();
    platform.listDialog = &fileDialog;
    workflow_ = std::make_unique<Workflow>(
        WindowLabels{*workflowLabels_[layout::lblSubsStim], *workflowLabels_[layout::lblIfileInfo],
                     *workflowLabels_[layout::lblOfileInfo], *workflowLabels_[layout::lblStatus]},
        platform, static_cast<RunView&>(*this), static_cast<WindowWaker&>(*this));
    for (const layout::Button& button : layout::kButtons) {
        connect(buttons_[button.id], &QPushButton::clicked, this,
                [this, id = button.id] { workflow_->click(id); });
    }
}

frmVorlan4::~frmVorlan4() {
    // A run still going when the window goes (the program is being torn down) must not leave
    // the wait cursor behind. The workflow waits for the run to end.
    setBusy(false);
    workflow_.reset();
}

WrappingPushButton* frmVorlan4::makeButton(const layout::Button& button) {
    auto* pushButton = new WrappingPushButton(QString::fromUtf8(button.caption), this);
    pushButton->setObjectName(QLatin1String(button.name));
    const layout::Place& at = button.place;
    pushButton->setGeometry(px(at.left), px(at.top), px(at.width), px(at.height));
    return pushButton;
}

WindowLabel* frmVorlan4::makeLabel(const layout::Label& label) {
    auto* windowLabel =
        new WindowLabel(QString::fromUtf8(label.startText), QString::fromUtf8(label.accessibleName),
                        *buttons_[label.button], this);
    windowLabel->setObjectName(QLatin1String(label.name));
    const layout::Place& at = label.place;
    windowLabel->setGeometry(px(at.left), px(at.top), px(at.width), px(at.height));
    // Paths and counts are shown as they are, never read as markup.
    windowLabel->setTextFormat(Qt::PlainText);
    windowLabel->setWordWrap(true);
    windowLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    windowLabel->setFocusPolicy(Qt::NoFocus);
    // An opaque box in the colour of the buttons, not text drawn on the window's cyan.
    QPalette box = windowLabel->palette();
    box.setColor(QPalette::Window, box.color(QPalette::Button));
    windowLabel->setPalette(box);
    windowLabel->setAutoFillBackground(true);
    return windowLabel;
}

void frmVorlan4::wake() {
    // Queued to the window's thread; dropped should the window be gone by then.
    QMetaObject::invokeMethod(
        this, [this] { workflow_->deliverRunReports(); }, Qt::QueuedConnection);
}

void frmVorlan4::runEnded(bool done) {
    label(layout::lblStatus).announce();
    emit runFinished(done);
}

void frmVorlan4::setBusy(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    inputBlocker_->setActive(busy);
    label(layout::lblStatus).setBusy(busy);
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void frmVorlan4::showFailureDetail() {
    // The run's detail first (what failed, or its note); without one, why the last setup was
    // refused.
    WindowLabel& status = label(layout::lblStatus);
    WindowLabel& shown = status.detail().isEmpty() ? label(layout::lblSubsStim) : status;
    if (shown.detail().isEmpty()) {
        return;
    }
    // Qt centres the text on the point: just below the label's middle.
    QWhatsThis::showText(shown.mapToGlobal(QPoint(shown.width() / 2, shown.height())),
                         shown.detail(), &shown);
}

void frmVorlan4::closeEvent(QCloseEvent* event) {
    if (workflow_->closeRequested()) {
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace dissim::ui
