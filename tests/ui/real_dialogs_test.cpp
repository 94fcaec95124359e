// The Qt implementations of the prompt and the file dialog, answered as a person would.

#include "frm_vorlan4.h"
#include "modal_answerer.h"
#include "offscreen_test_main.h"
#include "qt_platform.h"
#include "temp_dir.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QTest>

using testsupport::ModalAnswerer;
using testsupport::pressEscape;
using testsupport::typeAndConfirm;

namespace {

// The window over the real Qt prompt and file dialog; only the beep is counted.
struct RealWindow
    : testsupport::WindowOver<dissim::ui::QtTextPrompt, dissim::ui::QtFileDialogBackend> {
    RealWindow() {
        window.show();
        window.activateWindow();
    }
};

} // namespace

class RealDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void promptsAskForBothCounts();
    void promptCancelFailsTheSetup();
    void fileDialogsChooseRememberAndFilter();
};

void RealDialogsTest::promptsAskForBothCounts() {
    RealWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QStringList seen;
    auto record = [&seen](QWidget& dialog) {
        seen << dialog.windowTitle() << dialog.findChild<QLabel*>()->text()
             << testsupport::textField(dialog)->text();
    };
    ModalAnswerer answerer({[&](QWidget& d) { record(d), typeAndConfirm("5")(d); },
                            [&](QWidget& d) { record(d), typeAndConfirm("12")(d); }});
    w.click("cmdSubsStim");
    QCOMPARE(answerer.answered(), 2);
    QCOMPARE(seen, QStringList({"How many subjects?", "Enter # of Subjects:", "",
                                "How many stimuli?", "Enter # of Stimuli:", ""}));
    QCOMPARE(w.text("lblSubsStim"), QStringLiteral("There are  5 subjects and  12 stimuli."));
    QCOMPARE(w.beeper.count, 0);
}

void RealDialogsTest::promptCancelFailsTheSetup() {
    RealWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    ModalAnswerer answerer({typeAndConfirm("3"), pressEscape()});
    w.click("cmdSubsStim");
    QCOMPARE(answerer.answered(), 2);
    QCOMPARE(w.text("lblSubsStim"), QStringLiteral("Oops!  Please Press Option 1 to reenter!"));
    QCOMPARE(w.beeper.count, 3);
    QCOMPARE(w.window.runState().numSubjects.text(), std::string("3"));
}

void RealDialogsTest::fileDialogsChooseRememberAndFilter() {
    testsupport::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    const QString data = folder + "/sortdata"; // no dot in the name
    testsupport::writeFile(data.toStdString(), "1 2\n");
    RealWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));

    QStringList filterTexts;
    QString selectedFilter;
    QStringList allFilesPatterns;
    QString saveTitle, savePrefilled, saveFolder;
    auto inspectOpen = [&](QWidget& dialog) {
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(combo != nullptr);
        for (int i = 0; i < combo->count(); ++i) {
            filterTexts << combo->itemText(i);
        }
        selectedFilter = combo->currentText();
        // Choosing "All Files" must show every file, also names without a dot.
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        allFilesPatterns = dialog.findChild<QFileSystemModel*>()->nameFilters();
        typeAndConfirm(data)(dialog);
    };
    auto inspectSave = [&](QWidget& dialog) {
        saveTitle = dialog.windowTitle();
        savePrefilled = testsupport::textField(dialog)->text();
        saveFolder = static_cast<QFileDialog&>(dialog).directory().absolutePath();
        pressEscape()(dialog);
    };
    ModalAnswerer answerer({inspectOpen, inspectSave, typeAndConfirm(folder + "/out.txt")});

    w.click("cmdDataIn");
    QCOMPARE(w.text("lblIfileInfo"), "Input File = " + data);
    QCOMPARE(filterTexts, QStringList({"All Files (*.*) ", "Text Files (*.txt) "}));
    QCOMPARE(selectedFilter, QStringLiteral("Text Files (*.txt) "));
    QCOMPARE(allFilesPatterns, QStringList({"*"}));

    // Cancelled: the save dialog showed the remembered name, which is now the output path.
    w.click("cmdDataOut");
    QCOMPARE(saveTitle, QStringLiteral("Save As"));
    QCOMPARE(savePrefilled, QStringLiteral("sortdata"));
    QCOMPARE(saveFolder, folder);
    QCOMPARE(w.text("lblOfileInfo"), data);

    w.click("cmdDataOut");
    QCOMPARE(answerer.answered(), 3);
    QCOMPARE(w.text("lblOfileInfo"), folder + "/out.txt");
    QCOMPARE(QString::fromStdString(w.window.runState().outputFile), folder + "/out.txt");
    QCOMPARE(w.beeper.count, 0);
}

DISSIM_OFFSCREEN_TEST_MAIN(RealDialogsTest)
#include "real_dialogs_test.moc"
