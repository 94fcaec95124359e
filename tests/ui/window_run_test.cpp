// "4. Submit" through the window on real files: the status texts as the run sets them, the
// bytes written, the failure path, and the window taking no input while a run goes.

#include "modal_answerer.h"
#include "offscreen_test_main.h"
#include "temp_dir.h"
#include "window_fixture.h"
#include "window_label.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

using testsupport::TempDir;
using testsupport::WindowFixture;

namespace {

const QString kProcessing = QStringLiteral("Processing...");
const QString kWriting = QStringLiteral("Writing output matrices...");
const QString kDone = QStringLiteral("Done!  Press Button 1 for another Run, or Exit to quit!");
const QString kFailed =
    QStringLiteral("Problem with your data entry or files! Check them and try again!");

// Files of this process open under a folder (the run must leave none open).
int openFilesUnder(const std::filesystem::path& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        if (!error && target.string().rfind(folder.string(), 0) == 0) {
            ++count;
        }
    }
    return count;
}

// A named pipe as the input file: the run waits on it until the test writes the codes. The
// test holds the pipe's writing end (O_RDWR does not wait for a reader), so the run's reads
// wait until then. Closed on every way out, so that the run can end.
struct PipeInput {
    explicit PipeInput(const std::string& path)
        : fd(::mkfifo(path.c_str(), 0600) == 0 ? ::open(path.c_str(), O_RDWR) : -1) {}
    ~PipeInput() { close(); }
    void close() {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
    // Writes the codes and closes the pipe: the run reads them and its end of file.
    bool finish(const std::string& codes) {
        const bool written = ::write(fd, codes.data(), codes.size()) == ssize_t(codes.size());
        close();
        return written;
    }
    int fd;
};

// Sets up a run through the window's own buttons; the scripted seams give the answers.
void prepare(WindowFixture& f, const QString& subjects, const QString& stimuli,
             const QString& input, const QString& output) {
    f.prompt.answers = {subjects, stimuli};
    f.click("cmdSubsStim");
    f.files.confirm(input);
    {
        // A file that looks like a table opens the Import dialog: Escape reads it as plain
        // sort data, as these runs are about.
        testsupport::ModalAnswerer cancelImport({testsupport::pressEscape()});
        f.click("cmdDataIn");
    }
    if (output.isNull()) {
        f.files.cancel();
    } else {
        f.files.confirm(output);
    }
    f.click("cmdDataOut");
    f.beeper.count = 0;
}

// A window set up for a run over 1 subject and 2 stimuli whose input is a named pipe: the run
// waits until the test finishes the pipe.
struct PipeRun {
    PipeRun() { prepare(f, "1", "2", QString::fromStdString(in), QString::fromStdString(out)); }
    TempDir dir;
    std::string in = dir.file("codes.fifo");
    std::string out = dir.file("matrices.out");
    PipeInput writer{in};
    WindowFixture f;
};

// Presses "4. Submit" and waits for the run to end; returns the status texts the label showed.
QStringList submit(WindowFixture& f) {
    QStringList shown;
    auto* status = qobject_cast<dissim::ui::WindowLabel*>(f.label("lblStatus"));
    auto connection = QObject::connect(status, &dissim::ui::WindowLabel::textSet, &f.window,
                                       [&](const QString& text) { shown << text; });
    QSignalSpy ended(&f.window, &dissim::ui::frmVorlan4::runFinished);
    f.click("cmdSubmit");
    if (!ended.wait(10000)) {
        qWarning("the run did not end");
    }
    QObject::disconnect(connection);
    return shown;
}

} // namespace

class WindowRunTest : public QObject {
    Q_OBJECT
private slots:
    void completeRuns_data();
    void completeRuns();
    void failures_data();
    void failures();
    void sameFileTwiceLeavesTheInputUntouched();
    void nextRunClearsTheFailureNote();
    void takesNoInputWhileRunningAndClosesWhenDone();
    void busyFromSubmitUntilTheRunEnds_data();
    void busyFromSubmitUntilTheRunEnds();
    void shiftF1ShowsTheFailureDetail();
};

