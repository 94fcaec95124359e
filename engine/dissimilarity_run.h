#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dissim {

struct RunState;

// The status texts a run sets, in the order it sets them.
inline constexpr std::string_view kStatusProcessing = "Processing...";
inline constexpr std::string_view kStatusWriting = "Writing output matrices...";
inline constexpr std::string_view kStatusDone =
    "Done!  Press Button 1 for another Run, or Exit to quit!";
inline constexpr std::string_view kStatusFailed =
    "Problem with your data entry or files! Check them and try again!";

// What a run reports while it goes. The calls come from the thread the run runs on.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // A status text, each time the run sets one.
    virtual void statusChanged(std::string_view text) = 0;
    // The run has failed: called once, before the failure text is set, with the one-line
    // description of what failed and where. The window beeps here.
    virtual void runFailing(std::string_view description) = 0;
};

struct RunResult {
    bool done = false;       // false: the run failed
    std::string description; // on failure, what failed and where (one line)
    // After a completed run, what the researcher should know about its input although the run
    // went well (a sort data file that looks laid out the other way round); empty when nothing.
    std::string note;
};

// One dissimilarity run over the settings in state: sizes the work arrays, reads every
// subject's group codes from state.inputFile, writes every subject's 0/1 block and then the
// count block to state.outputFile. Both files are closed on every path out. The input file is
// never written; the output file is emptied only once it is known not to be the input file.
//
// On failure, the output keeps the complete blocks written before it, and nothing else. Every
// failure, a RunError or any other exception, ends as a failed result: nothing is thrown.
RunResult runDissimilarity(RunState& state, RunObserver& observer);

// The bytes the run's arrays need for a stimulus count sized to n (indices 0 to n).
std::uint64_t arrayBytesFor(std::int32_t n);

} // namespace dissim
