#include "frm_vorlan4.h"

#include "input_blocker.h"
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

// The layout is laid down in twips, 15 to the pixel at 96 dots per inch.
constexpr int px(int twips) {
    return twips / 15;
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
    setObjectName(QStringLiteral("frmVorlan4"));
    setWindowTitle(QStringLiteral("Dissimilarity Matix Computation"));
    setFixedSize(px(7110), px(6360));

    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(192, 255, 255));
    setPalette(background);
    setAutoFillBackground(true);

    // Created in tab order: the first one takes the focus when the window opens.
    cmdDataIn =
        makeButton("cmdDataIn", QStringLiteral("2. Select Input File"), 600, 2400, 1575, 735);
    cmdDataOut =
        makeButton("cmdDataOut", QStringLiteral("3. Select Output File"), 600, 3600, 1575, 735);
    cmdSubmit = makeButton("cmdSubmit", QStringLiteral("4. Submit"), 600, 5040, 1575, 735);
    cmdExit = makeButton("cmdExit", QStringLiteral("E&xit"), 3120, 5280, 1095, 495);
    cmdSubsStim = makeButton("cmdSubsStim", QStringLiteral("1. Start Here!"), 600, 960, 1575, 735);
    setTabOrder(cmdDataIn, cmdDataOut);
    setTabOrder(cmdDataOut, cmdSubmit);
    setTabOrder(cmdSubmit, cmdExit);
    setTabOrder(cmdExit, cmdSubsStim);

    // Each label is named for what it shows and tied to the button whose result it shows.
    lblSubsStim = makeLabel("lblSubsStim", QStringLiteral("# of Subjects and Stimuli not Defined"),
                            QStringLiteral("Subjects and stimuli"), *cmdSubsStim, 3720, 840);
    lblIfileInfo = makeLabel("lblIfileInfo", QStringLiteral("Input File Undefined"),
                             QStringLiteral("Input file"), *cmdDataIn, 3720, 2280);
    lblOfileInfo = makeLabel("lblOfileInfo", QStringLiteral("Output File Undefined"),
                             QStringLiteral("Output file"), *cmdDataOut, 3720, 3240);
    lblStatus = makeLabel("lblStatus", QStringLiteral("Waiting for data..."),
                          QStringLiteral("Status"), *cmdSubmit, 3720, 4200);

    cmdDataIn->setFocus();

    inputBlocker_ = new InputBlocker(*this);

    auto* detailKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1), this);
    detailKey->setContext(Qt::WindowShortcut);
    connect(detailKey, &QShortcut::activated, this, &frmVorlan4::showFailureDetail);

    for (auto [i, label] :
         {std::pair{0, lblSubsStim}, {1, lblIfileInfo}, {2, lblOfileInfo}, {3, lblStatus}}) {
        labels_[i] = std::make_unique<WorkflowLabel>(*label);
    }
    workflow_ = std::make_unique<Workflow>(
        WindowLabels{*labels_[0], *labels_[1], *labels_[2], *labels_[3]},
        WorkflowPlatform{prompt, beeper, fileDialog, qtDecimalSeparator()},
        static_cast<RunView&>(*this), static_cast<WindowWaker&>(*this));

    connect(cmdSubsStim, &QPushButton::clicked, this, [this] { workflow_->cmdSubsStimClick(); });
    connect(cmdDataIn, &QPushButton::clicked, this, [this] { workflow_->cmdDataInClick(); });
    connect(cmdDataOut, &QPushButton::clicked, this, [this] { workflow_->cmdDataOutClick(); });
    connect(cmdSubmit, &QPushButton::clicked, this, [this] { workflow_->cmdSubmitClick(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { workflow_->cmdExitClick(); });
}

frmVorlan4::~frmVorlan4() {
    // A run still going when the window goes (the program is being torn down) must not leave
    // the wait cursor behind. The workflow waits for the run to end.
    setBusy(false);
    workflow_.reset();
}

WrappingPushButton* frmVorlan4::makeButton(const char* name, const QString& caption, int left,
                                           int top, int width, int height) {
    auto* button = new WrappingPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(px(left), px(top), px(width), px(height));
    return button;
}

WindowLabel* frmVorlan4::makeLabel(const char* name, const QString& text,
                                   const QString& accessibleName, QWidget& button, int left,
                                   int top) {
    auto* label = new WindowLabel(text, accessibleName, button, this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(px(left), px(top), px(2775), px(735));
    // Paths and counts are shown as they are, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    // An opaque box in the colour of the buttons, not text drawn on the window's cyan.
    QPalette box = label->palette();
    box.setColor(QPalette::Window, box.color(QPalette::Button));
    label->setPalette(box);
    label->setAutoFillBackground(true);
    return label;
}

void frmVorlan4::wake() {
    // Queued to the window's thread; dropped should the window be gone by then.
    QMetaObject::invokeMethod(
        this, [this] { workflow_->deliverRunReports(); }, Qt::QueuedConnection);
}

void frmVorlan4::runEnded(bool done) {
    lblStatus->announce();
    emit runFinished(done);
}

void frmVorlan4::setBusy(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    inputBlocker_->setActive(busy);
    lblStatus->setBusy(busy);
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void frmVorlan4::showFailureDetail() {
    // The run's failure first; without one, why the last setup was refused.
    WindowLabel* label = lblStatus->detail().isEmpty() ? lblSubsStim : lblStatus;
    if (label->detail().isEmpty()) {
        return;
    }
    // Qt centres the text on the point: just below the label's middle.
    QWhatsThis::showText(label->mapToGlobal(QPoint(label->width() / 2, label->height())),
                         label->detail(), label);
}

void frmVorlan4::closeEvent(QCloseEvent* event) {
    if (workflow_->closeRequested()) {
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace dissim::ui
