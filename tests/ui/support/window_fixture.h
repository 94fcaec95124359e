#pragma once

// The real window over scripted seams, with its controls found by their object names.

#include "frm_vorlan4.h"
#include "scripted_doubles.h"

#include <QLabel>
#include <QPushButton>

namespace testsupport {

struct WindowFixture {
    ScriptedPrompt prompt;
    CountingBeeper beeper;
    ScriptedFileDialog files;
    dissim::ui::frmVorlan4 window{prompt, beeper, files};

    QPushButton* button(const char* name) const {
        return window.findChild<QPushButton*>(QLatin1String(name));
    }
    QLabel* label(const char* name) const { return window.findChild<QLabel*>(QLatin1String(name)); }
    QString text(const char* labelName) const { return label(labelName)->text(); }
    void click(const char* buttonName) const { button(buttonName)->click(); }
};

} // namespace testsupport
