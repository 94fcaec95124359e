// "2. Select Input File" and "3. Select Output File" over the shared dialog: what each stores
// and shows, what a cancel keeps, what the dialog is asked to show, and the failure paths.

#include "common_dialog.h"
#include "offscreen_test_main.h"
#include "qt_platform.h"
#include "window_fixture.h"

#include <QTest>

using dissim::ui::FileDialogRequest;
using dissim::ui::FileFilter;
using testsupport::WindowFixture;

namespace {

using Filters = std::vector<FileFilter>;
const Filters kInputFilters = {{"All Files (*.*) ", "*.*"}, {"Text Files (*.txt) ", "*.txt"}};

// One step of a scripted session: a button, and how its dialog answers.
struct Step {
    const char* button; // "in", "out" or "setup"
    QString answer;     // a path to confirm, or a null string to cancel
};

} // namespace

Q_DECLARE_METATYPE(std::vector<Step>)

class FileSelectionTest : public QObject {
    Q_OBJECT
private slots:
    void sessions_data();
    void sessions();
    void dialogRequests();
    void failures_data();
    void failures();
    void filterLists_data();
    void filterLists();
    void qtPatterns_data();
    void qtPatterns();
};

void FileSelectionTest::sessions_data() {
    QTest::addColumn<std::vector<Step>>("steps");
    QTest::addColumn<QString>("inputFile");
    QTest::addColumn<QString>("outputFile");
    QTest::addColumn<QString>("inputLabel");
    QTest::addColumn<QString>("outputLabel");
    const QString cancel;
    QTest::newRow("both chosen") << std::vector<Step>{{"in", "/d/codes.txt"}, {"out", "/d/m.out"}}
                                 << "/d/codes.txt"
                                 << "/d/m.out"
                                 << "Input File = /d/codes.txt"
                                 << "/d/m.out";
    QTest::newRow("cancel before any confirmation")
        << std::vector<Step>{{"in", cancel}, {"out", cancel}} << ""
        << ""
        << "Input File = "
        << "";
    QTest::newRow("cancelled save reuses the input path")
        << std::vector<Step>{{"in", "/d/codes.txt"}, {"out", cancel}} << "/d/codes.txt"
        << "/d/codes.txt"
        << "Input File = /d/codes.txt"
        << "/d/codes.txt";
    QTest::newRow("cancel after setup gives the remembered name again")
        << std::vector<Step>{{"in", "/d/a.txt"},
                             {"out", "/d/b.out"},
                             {"setup", {}},
                             {"in", cancel},
                             {"out", cancel}}
        << "/d/b.out"
        << "/d/b.out"
        << "Input File = /d/b.out"
        << "/d/b.out";
    QTest::newRow("setup alone clears the paths")
        << std::vector<Step>{{"in", "/d/a.txt"}, {"out", "/d/b.out"}, {"setup", {}}} << ""
        << ""
        << "Input File Undefined "
        << "Output File Undefined";
    const QString longPath = "/d/" + QString("a folder name ").repeated(12) + "/codes.txt";
    QTest::newRow("a long path: the label keeps its box")
        << std::vector<Step>{{"in", longPath}, {"out", longPath}} << longPath << longPath
        << "Input File = " + longPath << longPath;
    QTest::newRow("names with spaces, markup and non-ASCII letters")
        << std::vector<Step>{{"in", "/d/my data <b>1</b>.txt"}, {"out", "/d/Ergebnisse ä.out"}}
        << "/d/my data <b>1</b>.txt"
        << "/d/Ergebnisse ä.out"
        << "Input File = /d/my data <b>1</b>.txt"
        << "/d/Ergebnisse ä.out";
}

void FileSelectionTest::sessions() {
    QFETCH(std::vector<Step>, steps);
    QFETCH(QString, inputFile);
    QFETCH(QString, outputFile);
    QFETCH(QString, inputLabel);
    QFETCH(QString, outputLabel);
    WindowFixture f;
    for (const Step& step : steps) {
        const QString button = step.button;
        if (button == "setup") {
            f.click("cmdSubsStim");
            continue;
        }
        if (step.answer.isNull()) {
            f.files.cancel();
        } else {
            f.files.confirm(step.answer);
        }
        f.click(button == "in" ? "cmdDataIn" : "cmdDataOut");
    }
    QCOMPARE(QFile::decodeName(f.window.runState().inputFile.c_str()), inputFile);
    QCOMPARE(QFile::decodeName(f.window.runState().outputFile.c_str()), outputFile);
    QCOMPARE(f.text("lblIfileInfo"), inputLabel);
    QCOMPARE(f.text("lblOfileInfo"), outputLabel);
    // Whatever path a label shows, the whole of it is the label's detail.
    const bool inputShown = inputLabel.startsWith("Input File = ");
    const bool outputShown = outputLabel != "Output File Undefined";
    for (const auto& [name, detail] :
         {std::pair{"lblIfileInfo", inputShown ? inputFile : QString()},
          std::pair{"lblOfileInfo", outputShown ? outputFile : QString()}}) {
        QCOMPARE(f.label(name)->toolTip(), detail);
        QCOMPARE(f.label(name)->accessibleDescription(), detail);
    }
    QCOMPARE(f.label("lblIfileInfo")->geometry(), QRect(248, 152, 185, 49));
    QCOMPARE(f.label("lblOfileInfo")->geometry(), QRect(248, 216, 185, 49));
    const int setupBeeps = 3 * int(std::count_if(steps.begin(), steps.end(), [](const Step& s) {
                               return QString(s.button) == "setup";
                           }));
    QCOMPARE(f.beeper.count, setupBeeps); // a cancel is no failure
}

