#include "run_setup_handler.h"

#include "count_answer.h"
#include "platform.h"
#include "run_state.h"

#include <exception>

namespace dissim::ui {
namespace {

void failSetup(const WindowLabels& labels, Beeper& beeper, const QString& reason) {
    beepTimes(beeper, 3);
    labels.lblSubsStim.setText(QStringLiteral("Oops!  Please Press Option 1 to reenter!"));
    labels.lblSubsStim.setDetail(reason);
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
    for (WindowLabel* label :
         {&labels.lblSubsStim, &labels.lblIfileInfo, &labels.lblOfileInfo, &labels.lblStatus}) {
        label->setDetail(QString());
    }

    // From here on every failure ends the setup the same way.
    try {
        const char separator = localeDecimalSeparator();
        const CheckedCount subjects = checkCount(prompt.ask(QStringLiteral("Enter # of Subjects:"),
                                                            QStringLiteral("How many subjects?")),
                                                 separator);
        if (!subjects.count) {
            failSetup(labels, beeper, subjects.refusal);
            return;
        }
        state.numSubjects = *subjects.count;

        const CheckedCount stimuli = checkCount(
            prompt.ask(QStringLiteral("Enter # of Stimuli:"), QStringLiteral("How many stimuli?")),
            separator);
        if (!stimuli.count) {
            failSetup(labels, beeper, stimuli.refusal);
            return;
        }
        state.numStimuli = *stimuli.count;

        labels.lblSubsStim.setText(summary(state));
    } catch (const std::exception& error) {
        failSetup(labels, beeper, QString::fromStdString(error.what()));
    }
}

} // namespace dissim::ui