void WindowRunTest::completeRuns_data() {
    QTest::addColumn<QString>("subjects");
    QTest::addColumn<QString>("stimuli");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("note"); // a piece of the status label's detail; empty: none
    QTest::newRow("two subjects, three stimuli") << "2"
                                                 << "3" << QByteArray("1 1 2\n5,6,6\n")
                                                 << QByteArray("  0 \r\n  0  0 \r\n  1  1  0 \r\n"
                                                               "  0 \r\n  1  0 \r\n  1  0  0 \r\n"
                                                               "  0 \r\n  1  0 \r\n  2  1  0 \r\n")
                                                 << QString();
    // The same file read as three subjects over two stimuli: one line per stimulus, it seems.
    QTest::newRow("one line per stimulus: done, with a note")
        << "3"
        << "2" << QByteArray("1 1 2\n5,6,6\n")
        << QByteArray(
               "  0 \r\n  0  0 \r\n  0 \r\n  1  0 \r\n  0 \r\n  0  0 \r\n  0 \r\n  1  0 \r\n")
        << "Each of the file's 2 lines holds 3 codes, one per subject";
    QTest::newRow("one stimulus: nothing compared")
        << "3"
        << "1" << QByteArray("7\n8\n9\n") << QByteArray("  0 \r\n  0 \r\n  0 \r\n  0 \r\n")
        << QString();
    QTest::newRow("all codes equal lower every count")
        << "1"
        << "2" << QByteArray("4 4") << QByteArray("  0 \r\n  0  0 \r\n  0 \r\n  0  0 \r\n")
        << QString();
    QTest::newRow("counts typed with zeros and spaces")
        << "002"
        << " 2 " << QByteArray("1 2\r\n1 1\r\n")
        << QByteArray("  0 \r\n  1  0 \r\n  0 \r\n  0  0 \r\n  0 \r\n  1  0 \r\n") << QString();
}

void WindowRunTest::completeRuns() {
    QFETCH(QString, subjects);
    QFETCH(QString, stimuli);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    QFETCH(QString, note);
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string out = dir.file("matrices.out");
    testsupport::writeFile(in, input.toStdString());
    testsupport::writeFile(out, "old contents that the run replaces, longer than its output");
    WindowFixture f;
    prepare(f, subjects, stimuli, QString::fromStdString(in), QString::fromStdString(out));

    const QStringList shown = submit(f);

    QStringList expected = {kProcessing};
    for (int s = 0; s < subjects.trimmed().toInt(); ++s) {
        expected << kWriting;
    }
    expected << kDone;
    QCOMPARE(shown, expected);
    QCOMPARE(f.text("lblStatus"), kDone);
    const QLabel* status = f.label("lblStatus");
    if (note.isEmpty()) {
        QCOMPARE(status->toolTip(), QString());
    } else {
        QVERIFY2(status->toolTip().contains(note), qPrintable(status->toolTip()));
    }
    QCOMPARE(status->whatsThis(), status->toolTip());
    QCOMPARE(status->accessibleDescription(), status->toolTip());
    QCOMPARE(f.beeper.count, 0);
    QCOMPARE(QByteArray::fromStdString(testsupport::readFile(out)), output);
    QCOMPARE(QByteArray::fromStdString(testsupport::readFile(in)), input);
    QCOMPARE(openFilesUnder(dir.path()), 0);

    // Pressed again with nothing changed, the same run rewrites the same file.
    testsupport::writeFile(out, "something else");
    QCOMPARE(submit(f).last(), kDone);
    QCOMPARE(QByteArray::fromStdString(testsupport::readFile(out)), output);
}

void WindowRunTest::failures_data() {
    QTest::addColumn<QString>("subjects");
    QTest::addColumn<QString>("stimuli");
    QTest::addColumn<QByteArray>("input");  // null: no input file at all
    QTest::addColumn<QByteArray>("output"); // null: the run never creates the output file
    QTest::addColumn<QString>("described"); // a piece of the tooltip
    QTest::newRow("input file missing") << "1"
                                        << "2" << QByteArray() << QByteArray() << "input file";
    QTest::newRow("data ends early: the complete subjects stay")
        << "2"
        << "2" << QByteArray("1 2\n3\n") << QByteArray("  0 \r\n  1  0 \r\n") << "subject 2";
    QTest::newRow("a letter among the codes")
        << "1"
        << "2" << QByteArray("1 x\n") << QByteArray("") << "subject 1";
    QTest::newRow("more stimuli than memory")
        << "1"
        << "1e9" << QByteArray("1\n") << QByteArray() << "memory";
    QTest::newRow("more subjects than a count holds")
        << "40000"
        << "1" << QByteArray("1\n") << QByteArray("") << "32767";
}

