#pragma once

// The real window over given seams (scripted ones unless said otherwise), with its controls
// found by their object names.

#include "frm_vorlan4.h"
#include "scripted_doubles.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace testsupport {

template <typename Prompt, typename FileDialog> struct WindowOver {
    Prompt prompt;
    CountingBeeper beeper;
    FileDialog files;
    dissim::ui::frmVorlan4 window{prompt, beeper, files};

    QPushButton* button(const char* name) const {
        return window.findChild<QPushButton*>(QLatin1String(name));
    }
    QLabel* label(const char* name) const { return window.findChild<QLabel*>(QLatin1String(name)); }
    QString text(const char* labelName) const { return label(labelName)->text(); }
    void click(const char* buttonName) const { button(buttonName)->click(); }
    // Shows the window and waits until it is active, so that it has the keyboard focus.
    bool showActive() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

using WindowFixture = WindowOver<ScriptedPrompt, ScriptedQtFileDialog>;

} // namespace testsupport
