#pragma once

#include "label.h"

#include <string>

namespace dissim {
struct RunState;
}

namespace dissim::ui {

class Beeper;
class TextPrompt;

// "1. Start Here!": forgets both file paths (and how a table was to be read), resets the labels and
// their details, then asks for the subject and the stimulus count. A count that is not a whole
// number of at least 1 (or a Cancel) ends the setup with three beeps and a message on lblSubsStim,
// whose detail then says why the count was refused. separator: the locale's decimal separator.
void runSetup(RunState& state, const WindowLabels& labels, TextPrompt& prompt, Beeper& beeper,
              char separator);

// The counts as lblSubsStim shows them: "There are  5 subjects and  12 stimuli."
std::string countsSummary(const RunState& state);

} // namespace dissim::ui
