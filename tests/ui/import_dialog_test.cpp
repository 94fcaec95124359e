// The Import dialog in the Qt window: a table chosen at step 2 opens it over the real workflow
// and model; each choice redraws what comes of it; OK, Cancel, Save List and the keyboard do
// what they say; and a run after OK writes the matrices of the same study given as plain sort
// data. Controls are found by the names every window gives them (import_texts.h).

#include "import_texts.h"
#include "modal_answerer.h"
#include "offscreen_test_main.h"
#include "temp_dir.h"
#include "window_fixture.h"
#include "worked_example.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <filesystem>
#include <functional>

using testsupport::ModalAnswerer;
using testsupport::TempDir;
using testsupport::WindowFixture;
namespace names = dissim::ui::import_texts::names;

namespace {

// The worked example (subject 1: apple and banana together; subject 2: banana and cherry) as
// researchers keep it.
const QByteArray kStimulusRows = ",S1,S2\napple,fruit,red\nbanana,fruit,yellow\n"
                                 "cherry,stone,yellow\n";
const QByteArray kSubjectRows = "subject,apple,banana,cherry\nS1,1,1,2\nS2,5,6,6\n";
const QByteArray kLong = "subject,card,group\nS1,banana,1\nS1,cherry,2\nS1,apple,1\n"
                         "S2,cherry,b\nS2,apple,a\nS2,banana,b\n";
const QByteArray kGroupRows = "subject,apple,banana,cherry\nS1,1,1,0\nS1,0,0,1\nS2,1,0,0\n"
                              "S2,0,1,1\n";
// The long table with subject 2's cherry unsorted.
const QByteArray kLongUnsorted = "subject,card,group\nS1,banana,1\nS1,cherry,2\nS1,apple,1\n"
                                 "S2,cherry,\nS2,apple,a\nS2,banana,b\n";

QWidget* control(QWidget& dialog, const char* name) {
    return dialog.findChild<QWidget*>(QLatin1String(name));
}

QStringList lines(QWidget& dialog, const char* name) {
    QStringList texts;
    auto* list = static_cast<QListWidget*>(control(dialog, name));
    for (int i = 0; i < list->count(); ++i) {
        texts << list->item(i)->text();
    }
    return texts;
}

QString labelText(QWidget& dialog, const char* name) {
    return static_cast<QLabel*>(control(dialog, name))->text();
}

// A choice as a person makes it: "cboLayout=2" picks a combo box's third entry,
// "chkNamesInFirstRow=0" clears a check box.
void choose(QWidget& dialog, const QString& move) {
    const QStringList parts = move.split(u'=');
    QWidget* target = control(dialog, parts[0].toLatin1().constData());
    QVERIFY2(target != nullptr && target->isVisible() && target->isEnabled(), qPrintable(move));
    if (auto* combo = qobject_cast<QComboBox*>(target)) {
        combo->setCurrentIndex(parts[1].toInt());
    } else {
        static_cast<QCheckBox*>(target)->setChecked(parts[1] == QLatin1String("1"));
    }
}

// The names of the controls that show, and of those that take input.
QStringList shownControls(QWidget& dialog, bool enabledOnly) {
    QStringList shown;
    for (const char* name :
         {names::kSheet, names::kSeparator, names::kLayout, names::kNamesInFirstRow,
          names::kNamesInFirstColumn, names::kSubjectColumn, names::kStimulusColumn,
          names::kGroupColumn, names::kFirstStimulusColumn, names::kLastStimulusColumn,
          names::kMissing, names::kPreview, names::kStimuli, names::kSaveList, names::kProblems,
          names::kOk, names::kCancel}) {
        QWidget* widget = control(dialog, name);
        if (widget->isVisible() && (!enabledOnly || widget->isEnabled())) {
            shown << QLatin1String(name);
        }
    }
    return shown;
}

// A window whose step 2 chooses a table file; the dialog, if one opens, is handed to `act`.
struct TableChosen {
    TempDir dir;
    WindowFixture f;
    std::string input;
    QString dialogName;

    void choose(const QByteArray& bytes, const std::function<void(QWidget&)>& act,
                const char* fileName = "study.csv") {
        input = dir.file(fileName);
        testsupport::writeFile(input, bytes.toStdString());
        f.files.confirm(input);
        ModalAnswerer answerer({[&](QWidget& dialog) {
            dialogName = dialog.objectName();
            act(dialog);
        }});
        f.click("cmdDataIn");
    }
};

void pressOk(QWidget& dialog) {
    static_cast<QPushButton*>(control(dialog, names::kOk))->click();
}

} // namespace

class ImportDialogTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnlyForTables_data();
    void opensOnlyForTables();
    void eachLayoutShowsItsColumns_data();
    void eachLayoutShowsItsColumns();
    void choicesRedrawWhatComesOfThem_data();
    void choicesRedrawWhatComesOfThem();
    void okReadsTheTableAndTheRunWritesItsMatrices_data();
    void okReadsTheTableAndTheRunWritesItsMatrices();
    void closedWithoutOkTheFileStaysSortData_data();
    void closedWithoutOkTheFileStaysSortData();
    void saveListWritesTheStimuli_data();
    void saveListWritesTheStimuli();
    void aFileThatIsNoTableOffersOnlyCancel();
    void aWorkbookOffersItsSheets();
    void keyboardAlone_data();
    void keyboardAlone();
};

void ImportDialogTest::opensOnlyForTables_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("counts"); // typed at step 1; empty: none
    QTest::addColumn<bool>("opens");
    QTest::newRow("plain sort data")
        << QByteArray("1 1 2\n5,6,6\n") << QStringList{"2", "3"} << false;
    QTest::newRow("names among the items") << kStimulusRows << QStringList() << true;
    QTest::newRow("lines one per stimulus for the typed counts")
        << QByteArray("1 5\n1 6\n2 6\n") << QStringList{"2", "3"} << true;
}

