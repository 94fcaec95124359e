#pragma once

// A run state with the four settings a person enters, as the window would leave them.

#include "run_state.h"

#include <string>

namespace testsupport {

inline dissim::RunState runSettings(const std::string& subjects, const std::string& stimuli,
                                    const std::string& input, const std::string& output) {
    dissim::RunState state;
    state.numSubjects = dissim::CountValue(subjects);
    state.numStimuli = dissim::CountValue(stimuli);
    state.inputFile = input;
    state.outputFile = output;
    return state;
}

} // namespace testsupport