void FileSelectionTest::dialogRequests() {
    WindowFixture f;
    f.files.cancel();
    f.click("cmdDataOut"); // before the input handler: no filter list
    f.files.confirm("/d/codes.txt");
    f.click("cmdDataIn");
    f.click("cmdDataOut"); // afterwards: the input handler's list, the name filled in
    f.click("cmdDataIn");

    const auto& r = f.files.requests;
    QCOMPARE(int(r.size()), 4);
    QCOMPARE(r[0].mode, FileDialogRequest::Mode::Save);
    QCOMPARE(r[0].fileName, QString());
    QVERIFY(r[0].filters.empty());
    QCOMPARE(r[0].selectedFilter, -1);

    QCOMPARE(r[1].mode, FileDialogRequest::Mode::Open);
    QCOMPARE(r[1].filters, kInputFilters);
    QCOMPARE(r[1].selectedFilter, 1); // the setting 2: "Text Files (*.txt) "

    QCOMPARE(r[2].mode, FileDialogRequest::Mode::Save);
    QCOMPARE(r[2].fileName, QStringLiteral("/d/codes.txt"));
    QCOMPARE(r[2].filters, kInputFilters);
    QCOMPARE(r[2].selectedFilter, 1);

    QCOMPARE(r[3].mode, FileDialogRequest::Mode::Open);
    QCOMPARE(r[3].fileName, QStringLiteral("/d/codes.txt"));
    QCOMPARE(r[3].filters, kInputFilters); // built afresh, not added to
}

void FileSelectionTest::failures_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("beeps");
    QTest::newRow("input") << "cmdDataIn" << 3;
    QTest::newRow("output") << "cmdDataOut" << 4;
}

void FileSelectionTest::failures() {
    QFETCH(QString, button);
    QFETCH(int, beeps);
    WindowFixture f;
    f.files.confirm("/d/first.txt");
    f.files.confirm("/d/first.out");
    f.click("cmdDataIn");
    f.click("cmdDataOut");
    const QStringList labelsBefore = {f.text("lblSubsStim"), f.text("lblIfileInfo"),
                                      f.text("lblOfileInfo"), f.text("lblStatus")};

    f.files.fail();
    f.click(qPrintable(button));

    QCOMPARE(f.beeper.count, beeps);
    const QStringList labelsAfter = {f.text("lblSubsStim"), f.text("lblIfileInfo"),
                                     f.text("lblOfileInfo"), f.text("lblStatus")};
    QCOMPARE(labelsAfter, labelsBefore);
    QCOMPARE(f.window.runState().inputFile, std::string("/d/first.txt"));
    QCOMPARE(f.window.runState().outputFile, std::string("/d/first.out"));
}

void FileSelectionTest::filterLists_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Filters>("entries");
    QTest::addColumn<bool>("valid");
    QTest::newRow("the input handler's list")
        << "All Files (*.*) |*.*|Text Files (*.txt) |*.txt|" << kInputFilters << true;
    QTest::newRow("without the closing bar")
        << "All Files (*.*) |*.*|Text Files (*.txt) |*.txt" << kInputFilters << true;
    QTest::newRow("empty") << "" << Filters{} << true;
    QTest::newRow("several patterns")
        << "Data|*.txt;*.dat|" << Filters{{"Data", "*.txt;*.dat"}} << true;
    QTest::newRow("description without pattern") << "All Files|" << Filters{} << false;
    QTest::newRow("three parts") << "a|*.a|b|" << Filters{} << false;
}

void FileSelectionTest::filterLists() {
    QFETCH(QString, text);
    QFETCH(Filters, entries);
    QFETCH(bool, valid);
    if (!valid) {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, dissim::ui::parseFilterList(text));
        return;
    }
    QCOMPARE(dissim::ui::parseFilterList(text), entries);
}

void FileSelectionTest::qtPatterns_data() {
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

void FileSelectionTest::qtPatterns() {
    QFETCH(QString, pattern);
    QFETCH(QString, qt);
    QCOMPARE(dissim::ui::qtPatterns(pattern), qt);
}

DISSIM_OFFSCREEN_TEST_MAIN(FileSelectionTest)
#include "file_selection_test.moc"