void ImportDialogTest::opensOnlyForTables() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, counts);
    QFETCH(bool, opens);
    TableChosen t;
    if (!counts.isEmpty()) {
        t.f.prompt.answers = counts;
        t.f.click("cmdSubsStim");
    }
    t.choose(bytes, [](QWidget& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QCOMPARE(t.dialogName, opens ? QLatin1String(names::kDialog) : QString());
    QCOMPARE(t.f.text("lblIfileInfo"), QString::fromStdString("Input File = " + t.input));
    QVERIFY(!t.f.window.runState().tableReading.has_value());
}

void ImportDialogTest::eachLayoutShowsItsColumns_data() {
    QTest::addColumn<int>("layout");
    QTest::addColumn<QStringList>("columns"); // the column choices shown
    QTest::addColumn<bool>("firstColumn");    // the first-column box enabled
    QTest::newRow("rows are subjects") << 0 << QStringList() << true;
    QTest::newRow("rows are stimuli") << 1 << QStringList() << true;
    QTest::newRow("long") << 2
                          << QStringList{names::kSubjectColumn, names::kStimulusColumn,
                                         names::kGroupColumn}
                          << false;
    QTest::newRow("group rows") << 3
                                << QStringList{names::kSubjectColumn, names::kFirstStimulusColumn,
                                               names::kLastStimulusColumn}
                                << false;
}

void ImportDialogTest::eachLayoutShowsItsColumns() {
    QFETCH(int, layout);
    QFETCH(QStringList, columns);
    QFETCH(bool, firstColumn);
    QStringList shown;
    bool firstColumnEnabled = false;
    QStringList choices;
    TableChosen t;
    t.choose(kStimulusRows, [&](QWidget& dialog) {
        choose(dialog, QStringLiteral("cboLayout=%1").arg(layout));
        for (const QString& name : shownControls(dialog, false)) {
            if (name.contains(QLatin1String("Column")) && name.startsWith(QLatin1String("cbo"))) {
                shown << name;
            }
        }
        firstColumnEnabled = control(dialog, names::kNamesInFirstColumn)->isEnabled();
        auto* subject = static_cast<QComboBox*>(control(dialog, names::kSubjectColumn));
        for (int i = 0; i < subject->count(); ++i) {
            choices << subject->itemText(i);
        }
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QCOMPARE(shown, columns);
    QCOMPARE(firstColumnEnabled, firstColumn);
    if (!columns.isEmpty()) {
        QCOMPARE(choices, QStringList({"A", "B: S1", "C: S2"}));
    }
}

void ImportDialogTest::choicesRedrawWhatComesOfThem_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("moves");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QStringList>("stimuli");
    QTest::addColumn<QString>("problem"); // a piece of the first problem; "None." for none
    QTest::addColumn<bool>("ok");
    const QStringList fruit = {"1  apple", "2  banana", "3  cherry"};
    QTest::newRow("stimulus rows as guessed")
        << kStimulusRows << QStringList() << "2 subjects, 3 stimuli; groups given as words" << fruit
        << "None." << true;
    QTest::newRow("read as subject rows") << kStimulusRows << QStringList{"cboLayout=0"}
                                          << "3 subjects, 2 stimuli; groups given as words"
                                          << QStringList{"1  S1", "2  S2"} << "None." << true;
    QTest::newRow("the header row as data")
        << kStimulusRows << QStringList{"chkNamesInFirstRow=0"} << "2 subjects, 4 stimuli"
        << QStringList{"1  1", "2  apple", "3  banana", "4  cherry"} << "None." << true;
    QTest::newRow("semicolons read as commas, then as semicolons")
        << QByteArray(kSubjectRows).replace(',', ';')
        << QStringList{"cboSeparator=0", "cboSeparator=1"}
        << "2 subjects, 3 stimuli; groups given as numbers 1 to 6" << fruit << "None." << true;
    QTest::newRow("long, an unsorted card stops the import")
        << kLongUnsorted << QStringList{"cboMissing=0"} << "2 subjects, 3 stimuli" << QStringList()
        << "C5" << false;
    QTest::newRow("long, an unsorted card a group of its own")
        << kLongUnsorted << QStringList{"cboMissing=1"} << "2 subjects, 3 stimuli" << fruit << "C5"
        << true;
    QTest::newRow("long, the subject who left a card unsorted left out")
        << kLongUnsorted << QStringList{"cboMissing=2"} << "1 subject left out" << fruit << "C5"
        << true;
    QTest::newRow("long, no group column")
        << kLong << QStringList{"cboGroupColumn=-1"} << "" << QStringList() << "group" << false;
    QTest::newRow("group rows, two stimulus columns")
        << kGroupRows << QStringList{"cboLayout=3", "cboLastStimulusColumn=2"}
        << "2 subjects, 2 stimuli" << QStringList{"1  apple", "2  banana"} << "" << true;
}

void ImportDialogTest::choicesRedrawWhatComesOfThem() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, moves);
    QFETCH(QString, found);
    QFETCH(QStringList, stimuli);
    QFETCH(QString, problem);
    QFETCH(bool, ok);
    QString shownFound, refusal;
    QStringList shownStimuli, problems;
    bool okEnabled = false;
    TableChosen t;
    t.choose(bytes, [&](QWidget& dialog) {
        for (const QString& move : moves) {
            choose(dialog, move);
        }
        shownFound = labelText(dialog, names::kFound);
        shownStimuli = lines(dialog, names::kStimuli);
        problems = lines(dialog, names::kProblems);
        refusal = labelText(dialog, names::kRefusal);
        okEnabled = control(dialog, names::kOk)->isEnabled();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QVERIFY2(shownFound.contains(found), qPrintable(shownFound));
    if (ok || !stimuli.isEmpty()) {
        QCOMPARE(shownStimuli, stimuli);
    }
    QVERIFY(!problems.isEmpty());
    QVERIFY2(problems.first().contains(problem), qPrintable(problems.join('\n')));
    QCOMPARE(okEnabled, ok);
    QCOMPARE(refusal.isEmpty(), ok);
}

void ImportDialogTest::okReadsTheTableAndTheRunWritesItsMatrices_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("moves");
    QTest::addColumn<QString>("reading"); // a piece of the input label's detail
    QTest::newRow("stimulus rows, words")
        << kStimulusRows << QStringList() << "rows are stimuli, the first row names the subjects";
    QTest::newRow("subject rows, numbers")
        << kSubjectRows << QStringList() << "rows are subjects, the first row names the stimuli";
    QTest::newRow("long, shuffled cards")
        << kLong << QStringList() << "one row per subject and stimulus (subject: column A";
    QTest::newRow("group rows") << kGroupRows << QStringList{"cboLayout=3"} << "one row per group";
}

void ImportDialogTest::okReadsTheTableAndTheRunWritesItsMatrices() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, moves);
    QFETCH(QString, reading);
    TableChosen t;
    t.choose(bytes, [&](QWidget& dialog) {
        for (const QString& move : moves) {
            choose(dialog, move);
        }
        pressOk(dialog);
    });
    QCOMPARE(t.dialogName, QLatin1String(names::kDialog));
    const dissim::RunState& state = t.f.window.runState();
    QVERIFY(state.tableReading.has_value());
    QCOMPARE(state.tableReading->path, t.input);
    QCOMPARE(state.numSubjects.text(), std::string("2"));
    QCOMPARE(state.numStimuli.text(), std::string("3"));
    QCOMPARE(t.f.text("lblSubsStim"), QStringLiteral("There are  2 subjects and  3 stimuli."));
    const QString detail = t.f.label("lblIfileInfo")->toolTip();
    QVERIFY2(detail.contains(reading), qPrintable(detail));

    const std::string output = t.dir.file("matrices.txt");
    t.f.files.confirm(output);
    t.f.click("cmdDataOut");
    QSignalSpy ended(&t.f.window, &dissim::ui::frmVorlan4::runFinished);
    t.f.click("cmdSubmit");
    QVERIFY(ended.wait(10000));
    QCOMPARE(t.f.beeper.count, 0);
    QCOMPARE(testsupport::readFile(output), testsupport::kMatricesOfBoth);
}

