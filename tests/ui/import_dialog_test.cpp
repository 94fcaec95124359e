// The Qt Import dialog over the real window: opening, choices, OK/Cancel, Save List, keyboard.

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

namespace names = dissim::ui::import_texts::names;

namespace {

// The worked example (S1: apple and banana together; S2: banana and cherry) as tables.
const QByteArray kStimulusRows = ",S1,S2\napple,fruit,red\nbanana,fruit,yellow\n"
                                 "cherry,stone,yellow\n";
const QByteArray kSubjectRows = "subject,apple,banana,cherry\nS1,1,1,2\nS2,5,6,6\n";
const QByteArray kLong = "subject,card,group\nS1,banana,1\nS1,cherry,2\nS1,apple,1\n"
                         "S2,cherry,b\nS2,apple,a\nS2,banana,b\n";
const QByteArray kGroupRows = "subject,apple,banana,cherry\nS1,1,1,0\nS1,0,0,1\nS2,1,0,0\n"
                              "S2,0,1,1\n";
const QByteArray kLongUnsorted = QByteArray(kLong).replace("cherry,b", "cherry,");

QWidget* control(QWidget& dialog, const char* name) {
    return dialog.findChild<QWidget*>(QLatin1String(name));
}

QString labelText(QWidget& dialog, const char* name) {
    return static_cast<QLabel*>(control(dialog, name))->text();
}

void click(QWidget& dialog, const char* name) {
    static_cast<QPushButton*>(control(dialog, name))->click();
}

// The entries of a combo box or the lines of a list, joined by '|'.
QString itemsOf(QWidget& dialog, const QString& name) {
    QWidget* widget = dialog.findChild<QWidget*>(name);
    auto* combo = qobject_cast<QComboBox*>(widget);
    const QAbstractItemModel* model =
        combo != nullptr ? combo->model() : static_cast<QListWidget*>(widget)->model();
    QStringList texts;
    for (int i = 0; i < model->rowCount(); ++i) {
        texts << model->index(i, 0).data().toString();
    }
    return texts.join(u'|');
}

// "cboLayout=2" picks an entry, "chkNamesInFirstRow=0" clears, "cboSheet?a|b" checks entries.
void choose(QWidget& dialog, const QString& moves) {
    for (const QString& move : moves.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = move.split(QRegularExpression("[=?]"));
        QWidget* target = control(dialog, parts[0].toLatin1().constData());
        QVERIFY2(target != nullptr && target->isVisible() && target->isEnabled(), qPrintable(move));
        if (move.contains(u'?')) {
            QCOMPARE(itemsOf(dialog, parts[0]), QString(parts[1]).replace(u'_', u' '));
        } else if (auto* combo = qobject_cast<QComboBox*>(target)) {
            combo->setCurrentIndex(parts[1].toInt());
        } else {
            static_cast<QCheckBox*>(target)->setChecked(parts[1] == QLatin1String("1"));
        }
    }
}

// The names of the controls that show and take input.
QStringList enabledControls(QWidget& dialog) {
    QStringList shown;
    for (QWidget* widget :
         dialog.findChildren<QWidget*>(QRegularExpression("^(cbo|chk|tbl|lst|cmd)"))) {
        if (widget->isVisible() && widget->isEnabled()) {
            shown << widget->objectName();
        }
    }
    return shown;
}

// Step 2 chooses the file (.xlsx if a zip); an opened dialog goes to `act`, then gets Escape.
struct TableChosen {
    testsupport::TempDir dir;
    testsupport::WindowFixture f;
    std::string input;
    QString dialogName;

    void choose(const QByteArray& bytes, const std::function<void(QWidget&)>& act) {
        input = dir.file(bytes.startsWith("PK") ? "study.xlsx" : "study.csv");
        testsupport::writeFile(input, bytes.toStdString());
        f.files.confirm(input);
        testsupport::ModalAnswerer answerer({[&](QWidget& dialog) {
            dialogName = dialog.objectName();
            act(dialog);
            if (dialog.isVisible()) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            }
        }});
        f.click("cmdDataIn");
    }
    bool run() { // into matrices.txt; whether it succeeded
        f.files.confirm(dir.file("matrices.txt"));
        f.click("cmdDataOut");
        QSignalSpy ended(&f.window, &dissim::ui::frmVorlan4::runFinished);
        f.click("cmdSubmit");
        return ended.wait(10000) && ended.first().first().toBool();
    }
};

} // namespace

