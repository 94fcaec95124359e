// "1. Start Here!": the three ways out of the setup, the count check and the summary.

#include "offscreen_test_main.h"
#include "window_fixture.h"
#include "window_label.h"

#include <QTest>

using testsupport::WindowFixture;

namespace {

const QString kFailure = QStringLiteral("Oops!  Please Press Option 1 to reenter!");

// Leaves an earlier setup's counts and both paths in place, so that what a setup keeps and
// what it clears can be told apart.
void setUpEarlierRun(WindowFixture& f) {
    f.prompt.answers = {"4", "9"};
    f.click("cmdSubsStim");
    f.files.confirm("/data/earlier.txt");
    f.files.confirm("/data/earlier.out");
    f.click("cmdDataIn");
    f.click("cmdDataOut");
    f.beeper.count = 0;
    f.prompt.asked.clear();
}

} // namespace

class RunSetupTest : public QObject {
    Q_OBJECT
private slots:
    void waysOut_data();
    void waysOut();
    void summaryShowsEachCountFromItsValue_data();
    void summaryShowsEachCountFromItsValue();
    void promptsAskInOrderWithTheirTitles();
    void setupClearsAFailureNoteOfTheLastRun();
    void nextSetupClearsTheReason();
};

void RunSetupTest::waysOut_data() {
    QTest::addColumn<QStringList>("answers"); // a null entry is Cancel
    QTest::addColumn<QString>("subjects");    // what RunState holds afterwards
    QTest::addColumn<QString>("stimuli");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<int>("prompts");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("reason"); // the detail of lblSubsStim

    const QString earlierSubjects = "4";
    const QString earlierStimuli = "9";
    // Both accepted.
    QTest::newRow("5 and 12") << QStringList{"5", "12"} << "5"
                              << "12" << 0 << 2 << "There are  5 subjects and  12 stimuli."
                              << "";
    QTest::newRow("1 passes") << QStringList{"1", "1"} << "1"
                              << "1" << 0 << 2 << "There are  1 subjects and  1 stimuli."
                              << "";
    QTest::newRow("leading zeros kept as typed")
        << QStringList{"007", " 12 "} << "007"
        << " 12 " << 0 << 2 << "There are  7 subjects and  12 stimuli."
        << "";
    QTest::newRow("sign, exponent, whole decimal")
        << QStringList{"+3", "1e2"} << "+3"
        << "1e2" << 0 << 2 << "There are  3 subjects and  100 stimuli."
        << "";
    QTest::newRow("a whole number written with a point")
        << QStringList{"2.0", "3."} << "2.0"
        << "3." << 0 << 2 << "There are  2 subjects and  3 stimuli."
        << "";
    // First answer rejected: nothing stored, the second prompt never shown.
    struct Refused {
        const char* row;
        QString answer;
        const char* reason;
    };
    for (const auto& [row, answer, reason] : std::initializer_list<Refused>{
             {"first Cancel", QString(), "no answer was given"},
             {"first empty", QString(""), "no answer was given"},
             {"first blanks", QString("  "), "no answer was given"},
             {"first 0", QString("0"), "0 is below 1"},
             {"first negative", QString("-3"), "-3 is below 1"},
             {"first letters", QString("five"), "five is not a number"},
             {"first fraction", QString("2.5"), "2.5 is not a whole number"},
             {"first 0.5", QString("0.5"), "0.5 is below 1"},
             {"first number and letters", QString("5x"), "5x is not a number"},
             {"first two numbers", QString("5 6"), "5 6 is not a number"}}) {
        QTest::newRow(row) << QStringList{answer, "12"} << earlierSubjects << earlierStimuli << 3
                           << 1 << kFailure << reason;
    }
    // Second answer rejected: the new subject count stays.
    for (const auto& [row, answer, reason] : std::initializer_list<Refused>{
             {"second Cancel", QString(), "no answer was given"},
             {"second 0", QString("0"), "0 is below 1"},
             {"second letters", QString("abc"), "abc is not a number"},
             {"second fraction", QString("3.5"), "3.5 is not a whole number"},
             {"second comma", QString("1,5"), "1,5 is not a number"},
             {"second typed with blanks", QString(" 2.5 "), "2.5 is not a whole number"}}) {
        QTest::newRow(row) << QStringList{"6", answer} << "6" << earlierStimuli << 3 << 2
                           << kFailure << reason;
    }
}

