// The window as it opens (controls, captions, geometry, colours, focus and tab order) and the
// keys that press its buttons.

#include "offscreen_test_main.h"
#include "window_fixture.h"
#include "window_label.h"
#include "wrapping_push_button.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

using testsupport::WindowFixture;

class WindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void window();
    void controls_data();
    void controls();
    void captionsWrapInsideTheirButtons_data();
    void captionsWrapInsideTheirButtons();
    void labelsAreOpaqueBoxesInTheButtonColour();
    void focusStartsOnInputButtonAndTabFollowsTheOrder();
    void keys_data();
    void keys();
    void focusedButtonShowsItsFocusFromTheStart();
    void accessibleWindowAndButtons();
    void accessibleLabels_data();
    void accessibleLabels();
};

void WindowLayoutTest::window() {
    WindowFixture f;
    QCOMPARE(f.window.objectName(), QStringLiteral("frmVorlan4"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Dissimilarity Matix Computation"));
    QCOMPARE(f.window.size(), QSize(474, 424));
    QCOMPARE(f.window.palette().color(QPalette::Window), QColor(192, 255, 255));
    QVERIFY(f.window.autoFillBackground());
    // No control overlaps another, and every one lies inside the window.
    const auto controls = f.window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 9);
    for (QWidget* a : controls) {
        QVERIFY(f.window.rect().contains(a->geometry()));
        for (QWidget* b : controls) {
            QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                     qPrintable(a->objectName() + " overlaps " + b->objectName()));
        }
    }
}

void WindowLayoutTest::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isButton");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry"); // twips / 15
    QTest::newRow("cmdSubsStim") << "cmdSubsStim" << true << "1. Start Here!"
                                 << QRect(40, 64, 105, 49);
    QTest::newRow("cmdDataIn") << "cmdDataIn" << true << "2. Select Input File"
                               << QRect(40, 160, 105, 49);
    QTest::newRow("cmdDataOut") << "cmdDataOut" << true << "3. Select Output File"
                                << QRect(40, 240, 105, 49);
    QTest::newRow("cmdSubmit") << "cmdSubmit" << true << "4. Submit" << QRect(40, 336, 105, 49);
    QTest::newRow("cmdExit") << "cmdExit" << true << "E&xit" << QRect(208, 352, 73, 33);
    QTest::newRow("lblSubsStim") << "lblSubsStim" << false
                                 << "# of Subjects and Stimuli not Defined"
                                 << QRect(248, 56, 185, 49);
    QTest::newRow("lblIfileInfo") << "lblIfileInfo" << false << "Input File Undefined"
                                  << QRect(248, 152, 185, 49);
    QTest::newRow("lblOfileInfo") << "lblOfileInfo" << false << "Output File Undefined"
                                  << QRect(248, 216, 185, 49);
    QTest::newRow("lblStatus") << "lblStatus" << false << "Waiting for data..."
                               << QRect(248, 280, 185, 49);
}

void WindowLayoutTest::controls() {
    QFETCH(QString, name);
    QFETCH(bool, isButton);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    WindowFixture f;
    f.window.show();
    QWidget* control = f.window.findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(control->isVisible());
    QVERIFY(control->isEnabled());
    if (isButton) {
        auto* button = qobject_cast<QPushButton*>(control);
        QVERIFY(button != nullptr);
        QCOMPARE(button->text(), text);
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    } else {
        auto* label = qobject_cast<QLabel*>(control);
        QVERIFY(label != nullptr);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->textFormat(), Qt::PlainText); // a path is never read as markup
        QVERIFY(label->wordWrap());
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
}

void WindowLayoutTest::captionsWrapInsideTheirButtons_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lines");
    QTest::newRow("1. Start Here!") << "cmdSubsStim" << 1;
    QTest::newRow("2. Select Input File") << "cmdDataIn" << 2;
    QTest::newRow("3. Select Output File") << "cmdDataOut" << 2;
    QTest::newRow("4. Submit") << "cmdSubmit" << 1;
    QTest::newRow("E&xit") << "cmdExit" << 1;
}