class ImportDialogTest : public QObject {
    Q_OBJECT
private slots:
    void endingTheDialog_data();
    void endingTheDialog();
    void choicesRedrawWhatComesOfThem_data();
    void choicesRedrawWhatComesOfThem();
    void saveListWritesTheStimuli_data();
    void saveListWritesTheStimuli();
    void keyboardAlone_data();
    void keyboardAlone();
};

void ImportDialogTest::endingTheDialog_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("counted"); // 2 subjects and 3 stimuli typed at step 1
    QTest::addColumn<QString>(
        "moves"); // choices, then OK, Cancel, Escape, close or none (no dialog)
    QTest::addColumn<QString>("reading"); // a piece of the input label's detail after OK
    QTest::addColumn<int>("beeps");       // of a run then: 0 writes the matrices; -1: no run
    QTest::newRow("plain sort data: no dialog")
        << QByteArray::fromStdString(testsupport::kSortData) << true << "none"
        << "" << 0;
    QTest::newRow("names, no counts: Escape") << kStimulusRows << false << "Escape"
                                              << "" << -1;
    // Read as sort data, the names are no codes: the run fails as for any such file.
    QTest::newRow("names: Cancel") << kStimulusRows << true << "Cancel"
                                   << "" << 5;
    QTest::newRow("names: closed") << kStimulusRows << true << "close"
                                   << "" << 5;
    QTest::newRow("lines one per stimulus for the typed counts")
        << QByteArray("1 5\n1 6\n2 6\n") << true << "Escape"
        << "" << -1;
    QTest::newRow("stimulus rows: OK") << kStimulusRows << false << "OK"
                                       << "rows are stimuli, the first row names the subjects" << 0;
    QTest::newRow("group rows chosen: OK") << kGroupRows << false << "cboLayout=3 OK"
                                           << "one row per group" << 0;
}

void ImportDialogTest::endingTheDialog() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, counted);
    QFETCH(QString, moves);
    QFETCH(QString, reading);
    QFETCH(int, beeps);
    const QString how = moves.section(u' ', -1);
    TableChosen t;
    if (counted) {
        t.f.prompt.answers = QStringList{"2", "3"};
        t.f.click("cmdSubsStim");
    }
    t.choose(bytes, [&](QWidget& dialog) {
        choose(dialog, moves.section(u' ', 0, -2));
        if (how == QLatin1String("OK") || how == QLatin1String("Cancel")) {
            click(dialog, how == QLatin1String("OK") ? names::kOk : names::kCancel);
        } else if (how == QLatin1String("close")) {
            dialog.close();
        }
    });
    QCOMPARE(t.dialogName,
             how == QLatin1String("none") ? QString() : QLatin1String(names::kDialog));
    QCOMPARE(t.f.text("lblIfileInfo"), QString::fromStdString("Input File = " + t.input));
    const dissim::RunState& state = t.f.window.runState();
    QCOMPARE(state.tableReading.has_value(), how == QLatin1String("OK"));
    if (state.tableReading.has_value()) {
        QCOMPARE(state.tableReading->path, t.input);
        QCOMPARE(state.numSubjects.text() + state.numStimuli.text(), std::string("23"));
        const QString detail = t.f.label("lblIfileInfo")->toolTip();
        QVERIFY2(detail.contains(reading), qPrintable(detail));
    }
    if (beeps >= 0) {
        QCOMPARE(t.f.text("lblSubsStim"), QStringLiteral("There are  2 subjects and  3 stimuli."));
        QCOMPARE(t.run(), beeps == 0);
        QCOMPARE(t.f.beeper.count, beeps);
    }
    if (beeps == 0) {
        QCOMPARE(testsupport::readFile(t.dir.file("matrices.txt")), testsupport::kMatricesOfBoth);
    }
}

