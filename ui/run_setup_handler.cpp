#include "run_setup_handler.h"

#include "beeper.h"
#include "count_answer.h"
#include "run_state.h"
#include "text_prompt.h"

#include <QLabel>

#include <exception>

namespace dissim::ui {
namespace {

void failSetup(const WindowLabels& labels, Beeper& beeper) {
    beepTimes(beeper, 3);
    labels.lblSubsStim.setText(QStringLiteral("Oops!  Please Press Option 1 to reenter!"));
}

QString summary(const RunState& state) {
    return QStringLiteral("There are ") + QString::fromStdString(state.numSubjects.displayText()) +
           QStringLiteral(" subjects and ") +
           QString::fromStdString(state.numStimuli.displayText()) + QStringLiteral(" stimuli.");
}

} // namespace

void runSetup(RunState& state, const WindowLabels& labels, TextPrompt& prompt, Beeper& beeper) {
    state.inputFile.clear();
    state.outputFile.clear();

    labels.lblSubsStim.setText(QStringLiteral("# of Subjects and Stimui not Defined"));
    labels.lblIfileInfo.setText(QStringLiteral("Input File Undefined "));
    labels.lblOfileInfo.setText(QStringLiteral("Output File Undefined"));
    labels.lblStatus.setText(QStringLiteral("Waiting for data ... "));
    setFailureNote(labels.lblStatus, QString());

    // From here on every failure ends the setup the same way.
    try {
        const char separator = localeDecimalSeparator();
        const auto subjects = acceptedCount(prompt.ask(QStringLiteral("Enter # of Subjects:"),
                                                       QStringLiteral("How many subjects?")),
                                            separator);
        if (!subjects) {
            failSetup(labels, beeper);
            return;
        }
        state.numSubjects = *subjects;

        const auto stimuli = acceptedCount(
            prompt.ask(QStringLiteral("Enter # of Stimuli:"), QStringLiteral("How many stimuli?")),
            separator);
        if (!stimuli) {
            failSetup(labels, beeper);
            return;
        }
        state.numStimuli = *stimuli;

        labels.lblSubsStim.setText(summary(state));
    } catch (const std::exception&) {
        failSetup(labels, beeper);
    }
}

} // namespace dissim::ui
