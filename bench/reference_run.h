#pragma once

#include <cstdint>
#include <string>

namespace bench {

// The plainest run that writes the same matrix file as the engine, for the benchmark's sort data
// (whole-number codes separated by spaces, commas or line ends): one thread, each block
// formatted entry by entry into one buffer and handed to the file with one write() call. The
// benchmark prints it beside the engine, so that whatever the engine does beyond it has to show
// that it pays. Returns false, with a message on stderr, when a file cannot be read or written.
bool referenceRun(const std::string& input, const std::string& output, int subjects, int stimuli);

} // namespace bench