void ImportDialogTest::choicesRedrawWhatComesOfThem_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("moves");
    // those taking input among the sheet, separator and columns; "only ...": among all
    QTest::addColumn<QString>("controls");
    // "found/stimuli/problem": pieces of the found label and the first problem, the stimuli
    QTest::addColumn<QString>("shows");
    QTest::addColumn<bool>("ok");
    const QString wide = "cboSeparator chkNamesInFirstColumn",
                  longColumns = "cboSeparator cboSubjectColumn cboStimulusColumn cboGroupColumn";
    QTest::newRow("read as subject rows")
        << kStimulusRows << "cboLayout=0" << wide
        << "3 subjects, 2 stimuli; groups given as words/1  S1|2  S2/None." << true;
    QTest::newRow("the header row as data")
        << kStimulusRows << "chkNamesInFirstRow=0" << wide
        << "2 subjects, 4 stimuli/1  1|2  apple|3  banana|4  cherry/None." << true;
    QTest::newRow("semicolons read as commas, then as semicolons")
        << QByteArray(kSubjectRows).replace(',', ';') << "cboSeparator=0 cboSeparator=1" << wide
        << "2 subjects, 3 stimuli; groups given as numbers 1 to 6/1  apple|2  banana|3  "
           "cherry/None."
        << true;
    QTest::newRow("stimulus rows read as long, columns named by letter and header")
        << kStimulusRows << "cboLayout=2 cboSubjectColumn?A|B:_S1|C:_S2" << longColumns << "//"
        << false;
    QTest::newRow("long, an unsorted card stops the import")
        << kLongUnsorted << "cboMissing=0" << longColumns << "2 subjects, 3 stimuli//C5" << false;
    QTest::newRow("long, an unsorted card a group of its own")
        << kLongUnsorted << "cboMissing=1" << longColumns
        << "2 subjects, 3 stimuli/1  apple|2  banana|3  cherry/C5" << true;
    QTest::newRow("long, the subject who left a card unsorted left out")
        << kLongUnsorted << "cboMissing=2" << longColumns
        << "1 subject left out/1  apple|2  banana|3  cherry/C5" << true;
    QTest::newRow("long, no group column")
        << kLong << "cboGroupColumn=-1" << longColumns << "//group" << false;
    QTest::newRow("group rows, two stimulus columns")
        << kGroupRows << "cboLayout=3 cboLastStimulusColumn=2"
        << "cboSeparator cboSubjectColumn cboFirstStimulusColumn cboLastStimulusColumn"
        << "2 subjects, 2 stimuli/1  apple|2  banana/" << true;
    QTest::newRow("a workbook's sheets, no separator; the empty one")
        << QByteArray::fromStdString(testsupport::readFile(DISSIM_WORKBOOKS "/cells.xlsx"))
        << "cboSheet?Cells|Second_sheet|Empty cboSheet=2"
        << "cboSheet"
        << "//" << false;
    QTest::newRow("a damaged workbook: only Cancel, nothing to preview")
        << QByteArray("PK\x03\x04 not a workbook after all") << ""
        << "only cmdImportCancel"
        << "//" << false;
}