void WindowRunTest::failures() {
    QFETCH(QString, subjects);
    QFETCH(QString, stimuli);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    QFETCH(QString, described);
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string out = dir.file("matrices.out");
    if (!input.isNull()) {
        testsupport::writeFile(in, input.toStdString());
    }
    WindowFixture f;
    prepare(f, subjects, stimuli, QString::fromStdString(in), QString::fromStdString(out));

    const QStringList shown = submit(f);

    QCOMPARE(f.beeper.count, 5);
    QCOMPARE(shown.last(), kFailed);
    QCOMPARE(f.text("lblStatus"), kFailed);
    QLabel* status = f.label("lblStatus");
    QVERIFY2(status->toolTip().contains(described), qPrintable(status->toolTip()));
    QCOMPARE(status->accessibleDescription(), status->toolTip());
    QCOMPARE(openFilesUnder(dir.path()), 0);
    if (output.isNull()) {
        QVERIFY2(!std::filesystem::exists(out), "the failed run created the output file");
    } else {
        QVERIFY2(std::filesystem::exists(out), "the run left no output file");
        QCOMPARE(QByteArray::fromStdString(testsupport::readFile(out)), output);
    }
    // The window is idle again and takes the next press.
    QVERIFY(!f.window.isRunning());
    f.prompt.asked.clear();
    f.click("cmdSubsStim");
    QCOMPARE(int(f.prompt.asked.size()), 1);
}

void WindowRunTest::sameFileTwiceLeavesTheInputUntouched() {
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string codes = "1 1 2\n5,6,6\n";
    testsupport::writeFile(in, codes);
    WindowFixture f;
    // The save dialog is cancelled: the shared dialog still holds the input file's name.
    prepare(f, "2", "3", QString::fromStdString(in), QString());
    QCOMPARE(f.window.runState().outputFile, in);

    submit(f);

    QCOMPARE(f.beeper.count, 5);
    QCOMPARE(f.text("lblStatus"), kFailed);
    QCOMPARE(testsupport::readFile(in), codes);
    QCOMPARE(openFilesUnder(dir.path()), 0);
}

void WindowRunTest::nextRunClearsTheFailureNote() {
    TempDir dir;
    const std::string in = dir.file("codes.txt");
    const std::string out = dir.file("matrices.out");
    WindowFixture f;
    prepare(f, "1", "2", QString::fromStdString(in), QString::fromStdString(out));
    submit(f);
    QVERIFY(!f.label("lblStatus")->toolTip().isEmpty());

    testsupport::writeFile(in, "1 2");
    submit(f);
    QCOMPARE(f.text("lblStatus"), kDone);
    QCOMPARE(f.label("lblStatus")->toolTip(), QString());
    QCOMPARE(f.label("lblStatus")->accessibleDescription(), QString());
}