void WindowLayoutTest::captionsWrapInsideTheirButtons() {
    QFETCH(QString, name);
    QFETCH(int, lines);
    WindowFixture f;
    auto* button = f.window.findChild<dissim::ui::WrappingPushButton*>(name);
    QVERIFY(button != nullptr);
    const QRect caption = button->captionRect();
    QVERIFY2(button->rect().contains(caption), qPrintable(name + " caption is cut off"));
    QCOMPARE(caption.height() / button->fontMetrics().lineSpacing(), lines);
}

void WindowLayoutTest::labelsAreOpaqueBoxesInTheButtonColour() {
    WindowFixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QImage image = f.window.grab().toImage();
    for (const char* name : {"lblSubsStim", "lblIfileInfo", "lblOfileInfo", "lblStatus"}) {
        QLabel* label = f.label(name);
        QVERIFY(label->autoFillBackground());
        // The bottom-right corner of each box holds no text: it shows the box's own fill.
        const QPoint corner = label->geometry().bottomRight() - QPoint(2, 2);
        QCOMPARE(image.pixelColor(corner), face);
    }
    QCOMPARE(image.pixelColor(2, 2), QColor(192, 255, 255));
}

void WindowLayoutTest::focusStartsOnInputButtonAndTabFollowsTheOrder() {
    WindowFixture f;
    QVERIFY(f.showActive());
    QCOMPARE(f.window.focusWidget(), f.button("cmdDataIn"));
    const char* order[] = {"cmdDataOut", "cmdSubmit", "cmdExit", "cmdSubsStim", "cmdDataIn"};
    for (const char* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.button(next));
    }
}

void WindowLayoutTest::keys_data() {
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("pressed"); // the button whose click is expected, or empty
    QTest::newRow("Space at start presses 2") << "" << int(Qt::Key_Space) << 0 << "cmdDataIn";
    QTest::newRow("Enter at start presses 2") << "" << int(Qt::Key_Return) << 0 << "cmdDataIn";
    QTest::newRow("keypad Enter") << "cmdSubmit" << int(Qt::Key_Enter) << int(Qt::KeypadModifier)
                                  << "cmdSubmit";
    QTest::newRow("Enter on 1") << "cmdSubsStim" << int(Qt::Key_Return) << 0 << "cmdSubsStim";
    QTest::newRow("Space on 3") << "cmdDataOut" << int(Qt::Key_Space) << 0 << "cmdDataOut";
    QTest::newRow("Alt+X presses Exit")
        << "" << int(Qt::Key_X) << int(Qt::AltModifier) << "cmdExit";
    QTest::newRow("Alt+X from another button")
        << "cmdSubsStim" << int(Qt::Key_X) << int(Qt::AltModifier) << "cmdExit";
    QTest::newRow("Escape does nothing") << "" << int(Qt::Key_Escape) << 0 << "";
    QTest::newRow("Escape on Exit does nothing") << "cmdExit" << int(Qt::Key_Escape) << 0 << "";
    QTest::newRow("X alone does nothing") << "" << int(Qt::Key_X) << 0 << "";
}

void WindowLayoutTest::keys() {
    QFETCH(QString, focused);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, pressed);
    WindowFixture f;
    // Every click is only recorded here: the handlers' seams answer Cancel.
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    QStringList names = {"cmdSubsStim", "cmdDataIn", "cmdDataOut", "cmdSubmit", "cmdExit"};
    for (const QString& name : names) {
        spies.push_back(
            std::make_unique<QSignalSpy>(f.button(qPrintable(name)), &QPushButton::clicked));
    }
    QVERIFY(f.showActive());
    if (!focused.isEmpty()) {
        f.button(qPrintable(focused))->setFocus();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // An access key clicks through an animated press, a moment after the key.
    QTest::qWait(250);
    if (f.window.isRunning()) {
        QSignalSpy ended(&f.window, &dissim::ui::frmVorlan4::runFinished);
        QVERIFY(ended.wait(5000));
    }
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(spies[static_cast<std::size_t>(i)]->count(), names[i] == pressed ? 1 : 0);
    }
    QCOMPARE(f.window.isVisible(), pressed != "cmdExit");
}

