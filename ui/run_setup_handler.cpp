#include "run_setup_handler.h"

#include "count_answer.h"
#include "platform.h"
#include "run_state.h"

#include <exception>

namespace dissim::ui {
namespace {

void failSetup(const WindowLabels& labels, Beeper& beeper, const std::string& reason) {
    beepTimes(beeper, 3);
    labels.lblSubsStim.setText("Oops!  Please Press Option 1 to reenter!");
    labels.lblSubsStim.setDetail(reason);
}

} // namespace

std::string countsSummary(const RunState& state) {
    return "There are " + state.numSubjects.displayText() + " subjects and " +
           state.numStimuli.displayText() + " stimuli.";
}

void runSetup(RunState& state, const WindowLabels& labels, TextPrompt& prompt, Beeper& beeper,
              char separator) {
    state.inputFile.clear();
    state.outputFile.clear();
    state.tableReading.reset();

    labels.lblSubsStim.setText("# of Subjects and Stimui not Defined");
    labels.lblIfileInfo.setText("Input File Undefined ");
    labels.lblOfileInfo.setText("Output File Undefined");
    labels.lblStatus.setText("Waiting for data ... ");
    for (Label* label :
         {&labels.lblSubsStim, &labels.lblIfileInfo, &labels.lblOfileInfo, &labels.lblStatus}) {
        label->setDetail({});
    }

    // From here on every failure ends the setup the same way.
    try {
        const CheckedCount subjects =
            checkCount(prompt.ask("Enter # of Subjects:", "How many subjects?"), separator);
        if (!subjects.count) {
            failSetup(labels, beeper, subjects.refusal);
            return;
        }
        state.numSubjects = *subjects.count;

        const CheckedCount stimuli =
            checkCount(prompt.ask("Enter # of Stimuli:", "How many stimuli?"), separator);
        if (!stimuli.count) {
            failSetup(labels, beeper, stimuli.refusal);
            return;
        }
        state.numStimuli = *stimuli.count;

        labels.lblSubsStim.setText(countsSummary(state));
    } catch (const std::exception& error) {
        failSetup(labels, beeper, error.what());
    }
}

} // namespace dissim::ui