void WindowRunTest::takesNoInputWhileRunningAndClosesWhenDone() {
    PipeRun run;
    QVERIFY(run.writer.fd >= 0);
    WindowFixture& f = run.f;
    QVERIFY(f.showActive());
    QSignalSpy ended(&f.window, &dissim::ui::frmVorlan4::runFinished);
    f.button("cmdSubmit")->setFocus();
    QTest::keyClick(f.button("cmdSubmit"), Qt::Key_Space);
    QVERIFY(f.window.isRunning());

    // Every way of pressing a button is swallowed; the buttons look as they did.
    f.prompt.asked.clear();
    f.files.requests.clear();
    for (const char* name : {"cmdSubsStim", "cmdDataIn"}) {
        // Through the window system, as a real click comes.
        const QPoint centre = f.button(name)->geometry().center();
        QTest::mouseClick(f.window.windowHandle(), Qt::LeftButton, {}, centre);
    }
    QTest::keyClick(f.button("cmdSubmit"), Qt::Key_Tab);
    QTest::keyClick(f.button("cmdSubmit"), Qt::Key_Return);
    QTest::keyClick(f.button("cmdSubmit"), Qt::Key_X, Qt::AltModifier);
    f.window.close(); // put off until the run has ended
    QTest::qWait(300);
    QVERIFY(f.prompt.asked.empty());
    QVERIFY(f.files.requests.empty());
    QVERIFY(f.window.isVisible());
    QVERIFY(f.window.isRunning());
    QCOMPARE(QApplication::focusWidget(), f.button("cmdSubmit"));
    for (const char* name : {"cmdSubsStim", "cmdDataIn", "cmdDataOut", "cmdSubmit", "cmdExit"}) {
        QVERIFY(f.button(name)->isEnabled());
    }
    QCOMPARE(ended.count(), 0);

    QVERIFY(run.writer.finish("3 4\n"));

    QVERIFY(ended.wait(10000));
    QCOMPARE(ended.first().first().toBool(), true);
    QCOMPARE(testsupport::readFile(run.out), std::string("  0 \r\n  1  0 \r\n  0 \r\n  1  0 \r\n"));
    QTRY_VERIFY(!f.window.isVisible());
}

void WindowRunTest::busyFromSubmitUntilTheRunEnds_data() {
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<bool>("done");
    QTest::newRow("a run that ends well") << QByteArray("3 4\n") << true;
    QTest::newRow("a run that fails") << QByteArray("3 x\n") << false;
}

void WindowRunTest::busyFromSubmitUntilTheRunEnds() {
    QFETCH(QByteArray, codes);
    QFETCH(bool, done);
    PipeRun run;
    QVERIFY(run.writer.fd >= 0);
    WindowFixture& f = run.f;
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(f.label("lblStatus"));
    QVERIFY(status != nullptr);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!status->state().busy);
    QSignalSpy ended(&f.window, &dissim::ui::frmVorlan4::runFinished);

    f.click("cmdSubmit");
    QVERIFY(f.window.isRunning());
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QVERIFY(status->state().busy);
    QTest::qWait(100); // still waiting for its codes: still busy
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QVERIFY(status->state().busy);

    QVERIFY(run.writer.finish(codes.toStdString()));
    QVERIFY(ended.wait(10000));
    QCOMPARE(ended.first().first().toBool(), done);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!status->state().busy);
    QCOMPARE(f.beeper.count, done ? 0 : 5);
}

void WindowRunTest::shiftF1ShowsTheFailureDetail() {
    TempDir dir;
    WindowFixture f;
    QVERIFY(f.showActive());
    auto pressShiftF1 = [&] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1, Qt::ShiftModifier);
        QTest::qWait(50);
        QWidget* popup = QApplication::activePopupWidget();
        if (popup != nullptr) {
            QTest::keyClick(popup, Qt::Key_Escape); // any key closes it
        }
        return popup != nullptr;
    };
    QVERIFY2(!pressShiftF1(), "nothing has failed yet, and Shift+F1 showed something");

    // A refused count: its reason.
    f.prompt.answers = {"0"};
    f.click("cmdSubsStim");
    QVERIFY(pressShiftF1());

    // A failed run: the run's detail, which its label also carries as What's This text.
    prepare(f, "1", "2", QString::fromStdString(dir.file("missing.txt")),
            QString::fromStdString(dir.file("matrices.out")));
    submit(f);
    QLabel* status = f.label("lblStatus");
    QVERIFY(status->whatsThis().contains("input file"));
    QCOMPARE(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Description),
             status->toolTip());
    QVERIFY(pressShiftF1());
    // Shift+F1 moved no focus and pressed no button.
    QCOMPARE(QApplication::focusWidget(), f.button("cmdDataIn"));
    QCOMPARE(f.beeper.count, 5);
}

DISSIM_OFFSCREEN_TEST_MAIN(WindowRunTest)
#include "window_run_test.moc"
