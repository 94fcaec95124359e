#pragma once

#include <cstdint>
#include <string>

namespace bench {

// Sort data for s subjects over n stimuli, one line per subject, codes separated by spaces.
// Every subject sorts the stimuli into between 2 and 8 groups (fewer when n is smaller), each
// group holding at least one stimulus. The same seed gives the same text on every machine.
std::string makeSortData(std::int64_t subjects, std::int64_t stimuli, std::uint64_t seed);

} // namespace bench