void ImportDialogTest::closedWithoutOkTheFileStaysSortData_data() {
    QTest::addColumn<int>("how"); // 0: Cancel clicked, 1: Escape, 2: the window closed
    QTest::newRow("Cancel") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("closed") << 2;
}

void ImportDialogTest::closedWithoutOkTheFileStaysSortData() {
    QFETCH(int, how);
    TableChosen t;
    t.f.prompt.answers = {"2", "3"};
    t.f.click("cmdSubsStim");
    t.choose(kStimulusRows, [how](QWidget& dialog) {
        if (how == 0) {
            static_cast<QPushButton*>(control(dialog, names::kCancel))->click();
        } else if (how == 1) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            dialog.close();
        }
    });
    QCOMPARE(t.dialogName, QLatin1String(names::kDialog));
    QVERIFY(!t.f.window.runState().tableReading.has_value());
    QCOMPARE(t.f.text("lblSubsStim"), QStringLiteral("There are  2 subjects and  3 stimuli."));
    // Read as sort data, the names are no codes: the run fails as for any such file.
    t.f.files.confirm(t.dir.file("matrices.txt"));
    t.f.click("cmdDataOut");
    QSignalSpy ended(&t.f.window, &dissim::ui::frmVorlan4::runFinished);
    t.f.click("cmdSubmit");
    QVERIFY(ended.wait(10000));
    QCOMPARE(ended.first().first().toBool(), false);
    QCOMPARE(t.f.beeper.count, 5);
}

void ImportDialogTest::saveListWritesTheStimuli_data() {
    QTest::addColumn<int>("answer");   // 0: a path confirmed, 1: cancelled, 2: no such folder
    QTest::addColumn<QString>("said"); // a piece of the result shown; empty: nothing shown
    QTest::newRow("saved") << 0 << "stimuli.txt";
    QTest::newRow("cancelled") << 1 << "";
    QTest::newRow("no such folder") << 2 << "no such folder";
}