void ImportDialogTest::choicesRedrawWhatComesOfThem() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, moves);
    QFETCH(QString, controls);
    QFETCH(QString, shows);
    QFETCH(bool, ok);
    const QString found = shows.section(u'/', 0, 0), stimuli = shows.section(u'/', 1, 1),
                  problem = shows.section(u'/', 2, 2);
    const bool only = controls.startsWith(QLatin1String("only "));
    TableChosen t;
    t.choose(bytes, [&](QWidget& dialog) { // checked while open; a failure still closes it
        choose(dialog, moves);
        const QStringList enabled = enabledControls(dialog);
        QCOMPARE(only ? "only " + enabled.join(u' ')
                      : enabled.filter(QRegularExpression("Sheet|Separator|Column")).join(u' '),
                 controls);
        QVERIFY2(labelText(dialog, names::kFound).contains(found),
                 qPrintable(labelText(dialog, names::kFound)));
        if (ok || !stimuli.isEmpty()) {
            QCOMPARE(itemsOf(dialog, names::kStimuli), stimuli);
        }
        const QString problems = itemsOf(dialog, names::kProblems);
        QVERIFY2(problems.section(u'|', 0, 0).contains(problem), qPrintable(problems));
        QCOMPARE(control(dialog, names::kOk)->isEnabled(), ok);
        QCOMPARE(labelText(dialog, names::kRefusal).isEmpty(), ok);
        QVERIFY(labelText(dialog, names::kFile).contains(QLatin1String("study.")));
        auto* preview = static_cast<QTableWidget*>(control(dialog, names::kPreview));
        QVERIFY(!only || preview->rowCount() * preview->columnCount() == 0);
    });
    QCOMPARE(t.dialogName, QLatin1String(names::kDialog));
    QVERIFY(!t.f.window.runState().tableReading.has_value());
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
    t.choose(kStimulusRows, [&](QWidget& dialog) {
        answer == 1 ? t.f.files.cancel() : t.f.files.confirm(list);
        click(dialog, names::kSaveList);
        const QString result = labelText(dialog, names::kSaveResult);
        QVERIFY2(said.isEmpty() ? result.isEmpty() : result.contains(said, Qt::CaseInsensitive),
                 qPrintable(result));
    });
    QCOMPARE(t.f.files.requests.size(), std::size_t(2));
    QCOMPARE(t.f.files.requests[1].mode, dissim::ui::FileDialogRequest::Mode::Save);
    QCOMPARE(std::filesystem::exists(list), answer == 0);
    if (answer == 0) {
        QCOMPARE(testsupport::readFile(list), std::string("apple\nbanana\ncherry\n"));
    }
    QCOMPARE(t.f.window.commonDialog().fileName(), t.input); // the window's own name kept
}

void ImportDialogTest::keyboardAlone_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("keys");  // Tab, or an access key pressed with Alt
    QTest::addColumn<QString>("focus"); // the controls focused in turn
    QTest::addColumn<bool>("accepted"); // by Enter at the end
    QTest::newRow("Tab through a text table")
        << kStimulusRows << QString(11, u'\t')
        << "cboSeparator cboLayout chkNamesInFirstRow chkNamesInFirstColumn cboMissing tblPreview "
           "lstStimuli cmdSaveList lstProblems cmdImportOk cmdImportCancel cboSeparator"
        << true;
    QTest::newRow("Tab through the long layout's columns")
        << kLong << QString(6, u'\t')
        << "cboSeparator cboLayout chkNamesInFirstRow cboSubjectColumn cboStimulusColumn "
           "cboGroupColumn cboMissing"
        << true;
    // Alt+R twice: "First row holds names" off and on again.
    QTest::newRow("access keys")
        << kStimulusRows << "plmvibrr"
        << "cboSeparator cboLayout cboMissing tblPreview lstStimuli lstProblems chkNamesInFirstRow"
        << true;
    // The long layout's column boxes share no access key with the group layout's, hidden.
    QTest::newRow("access keys of the long layout's columns")
        << kLong << "utg"
        << "cboSeparator cboSubjectColumn cboStimulusColumn cboGroupColumn" << true;
    QTest::newRow("Enter while OK is refused") << kLongUnsorted << ""
                                               << "cboSeparator" << false;
}

void ImportDialogTest::keyboardAlone() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, keys);
    QFETCH(QString, focus);
    QFETCH(bool, accepted);
    TableChosen t;
    t.choose(bytes, [&](QWidget& dialog) {
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (const QChar key : keys) {
            if (key == u'\t') {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            } else {
                QTest::keyClick(QApplication::focusWidget(), key.toLatin1(), Qt::AltModifier);
            }
            if (visited.last() != QApplication::focusWidget()->objectName()) {
                visited << QApplication::focusWidget()->objectName();
            }
        }
        QCOMPARE(visited.join(u' '), focus);
        QVERIFY(static_cast<QCheckBox*>(control(dialog, names::kNamesInFirstRow))->isChecked());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QCOMPARE(t.dialogName, QLatin1String(names::kDialog));
    QCOMPARE(t.f.window.runState().tableReading.has_value(), accepted);
}

DISSIM_OFFSCREEN_TEST_MAIN(ImportDialogTest)
#include "import_dialog_test.moc"
