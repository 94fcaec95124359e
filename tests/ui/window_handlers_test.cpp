// The Qt window's side of the workflow's handlers: each button reaches its handler, what the
// handlers write shows on the real labels (text, tooltip, What's This and what assistive
// technology reads), paths pass between Qt and the engine unchanged, and Qt's file dialog
// reads the filter patterns.

#include "offscreen_test_main.h"
#include "qt_platform.h"
#include "window_fixture.h"
#include "window_label.h"

#include <QAccessible>
#include <QTest>

using testsupport::WindowFixture;

namespace {

// The detail of a label as every reader sees it: its tooltip, What's This text and, for
// assistive technology, its description (its text when it has no detail).
void expectDetail(QLabel* label, const QString& detail) {
    QCOMPARE(label->toolTip(), detail);
    QCOMPARE(label->whatsThis(), detail);
    QCOMPARE(label->accessibleDescription(), detail);
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(label);
    QVERIFY(read != nullptr);
    QCOMPARE(read->text(QAccessible::Description), detail.isEmpty() ? label->text() : detail);
}

} // namespace

class WindowHandlersTest : public QObject {
    Q_OBJECT
private slots:
    void setupShowsItsSummaryAndItsRefusal();
    void setupClearsAFailureDetailOfTheLastRun();
    void filesShowWholePathsInFixedBoxes_data();
    void filesShowWholePathsInFixedBoxes();
    void qtPatterns_data();
    void qtPatterns();
};

void WindowHandlersTest::setupShowsItsSummaryAndItsRefusal() {
    WindowFixture f;
    f.prompt.answers = {"5", "12"};
    f.click("cmdSubsStim");
    QCOMPARE(f.text("lblSubsStim"), QStringLiteral("There are  5 subjects and  12 stimuli."));
    QCOMPARE(f.text("lblStatus"), QStringLiteral("Waiting for data ... "));
    expectDetail(f.label("lblSubsStim"), QString());

    f.prompt.answers = {"6", "2.5"};
    f.click("cmdSubsStim");
    QCOMPARE(f.beeper.count, 3);
    QCOMPARE(f.text("lblSubsStim"), QStringLiteral("Oops!  Please Press Option 1 to reenter!"));
    expectDetail(f.label("lblSubsStim"), QStringLiteral("2.5 is not a whole number"));
    QCOMPARE(f.window.runState().numSubjects.text(), std::string("6"));
    QCOMPARE(f.window.runState().numStimuli.text(), std::string("12"));

    // Cleared as soon as the next setup resets the labels.
    f.prompt.answers = {"3", "4"};
    f.click("cmdSubsStim");
    expectDetail(f.label("lblSubsStim"), QString());
}

void WindowHandlersTest::setupClearsAFailureDetailOfTheLastRun() {
    WindowFixture f;
    auto* status = qobject_cast<dissim::ui::WindowLabel*>(f.label("lblStatus"));
    status->setDetail("the input file cannot be opened");
    f.click("cmdSubsStim"); // Cancel: the setup fails, but after it reset the labels
    expectDetail(status, QString());
}

void WindowHandlersTest::filesShowWholePathsInFixedBoxes_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("short") << "/d/codes.txt";
    QTest::newRow("long, with spaces")
        << "/d/" + QString("a folder name ").repeated(12) + "/codes.txt";
    QTest::newRow("markup and letters beyond ASCII") << QString::fromUtf8("/d/<b>Zoë</b> 分類.txt");
}

void WindowHandlersTest::filesShowWholePathsInFixedBoxes() {
    QFETCH(QString, path);
    WindowFixture f;
    f.files.confirm(path);
    f.click("cmdDataIn");
    f.files.cancel(); // the shared dialog still holds the input's name
    f.click("cmdDataOut");

    QCOMPARE(f.text("lblIfileInfo"), "Input File = " + path);
    QCOMPARE(f.text("lblOfileInfo"), path);
    expectDetail(f.label("lblIfileInfo"), path);
    expectDetail(f.label("lblOfileInfo"), path);
    QCOMPARE(dissim::ui::fromEnginePath(f.window.runState().inputFile), path);
    QCOMPARE(dissim::ui::fromEnginePath(f.window.runState().outputFile), path);
    QCOMPARE(f.label("lblIfileInfo")->geometry(), QRect(248, 152, 185, 49));
    QCOMPARE(f.label("lblOfileInfo")->geometry(), QRect(248, 216, 185, 49));
    // Shown as it is, never read as markup.
    QCOMPARE(f.label("lblIfileInfo")->textFormat(), Qt::PlainText);
    QCOMPARE(f.beeper.count, 0);
}

void WindowHandlersTest::qtPatterns_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("qt");
    QTest::newRow("every file, also without a dot") << "*.*"
                                                    << "*";
    QTest::newRow("text files") << "*.txt"
                                << "*.txt";
    QTest::newRow("several") << "*.txt;*.*; *.dat"
                             << "*.txt * *.dat";
    QTest::newRow("empty shows everything") << ""
                                            << "*";
}

void WindowHandlersTest::qtPatterns() {
    QFETCH(QString, pattern);
    QFETCH(QString, qt);
    QCOMPARE(dissim::ui::qtPatterns(pattern), qt);
}

DISSIM_OFFSCREEN_TEST_MAIN(WindowHandlersTest)
#include "window_handlers_test.moc"