void ImportDialogTest::saveListWritesTheStimuli() {
    QFETCH(int, answer);
    QFETCH(QString, said);
    TableChosen t;
    const std::string list = t.dir.file(answer == 2 ? "no such folder/stimuli.txt" : "stimuli.txt");
    QString result;
    t.choose(kStimulusRows, [&](QWidget& dialog) {
        if (answer == 1) {
            t.f.files.cancel();
        } else {
            t.f.files.confirm(list);
        }
        static_cast<QPushButton*>(control(dialog, names::kSaveList))->click();
        result = labelText(dialog, names::kSaveResult);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QCOMPARE(t.f.files.requests.size(), std::size_t(2));
    QCOMPARE(t.f.files.requests[1].mode, dissim::ui::FileDialogRequest::Mode::Save);
    if (said.isEmpty()) {
        QCOMPARE(result, QString());
    } else {
        QVERIFY2(result.contains(said, Qt::CaseInsensitive), qPrintable(result));
    }
    QCOMPARE(std::filesystem::exists(list), answer == 0);
    if (answer == 0) {
        QCOMPARE(testsupport::readFile(list), std::string("apple\nbanana\ncherry\n"));
    }
    // The list's dialog leaves the window's own file name alone.
    QCOMPARE(t.f.window.commonDialog().fileName(), t.input);
}

void ImportDialogTest::aFileThatIsNoTableOffersOnlyCancel() {
    QStringList enabled;
    QString refusal, file;
    int previewCells = -1;
    TableChosen t;
    t.choose(
        "PK\x03\x04 not a workbook after all",
        [&](QWidget& dialog) {
            enabled = shownControls(dialog, true);
            refusal = labelText(dialog, names::kRefusal);
            file = labelText(dialog, names::kFile);
            auto* preview = static_cast<QTableWidget*>(control(dialog, names::kPreview));
            previewCells = preview->rowCount() * preview->columnCount();
            QTest::keyClick(&dialog, Qt::Key_Return); // OK is not allowed: nothing happens
            QTest::keyClick(&dialog, Qt::Key_Escape);
        },
        "study.xlsx");
    QCOMPARE(t.dialogName, QLatin1String(names::kDialog));
    QCOMPARE(enabled, QStringList({names::kCancel}));
    QVERIFY(!refusal.isEmpty());
    QVERIFY2(file.contains(QLatin1String("study.xlsx")), qPrintable(file));
    QCOMPARE(previewCells, 0);
    QVERIFY(!t.f.window.runState().tableReading.has_value());
}

void ImportDialogTest::aWorkbookOffersItsSheets() {
    const QByteArray workbook =
        QByteArray::fromStdString(testsupport::readFile(DISSIM_WORKBOOKS "/cells.xlsx"));
    QStringList sheets, empty;
    bool separatorShown = true, okOnEmpty = true, sheetStaysAChoice = false;
    TableChosen t;
    t.choose(
        workbook,
        [&](QWidget& dialog) {
            auto* sheet = static_cast<QComboBox*>(control(dialog, names::kSheet));
            for (int i = 0; i < sheet->count(); ++i) {
                sheets << sheet->itemText(i);
            }
            separatorShown = control(dialog, names::kSeparator)->isVisible();
            choose(dialog, QStringLiteral("cboSheet=2"));
            empty = lines(dialog, names::kStimuli);
            okOnEmpty = control(dialog, names::kOk)->isEnabled();
            sheetStaysAChoice =
                sheet->isVisible() && sheet->isEnabled() && sheet->currentIndex() == 2;
            QTest::keyClick(&dialog, Qt::Key_Escape);
        },
        "cells.xlsx");
    QCOMPARE(sheets, QStringList({"Cells", "Second sheet", "Empty"}));
    QVERIFY(!separatorShown);
    QCOMPARE(empty, QStringList());
    QVERIFY(!okOnEmpty);
    QVERIFY(sheetStaysAChoice);
}

void ImportDialogTest::keyboardAlone_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("keys"); // access keys pressed with Alt; none: Tab
    QTest::addColumn<QStringList>("focus");
    QTest::addColumn<bool>("accepted"); // by Enter at the end
    QTest::newRow("Tab through a text table")
        << kStimulusRows << QString()
        << QStringList{names::kSeparator,       names::kLayout,
                       names::kNamesInFirstRow, names::kNamesInFirstColumn,
                       names::kMissing,         names::kPreview,
                       names::kStimuli,         names::kSaveList,
                       names::kProblems,        names::kOk,
                       names::kCancel,          names::kSeparator}
        << true;
    QTest::newRow("Tab through the long layout's columns")
        << kLong << QString()
        << QStringList{names::kSeparator,     names::kLayout,         names::kNamesInFirstRow,
                       names::kSubjectColumn, names::kStimulusColumn, names::kGroupColumn,
                       names::kMissing}
        << true;
    // Alt+R twice: "First row holds names" off and on again.
    QTest::newRow("access keys") << kStimulusRows << "plmvibrr"
                                 << QStringList{names::kSeparator,      names::kLayout,
                                                names::kMissing,        names::kPreview,
                                                names::kStimuli,        names::kProblems,
                                                names::kNamesInFirstRow}
                                 << true;
    // The long layout's column boxes share no access key with the group layout's, hidden.
    QTest::newRow("access keys of the long layout's columns")
        << kLong << "utg"
        << QStringList{names::kSubjectColumn, names::kStimulusColumn, names::kGroupColumn} << true;
    QTest::newRow("Enter while OK is refused")
        << kLongUnsorted << QString() << QStringList{names::kSeparator} << false;
}

void ImportDialogTest::keyboardAlone() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, keys);
    QFETCH(QStringList, focus);
    QFETCH(bool, accepted);
    QStringList visited;
    bool namesInFirstRow = false;
    TableChosen t;
    t.choose(bytes, [&](QWidget& dialog) {
        auto focused = [] {
            QWidget* widget = QApplication::focusWidget();
            return widget == nullptr ? QString() : widget->objectName();
        };
        if (keys.isEmpty()) {
            visited << focused();
            for (int i = 1; i < focus.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                visited << focused();
            }
        }
        for (const QChar key : keys) {
            QTest::keyClick(QApplication::focusWidget(), key.toLatin1(), Qt::AltModifier);
            if (visited.isEmpty() || visited.last() != focused()) {
                visited << focused();
            }
        }
        namesInFirstRow =
            static_cast<QCheckBox*>(control(dialog, names::kNamesInFirstRow))->isChecked();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (dialog.isVisible()) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }
    });
    QCOMPARE(visited, focus);
    QVERIFY(namesInFirstRow);
    QCOMPARE(t.f.window.runState().tableReading.has_value(), accepted);
}

DISSIM_OFFSCREEN_TEST_MAIN(ImportDialogTest)
#include "import_dialog_test.moc"
