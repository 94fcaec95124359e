#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// The Import dialog's work for the large study (1000 subjects, 1000 stimuli) in each layout a
// researcher may keep it in (import_work.h): reading the CSV text into a table and importing the
// table into the run's codes, each timed in every round beside the run of the same study from
// plain sort data (in a child process, as the main benchmark times it). Rounds are interleaved:
// each round runs every layout and the run once, in an order that rotates from round to round.
// Printed per layout: median, least and most milliseconds of the reading, of the import and of
// both, the median over the rounds of both over the run's time in that round, and the guess of
// the settings (not in "both": the dialog guesses once per file). With wasm
// scripts (dissim_wasm_run.js) node also imports every layout once per round, as WebAssembly.
// Returns false when an import gave other codes than the study's.
bool benchImport(const std::filesystem::path& folder, int rounds,
                 const std::vector<std::string>& wasmScripts);

} // namespace bench