void RunSetupTest::waysOut() {
    QFETCH(QStringList, answers);
    QFETCH(QString, subjects);
    QFETCH(QString, stimuli);
    QFETCH(int, beeps);
    QFETCH(int, prompts);
    QFETCH(QString, summary);
    QFETCH(QString, reason);
    WindowFixture f;
    setUpEarlierRun(f);

    f.prompt.answers = answers;
    f.click("cmdSubsStim");

    QCOMPARE(f.beeper.count, beeps);
    QCOMPARE(int(f.prompt.asked.size()), prompts);
    QCOMPARE(QString::fromStdString(f.window.runState().numSubjects.text()), subjects);
    QCOMPARE(QString::fromStdString(f.window.runState().numStimuli.text()), stimuli);
    QCOMPARE(f.window.runState().inputFile, std::string());
    QCOMPARE(f.window.runState().outputFile, std::string());
    QCOMPARE(f.text("lblSubsStim"), summary);
    QCOMPARE(f.text("lblIfileInfo"), QStringLiteral("Input File Undefined "));
    QCOMPARE(f.text("lblOfileInfo"), QStringLiteral("Output File Undefined"));
    QCOMPARE(f.text("lblStatus"), QStringLiteral("Waiting for data ... "));
    // Why the count was refused, kept beside the failure text; the paths shown before are gone
    // and with them their details.
    QLabel* counts = f.label("lblSubsStim");
    QCOMPARE(counts->toolTip(), reason);
    QCOMPARE(counts->accessibleDescription(), reason);
    QCOMPARE(counts->whatsThis(), reason);
    QCOMPARE(f.label("lblIfileInfo")->toolTip(), QString());
    QCOMPARE(f.label("lblOfileInfo")->toolTip(), QString());
    // The dialog's remembered name is not the setup's to clear.
    QCOMPARE(f.window.commonDialog().fileName(), QStringLiteral("/data/earlier.out"));
}

void RunSetupTest::summaryShowsEachCountFromItsValue_data() {
    QTest::addColumn<QString>("subjects");
    QTest::addColumn<QString>("stimuli");
    QTest::addColumn<QString>("summary");
    QTest::newRow("two digits") << "10"
                                << "99"
                                << "There are  10 subjects and  99 stimuli.";
    QTest::newRow("large stimulus count") << "300"
                                          << "32767"
                                          << "There are  300 subjects and  32767 stimuli.";
    QTest::newRow("round numbers in plain digits")
        << "100000"
        << "1e6"
        << "There are  100000 subjects and  1000000 stimuli.";
    QTest::newRow("exponent with sign") << "1E+1"
                                        << "2e0"
                                        << "There are  10 subjects and  2 stimuli.";
}

void RunSetupTest::summaryShowsEachCountFromItsValue() {
    QFETCH(QString, subjects);
    QFETCH(QString, stimuli);
    QFETCH(QString, summary);
    WindowFixture f;
    f.prompt.answers = {subjects, stimuli};
    f.click("cmdSubsStim");
    QCOMPARE(f.beeper.count, 0);
    QCOMPARE(f.text("lblSubsStim"), summary);
}

void RunSetupTest::promptsAskInOrderWithTheirTitles() {
    WindowFixture f;
    f.prompt.answers = {"5", "12", "", ""};
    f.click("cmdSubsStim");
    f.click("cmdSubsStim");
    using Asked = std::pair<QString, QString>;
    const std::vector<Asked> expected = {
        {"Enter # of Subjects:", "How many subjects?"},
        {"Enter # of Stimuli:", "How many stimuli?"},
        {"Enter # of Subjects:", "How many subjects?"}, // a second use starts afresh
    };
    QCOMPARE(f.prompt.asked, expected);
    QCOMPARE(f.beeper.count, 3);
    QCOMPARE(f.text("lblSubsStim"), kFailure);
}

void RunSetupTest::setupClearsAFailureNoteOfTheLastRun() {
    WindowFixture f;
    QLabel* status = f.label("lblStatus");
    qobject_cast<dissim::ui::WindowLabel*>(status)->setDetail("the input file cannot be opened");
    f.click("cmdSubsStim"); // Cancel: the setup fails, but after it reset the labels
    QCOMPARE(status->toolTip(), QString());
    QCOMPARE(status->accessibleDescription(), QString());
}

void RunSetupTest::nextSetupClearsTheReason() {
    WindowFixture f;
    QLabel* counts = f.label("lblSubsStim");
    f.prompt.answers = {"2.5"};
    f.click("cmdSubsStim");
    QCOMPARE(counts->toolTip(), QStringLiteral("2.5 is not a whole number"));
    // Cleared as soon as the next setup resets the labels, before any answer is given.
    f.prompt.answers = {"3", "4"};
    f.click("cmdSubsStim");
    QCOMPARE(f.text("lblSubsStim"), QStringLiteral("There are  3 subjects and  4 stimuli."));
    QCOMPARE(counts->toolTip(), QString());
    QCOMPARE(counts->accessibleDescription(), QString());
}

DISSIM_OFFSCREEN_TEST_MAIN(RunSetupTest)
#include "run_setup_test.moc"
