#pragma once

#include "label.h"

namespace dissim {
struct RunState;
}

namespace dissim::ui {

class Beeper;
class TextPrompt;

// "1. Start Here!": forgets both file paths, resets the labels and their details, then asks
// for the subject and the stimulus count. A count that is not a whole number of at least 1
// (or a Cancel) ends the setup with three beeps and a message on lblSubsStim, whose detail
// then says why the count was refused. separator: the locale's decimal separator.
void runSetup(RunState& state, const WindowLabels& labels, TextPrompt& prompt, Beeper& beeper,
              char separator);

} // namespace dissim::ui