void WindowLayoutTest::focusedButtonShowsItsFocusFromTheStart() {
    WindowFixture f;
    QVERIFY(f.showActive());
    QPushButton* input = f.button("cmdDataIn");
    QCOMPARE(QApplication::focusWidget(), input);
    // The same button drawn with and without the focus, no key pressed before: the style's
    // focus indication must show.
    const QImage focused = input->grab().toImage();
    f.button("cmdDataOut")->setFocus();
    const QImage unfocused = input->grab().toImage();
    QCOMPARE(focused.size(), unfocused.size());
    int differing = 0;
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x) {
            differing += focused.pixel(x, y) != unfocused.pixel(x, y) ? 1 : 0;
        }
    }
    // At least a line around the button's face.
    QVERIFY2(differing >= 2 * (focused.width() + focused.height()) - 16,
             qPrintable(QString::number(differing) + " pixels differ"));
}

void WindowLayoutTest::accessibleWindowAndButtons() {
    WindowFixture f;
    f.window.show();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&f.window);
    QVERIFY(window != nullptr);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Dissimilarity Matix Computation"));
    const std::pair<const char*, const char*> buttons[] = {{"cmdSubsStim", "1. Start Here!"},
                                                           {"cmdDataIn", "2. Select Input File"},
                                                           {"cmdDataOut", "3. Select Output File"},
                                                           {"cmdSubmit", "4. Submit"},
                                                           {"cmdExit", "Exit"}};
    for (const auto& [name, caption] : buttons) {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(f.button(name));
        QVERIFY(button != nullptr);
        QCOMPARE(button->role(), QAccessible::Button);
        QCOMPARE(button->text(QAccessible::Name), QString(caption));
        QCOMPARE(button->parent(), window);
        QVERIFY(button->actionInterface() != nullptr);
        QVERIFY(button->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
    }
}

void WindowLayoutTest::accessibleLabels_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("button");
    QTest::newRow("lblSubsStim") << "lblSubsStim"
                                 << "Subjects and stimuli"
                                 << "cmdSubsStim";
    QTest::newRow("lblIfileInfo") << "lblIfileInfo"
                                  << "Input file"
                                  << "cmdDataIn";
    QTest::newRow("lblOfileInfo") << "lblOfileInfo"
                                  << "Output file"
                                  << "cmdDataOut";
    QTest::newRow("lblStatus") << "lblStatus"
                               << "Status"
                               << "cmdSubmit";
}

void WindowLayoutTest::accessibleLabels() {
    QFETCH(QString, label);
    QFETCH(QString, name);
    QFETCH(QString, button);
    WindowFixture f;
    f.window.show();
    QLabel* widget = f.label(qPrintable(label));
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(read != nullptr);
    QCOMPARE(read->role(), QAccessible::StaticText);
    QCOMPARE(read->text(QAccessible::Name), name);
    // The text shown, as value, as words and, while there is no detail, as description.
    QCOMPARE(read->text(QAccessible::Value), widget->text());
    QCOMPARE(read->text(QAccessible::Description), widget->text());
    QAccessibleTextInterface* words = read->textInterface();
    QVERIFY(words != nullptr);
    QCOMPARE(words->text(0, words->characterCount()), widget->text());
    QVERIFY(!read->state().focusable);
    QVERIFY(!read->state().busy);
    const auto labelledBy = read->relations(QAccessible::Label);
    QCOMPARE(labelledBy.size(), 1);
    QCOMPARE(labelledBy.first().first,
             QAccessible::queryAccessibleInterface(f.button(qPrintable(button))));
    // A detail, once there is one, is the description; the text stays the value.
    qobject_cast<dissim::ui::WindowLabel*>(widget)->setDetail("/a/whole/path.txt");
    QCOMPARE(read->text(QAccessible::Description), QStringLiteral("/a/whole/path.txt"));
    QCOMPARE(read->text(QAccessible::Value), widget->text());
}

DISSIM_OFFSCREEN_TEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
