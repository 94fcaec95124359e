#include "frm_vorlan4.h"

#include "exit_handler.h"
#include "file_selection_handlers.h"
#include "input_blocker.h"
#include "run_setup_handler.h"
#include "submit_handler.h"
#include "wrapping_push_button.h"

#include <QCloseEvent>
#include <QLabel>

namespace dissim::ui {
namespace {

// The layout is laid down in twips, 15 to the pixel at 96 dots per inch.
constexpr int px(int twips) {
    return twips / 15;
}

} // namespace

frmVorlan4::frmVorlan4(TextPrompt& prompt, Beeper& beeper, FileDialogBackend& fileDialog,
                       QWidget* parent)
    : QWidget(parent), prompt_(prompt), beeper_(beeper), CommonDialog1(fileDialog), run_(state_) {
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

    lblSubsStim = makeLabel("lblSubsStim", QStringLiteral("# of Subjects and Stimuli not Defined"),
                            3720, 840);
    lblIfileInfo = makeLabel("lblIfileInfo", QStringLiteral("Input File Undefined"), 3720, 2280);
    lblOfileInfo = makeLabel("lblOfileInfo", QStringLiteral("Output File Undefined"), 3720, 3240);
    lblStatus = makeLabel("lblStatus", QStringLiteral("Waiting for data..."), 3720, 4200);

    cmdDataIn->setFocus();

    inputBlocker_ = new InputBlocker(*this);

    connect(cmdSubsStim, &QPushButton::clicked, this, [this] {
        runSetup(state_, {*lblSubsStim, *lblIfileInfo, *lblOfileInfo, *lblStatus}, prompt_,
                 beeper_);
    });
    connect(cmdDataIn, &QPushButton::clicked, this,
            [this] { selectInputFile(state_, *lblIfileInfo, CommonDialog1, beeper_); });
    connect(cmdDataOut, &QPushButton::clicked, this,
            [this] { selectOutputFile(state_, *lblOfileInfo, CommonDialog1, beeper_); });
    connect(cmdSubmit, &QPushButton::clicked, this, [this] {
        inputBlocker_->setActive(true);
        startRun(run_, *lblStatus);
    });
    connect(cmdExit, &QPushButton::clicked, this, [this] { exitProgram(*this); });

    connect(&run_, &BackgroundRun::statusChanged, this,
            [this](const QString& text) { showRunStatus(*lblStatus, text); });
    connect(&run_, &BackgroundRun::runFailing, this,
            [this](const QString&) { reportRunFailing(beeper_); });
    connect(&run_, &BackgroundRun::ended, this, &frmVorlan4::onRunEnded);
}

WrappingPushButton* frmVorlan4::makeButton(const char* name, const QString& caption, int left,
                                           int top, int width, int height) {
    auto* button = new WrappingPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(px(left), px(top), px(width), px(height));
    return button;
}

QLabel* frmVorlan4::makeLabel(const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, this);
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

void frmVorlan4::onRunEnded(bool done, const QString& description) {
    showRunOutcome(*lblStatus, done, description);
    inputBlocker_->setActive(false);
    emit runEnded(done);
    if (closeWhenRunEnds_) {
        closeWhenRunEnds_ = false;
        close();
    }
}

void frmVorlan4::closeEvent(QCloseEvent* event) {
    if (run_.isRunning()) {
        closeWhenRunEnds_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace dissim::ui
